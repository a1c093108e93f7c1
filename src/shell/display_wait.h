#pragma once
// Qt ends a program whose X display cannot be reached with an abort (and a
// core dump) before any window exists. That happens right after another
// program quit when it was the display's last client: an X server resets
// then, and refuses connections for a moment. A display that is resetting
// or still coming up (a fresh Xvfb) gets a few seconds instead, and is held
// by a connection of our own until Qt has connected, so it cannot reset in
// between; one that never answers is reported in words.

#include <chrono>
#include <string>

struct xcb_connection_t;

namespace lumibench {

inline constexpr std::chrono::milliseconds kDisplayWait{5000};

// A connection to the display, closed when the hold ends.
class DisplayHold {
public:
    DisplayHold() = default;
    explicit DisplayHold(xcb_connection_t* connection) : connection_(connection) {}
    ~DisplayHold();
    DisplayHold(DisplayHold&& other) noexcept : connection_(other.connection_) { other.connection_ = nullptr; }
    DisplayHold& operator=(DisplayHold&& other) noexcept;

private:
    xcb_connection_t* connection_ = nullptr;
};

// True when the program will not use X11 (another Qt platform is asked for),
// or once the display in DISPLAY answers, tried again until `limit` has
// passed; `hold` then keeps it. Otherwise false with the reason in `error`.
bool WaitForDisplay(std::chrono::milliseconds limit, DisplayHold& hold, std::string* error);

}  // namespace lumibench
