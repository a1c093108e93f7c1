#pragma once
// What an X server shows: the whole root window as an image, read over the
// X protocol, so a test sees the pixels a user would.

#include <QImage>

#include <string>

#include <sys/types.h>

namespace lumibench::testing {

// An X server of the test's own, gone with the object. display() is empty
// when Xvfb is not installed or did not start.
class XvfbServer {
public:
    XvfbServer(int width = 1280, int height = 800);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = 0;
    std::string display_;
};

// A null image when the display cannot be opened or read.
QImage CaptureScreen(const std::string& display);

// How many different colours a part of the image holds (every `step`th pixel):
// a blank or single-colour window has a handful, a diagram many.
std::size_t ColourCount(const QImage& image, const QRect& area, int step = 2);

}  // namespace lumibench::testing
