#include "shell/layout_settings.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/number_text.h"
#include "shell/host_session.h"

namespace lumibench {
namespace {

int WholeNumber(const std::string& text) {
    return ToInt32(LeadingNumber(text)).value_or(0);
}

}  // namespace

WindowLayout ReadLayout(SettingsStore& settings, int currentPaneWidthTwips) {
    const auto read = [&settings](const char* key, const std::string& fallback) {
        return WholeNumber(settings.read(kSettingsApp, kStartupSection, key, fallback));
    };
    WindowLayout layout;
    layout.width = read("Width", "0");
    layout.height = read("Height", "0");
    layout.top = read("Top", "0");
    layout.left = read("Left", "0");
    if (std::abs(static_cast<long long>(layout.top)) > kMaxWindowOffsetTwips) {
        layout.top = 0;
    }
    if (std::abs(static_cast<long long>(layout.left)) > kMaxWindowOffsetTwips) {
        layout.left = 0;
    }
    layout.windowState = read("WindowState", "2");
    // A width below the grip would give the list a negative width; anything
    // under the designed width cannot come from a drag either.
    layout.displayWidth = std::clamp(read("DisplayWidth", std::to_string(currentPaneWidthTwips)),
                                     kDesignedPaneWidthTwips, kMaxPaneWidthTwips);
    return layout;
}

void SaveLayout(SettingsStore& settings, const WindowLayout& layout) {
    const auto write = [&settings](const char* key, int value) {
        settings.write(kSettingsApp, kStartupSection, key, std::to_string(value));
    };
    write("Width", layout.width);
    write("Height", layout.height);
    write("Top", layout.top);
    write("Left", layout.left);
    write("WindowState", layout.windowState);
    write("DisplayWidth", layout.displayWidth);
}

WindowPlacement PlacementFor(const WindowLayout& layout) {
    switch (layout.windowState) {
    case 1:
    case 2:
        return WindowPlacement::Maximized;
    case 0:
        return layout.width >= 1 && layout.height >= 1 ? WindowPlacement::Normal
                                                       : WindowPlacement::Maximized;
    default:
        return WindowPlacement::Unchanged;
    }
}

std::optional<PaneGeometry> PaneGeometryFor(int paneHeightTwips) {
    const int inner = paneHeightTwips - kPaneHeightMarginTwips;
    if (inner <= 0) {
        return std::nullopt;
    }
    PaneGeometry geometry;
    geometry.listHeight = static_cast<int>(std::floor(inner * kListShare + 0.5));
    geometry.summaryTop = geometry.listHeight + kListSummaryGapTwips;
    if (inner - geometry.listHeight >= 1) {
        geometry.summaryHeight = inner - geometry.listHeight;
    }
    return geometry;
}

PaneMouseResult PaneMouseMove(int x, int paneWidth, bool toolWindowOpen, bool leftButtonDown) {
    PaneMouseResult result;
    if (x < paneWidth - kGripWidthTwips) {
        return result;
    }
    if (toolWindowOpen) {
        result.pointer = PanePointer::Unchanged;
        return result;
    }
    result.pointer = PanePointer::SizeWE;
    if (leftButtonDown && x > kDesignedPaneWidthTwips) {
        result.newPaneWidth = std::min(x, kMaxPaneWidthTwips);
    }
    return result;
}

int StartingPaneWidthTwips(int textPixels, int chromePixels, double twipsPerPixel) {
    const double needed =
        std::ceil((std::max(0, textPixels) + std::max(0, chromePixels)) * twipsPerPixel) +
        kGripWidthTwips;
    return static_cast<int>(std::clamp(needed, static_cast<double>(kDesignedPaneWidthTwips),
                                       static_cast<double>(kMaxPaneWidthTwips)));
}

double TwipsPerPixel(double logicalDpi) {
    return logicalDpi > 0 ? 1440.0 / logicalDpi : 15.0;
}

}  // namespace lumibench
