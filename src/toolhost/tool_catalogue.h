#pragma once
// The installed tools, read once at start-up from the machine config (the
// registry stand-in) and kept in the order the config numbers them.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumibench {

class MachineConfig;

// Where tool installers write their values.
inline constexpr const char* kToolsKeyPath = "Software\\Quillon\\Lumibench_PE-v1dot7\\Tools";
// Tool numbers an installer may use.
inline constexpr int kMaxCatalogueNumber = 25;
// The original reads values into a buffer of this size, terminating zero included;
// longer values read as the default.
inline constexpr std::size_t kRegistryValueBufferSize = 255;

struct ToolEntry {
    std::string ActName;      // program file name; item ID, mailbox prefix and window title
    std::string Path;         // folder of the program, no trailing '/'
    std::string DisplayName;  // caption
    std::string ToolTip;
    std::int16_t ToolType = 0;
    std::int16_t MaxFiles = 0;
    std::string IconPath;  // empty when the icon file does not exist

    // Path + "/" + ActName: the program that is started.
    std::string programPath() const { return Path + "/" + ActName; }

    bool operator==(const ToolEntry&) const = default;
};

// Entries are numbered from 1 as the toolbar, the launcher and the command
// line see them.
class ToolCatalogue {
public:
    std::int16_t count() const { return static_cast<std::int16_t>(entries_.size()); }
    // index from 1 to count().
    const ToolEntry& entry(int index) const { return entries_.at(static_cast<std::size_t>(index - 1)); }
    // The first entry whose ActName equals actName exactly, or 0.
    int indexOf(std::string_view actName) const;

    const std::vector<ToolEntry>& entries() const { return entries_; }
    void clear() { entries_.clear(); }
    void append(ToolEntry entry) { entries_.push_back(std::move(entry)); }

private:
    std::vector<ToolEntry> entries_;
};

// The value's text, or `defaultValue` when the section or value is missing or
// the value does not fit the 255-byte buffer.
std::string ReadRegistryString(const MachineConfig& config, std::string_view keyPath,
                               std::string_view valueName, std::string_view defaultValue);

// Where the host reads its catalogue: $LUMIBENCH_MACHINE_CONFIG when set, else
// machine.ini beside the program when there is one (the build tree writes it),
// else etc/xdg/lumibench/machine.ini of the program's own prefix (an install
// under /usr/local or /opt), else the system-wide default. The drop-in folder
// beside the file chosen is read with it.
std::filesystem::path ToolCatalogueConfigPath();
// The same choice for a given program folder.
std::filesystem::path ToolCatalogueConfigPathFor(const std::filesystem::path& programFolder);
inline constexpr const char* kBundledMachineConfigName = "machine.ini";

using FileExistsTest = std::function<bool(const std::string& path)>;

// Rebuilds `catalogue` from the "Tool..." values numbered 1 to 25 and returns
// its count. An entry without ActName or Path, or whose program file does not
// exist, is skipped silently. The file test defaults to FileExists.
std::int16_t LoadToolCatalogue(const MachineConfig& config, ToolCatalogue& catalogue,
                               const FileExistsTest& fileExists = {});

}  // namespace lumibench
