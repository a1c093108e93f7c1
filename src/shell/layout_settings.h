#pragma once
// The main window's layout in twips: the list pane's inner geometry, the
// splitter grip, and the settings that keep size, place, state and pane width.

#include <optional>

#include "platform/settings_store.h"

namespace lumibench {

inline constexpr const char* kStartupSection = "Startup";

inline constexpr int kGripWidthTwips = 120;          // the pane's right strip; list and summary are this much narrower
inline constexpr int kDesignedPaneWidthTwips = 1752;  // also the drag minimum (a drag must go beyond it)
inline constexpr int kPaneHeightMarginTwips = 48;
inline constexpr double kListShare = 0.599;           // of the pane's inner height
inline constexpr int kListSummaryGapTwips = 12;
// Stored pane widths beyond this (forty inches) are taken as damage.
inline constexpr int kMaxPaneWidthTwips = 57600;
inline constexpr int kMaxWindowOffsetTwips = 32000;

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

struct WindowLayout {
    int width = 0;
    int height = 0;
    int top = 0;
    int left = 0;
    int windowState = 2;
    int displayWidth = kDesignedPaneWidthTwips;
    bool operator==(const WindowLayout&) const = default;
};

// Reads the "Startup" keys with their defaults and corrections: offsets beyond
// 32000 become 0, an unreadable number is 0, and a pane width outside
// kDesignedPaneWidthTwips..kMaxPaneWidthTwips is brought back into that range.
WindowLayout ReadLayout(SettingsStore& settings, int currentPaneWidthTwips);
void SaveLayout(SettingsStore& settings, const WindowLayout& layout);

enum class WindowPlacement { Maximized, Normal, Unchanged };
// Minimized or maximized at the last exit, or no usable size: start maximized.
WindowPlacement PlacementFor(const WindowLayout& layout);

struct PaneGeometry {
    int listHeight = 0;
    int summaryTop = 0;
    std::optional<int> summaryHeight;  // kept as it was when too little is left
    bool operator==(const PaneGeometry&) const = default;
};
// The list and the summary box sharing the pane's inner height; nullopt when
// the pane is too low for any layout.
std::optional<PaneGeometry> PaneGeometryFor(int paneHeightTwips);

enum class PanePointer { Arrow, SizeWE, Unchanged };
struct PaneMouseResult {
    PanePointer pointer = PanePointer::Arrow;
    std::optional<int> newPaneWidth;  // set while dragging beyond the minimum
};
// The mouse at `x` twips in a pane `paneWidth` twips wide.
PaneMouseResult PaneMouseMove(int x, int paneWidth, bool toolWindowOpen, bool leftButtonDown);

// Lines as wide as the summary commonly writes; with no stored width the
// pane starts wide enough for them in the user's font.
inline constexpr const char* kWideSummaryLines[] = {
    "*** NOT SAVED ***", "Photo. Type=Type C", "Units. Type=Meters", "#Vert. Angles=181",
    "#Hor. Angles=361", "Lumens=100000", "#Tilt Factors=13", "Watts=1234.5"};

// The pane width (twips) that shows `textPixels` of summary text plus
// `chromePixels` of box frame, margins and scroll bar beside the grip; never
// less than the designed width, never more than the stored-width ceiling.
int StartingPaneWidthTwips(int textPixels, int chromePixels, double twipsPerPixel);

// Twips per pixel for a screen of `logicalDpi` dots per inch.
double TwipsPerPixel(double logicalDpi);

}  // namespace lumibench
