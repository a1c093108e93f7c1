#pragma once
// The one owner of what the host holds while it runs: the two tables, the
// settings store, the message sink, the exchange section, the tool catalogue,
// the running-tool table and the hooks into the tool host. Windows receive it; nothing of it is global.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/message_sink.h"
#include "model/photometric_record.h"
#include "platform/settings_store.h"
#include "toolhost/product_list.h"
#include "toolhost/running_tool_table.h"
#include "toolhost/tool_catalogue.h"

namespace lumibench {

inline constexpr const char* kSettingsApp = "Lumibench_PE";
inline constexpr const char* kHostMailboxName = "LumibenchPE";

// What the shell asks of the tool host. Each hook may stay empty: the shell
// then behaves as with no tool running.
struct ToolHostHooks {
    // Ends every running tool; the shell's CloseAllTools calls this.
    std::function<void()> closeAllTools;
    // Tells every running tool that a loaded file was closed.
    std::function<void(const std::string& filename)> broadcastDeleteFile;
    // True while a running tool's window can be found by its title.
    std::function<bool()> anyToolWindowOpen;
    // Starts the tools named on the command line in order, pausing after
    // each, skipping names not installed, cascading when more than one.
    std::function<void(const std::vector<std::string>& toolNames)> startCommandLineTools;
};

struct HostSession {
    HostSession(SettingsStore& settingsStore, MessageSink& messageSink)
        : settings(settingsStore), messages(messageSink) {}

    SettingsStore& settings;
    MessageSink& messages;
    LoadedFileTable loaded;
    WorkRecordTable work;

    // "Data Exchange", "Data Exchange_" + n, or empty when every section is taken.
    std::string exchangeSection;
    std::filesystem::path programFolder;
    std::filesystem::path userDataFolder;
    std::string caption;
    std::filesystem::path helpFile;
    std::filesystem::path agreementFile;
    std::filesystem::path splashPicture;
    std::filesystem::path welcomePage;
    std::string homePage;
    std::string supportPage;
    float pauseIntervalSeconds = 0.3f;
    std::string bannerFilename;
    bool welcomeFlag = true;

    // Filled at start-up by the tool host (ToolHostWiring).
    ToolCatalogue catalogue;
    ProductList productList;
    RunningToolTable runningTools;
    ToolHostHooks tools;
    // Opens the help at a context number; empty until the help window exists.
    std::function<void(std::int32_t contextNumber)> showHelpTopic;
    // Nobody can answer questions any more (the system is ending the program,
    // or it runs unattended): a question whose "No" would drop data keeps it.
    bool unattended = false;
    // Keeps the unsaved records of a list in the recovery file (set once the
    // start-up offer of earlier hosts' records is settled); empty until then.
    std::function<void(const LoadedFileTable&)> keepUnsaved;

    std::string read(std::string_view section, std::string_view key,
                     std::string_view defaultValue = {}) {
        return settings.read(kSettingsApp, section, key, defaultValue);
    }
    void write(std::string_view section, std::string_view key, std::string_view value) {
        settings.write(kSettingsApp, section, key, value);
    }
};

// Ends every running tool through the tool host; always true.
bool CloseAllTools(HostSession& session);

}  // namespace lumibench
