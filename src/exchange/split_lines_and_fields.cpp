#include "exchange/split_lines_and_fields.h"

#include <algorithm>

#include "core/number_text.h"

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

FirstLineFieldCursor::FirstLineFieldCursor(std::string_view text) {
    if (text.find('\n') == std::string_view::npos) {
        // One line (or none): its own commas give the count, found while cutting.
        line_ = text;
        remaining_ = text.empty() ? 0 : std::string_view::npos;
        return;
    }
    const std::vector<std::string_view> lines = SplitLineViews(text);
    if (lines.empty()) return;
    line_ = lines.front();
    remaining_ = FieldCountOf(lines.back());
    padded_ = true;
}

std::size_t FirstLineFieldCursor::fieldCount() const {
    if (remaining_ != std::string_view::npos) return remaining_;
    return FieldCountOf(line_);
}

bool FirstLineFieldCursor::next(std::string_view& field) {
    if (remaining_ == 0) return false;
    if (position_ > line_.size()) {
        if (!padded_) return false;
        field = {};
        --remaining_;
        return true;
    }
    const char* const begin = line_.data() + position_;
    const char* const end = line_.data() + line_.size();
    const char* p = begin;
    while (p != end && *p != ',') ++p;
    field = std::string_view(begin, static_cast<std::size_t>(p - begin));
    position_ += field.size() + 1;  // past the comma, or past the end after the last field
    --remaining_;
    return true;
}

std::size_t FirstLineFieldCursor::nextPlainNumbers(double* values, std::size_t count) {
    const char* const begin = line_.data();
    const std::size_t size = line_.size();
    std::size_t done = 0;
    const std::size_t limit = std::min(count, remaining_);
    while (done < limit && position_ < size) {
        const char* const p = begin + position_;
        // A lone "0", the commonest value of a candela list.
        if (*p == '0' && (position_ + 1 == size || p[1] == ',')) {
            values[done++] = 0;
            position_ += 2;
            continue;
        }
        const char* const stop = ReadPlainDecimal(p, begin + size, values[done]);
        if (stop == nullptr || (stop != begin + size && *stop != ',')) break;
        position_ = static_cast<std::size_t>(stop - begin) + 1;
        ++done;
    }
    remaining_ -= done;
    return done;
}

std::vector<std::string_view> FirstLineFieldViews(std::string_view text) {
    const std::vector<std::string_view> lines = SplitLineViews(text);
    if (lines.empty()) return {};
    // Only line 1 is cut; the last line gives nothing but its count.
    return CutFields<std::string_view>(lines.front(), FieldCountOf(lines.back()));
}

}  // namespace lumibench
