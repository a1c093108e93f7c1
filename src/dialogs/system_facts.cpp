#include "dialogs/system_facts.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QScreen>

#include <cmath>
#include <csetjmp>
#include <fstream>
#include <sstream>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

extern "C" {
#include <pci/pci.h>
#include <xcb/xcb.h>
}

#include "core/number_text.h"

namespace lumibench::dialogs {
namespace {

std::optional<std::string> ReadWholeFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// Calls `each(name, value)` for every "name: value" or "name=value" line.
template <typename Each>
void ForEachField(std::string_view text, char separator, Each each) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const auto at = line.find(separator);
        if (at == std::string_view::npos) continue;
        if (each(TrimBlanks(line.substr(0, at)), line.substr(at + 1))) return;
    }
}

std::int32_t KilobytesToMegabytes(std::int64_t kilobytes) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(kilobytes / 1024, INT32_MAX));
}

std::int64_t LeadingKilobytes(std::string_view value) {
    const double number = LeadingNumber(value);
    return number > 0 ? static_cast<std::int64_t>(number) : 0;
}

// libpci reports fatal problems through a callback that must not return.
thread_local std::jmp_buf pciEscape;
[[noreturn]] void PciFatal(char*, ...) { std::longjmp(pciEscape, 1); }
void PciQuiet(char*, ...) {}

// Kept free of objects with destructors: PciFatal jumps out of it.
bool LookUpDisplayController(char* name, int size) {
    pci_access* access = pci_alloc();
    access->error = PciFatal;
    access->warning = PciQuiet;
    access->debug = PciQuiet;
    access->method = PCI_ACCESS_SYS_BUS_PCI;
    volatile bool found = false;
    if (setjmp(pciEscape) == 0) {
        pci_init(access);
        pci_scan_bus(access);
        for (pci_dev* device = access->devices; device && !found; device = device->next) {
            pci_fill_info(device, PCI_FILL_IDENT | PCI_FILL_CLASS);
            if ((device->device_class >> 8) != PCI_BASE_CLASS_DISPLAY) continue;
            found = pci_lookup_name(access, name, size, PCI_LOOKUP_VENDOR | PCI_LOOKUP_DEVICE, device->vendor_id,
                                    device->device_id) != nullptr;
        }
        pci_cleanup(access);
    }
    return found;
}

}  // namespace

std::string ColorTypeText(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 4: return "16 Colors";
        case 8: return "256 Colors";
        case 16: return "High Color (16 bit)";
        case 24:
        case 32: return "True Color (24 bit)";
        default: return {};
    }
}

std::string ResolutionText(int width, int height) { return std::to_string(width) + " x" + FormatSigned(height); }

std::string FontTypeText(int logicalDotsPerInch) {
    if (logicalDotsPerInch == 96) return "Small";
    if (logicalDotsPerInch == 120) return "Large";
    return "Custom";
}

int PhysicalDotsPerInch(const ScreenReading& screen) {
    return static_cast<int>(std::lround(screen.logicalDotsPerInch * screen.devicePixelRatio));
}

std::string PhysicalResolutionText(const ScreenReading& screen) {
    if (screen.nativeSize) return ResolutionText(screen.nativeSize->first, screen.nativeSize->second);
    // Rounding to whole logical pixels moved each side by at most half a
    // logical pixel; the physical side is a whole number of pixels below that.
    const auto side = [&screen](int logical) {
        return static_cast<int>(std::floor(logical * screen.devicePixelRatio + 1e-9));
    };
    return ResolutionText(side(screen.logicalWidth), side(screen.logicalHeight));
}

std::string ProcessorFromCpuInfo(const std::optional<std::string>& cpuInfo) {
    if (!cpuInfo) return "Unknown";
    std::optional<std::string> name;
    ForEachField(*cpuInfo, ':', [&](std::string_view field, std::string_view value) {
        if (field != "model name") return false;
        if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        name = std::string(value.substr(0, value.find('\0')));
        return true;
    });
    return name.value_or("Unknown");
}

MemoryFacts MemoryFromMemInfo(std::string_view memInfo) {
    std::int64_t total = 0, available = -1, free = 0, swapTotal = 0, swapFree = 0;
    ForEachField(memInfo, ':', [&](std::string_view field, std::string_view value) {
        if (field == "MemTotal") total = LeadingKilobytes(value);
        else if (field == "MemAvailable") available = LeadingKilobytes(value);
        else if (field == "MemFree") free = LeadingKilobytes(value);
        else if (field == "SwapTotal") swapTotal = LeadingKilobytes(value);
        else if (field == "SwapFree") swapFree = LeadingKilobytes(value);
        return false;
    });
    if (available < 0) available = free;  // kernels before 3.14
    return {KilobytesToMegabytes(total), KilobytesToMegabytes(available), KilobytesToMegabytes(total + swapTotal),
            KilobytesToMegabytes(available + swapFree)};
}

OsFacts OsFromOsRelease(std::string_view osRelease) {
    const auto unquoted = [](std::string_view value) {
        value = TrimBlanks(value);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    };
    OsFacts facts;
    std::string version;
    ForEachField(osRelease, '=', [&](std::string_view field, std::string_view value) {
        if (field == "NAME") facts.name = unquoted(value);
        else if (field == "VERSION_ID") facts.versionNumber = unquoted(value);
        else if (field == "VERSION") version = unquoted(value);
        return false;
    });
    if (facts.versionNumber.empty()) facts.versionNumber = version;
    return facts;
}

std::string BuildText(std::string_view kernelRelease) { return "Build " + std::string(kernelRelease); }

std::int32_t FreeDiskMegabytes(const std::string& folder) {
    struct statvfs info {};
    if (folder.empty() || ::statvfs(folder.c_str(), &info) != 0) return 0;
    const long double bytes = static_cast<long double>(info.f_bavail) * info.f_frsize;
    return static_cast<std::int32_t>(std::min<long double>(std::llround(bytes / 1048576.0L), INT32_MAX));
}

std::string VideoCardName() {
    if (::access("/sys/bus/pci/devices", R_OK) != 0) return "Unknown";
    char name[256] = {};
    if (!LookUpDisplayController(name, sizeof name)) return "Unknown";
    std::string text = std::string(TrimBlanks(name));
    return text.empty() ? "Unknown" : text;
}

namespace {

// The X screen's size in pixels, when the program runs on X11.
std::optional<std::pair<int, int>> X11ScreenPixels() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) return std::nullopt;
    const xcb_setup_t* setup = xcb_get_setup(x11->connection());
    if (setup == nullptr) return std::nullopt;
    const xcb_screen_iterator_t roots = xcb_setup_roots_iterator(setup);
    if (roots.data == nullptr || roots.data->width_in_pixels == 0) return std::nullopt;
    return std::pair<int, int>(roots.data->width_in_pixels, roots.data->height_in_pixels);
}

}  // namespace

SystemFacts CollectSystemFacts(const std::string& programFolder, const QScreen* screen) {
    SystemFacts facts;
    facts.memory = MemoryFromMemInfo(ReadWholeFile("/proc/meminfo").value_or(std::string()));
    facts.freeDisk = FreeDiskMegabytes(programFolder);
    facts.processor = ProcessorFromCpuInfo(ReadWholeFile("/proc/cpuinfo"));

    auto osRelease = ReadWholeFile("/etc/os-release");
    if (!osRelease) osRelease = ReadWholeFile("/usr/lib/os-release");
    const OsFacts os = OsFromOsRelease(osRelease.value_or(std::string()));
    struct utsname names {};
    const bool haveNames = ::uname(&names) == 0;
    facts.osName = os.name.empty() && haveNames ? names.sysname : os.name;
    facts.versionNumber = os.versionNumber;
    facts.build = BuildText(haveNames ? names.release : "");
    facts.servicePack = "None";  // no such thing on this platform

    if (screen) {
        facts.colorType = ColorTypeText(screen->depth());
        ScreenReading reading;
        reading.logicalWidth = screen->geometry().width();
        reading.logicalHeight = screen->geometry().height();
        reading.devicePixelRatio = screen->devicePixelRatio();
        reading.logicalDotsPerInch = screen->logicalDotsPerInch();
        if (QGuiApplication::screens().size() == 1) reading.nativeSize = X11ScreenPixels();
        facts.resolution = PhysicalResolutionText(reading);
        facts.fontType = FontTypeText(PhysicalDotsPerInch(reading));
    }
    facts.videoCard = VideoCardName();
    return facts;
}

}  // namespace lumibench::dialogs
