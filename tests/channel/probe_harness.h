#pragma once
// A host side (store, tables, channel) and real probe tool processes sharing
// a temporary settings store.

#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/message_sink.h"
#include "platform/sqlite_settings_store.h"
#include "toolhost/command_channel.h"
#include "toolhost/running_tool_table.h"
#include "toolhost/window_lookup.h"

namespace lumibench {

// A started probe as the running-tool table holds it.
class QtToolProcess : public ToolProcess {
public:
    explicit QtToolProcess(std::unique_ptr<QProcess> process) : process_(std::move(process)) {}
    ~QtToolProcess() override;
    std::int64_t processId() const override { return process_->processId(); }
    bool isRunning() const override;
    void terminate() override;
    QProcess& process() { return *process_; }

private:
    std::unique_ptr<QProcess> process_;
};

class RecordingHost : public ChannelHost {
public:
    void refreshLoadedFilesList() override;
    void showEuropeanDataHint() override { ++hints; }
    void closeAllTools() override { ++closeAlls; }

    CommandChannel* channel = nullptr;
    int refreshes = 0;
    int hints = 0;
    int closeAlls = 0;
    // The channel's wait depth at each refresh: above 0 when a command ran inside a wait.
    std::vector<int> refreshWaitDepths;
};

struct ProbeLogLine {
    long long ms = 0;
    std::string event;
    std::string text;
};

class ProbeHarness {
public:
    static constexpr const char* kSection = "Data Exchange";

    ProbeHarness();
    ~ProbeHarness();

    bool ready() const { return store_ != nullptr; }
    SettingsStore& store() { return *store_; }

    // Starts a probe as the launcher would: a new entry, the six-field
    // command line, the process recorded. Returns the entry number.
    std::size_t startProbe(const std::string& actName, const std::map<std::string, std::string>& env = {},
                           bool takesData = true);
    // Waits until the probe logged its start (and its data read).
    bool waitUntilStarted(std::size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Hands instructions to a running probe through its control file.
    void control(std::size_t n, const std::string& lines);
    std::vector<ProbeLogLine> log(std::size_t n) const;
    // The texts of one event kind, in order.
    std::vector<std::string> logged(std::size_t n, const std::string& event) const;
    std::string mailbox(std::size_t n);
    bool hasExited(std::size_t n);

    // Runs events until `done` or the timeout; returns done().
    static bool waitFor(const std::function<bool()>& done,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));

    LoadedFileTable loaded;
    WorkRecordTable work;
    RunningToolTable tools;
    ProcessWindowLookup windows{tools};
    RecordingMessageSink messages;
    RecordingHost host;
    std::unique_ptr<CommandChannel> channel;

private:
    QString file(std::size_t n, const char* suffix) const;

    QTemporaryDir dir_;
    std::unique_ptr<SqliteSettingsStore> store_;
};

}  // namespace lumibench
