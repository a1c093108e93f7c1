#include "platform/machine_config.h"

#include <ini.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace lumibench {

// Keys of the folded map: a section name cannot hold a line end, so '\n'
// keeps "a" + "bc" apart from "ab" + "c".
int MachineConfigHandler(void* user, const char* section, const char* name, const char* value) {
    auto* config = static_cast<MachineConfig*>(user);
    if (name == nullptr) {
        return 1;  // a section header alone
    }
    // A section that occurs twice is read twice: the later value wins.
    config->values_[MachineConfig::Folded(section) + '\n' + MachineConfig::Folded(name)] =
        value != nullptr ? value : "";
    return 1;
}

std::string MachineConfig::Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

bool MachineConfig::read(const std::filesystem::path& file) {
    // The distribution's parser is built with its settings as run-time
    // variables. Its stock line limit (200 bytes) would cut long values
    // short and hide them from the buffer-size check, so lines grow as
    // needed. Values are taken whole: a ';' inside a tool tip is text, and
    // an indented line is a value of its own, not a continuation.
    ini_use_stack = false;
    ini_allow_realloc = true;
    ini_max_line = INT_MAX / 2;
    ini_allow_inline_comments = false;
    ini_allow_multiline = false;

    const int result = ini_parse(file.c_str(), MachineConfigHandler, this);
    if (result > 0 && firstBadLine_ == 0) {
        firstBadLine_ = result;
    }
    return result >= 0;
}

MachineConfig MachineConfig::Load(const std::filesystem::path& file) {
    MachineConfig config;
    config.loaded_ = config.read(file);
    if (!config.loaded_) {
        config.values_.clear();
    }
    return config;
}

MachineConfig MachineConfig::LoadWithDropIns(const std::filesystem::path& file) {
    MachineConfig config = Load(file);
    const int firstBadLine = config.firstBadLine_;  // a line number of the main file only
    for (const auto& dropIn : DropInFiles(file)) {
        // A file that cannot be opened is passed over; a bad line is passed
        // over as in the main file.
        if (config.read(dropIn)) {
            config.loaded_ = true;
        }
    }
    config.firstBadLine_ = firstBadLine;
    return config;
}

std::optional<std::string> MachineConfig::value(std::string_view section,
                                                std::string_view name) const {
    const auto found = values_.find(Folded(section) + '\n' + Folded(name));
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<std::string> MachineConfig::value(std::string_view section, std::string_view name,
                                                std::size_t bufferBytes) const {
    auto text = value(section, name);
    if (text && text->size() + 1 > bufferBytes) {
        return std::nullopt;
    }
    return text;
}

std::filesystem::path DefaultMachineConfigPath() {
    if (const char* file = std::getenv("LUMIBENCH_MACHINE_CONFIG");
        file != nullptr && *file != '\0') {
        return file;
    }
    const std::filesystem::path relative = "lumibench/machine.ini";
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string_view list = dirs != nullptr ? dirs : "";
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view dir = list.substr(0, colon);
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        // Relative entries are invalid by the XDG rules and are ignored.
        if (dir.empty() || dir.front() != '/') continue;
        const std::filesystem::path candidate = std::filesystem::path(dir) / relative;
        std::error_code ignored;
        if (std::filesystem::is_regular_file(candidate, ignored)) return candidate;
    }
    return std::filesystem::path("/etc/xdg") / relative;
}

std::filesystem::path DropInFolder(const std::filesystem::path& file) {
    return file.parent_path() / (file.stem().string() + ".d");
}

std::vector<std::filesystem::path> DropInFiles(const std::filesystem::path& file) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    // Stepped with error codes: a folder that vanishes or cannot be read
    // midway ends the list instead of throwing.
    for (std::filesystem::directory_iterator entry(DropInFolder(file), error), end;
         !error && entry != end; entry.increment(error)) {
        const std::filesystem::path& path = entry->path();
        const std::string name = path.filename().string();
        std::error_code ignored;
        if (name.empty() || name.front() == '.' || path.extension() != ".ini" ||
            !std::filesystem::is_regular_file(path, ignored)) {
            continue;
        }
        files.push_back(path);
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        return a.filename().string() < b.filename().string();
    });
    return files;
}

}  // namespace lumibench
