#pragma once
// Qt ends a program whose X display cannot be reached with an abort (and a
// core dump) before any window exists. A display that is still coming up (a
// fresh Xvfb, a session starting) gets a few seconds instead, and one that
// never comes is reported in words.

#include <chrono>
#include <string>

namespace lumibench {

inline constexpr std::chrono::milliseconds kDisplayWait{5000};

// True when the program will not use X11 (another Qt platform is asked for),
// or once the display in DISPLAY answers, tried again until `limit` has
// passed; otherwise false with the reason in `error`.
bool WaitForDisplay(std::chrono::milliseconds limit, std::string* error);

}  // namespace lumibench
