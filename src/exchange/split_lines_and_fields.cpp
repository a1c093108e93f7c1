#include "exchange/split_lines_and_fields.h"

#include <algorithm>

namespace lumibench {

SplitText SplitLinesAndFields(std::string_view text, bool linesOnly) {
    SplitText result;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t lineFeed = text.find('\n', position);
        if (lineFeed == std::string_view::npos) {
            result.lines.emplace_back(text.substr(position));
            break;
        }
        // The character before the LF is dropped whatever it is; an LF right at
        // the start of a line gives a line of length -1, skipped like an empty one.
        if (lineFeed > position + 1) {
            result.lines.emplace_back(text.substr(position, lineFeed - position - 1));
        }
        position = lineFeed + 1;
    }
    if (linesOnly || result.lines.empty()) {
        return result;
    }

    const std::string& lastLine = result.lines.back();
    result.fieldCount = static_cast<std::size_t>(std::count(lastLine.begin(), lastLine.end(), ',')) + 1;
    result.fields.reserve(result.lines.size());
    for (const std::string& line : result.lines) {
        std::vector<std::string> row(result.fieldCount);
        std::size_t start = 0;
        for (std::size_t f = 0; f < result.fieldCount; ++f) {
            const std::size_t comma = line.find(',', start);
            if (comma == std::string::npos || f + 1 == result.fieldCount) {
                // The last field stops at the next comma too: anything beyond is lost.
                row[f] = line.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
                break;
            }
            row[f] = line.substr(start, comma - start);
            start = comma + 1;
        }
        result.fields.push_back(std::move(row));
    }
    return result;
}

}  // namespace lumibench
