#include "exchange/split_lines_and_fields.h"

#include <algorithm>

namespace lumibench {

std::vector<std::string_view> SplitLineViews(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t lineFeed = text.find('\n', position);
        if (lineFeed == std::string_view::npos) {
            lines.push_back(text.substr(position));
            break;
        }
        // The character before the LF is dropped whatever it is; an LF right at
        // the start of a line gives a line of length -1, skipped like an empty one.
        if (lineFeed > position + 1) lines.push_back(text.substr(position, lineFeed - position - 1));
        position = lineFeed + 1;
    }
    return lines;
}

namespace {

// `line` cut into exactly fieldCount fields: short lines padded with empty
// fields, long ones losing everything after field fieldCount.
template <typename Field>
std::vector<Field> CutFields(std::string_view line, std::size_t fieldCount) {
    std::vector<Field> row(fieldCount);
    std::size_t start = 0;
    for (std::size_t f = 0; f < fieldCount; ++f) {
        const std::size_t comma = line.find(',', start);
        row[f] = Field(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return row;
}

std::size_t FieldCountOf(std::string_view lastLine) {
    return static_cast<std::size_t>(std::count(lastLine.begin(), lastLine.end(), ',')) + 1;
}

}  // namespace

SplitText SplitLinesAndFields(std::string_view text, bool linesOnly) {
    SplitText result;
    const std::vector<std::string_view> lines = SplitLineViews(text);
    result.lines.assign(lines.begin(), lines.end());
    if (linesOnly || lines.empty()) return result;
    result.fieldCount = FieldCountOf(lines.back());
    result.fields.reserve(lines.size());
    for (std::string_view line : lines) result.fields.push_back(CutFields<std::string>(line, result.fieldCount));
    return result;
}

std::vector<std::string_view> FirstLineFieldViews(std::string_view text) {
    const std::vector<std::string_view> lines = SplitLineViews(text);
    if (lines.empty()) return {};
    return CutFields<std::string_view>(lines.front(), FieldCountOf(lines.back()));
}

}  // namespace lumibench
