#pragma once
// Recording stand-ins for the launcher's collaborators in logic tests.

#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "core/message_sink.h"
#include "platform/settings_store.h"
#include "toolhost/running_tool_table.h"
#include "toolhost/tool_catalogue.h"
#include "toolhost/tool_launcher.h"
#include "toolhost/window_lookup.h"

namespace lumibench::testing {

struct SentCommand {
    std::string actName;
    std::string instanceId;
    std::string command;
    bool operator==(const SentCommand&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const SentCommand& c) {
    return out << c.actName << "|" << c.instanceId << " <- " << c.command;
}

// Every process can be brought to the front except those listed; windows exist by title.
class FakeWindows : public WindowLookup {
public:
    bool windowExists(const std::string& title) override { return titles.count(title) > 0; }
    bool bringProcessToFront(std::int64_t processId) override {
        return processId != 0 && hidden.count(processId) == 0;
    }
    std::set<std::string> titles;
    std::set<std::int64_t> hidden;
};

class FakeProcess : public ToolProcess {
public:
    explicit FakeProcess(std::int64_t pid) : pid_(pid) {}
    std::int64_t processId() const override { return pid_; }
    bool isRunning() const override { return running; }
    void terminate() override {
        running = false;
        ++terminated;
    }
    bool running = true;
    int terminated = 0;

private:
    std::int64_t pid_;
};

// A launcher over recording fakes: commands are kept, pauses return at once.
struct LauncherRig {
    LauncherRig() {
        launcher = std::make_unique<ToolLauncher>(LauncherServices{
            catalogue, tools, windows, store, messages,
            [this](const std::string& a, const std::string& i, const std::string& c) {
                sent.push_back({a, i, c});
                if (onSend) onSend(sent.back());
            },
            "Data Exchange", "LumibenchPE", std::chrono::milliseconds(0),
            std::chrono::milliseconds(300), [this](std::chrono::milliseconds) {
                if (onPause) onPause();
            }});
    }

    // An entry for an already running tool with a fake process.
    std::shared_ptr<FakeProcess> addRunning(const std::string& actName, std::int64_t pid) {
        auto process = std::make_shared<FakeProcess>(pid);
        tools.setStarted(tools.append(actName), process);
        return process;
    }

    std::vector<std::string> commandsOnly() const {
        std::vector<std::string> out;
        for (const SentCommand& c : sent) out.push_back(c.command);
        return out;
    }

    ToolCatalogue catalogue;
    RunningToolTable tools;
    FakeWindows windows;
    MemorySettingsStore store;
    RecordingMessageSink messages;
    std::vector<SentCommand> sent;
    std::function<void(const SentCommand&)> onSend;
    std::function<void()> onPause;
    std::unique_ptr<ToolLauncher> launcher;
};

}  // namespace lumibench::testing
