// Windows kept on the screen: a remembered or requested frame is shrunk to
// the available area and moved the least amount into it.
#include <gtest/gtest.h>

#include "platform/window_fit.h"

namespace lumibench {
namespace {

TEST(WindowFit, FramesAreShrunkAndMovedIntoTheAvailableArea) {
    // 1600 x 1000 at scale 2 is 800 x 500; a panel takes the top 20.
    const QRect area(0, 20, 800, 480);
    struct Row {
        const char* name;
        QRect frame;
        QRect fitted;
    };
    const Row rows[] = {
        {"inside stays", {100, 50, 300, 200}, {100, 50, 300, 200}},
        {"View at 1960 x 1280 from x 310", {310, 0, 1960, 1280}, {0, 20, 800, 480}},
        {"past the right edge moves left", {700, 100, 300, 200}, {500, 100, 300, 200}},
        {"below the bottom moves up", {10, 450, 300, 200}, {10, 300, 300, 200}},
        {"above and left of the area", {-400, -30, 300, 200}, {0, 20, 300, 200}},
        {"on a screen no longer there", {2000, 1500, 300, 200}, {500, 300, 300, 200}},
        {"too wide only", {100, 100, 900, 100}, {0, 100, 800, 100}},
        {"exactly the area", {0, 20, 800, 480}, {0, 20, 800, 480}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FitFrameInto(row.frame, area), row.fitted);
    }
    EXPECT_EQ(FitFrameInto({5, 5, 10, 10}, QRect()), QRect(5, 5, 10, 10)) << "no screen: unchanged";
}

}  // namespace
}  // namespace lumibench
