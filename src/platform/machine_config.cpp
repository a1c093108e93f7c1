#include "platform/machine_config.h"

#include <ini.h>

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

MachineConfig MachineConfig::Load(const std::filesystem::path& file) {
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

    MachineConfig config;
    const int result = ini_parse(file.c_str(), MachineConfigHandler, &config);
    config.loaded_ = result >= 0;
    config.firstBadLine_ = result > 0 ? result : 0;
    if (result < 0) {
        config.values_.clear();
    }
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
    return "/etc/xdg/lumibench/machine.ini";
}

}  // namespace lumibench
