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

namespace lumibench {

class MachineConfig {
public:
    // Reads `file`; a missing or unreadable file gives an empty config. Lines
    // that are not sections, values or comments are skipped.
    static MachineConfig Load(const std::filesystem::path& file);

    // The value's text, or nothing when the section or the value is missing.
    std::optional<std::string> value(std::string_view section, std::string_view name) const;
    // As above, but a value that would not fit a buffer of `bufferBytes`
    // together with its terminating zero counts as unreadable, as a registry
    // query into a fixed buffer fails on it.
    std::optional<std::string> value(std::string_view section, std::string_view name,
                                     std::size_t bufferBytes) const;

    // False when the file could not be opened.
    bool loaded() const { return loaded_; }
    // The first line the parser could not read (0 when none).
    int firstBadLine() const { return firstBadLine_; }

private:
    friend int MachineConfigHandler(void*, const char*, const char*, const char*);
    static std::string Folded(std::string_view name);

    std::map<std::string, std::string> values_;  // folded section + '\n' + folded name
    bool loaded_ = false;
    int firstBadLine_ = 0;
};

// $LUMIBENCH_MACHINE_CONFIG when set, else /etc/xdg/lumibench/machine.ini.
std::filesystem::path DefaultMachineConfigPath();

}  // namespace lumibench
