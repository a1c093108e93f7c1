#pragma once
// Everything a tool program needs to work with the host. A tool:
//   1. calls ToolSession::Start(argc, argv, "Tool_MyName") first thing;
//   2. when commandLine().takesData, calls readData() before anything else;
//   3. shows one top-level window titled exactly windowTitle();
//   4. calls takeCommand() every 50-100 ms and acts on what it gets
//      (on Close it exits);
//   5. sends data back with writeData() followed by sendToHost(verb);
//   6. when it closes on its own, calls sendToHost("CLOSEREMOVE") first.
// All calls run on the tool's own thread; none starts a thread.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/photometric_record.h"
#include "exchange/tool_command_line.h"
#include "platform/settings_store.h"
#include "sdk/tool_command.h"

namespace lumibench {

class ToolSession {
public:
    // Reads the command line (argv[1..] joined with blanks: six comma-separated
    // fields) and opens the shared settings store ($LUMIBENCH_SETTINGS or the
    // per-user default). `actName` is the tool's ActName as installed: its
    // mailbox and window title. Returns nullptr with a reason in `error` when the
    // command line is not a host's or the store cannot be opened.
    static std::unique_ptr<ToolSession> Start(int argc, const char* const* argv, std::string actName,
                                              std::string* error = nullptr);

    // A session of a tool run without the host (from a script, say): the
    // shared settings store only, no exchange section, no mailbox. readData
    // finds nothing and sendToHost fails. nullptr when the store cannot be opened.
    static std::unique_ptr<ToolSession> OpenSettingsOnly(std::string actName, std::string* error = nullptr);

    // A session over a store the caller keeps alive (tests, embedding).
    ToolSession(SettingsStore& store, ToolCommandLine commandLine, std::string actName);
    ~ToolSession();

    const ToolCommandLine& commandLine() const { return commandLine_; }
    const std::string& actName() const { return actName_; }
    // The title the tool's top-level window must carry: the ActName, exactly.
    const std::string& windowTitle() const { return actName_; }
    // This instance's mailbox: ActName + "|" + instance id.
    std::string mailboxKey() const;

    // Reads the data sets of the exchange slots into `records` (slot order,
    // empty slots skipped). Returns 0 when at least one was read, -1 when
    // there was none, 1 or a failure code with the reason in errorText.
    std::int16_t readData(WorkRecordTable& records, std::string& errorText);

    // Clears all 25 slots, then writes `records` into slots 1 onwards in the
    // host's layout. Returns the number written (at most 25).
    int writeData(const WorkRecordTable& records);

    // The command waiting in this instance's mailbox, taken (the mailbox is
    // emptied, which tells the host it was received); nullopt when none waits.
    std::optional<ToolCommand> takeCommand();

    // Sends "verb,ActName,instance" (plus ",extraField" when given, e.g. the
    // old file name of SENDRENAMEDDATA) to the host. The host key holds one
    // command, so this waits, handling Qt events when there is an application,
    // until the key is empty; gives up after `timeout` and returns false
    // without writing. Verbs: SENDNEWDATA, SENDUPDATEDDATA, SENDSAVEDDATA,
    // SENDRENAMEDDATA (a "*" marks unsaved data, a CLOSE suffix asks the host to
    // close this tool), REFRESHDATA, RETURNCLOSE, CLOSEREMOVE, REFRESHLOADEDCOUNT.
    bool sendToHost(std::string_view verb, std::string_view extraField = {},
                    std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // The same with a command text written exactly as given.
    bool sendRawToHost(std::string_view text, std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // True once the host has taken the command last sent (its key is empty
    // again); false after `timeout`. Wait for this before rewriting the slots
    // that command refers to.
    bool waitUntilTaken(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // A value of the host's settings (application "Lumibench_PE"), for
    // example setting("Lumibench_PE", "InputUnits") or setting("Tool_Open",
    // "IgnoreWarnings"); `fallback` when it was never written.
    std::string setting(std::string_view section, std::string_view key, std::string_view fallback = {});
    // Writes a value of the tool's own section there; false when the store refused.
    bool setSetting(std::string_view section, std::string_view key, std::string_view value);

    SettingsStore& store() { return store_; }

private:
    std::unique_ptr<SettingsStore> ownedStore_;
    SettingsStore& store_;
    ToolCommandLine commandLine_;
    std::string actName_;
};

}  // namespace lumibench
