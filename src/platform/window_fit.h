#pragma once
// Keeping a window on the screen: a remembered or requested frame that no
// longer fits (another screen, another scale factor) is shrunk to the
// available area and moved into it. Header-only, on QtCore's rectangles, so
// that the host, its dialogs and the tool SDK share one rule.

#include <algorithm>

#include <QRect>

namespace lumibench {

// `frame` (the window with its decoration) shrunk to at most `area`'s size
// and moved by the least amount that puts it wholly inside `area`. An empty
// `area` (no screen known) leaves the frame as it is.
inline QRect FitFrameInto(const QRect& frame, const QRect& area) {
    if (area.isEmpty()) return frame;
    const int width = std::clamp(frame.width(), 1, area.width());
    const int height = std::clamp(frame.height(), 1, area.height());
    const int left = std::clamp(frame.left(), area.left(), area.left() + area.width() - width);
    const int top = std::clamp(frame.top(), area.top(), area.top() + area.height() - height);
    return {left, top, width, height};
}

}  // namespace lumibench
