#include "shell/display_wait.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>
#include <thread>

namespace lumibench {

DisplayHold::~DisplayHold() {
    if (connection_ != nullptr) xcb_disconnect(connection_);
}

DisplayHold& DisplayHold::operator=(DisplayHold&& other) noexcept {
    if (this != &other) {
        if (connection_ != nullptr) xcb_disconnect(connection_);
        connection_ = other.connection_;
        other.connection_ = nullptr;
    }
    return *this;
}

bool WaitForDisplay(std::chrono::milliseconds limit, DisplayHold& hold, std::string* error) {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool xcbAsked = platform != nullptr && std::string_view(platform).starts_with("xcb");
    if (platform != nullptr && *platform != '\0' && !xcbAsked) return true;
    const char* display = std::getenv("DISPLAY");
    // Without DISPLAY Qt looks for another platform (Wayland) itself.
    if ((display == nullptr || *display == '\0') && !xcbAsked) return true;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection) == 0) {
            hold = DisplayHold(connection);
            return true;
        }
        xcb_disconnect(connection);
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (error) {
        *error = std::string("cannot connect to the X display ") + (display ? display : "(DISPLAY is not set)");
    }
    return false;
}

}  // namespace lumibench
