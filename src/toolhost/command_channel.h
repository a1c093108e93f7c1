#pragma once
// The command channel between the host and its tools: the host's mailbox is
// polled by the timer tmrDataExchange, commands found there are handled by
// msbCmd, and commands for a tool go to its own mailbox through
// SendToolCommand, which waits up to a second for the tool to take them.

#include <QObject>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/message_sink.h"
#include "model/photometric_record.h"
#include "platform/settings_store.h"

class QTimer;

namespace lumibench {

class RunningToolTable;
class ToolCatalogue;
class WindowLookup;

// What the channel needs from the main window.
class ChannelHost {
public:
    virtual ~ChannelHost() = default;
    // Rebuilds the loaded files list (and the summary) from the loaded table.
    virtual void refreshLoadedFilesList() = 0;
    // Selects line `line` (from 0) of the list, so that its summary shows.
    virtual void selectLoadedLine(std::size_t line) { (void)line; }
    // Data from a tool was in a European format and hint 1 is enabled: make
    // hint 1 the current hint and show it without blocking.
    virtual void showEuropeanDataHint() = 0;
    // Ends every running tool and empties the running-tool table.
    virtual void closeAllTools() = 0;
    // Unsaved data arrives: `loadedAfter` is the list as it will be. Called
    // before the tool learns that its data arrived, so that data is kept
    // somewhere at every moment.
    virtual void keepUnsaved(const LoadedFileTable& loadedAfter) {}
};

// Everything the channel works on; all references must outlive the channel.
struct ChannelServices {
    SettingsStore& store;
    std::string section;  // the host's exchange section; nothing is written while it is empty
    LoadedFileTable& loaded;
    WorkRecordTable& work;
    RunningToolTable& tools;
    WindowLookup& windows;
    MessageSink& messages;
    ChannelHost& host;
    // Names a command may carry as its sender besides the running-tool
    // table's instances; none when absent.
    const ToolCatalogue* catalogue = nullptr;
};

inline constexpr const char* kChannelFailureTitle = "Data Exchange";
// Followed by the failure's description and ".": shown for the first command
// that fails unexpectedly; the host goes on, later ones go to the error output.
inline constexpr const char* kChannelFailureText = "A command from a tool could not be handled: ";

// SendToolCommand's result when the store refused the write (or there is no section).
inline constexpr std::int16_t kChannelStoreFailure = 75;
inline constexpr const char* kChannelStoreFailureText = "The settings store could not be written";
// SendToolCommand's result for an empty tool name: there is no mailbox to write.
inline constexpr std::int16_t kChannelNoMailbox = 5;
inline constexpr const char* kChannelNoMailboxText = "Invalid procedure call or argument";

class CommandChannel : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kPollInterval{100};
    static constexpr std::chrono::milliseconds kCommandWait{1000};

    explicit CommandChannel(ChannelServices services, QObject* parent = nullptr);
    ~CommandChannel() override;

    // The polling timer, object name "tmrDataExchange". Not started by the constructor.
    QTimer* tmrDataExchange() const { return timer_; }
    void start();
    void stop();

    // One timer tick: takes a command from the host key (emptying it) and handles it.
    void pollHostKey();

    // Handles the last command taken from the host key.
    void msbCmd();
    // Takes `command` as the last command and handles it (what a tick does after reading).
    void handleCommand(std::string command);
    const std::string& lastCommand() const { return lastCommand_; }

    // The sender of the command being handled (fields 2 and 3); nested
    // commands overwrite them, as the DataChanged broadcast sees.
    const std::string& senderActName() const { return senderActName_; }
    const std::string& senderInstance() const { return senderInstance_; }
    // How many SendToolCommand waits are under way (nested ones count), so a
    // caller can tell that it runs inside one.
    int commandWaitDepth() const { return waitDepth_; }
    // How many times REFRESHDATA has written the slots.
    std::uint64_t slotWriteCount() const { return slotWrites_; }

    // Writes `command` to the mailbox of toolName|instanceId (toolName alone when
    // instanceId is empty), marks the instance closed when the command is
    // "Close", and waits up to kCommandWait for the tool to empty the mailbox
    // while window events, and commands arriving at the host key, are handled.
    // Sent inside a wait for the same mailbox, it first waits (as long) for
    // that command to be taken, so that one is not replaced.
    // A command not taken stays in the mailbox. Returns 0, or a failure code
    // with its description in errorText.
    std::int16_t SendToolCommand(const std::string& toolName, const std::string& instanceId,
                                 const std::string& command, std::string& errorText);
    // Convenience form that drops the error text.
    void SendToolCommand(const std::string& toolName, const std::string& instanceId,
                         const std::string& command);

    // "DataChanged" to every open tool whose window exists, except the sender instance.
    void BroadcastDataChanged();
    // "DeleteFile," + fileName to every open tool whose window exists, the sender included.
    void BroadcastDeleteFile(const std::string& fileName);

    // After closing checked files: when list line 1 was among them every tool
    // is closed, otherwise every tool is told about each closed file in order.
    void TellToolsAboutClosedFiles(bool firstLineClosed,
                                   const std::vector<std::string>& closedFilenames);

    // Whether (actName, instance) is one of this host's open instances, or
    // actName a catalogue name: only those are ever answered, so a command
    // cannot make the host write into a slot or its own mailbox.
    bool isKnownSender(const std::string& actName, const std::string& instance) const;

private:
    struct SlotRead;
    void pollIfDue();
    void waitUntilTaken(const std::string& key);
    void takeAndHandle();
    void reportFailure(const std::string& what);
    void keepArrivingUnsaved(const std::string& verb, const WorkRecordTable& records);
    void dispatch(SlotRead* preRead);
    void handleSendVerb(const std::string& verb, const std::vector<std::string>& fields,
                        const std::string& actName, const std::string& instance, SlotRead* preRead);

    ChannelServices s_;
    QTimer* timer_ = nullptr;
    std::string lastCommand_;
    std::string senderActName_;
    std::string senderInstance_;
    std::chrono::steady_clock::time_point lastPoll_{};
    int waitDepth_ = 0;
    std::vector<std::string> waitedKeys_;  // the mailboxes of the waits under way, outermost first
    bool failureShown_ = false;
    std::uint64_t slotWrites_ = 0;
};

}  // namespace lumibench
