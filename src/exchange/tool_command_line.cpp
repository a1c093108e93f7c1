#include "exchange/tool_command_line.h"

#include <cmath>
#include <limits>

#include "core/number_text.h"

namespace lumibench {

std::string FormatToolArguments(const ToolCommandLine& line) {
    return FormatSigned(line.mainWindowHandle) + "," + (line.takesData ? "1" : "0") + "," +
           line.hostKey + "," + line.instanceId + "," + FormatCompact(line.loadedFileCount) + "," +
           line.section;
}

std::optional<ToolCommandLine> ParseToolArguments(std::string_view text) {
    std::string_view fields[6];
    for (int i = 0; i < 5; ++i) {
        const std::size_t comma = text.find(',');
        if (comma == std::string_view::npos) return std::nullopt;
        fields[i] = text.substr(0, comma);
        text.remove_prefix(comma + 1);
    }
    fields[5] = text;  // the section keeps any further commas and its blanks

    const auto whole = [](std::string_view field) -> std::int64_t {
        const double value = LeadingNumber(field);
        if (!std::isfinite(value) || std::fabs(value) > 9.0e15) return 0;
        return static_cast<std::int64_t>(std::llround(value));
    };
    const auto trimmed = [](std::string_view field) {
        while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
        while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
        return std::string(field);
    };
    ToolCommandLine line;
    line.mainWindowHandle = whole(fields[0]);
    line.takesData = whole(fields[1]) != 0;
    line.hostKey = trimmed(fields[2]);
    line.instanceId = trimmed(fields[3]);
    const auto count = ToInt32(LeadingNumber(fields[4]));
    line.loadedFileCount = count.value_or(0);
    line.section = std::string(fields[5]);
    return line;
}

}  // namespace lumibench
