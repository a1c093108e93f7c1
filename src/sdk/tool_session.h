#pragma once
// Everything a tool program needs to work with the host. A tool:
//   1. calls ToolSession::Start(argc, argv, "Tool_MyName") first thing;
//   2. when commandLine().takesData, calls readData() before anything else;
//   3. shows one top-level window titled exactly windowTitle();
//   4. calls takeCommand() every 50-100 ms and acts on what it gets
//      (on Close it exits; MoveWin goes to moveWindow());
//   5. sends data back with writeData() followed by sendToHost(verb);
//   6. when it closes on its own, calls sendToHost("CLOSEREMOVE") first.
// All calls run on the tool's own thread; none starts a thread.
//
// This header and the ones it includes are all a tool needs: the store, the
// exchange layout and the X11 calls stay inside the library.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/photometric_record.h"
#include "sdk/tool_command.h"
#include "sdk/tool_command_line.h"
#include "sdk/window_placement.h"

#if defined(QT_CORE_LIB) && !defined(LUMIBENCH_TOOL_SDK_BUILD) && __has_include(<QCoreApplication>)
#include <QCoreApplication>
#include <QEventLoop>
#define LUMIBENCH_TOOL_SDK_QT_EVENTS 1
#endif

namespace lumibench {

class SettingsStore;

class ToolSession {
public:
    // Reads the command line (argv[1..] joined with blanks: six comma-separated
    // fields) and opens the shared settings store ($LUMIBENCH_SETTINGS or the
    // per-user default). `actName` is the tool's ActName as installed: its
    // mailbox and window title. Returns nullptr with a reason in `error` when the
    // command line is not a host's or the store cannot be opened.
    // In a Qt program the waits of sendToHost keep the tool's events running.
    static std::unique_ptr<ToolSession> Start(int argc, const char* const* argv, std::string actName,
                                              std::string* error = nullptr) {
        auto session = StartSession(argc, argv, std::move(actName), error);
#ifdef LUMIBENCH_TOOL_SDK_QT_EVENTS
        if (session) {
            session->setWaitHandler([](std::chrono::milliseconds step) {
                if (QCoreApplication::instance() != nullptr) {
                    QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(step.count()));
                }
            });
        }
#endif
        return session;
    }
    // The same without any toolkit: waits only sleep.
    static std::unique_ptr<ToolSession> StartSession(int argc, const char* const* argv, std::string actName,
                                                     std::string* error = nullptr);

    // A session of a tool run without the host (from a script, say): the
    // shared settings store only, no exchange section, no mailbox. readData
    // finds nothing and sendToHost fails. nullptr when the store cannot be opened.
    static std::unique_ptr<ToolSession> OpenSettingsOnly(std::string actName, std::string* error = nullptr);

    // A session over a store the caller keeps alive (tests, embedding).
    ToolSession(SettingsStore& store, ToolCommandLine commandLine, std::string actName);
    ~ToolSession();
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

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
    // host's layout, all in one step. Returns the number written (at most 25),
    // or -1 when the store refused the writes (nothing of them is kept; the
    // store's reason is in lastError()). Send nothing to the host then.
    int writeData(const WorkRecordTable& records);

    // The command waiting in this instance's mailbox, taken (the mailbox is
    // emptied, which tells the host it was received); nullopt when none waits.
    // Once the host that started this tool has ended, this gives a Close (its
    // text empty): a tool ends with its host even when the host could not say so.
    std::optional<ToolCommand> takeCommand();

    // Whether the host that started this tool still runs; true when the tool
    // cannot tell (started by hand, or the host did not name itself).
    bool hostAlive() const;

    // Sends "verb,ActName,instance" (plus ",extraField" when given, e.g. the
    // old file name of SENDRENAMEDDATA) to the host. The host key holds one
    // command, so this waits until the key is empty and writes in the same
    // step; gives up after `timeout`, or as soon as the host has ended, and
    // returns false without writing.
    // Verbs: SENDNEWDATA, SENDUPDATEDDATA, SENDSAVEDDATA, SENDRENAMEDDATA (a
    // "*" marks unsaved data, a CLOSE suffix asks the host to close this
    // tool), REFRESHDATA, RETURNCLOSE, CLOSEREMOVE, REFRESHLOADEDCOUNT.
    bool sendToHost(std::string_view verb, std::string_view extraField = {},
                    std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // The same with a command text written exactly as given.
    bool sendRawToHost(std::string_view text, std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // True once the host has taken the command last sent (its key is empty
    // again); false after `timeout` or once the host has ended. Wait for this before rewriting the slots
    // that command refers to.
    bool waitUntilTaken(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // A value of the host's settings (application "Lumibench_PE"), for
    // example setting("Lumibench_PE", "InputUnits") or setting("Tool_Open",
    // "IgnoreWarnings"); `fallback` when it was never written.
    std::string setting(std::string_view section, std::string_view key, std::string_view fallback = {});
    // Writes a value of the tool's own section there; false when the store refused.
    bool setSetting(std::string_view section, std::string_view key, std::string_view value);

    // Called with a few milliseconds to spend whenever the session waits, so
    // that the tool's own events go on (Start installs one for Qt programs).
    // Without one the session sleeps.
    void setWaitHandler(std::function<void(std::chrono::milliseconds)> handler);

    // Where "MoveWin,x,y" puts the tool's window: (x, y) pixels from the top
    // left corner of the host's main window, on the screen. nullopt when the
    // position cannot be known: no host window handle, no X server, or the
    // handle no longer names a window.
    std::optional<ScreenPoint> moveWinPosition(int x, int y) const;
    // Moves the tool's top-level window (its X11 id: QWidget::winId() in Qt)
    // to the position of "MoveWin,x,y", size unchanged. False, with the window
    // left where it is, when moveWinPosition gives nothing or the window id is
    // not a window. Send it on every MoveWin: the host sends one after "Start"
    // too, when it cascades its tools.
    bool moveWindow(std::uint64_t nativeWindow, int x, int y);

    // The last failure's description (store, window system), for messages.
    const std::string& lastError() const;

    // The shared store itself, for tools that keep settings of their own
    // (include "platform/settings_store.h" in the host's tree to use it).
    SettingsStore& store();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    ToolCommandLine commandLine_;
    std::string actName_;
};

}  // namespace lumibench
