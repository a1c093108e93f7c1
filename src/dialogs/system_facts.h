#pragma once
// The machine description shown by the System Information dialog and sent
// with the support report, in the texts those two show.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

class QScreen;

namespace lumibench::dialogs {

struct MemoryFacts {
    std::int32_t totalPhysical = 0;  // whole megabytes, rounded down
    std::int32_t availablePhysical = 0;
    std::int32_t totalVirtual = 0;  // physical memory plus swap
    std::int32_t availableVirtual = 0;
};

struct SystemFacts {
    MemoryFacts memory;
    std::int32_t freeDisk = 0;  // megabytes, rounded to nearest
    std::string processor;
    std::string osName;
    std::string versionNumber;
    std::string build;
    std::string servicePack;
    std::string colorType;
    std::string resolution;
    std::string fontType;
    std::string videoCard;
};

// Texts of the display facts.
std::string ColorTypeText(int bitsPerPixel);
std::string ResolutionText(int width, int height);
std::string FontTypeText(int logicalDotsPerInch);

// The screen as the dialog describes it. With desktop scaling Qt hands out
// logical sizes, rounded to whole logical pixels, and a logical resolution
// of 96: the physical ones are what the user set and sees.
struct ScreenReading {
    int logicalWidth = 0;
    int logicalHeight = 0;
    double devicePixelRatio = 1;
    double logicalDotsPerInch = 96;
    // The X screen's own size in pixels when it is known to be this screen.
    std::optional<std::pair<int, int>> nativeSize;
};
// Physical pixels per inch: the logical value times the scale factor.
int PhysicalDotsPerInch(const ScreenReading& screen);
// "2560 x 1600": the native size when known, else the logical size scaled back.
std::string PhysicalResolutionText(const ScreenReading& screen);

// The first "model name" of /proc/cpuinfo (cut at a NUL, trailing blanks
// kept); "Unknown" without the file or the line.
std::string ProcessorFromCpuInfo(const std::optional<std::string>& cpuInfo);
// MemTotal, MemAvailable, SwapTotal and SwapFree of /proc/meminfo.
MemoryFacts MemoryFromMemInfo(std::string_view memInfo);

struct OsFacts {
    std::string name;
    std::string versionNumber;
};
// NAME and VERSION_ID of /etc/os-release (quotes removed); a missing
// VERSION_ID falls back to VERSION.
OsFacts OsFromOsRelease(std::string_view osRelease);
// "Build" followed by a blank and the kernel release.
std::string BuildText(std::string_view kernelRelease);

// Free space for this user on the file system that holds `folder`, in megabytes.
std::int32_t FreeDiskMegabytes(const std::string& folder);
// Vendor and device name of the first display controller on the PCI bus, or
// "Unknown".
std::string VideoCardName();

// Everything at once, for the dialog and the report; `screen` may be null.
SystemFacts CollectSystemFacts(const std::string& programFolder, const QScreen* screen);

}  // namespace lumibench::dialogs
