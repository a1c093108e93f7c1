#include "screen_capture.h"

#include <xcb/xcb.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <set>

extern char** environ;

namespace lumibench::testing {

XvfbServer::XvfbServer(int width, int height) {
    static const char* kXvfb = "/usr/bin/Xvfb";
    int fds[2];
    if (::access(kXvfb, X_OK) != 0 || ::pipe(fds) != 0) return;
    // The server writes its display number to the pipe once it accepts clients.
    const std::string fd = std::to_string(fds[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const char* argv[] = {kXvfb, "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawn(&pid_, kXvfb, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        pid_ = 0;
        ::close(fds[0]);
        return;
    }
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
}

XvfbServer::~XvfbServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

QImage CaptureScreen(const std::string& display) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return {};
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    QImage image;
    if (screen->root_depth == 24 || screen->root_depth == 32) {
        xcb_get_image_reply_t* reply = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0, screen->width_in_pixels,
                             screen->height_in_pixels, ~0u),
            nullptr);
        if (reply) {
            const int w = screen->width_in_pixels, h = screen->height_in_pixels;
            if (xcb_get_image_data_length(reply) >= w * h * 4) {
                image = QImage(xcb_get_image_data(reply), w, h, w * 4, QImage::Format_RGB32).copy();
            }
            std::free(reply);
        }
    }
    xcb_disconnect(c);
    return image;
}

std::size_t ColourCount(const QImage& image, const QRect& area, int step) {
    std::set<QRgb> colours;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); y += step) {
        for (int x = r.left(); x <= r.right(); x += step) colours.insert(image.pixel(x, y));
    }
    return colours.size();
}

}  // namespace lumibench::testing
