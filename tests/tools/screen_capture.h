#pragma once
// What an X server shows: the whole root window as an image, read over the
// X protocol, so a test sees the pixels a user would.

#include <QImage>

#include <string>

#include "xvfb_server.h"

namespace lumibench::testing {

// An X server of the test's own at a size that fits the tools' windows.
class XvfbServer : public Xvfb {
public:
    XvfbServer(int width = 1280, int height = 800) : Xvfb(width, height) {}
};

// A null image when the display cannot be opened or read.
QImage CaptureScreen(const std::string& display);

// How many different colours a part of the image holds (every `step`th pixel):
// a blank or single-colour window has a handful, a diagram many.
std::size_t ColourCount(const QImage& image, const QRect& area, int step = 2);

}  // namespace lumibench::testing
