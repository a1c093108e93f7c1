#include "option_table.h"

#include <algorithm>

namespace lumibench {

const OptionSpec* FindOption(const OptionTable& table, std::string_view arg) {
    const std::string_view name = arg.starts_with("--") ? arg.substr(0, arg.find('=')) : arg;
    const bool hasJoinedValue = name.size() != arg.size();
    for (const OptionSpec& spec : table) {
        if (std::find(spec.names.begin(), spec.names.end(), name) == spec.names.end()) continue;
        // "--flag=x" is no spelling of a flag.
        if (hasJoinedValue && spec.value == OptionValue::None) return nullptr;
        return &spec;
    }
    return nullptr;
}

OptionSpec HelpOption() { return {{"--help", "-h"}}; }
OptionSpec VersionOption() { return {{"--version"}}; }

}  // namespace lumibench
