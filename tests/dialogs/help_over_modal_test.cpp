// Help asked for from a modal dialog, on a real X server with a window
// manager: the help window must come up above the dialog and take key presses
// while the dialog still runs. Offscreen has neither stacking nor the window
// system's modality, so this runs under Xvfb and openbox and skips without
// them. Every wait is bounded to a few seconds.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
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

void Stop(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 40 && ::waitpid(pid, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (::kill(pid, SIGKILL) == 0) ::waitpid(pid, nullptr, 0);
}

// Xvfb on a free display; its name, or empty when it did not answer within five seconds.
std::string StartXvfb(pid_t& server) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    server = Spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x800x24",
                    "-nolisten", "tcp"},
                   fds[1]);
    ::close(fds[1]);
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    char c = 0;
    while (c != '\n' && ::poll(&wait, 1, 5000) > 0 && ::read(fds[0], &c, 1) == 1)
        if (c != '\n') number += c;
    ::close(fds[0]);
    return c == '\n' && !number.empty() ? ":" + number : std::string();
}

xcb_connection_t* Connection() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The windows a root property lists (the window manager's stacking order, its check window).
std::vector<xcb_window_t> RootWindows(xcb_connection_t* connection, const char* property) {
    auto* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(property)), property),
        nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    auto* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, atom ? atom->atom : 0, XCB_ATOM_WINDOW, 0, 1024), nullptr);
    std::vector<xcb_window_t> windows;
    if (reply) {
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
        windows.assign(ids, ids + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    free(atom);
    return windows;
}

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

// A key press of `keysym` that the X server delivers to `window`.
void SendKeyPress(xcb_window_t window, xcb_keysym_t keysym) {
    xcb_connection_t* connection = Connection();
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* map = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr);
    xcb_key_press_event_t event{};
    for (int i = 0; map && i < count * map->keysyms_per_keycode && event.detail == 0; ++i)
        if (xcb_get_keyboard_mapping_keysyms(map)[i] == keysym)
            event.detail = static_cast<xcb_keycode_t>(setup->min_keycode + i / map->keysyms_per_keycode);
    free(map);
    event.response_type = XCB_KEY_PRESS;
    event.root = xcb_setup_roots_iterator(setup).data->root;
    event.event = window;
    event.same_screen = 1;
    xcb_send_event(connection, 1, window, XCB_EVENT_MASK_KEY_PRESS, reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

TEST(HelpOverModalDialog, OpensInFrontAndTakesKeys) {
    if (!g_skipReason.empty()) GTEST_SKIP() << g_skipReason;
    lumibench::MemorySettingsStore store;
    lumibench::RecordingMessageSink messages;
    lumibench::DialogServices services(store, messages);
    services.programFolder = lumibench::test::ProgramFolder();
    if (!std::filesystem::exists(services.programFolder + "/help/index.html"))
        GTEST_SKIP() << "the help pages are not built beside the program";

    QWidget mainWindow;
    mainWindow.resize(800, 600);
    mainWindow.show();
    ASSERT_TRUE(WaitUntil([] { return !RootWindows(Connection(), "_NET_CLIENT_LIST_STACKING").empty(); }));

    lumibench::frmHelp* help = nullptr;
    std::vector<int> keys;
    bool inFront = false;
    lumibench::frmLumibenchUserInfo dialog(services, &mainWindow);
    QTimer::singleShot(300, [&] {
        dialog.findChild<QPushButton*>("cmdHelp")->click();
        for (QWidget* widget : QApplication::allWidgets())
            if (auto* found = qobject_cast<lumibench::frmHelp*>(widget)) help = found;
        if (help == nullptr) return dialog.reject();
        const auto helpId = static_cast<xcb_window_t>(help->winId());
        inFront = WaitUntil([&] {
            const auto order = RootWindows(Connection(), "_NET_CLIENT_LIST_STACKING");
            const auto h = std::find(order.begin(), order.end(), helpId);
            const auto d = std::find(order.begin(), order.end(), static_cast<xcb_window_t>(dialog.winId()));
            return h != order.end() && d != order.end() && h > d;
        });
        // A modal dialog's blocking drops key presses before any widget sees them.
        struct Filter : QObject {
            QWidget* window;
            std::vector<int>& keys;
            Filter(QWidget* of, std::vector<int>& into) : window(of), keys(into) {}
            bool eventFilter(QObject* watched, QEvent* event) override {
                auto* widget = qobject_cast<QWidget*>(watched);
                if (event->type() == QEvent::KeyPress && widget && widget->window() == window)
                    keys.push_back(static_cast<QKeyEvent*>(event)->key());
                return false;
            }
        } filter(help, keys);
        qApp->installEventFilter(&filter);
        help->activateWindow();
        WaitUntil([&] {
            if (keys.empty()) SendKeyPress(helpId, 0xff57);  // End
            return !keys.empty();
        });
        qApp->removeEventFilter(&filter);
        dialog.reject();
    });
    QTimer::singleShot(8000, &dialog, [&dialog] { dialog.reject(); });  // never hang
    dialog.exec();

    ASSERT_NE(help, nullptr) << "Help opened no window";
    EXPECT_TRUE(inFront) << "the help window is not above the dialog";
    ASSERT_FALSE(keys.empty()) << "the help window did not get the key press";
    EXPECT_EQ(keys.front(), Qt::Key_End);
    // With the dialog gone the help window stays, a window of its own.
    EXPECT_TRUE(WaitUntil([&] { return help->isVisible(); }, 2000));
    EXPECT_EQ(help->parentWidget(), nullptr);
    help->close();
}

}  // namespace

int main(int argc, char** argv) {
    // Test discovery only lists the test; it needs no server.
    bool listing = false;
    for (int i = 1; i < argc; ++i) listing = listing || std::strncmp(argv[i], "--gtest_list_tests", 18) == 0;
    ::testing::InitGoogleTest(&argc, argv);
    pid_t server = -1;
    pid_t windowManager = -1;
    std::string display;
    if (listing) {
        g_skipReason = "listing only";
    } else if (!std::filesystem::exists("/usr/bin/Xvfb") || !std::filesystem::exists("/usr/bin/openbox")) {
        g_skipReason = "Xvfb or openbox is not installed";
    } else if ((display = StartXvfb(server)).empty()) {
        g_skipReason = "Xvfb did not start within 5 seconds";
    } else {
        setenv("DISPLAY", display.c_str(), 1);
        windowManager = Spawn({"/usr/bin/openbox", "--sm-disable"});
        // The window manager must be in charge before the first window appears.
        xcb_connection_t* probe = xcb_connect(display.c_str(), nullptr);
        QElapsedTimer clock;
        clock.start();
        while (!xcb_connection_has_error(probe) && RootWindows(probe, "_NET_SUPPORTING_WM_CHECK").empty() &&
               clock.elapsed() < 5000)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (xcb_connection_has_error(probe) || RootWindows(probe, "_NET_SUPPORTING_WM_CHECK").empty())
            g_skipReason = "openbox did not start within 5 seconds";
        xcb_disconnect(probe);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    setenv("QT_QPA_PLATFORM", g_skipReason.empty() ? "xcb" : "offscreen", 1);
    int status = 0;
    {
        QApplication application(argc, argv);
        status = RUN_ALL_TESTS();
    }
    Stop(windowManager);
    Stop(server);
    return status;
}
