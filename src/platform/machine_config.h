#pragma once
// The machine-wide configuration (the registry stand-in), read only: an INI
// file whose section names are registry key paths as written, backslashes
// kept, and whose value names are the registry's. Section and value names
// compare without regard to case, as registry names do.

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumibench {

class MachineConfig {
public:
    // Reads `file`; a missing or unreadable file gives an empty config. Lines
    // that are not sections, values or comments are skipped.
    static MachineConfig Load(const std::filesystem::path& file);

    // Reads `file` and then the drop-in files beside it (DropInFiles), each
    // over the values read before: a drop-in adds entries or replaces single
    // values of the file without editing it. The result counts as loaded
    // when any of them could be read.
    static MachineConfig LoadWithDropIns(const std::filesystem::path& file);

    // The value's text, or nothing when the section or the value is missing.
    std::optional<std::string> value(std::string_view section, std::string_view name) const;
    // As above, but a value that would not fit a buffer of `bufferBytes`
    // together with its terminating zero counts as unreadable, as a registry
    // query into a fixed buffer fails on it.
    std::optional<std::string> value(std::string_view section, std::string_view name,
                                     std::size_t bufferBytes) const;

    // False when the file could not be opened.
    bool loaded() const { return loaded_; }
    // The first line of the main file the parser could not read (0 when none).
    int firstBadLine() const { return firstBadLine_; }

private:
    bool read(const std::filesystem::path& file);

    friend int MachineConfigHandler(void*, const char*, const char*, const char*);
    static std::string Folded(std::string_view name);

    std::map<std::string, std::string> values_;  // folded section + '\n' + folded name
    bool loaded_ = false;
    int firstBadLine_ = 0;
};

// $LUMIBENCH_MACHINE_CONFIG when set; else lumibench/machine.ini in the first
// folder of $XDG_CONFIG_DIRS (default /etc/xdg) that has one; else
// /etc/xdg/lumibench/machine.ini.
std::filesystem::path DefaultMachineConfigPath();

// The drop-in folder of a config file: "machine.d" beside "machine.ini".
std::filesystem::path DropInFolder(const std::filesystem::path& file);
// The "*.ini" files of the drop-in folder in byte order of their names
// (a "10-" prefix sorts before "20-"); hidden files are left out.
std::vector<std::filesystem::path> DropInFiles(const std::filesystem::path& file);

}  // namespace lumibench
