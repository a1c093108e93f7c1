// Help asked for from a modal dialog, on a real X server with a window
// manager: the help window must come up in front of the dialog and take key
// presses while the dialog still runs. Offscreen there is no stacking and no
// modality of the window system, so this one runs under Xvfb and openbox, and
// skips when either is missing. Every wait is bounded to a few seconds.

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/message_sink.h"
#include "dialogs/dialog_services.h"
#include "dialogs/help_window.h"
#include "dialogs/user_information.h"
#include "platform/settings_store.h"
#include "test_pictures.h"

namespace {

std::string g_skipReason;

// A child process started by this test, ended by its own id.
struct Child {
    pid_t pid = -1;
    ~Child() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            for (int i = 0; i < 40 && ::waitpid(pid, nullptr, WNOHANG) == 0; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (::waitpid(pid, nullptr, WNOHANG) == 0) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, nullptr, 0);
            }
        }
    }
};

pid_t Spawn(const std::vector<std::string>& command, int keepFd = -1) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
        argv.push_back(nullptr);
        for (int fd = 3; fd < 256; ++fd)
            if (fd != keepFd) ::close(fd);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// Starts Xvfb on a free display and returns its number, within five seconds.
std::optional<std::string> StartXvfb(Child& server) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return std::nullopt;
    server.pid = Spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                        "1280x800x24", "-nolisten", "tcp"},
                       pipeFds[1]);
    ::close(pipeFds[1]);
    std::string display;
    pollfd wait{pipeFds[0], POLLIN, 0};
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000 && (display.empty() || display.back() != '\n')) {
        if (::poll(&wait, 1, 200) <= 0) continue;
        char c;
        if (::read(pipeFds[0], &c, 1) != 1) break;
        display += c;
    }
    ::close(pipeFds[0]);
    if (display.empty() || display.back() != '\n') return std::nullopt;
    display.pop_back();
    return ":" + display;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    auto* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return atom;
}

xcb_connection_t* Connection() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t Root(xcb_connection_t* connection) { return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root; }

// The managed windows bottom to top, as the window manager stacks them.
std::vector<xcb_window_t> Stacking() {
    xcb_connection_t* connection = Connection();
    std::vector<xcb_window_t> windows;
    auto* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, Root(connection), Atom(connection, "_NET_CLIENT_LIST_STACKING"),
                         XCB_ATOM_WINDOW, 0, 1024),
        nullptr);
    if (reply) {
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
        windows.assign(ids, ids + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    return windows;
}

bool WindowManagerRuns(xcb_connection_t* connection) {
    auto* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, Root(connection), Atom(connection, "_NET_SUPPORTING_WM_CHECK"),
                         XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    const bool running = reply && xcb_get_property_value_length(reply) == 4;
    free(reply);
    return running;
}

// Waits, serving events, until `done` holds or `milliseconds` have passed.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The keycode of a keysym on this server's keyboard map.
xcb_keycode_t KeycodeFor(xcb_keysym_t keysym) {
    xcb_connection_t* connection = Connection();
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* reply = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr);
    xcb_keycode_t found = 0;
    if (reply) {
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
        for (int i = 0; i < count * reply->keysyms_per_keycode && found == 0; ++i)
            if (syms[i] == keysym) found = static_cast<xcb_keycode_t>(setup->min_keycode + i / reply->keysyms_per_keycode);
    }
    free(reply);
    return found;
}

// A key press the X server delivers to `window`, as one from the keyboard would be.
void SendKeyPress(xcb_window_t window, xcb_keycode_t keycode) {
    xcb_connection_t* connection = Connection();
    xcb_key_press_event_t event{};
    event.response_type = XCB_KEY_PRESS;
    event.detail = keycode;
    event.time = XCB_CURRENT_TIME;
    event.root = Root(connection);
    event.event = window;
    event.child = XCB_NONE;
    event.same_screen = 1;
    xcb_send_event(connection, 1, window, XCB_EVENT_MASK_KEY_PRESS, reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

class KeyRecorder : public QObject {
public:
    explicit KeyRecorder(QWidget* within) : within_(within) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->window() == within_) keys.push_back(static_cast<QKeyEvent*>(event)->key());
        }
        return false;
    }
    std::vector<int> keys;

private:
    QWidget* within_;
};

TEST(HelpOverModalDialog, OpensInFrontAndTakesKeys) {
    if (!g_skipReason.empty()) GTEST_SKIP() << g_skipReason;
    lumibench::MemorySettingsStore store;
    lumibench::RecordingMessageSink messages;
    lumibench::DialogServices services(store, messages);
    services.programFolder = lumibench::test::ProgramFolder();
    if (!std::filesystem::exists(services.programFolder + "/help/index.html"))
        GTEST_SKIP() << "the help pages are not built beside the program";

    QWidget mainWindow;
    mainWindow.setWindowTitle("main");
    mainWindow.resize(800, 600);
    mainWindow.show();
    ASSERT_TRUE(WaitUntil([&] { return mainWindow.isVisible() && Stacking().size() >= 1; }));

    lumibench::frmHelp* help = nullptr;
    std::vector<int> keys;
    bool inFront = false;
    lumibench::frmLumibenchUserInfo dialog(services, &mainWindow);
    QTimer::singleShot(300, [&] {
        dialog.findChild<QPushButton*>("cmdHelp")->click();
        for (QWidget* widget : QApplication::allWidgets())
            if (auto* found = qobject_cast<lumibench::frmHelp*>(widget)) help = found;
        if (help == nullptr) {
            dialog.reject();
            return;
        }
        // In front: above the dialog in the window manager's stacking order.
        const auto helpId = static_cast<xcb_window_t>(help->winId());
        const auto dialogId = static_cast<xcb_window_t>(dialog.winId());
        inFront = WaitUntil([&] {
            const std::vector<xcb_window_t> order = Stacking();
            const auto h = std::find(order.begin(), order.end(), helpId);
            const auto d = std::find(order.begin(), order.end(), dialogId);
            return h != order.end() && d != order.end() && h > d;
        });
        // Usable: a key the server delivers reaches the help window.
        KeyRecorder recorder(help);
        qApp->installEventFilter(&recorder);
        help->activateWindow();
        const xcb_keycode_t end = KeycodeFor(0xff57);  // End
        WaitUntil([&] {
            if (recorder.keys.empty()) SendKeyPress(helpId, end);
            return !recorder.keys.empty();
        });
        qApp->removeEventFilter(&recorder);
        keys = recorder.keys;
        dialog.reject();
    });
    QTimer::singleShot(8000, &dialog, [&dialog] { dialog.reject(); });  // never hang
    dialog.exec();

    ASSERT_NE(help, nullptr) << "Help opened no window";
    EXPECT_TRUE(inFront) << "the help window is not above the dialog";
    EXPECT_EQ(keys, std::vector<int>{Qt::Key_End}) << "the help window did not get the key press";
    // The dialog is gone; the help window stays where it was.
    EXPECT_TRUE(WaitUntil([&] { return help->isVisible(); }, 2000));
    EXPECT_EQ(help->parentWidget(), nullptr);
    help->close();
}

}  // namespace

int main(int argc, char** argv) {
    // Test discovery only lists the test; it needs no server.
    bool listing = false;
    for (int i = 1; i < argc; ++i) listing = listing || std::string(argv[i]).rfind("--gtest_list_tests", 0) == 0;
    ::testing::InitGoogleTest(&argc, argv);
    if (listing) return RUN_ALL_TESTS();

    Child server;
    Child windowManager;
    std::optional<std::string> display;
    if (!std::filesystem::exists("/usr/bin/Xvfb")) {
        g_skipReason = "Xvfb is not installed";
    } else if (!std::filesystem::exists("/usr/bin/openbox")) {
        g_skipReason = "openbox is not installed";
    } else if (!(display = StartXvfb(server))) {
        g_skipReason = "Xvfb did not start within 5 seconds";
    }
    if (!g_skipReason.empty()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QApplication application(argc, argv);
        return RUN_ALL_TESTS();
    }
    setenv("DISPLAY", display->c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    windowManager.pid = Spawn({"/usr/bin/openbox", "--sm-disable"});
    // The window manager must be in charge before the first window appears.
    if (xcb_connection_t* probe = xcb_connect(display->c_str(), nullptr); !xcb_connection_has_error(probe)) {
        QElapsedTimer clock;
        clock.start();
        while (!WindowManagerRuns(probe) && clock.elapsed() < 5000)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!WindowManagerRuns(probe)) g_skipReason = "openbox did not start within 5 seconds";
        xcb_disconnect(probe);
    } else {
        g_skipReason = "no connection to Xvfb";
    }
    // Let it finish taking over the screen.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
