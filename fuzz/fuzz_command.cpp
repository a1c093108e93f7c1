// The host's handling of one command from a tool: the input is the command
// text; slots hold a small data set and two tools run. Tools take every
// command at once, so no wait slows the run.

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "toolhost/command_channel.h"
#include "toolhost/running_tool_table.h"
#include "toolhost/window_lookup.h"

namespace {

using namespace lumibench;

class InstantTools : public MemorySettingsStore {
public:
    bool write(std::string_view app, std::string_view section, std::string_view key,
               std::string_view value) override {
        if (key.find('|') != std::string_view::npos) value = {};
        return MemorySettingsStore::write(app, section, key, value);
    }
};

class QuietHost : public ChannelHost {
public:
    void refreshLoadedFilesList() override {}
    void showEuropeanDataHint() override {}
    void closeAllTools() override {}
};

class StillRunning : public ToolProcess {
public:
    std::int64_t processId() const override { return 4242; }
    bool isRunning() const override { return true; }
    void terminate() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InstantTools store;
    LoadedFileTable loaded(2);
    loaded[0].Filename = "/a.ies";
    loaded[1].Filename = "/b.ldt";
    loaded[1].Checked = kTrue;
    WorkRecordTable work;
    RunningToolTable tools;
    for (const char* name : {"Tool_ViewPE", "Tool_ComparePE"}) {
        tools.setStarted(tools.append(name), std::make_shared<StillRunning>());
    }
    ProcessWindowLookup windows{tools};
    SilentMessageSink messages;
    QuietHost host;
    SilentMessageSink silent;
    WriteExchangeRecords(store, kFirstExchangeSection, loaded, 1, 2, 1, silent);
    CommandChannel channel{{store, std::string(kFirstExchangeSection), loaded, work, tools, windows, messages, host}};
    store.write(kExchangeApp, kFirstExchangeSection, kHostKey,
                std::string_view(reinterpret_cast<const char*>(data), size));
    channel.pollHostKey();
    return 0;
}
