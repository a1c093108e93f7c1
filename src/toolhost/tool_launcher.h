#pragma once
// Starting tool programs, handing them the checked data sets in batches, and
// placing their windows right of the list pane. The launcher fills the
// running-tool table that the command channel addresses.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/message_sink.h"
#include "model/photometric_record.h"
#include "platform/settings_store.h"
#include "toolhost/running_tool_table.h"
#include "toolhost/tool_catalogue.h"

class QTimer;

namespace lumibench {

class CommandChannel;
class WindowLookup;

// Sends one command to a tool instance and waits for it to be taken.
using ToolCommandSender = std::function<void(const std::string& actName,
                                             const std::string& instanceId,
                                             const std::string& command)>;
ToolCommandSender SenderFor(CommandChannel& channel);

// Waits the given time while window events run (the channel's timer included).
using EventPause = std::function<void(std::chrono::milliseconds)>;
void ProcessEventsFor(std::chrono::milliseconds duration);

// Where tool windows go: the host's window handle and the tool area's top-left
// corner in pixels of the main window.
struct ToolPlacement {
    std::int64_t mainWindowHandle = 0;
    int x0 = 0;
    int y0 = 0;
};

inline constexpr const char* kStartToolTitle = "Start Tool";
// Followed by the program path, ": " and the system's reason.
inline constexpr const char* kStartToolFailedText = "The tool could not be started. ";
// Cascading never moves this tool; tiling does.
inline constexpr const char* kSaveExToolName = "Tool_SaveEXPE";
// Cascade step and the number of windows per cascade column.
inline constexpr int kCascadeStep = 30;
inline constexpr int kCascadeColumnStep = 60;
inline constexpr int kCascadeColumnLength = 12;

struct LauncherServices {
    const ToolCatalogue& catalogue;
    RunningToolTable& tools;
    WindowLookup& windows;
    SettingsStore& store;
    MessageSink& messages;
    ToolCommandSender send;
    std::string section;   // the host's exchange section
    std::string hostKey;   // the host's mailbox name handed to tools
    std::chrono::milliseconds pauseInterval{300};  // "SleepIntervalDE"
    std::chrono::milliseconds startRetryWindow{5000};
    EventPause pause = ProcessEventsFor;
    // How long an instance started for one of several batches may take to
    // take its first command before the next batch would overwrite its slots.
    std::chrono::milliseconds firstCommandWait{30000};
    // Handles a command waiting in the host's mailbox; the slots are never
    // written for a tool while a tool's command there still needs them.
    std::function<void()> takePendingCommand{};
    // How many times the channel has written the slots for a tool's
    // REFRESHDATA: slots a tool asked for are never emptied under it.
    std::function<std::uint64_t()> slotWriteCount{};
};

// Shown when an instance of a batched start never took its first command:
// the tool's ActName, then this, the seconds, and kToolNoAnswerRestText.
inline constexpr const char* kToolNoAnswerText = " did not answer within ";
// Followed by the number (from 1) of the first checked file not handed on, and ".".
inline constexpr const char* kToolNoAnswerRestText =
    " seconds, so the checked files were not handed on from number ";

// Told once when a tool process ends by a signal the host did not send
// (a crash, an abort, the out-of-memory kill): the ActName, then this, the
// signal's number and ")".
inline constexpr const char* kToolEndedBySignalText = " ended unexpectedly (signal ";

class ToolLauncher {
public:
    explicit ToolLauncher(LauncherServices services);
    ~ToolLauncher();
    ToolLauncher(const ToolLauncher&) = delete;
    ToolLauncher& operator=(const ToolLauncher&) = delete;

    LauncherServices& services() { return s_; }

    // Appends an entry to the running-tool table and starts the program of
    // catalogue entry catalogueIndex with the six fields as one argument, retrying
    // for up to the retry window. On failure the entry is marked closed, the
    // user is told, and false comes back.
    bool StartTool(const std::string& actName, int catalogueIndex, std::int64_t parentWindow,
                   bool takesData, std::size_t loadedFileCount, std::int16_t& instanceNumber,
                   std::string& instanceId);

    // Starts the tool with the checked records of `loaded`, one instance per
    // MaxFiles records (a MaxFiles of 0 or less counts as 1), placing each and
    // sending "Unsaved" and "Start" only once every instance has been started.
    void gsbToolClick(const std::string& actName, int catalogueIndex, const LoadedFileTable& loaded,
                      WorkRecordTable& work, const ToolPlacement& placement);

    // A tool that takes no data: start, place, "Start". Returns the start's result.
    bool StartToolWithoutData(const std::string& actName, int catalogueIndex,
                              std::size_t loadedFileCount, const ToolPlacement& placement);

    void SendMoveWin(const std::string& actName, const std::string& instanceId, std::int32_t x,
                     std::int32_t y);
    void CascadeTools(std::int32_t x0, std::int32_t y0);
    // areaWidthTwips over twipsPerPixel is the width shared out between the tools.
    void TileTools(std::int32_t areaWidthTwips, double twipsPerPixel, std::int32_t x0, std::int32_t y0);
    // True when a window titled with the ActName of any entry exists, closed ones included.
    bool AnyToolWindowOpen();

    // Ends every open instance's process at once (a pause after each), then
    // empties the table so that numbering starts again at 1.
    bool CloseAllTools();
    bool toolsClosing() const { return toolsClosing_; }

    // Reaps processes that ended by themselves, so that none stays a zombie,
    // and tells the user about each that a signal ended.
    // Runs on a one-second timer while an application object exists.
    void ReapExitedTools();
    // Processes started and not yet reaped (ended ones drop out as they are reaped).
    std::size_t unreapedProcessCount() const;

private:
    void send(const std::string& actName, const std::string& instanceId, const std::string& command);
    // Waits, events running and the cursor busy, until entry n has emptied its
    // mailbox (taken its first command) or its process ended; false when the
    // wait ran out or the process is gone with the command still there.
    bool waitForFirstTake(std::size_t n);
    // WriteExchangeRecords once the host's mailbox holds no command. Commands
    // handled meanwhile may change the loaded files: `loaded`, when given, is
    // collected into `records` again after each.
    std::int16_t writeSlots(WorkRecordTable& records, int lastSlot, int firstRecord,
                            const LoadedFileTable* loaded);
    // Every slot write so far, the launcher's and the channel's.
    std::uint64_t slotWrites() const;
    // Empties the slots once every instance of a start has taken its
    // commands (and so read its data sets first), unless someone has written
    // them since `writesThen`: data sets of hundreds of megabytes must not
    // stay in the store after the tool has them.
    void releaseSlots(const std::string& actName, const std::vector<std::string>& instanceIds,
                      std::uint64_t writesThen);

    LauncherServices s_;
    bool toolsClosing_ = false;
    std::uint64_t ownSlotWrites_ = 0;
    std::vector<std::shared_ptr<ToolProcess>> spawned_;
    std::unique_ptr<QTimer> reapTimer_;
};

// The real tool process: spawned without a shell, reaped when it ends, never
// signalled after it has been reaped (its id may belong to another process then).
class SpawnedToolProcess : public ToolProcess {
public:
    // argv[0] = program, argv[1] = arguments. Returns nullptr with the errno
    // text in error when the process could not be created.
    static std::shared_ptr<SpawnedToolProcess> Spawn(const std::string& program,
                                                     const std::string& arguments,
                                                     std::string& error);
    ~SpawnedToolProcess() override;

    std::int64_t processId() const override { return pid_; }
    bool isRunning() const override;
    void terminate() override;
    std::optional<int> endedBySignal() const override { return endSignal_; }

private:
    explicit SpawnedToolProcess(std::int64_t pid) : pid_(pid) {}
    std::int64_t pid_;
    mutable bool reaped_ = false;
    mutable std::optional<int> endSignal_;
};

}  // namespace lumibench
