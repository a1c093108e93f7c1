#include "readers/field_reader.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <system_error>

#include "core/number_text.h"

namespace lumibench {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool EndsField(char c) { return c == ' ' || c == '\t' || c == ',' || c == kCr || c == kLf; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

template <class F>
std::optional<F> ParseFloating(std::string_view text, bool* outOfRange) {
    if (outOfRange) *outOfRange = false;
    if (!IsNumberText(text)) return std::nullopt;
    // from_chars takes no leading "+".
    if (text.front() == '+') text.remove_prefix(1);
    F value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (outOfRange) *outOfRange = true;
        return std::nullopt;
    }
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

bool IsNumberText(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && IsDigit(text[i])) ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < n && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == n;
}

std::optional<double> ParseDouble(std::string_view text, bool* outOfRange) {
    return ParseFloating<double>(text, outOfRange);
}

std::optional<float> ParseSingle(std::string_view text, bool* outOfRange) {
    return ParseFloating<float>(text, outOfRange);
}

int PhysicalLineAt(std::string_view text, std::size_t position) {
    position = std::min(position, text.size());
    int line = 1;
    for (std::size_t i = 0; i < position; ++i) {
        if (text[i] == kLf) {
            ++line;
        } else if (text[i] == kCr && !(i + 1 < text.size() && text[i + 1] == kLf)) {
            ++line;
        }
    }
    return line;
}

bool FieldReader::takeLineEnd() {
    if (pos_ >= text_.size()) return false;
    if (text_[pos_] == kCr) {
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == kLf) ++pos_;
        ++line_;
        return true;
    }
    if (text_[pos_] == kLf) {
        ++pos_;
        ++line_;
        return true;
    }
    return false;
}

void FieldReader::skipSeparatorsBeforeField() {
    while (pos_ < text_.size()) {
        if (IsBlank(text_[pos_])) {
            ++pos_;
        } else if (!takeLineEnd()) {
            return;
        }
    }
}

void FieldReader::takeFieldEnd() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    }
    takeLineEnd();
}

std::optional<std::string_view> FieldReader::readLine() {
    if (atEnd()) {
        failure_ = ReadFailure::EndOfText;
        return std::nullopt;
    }
    failure_ = ReadFailure::None;
    lastLine_ = line_;
    const std::size_t start = pos_;
    std::size_t end = text_.find(kCr, start);
    if (end == std::string_view::npos) end = text_.size();
    const std::string_view content = text_.substr(start, end - start);
    // A lone LF stays in the line but still starts a new physical line.
    line_ += static_cast<int>(std::count(content.begin(), content.end(), kLf));
    pos_ = end;
    takeLineEnd();
    return content;
}

std::optional<std::string_view> FieldReader::readFieldText() {
    skipSeparatorsBeforeField();
    if (atEnd()) {
        failure_ = ReadFailure::EndOfText;
        return std::nullopt;
    }
    lastLine_ = line_;
    if (text_[pos_] == ',') {
        failure_ = ReadFailure::EmptyField;
        lastValue_ = text_.substr(pos_, 0);
        ++pos_;
        takeFieldEnd();
        return std::nullopt;
    }
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !EndsField(text_[pos_])) ++pos_;
    const std::string_view field = text_.substr(start, pos_ - start);
    takeFieldEnd();
    failure_ = ReadFailure::None;
    lastValue_ = field;
    return field;
}

std::optional<std::string_view> FieldReader::readRestText() {
    const std::optional<std::string_view> line = readLine();
    if (!line) return std::nullopt;
    lastValue_ = TrimBlanks(*line);
    return lastValue_;
}

template <class T>
std::optional<T> FieldReader::convert(std::string_view value) {
    bool outOfRange = false;
    std::optional<T> result;
    if constexpr (std::is_floating_point_v<T>) {
        result = ParseFloating<T>(value, &outOfRange);
    } else {
        if (const std::optional<double> number = ParseDouble(value, &outOfRange)) {
            if constexpr (sizeof(T) == 2) {
                result = ToInt16(*number);
            } else {
                result = ToInt32(*number);
            }
            outOfRange = !result.has_value();
        }
    }
    if (!result) failure_ = outOfRange ? ReadFailure::OutOfRange : ReadFailure::NotANumber;
    return result;
}

template <class T>
std::optional<T> FieldReader::readNumber() {
    const std::optional<std::string_view> field = readFieldText();
    if (!field) return std::nullopt;
    return convert<T>(*field);
}

template <class T>
std::optional<T> FieldReader::readRestNumber() {
    const std::optional<std::string_view> rest = readRestText();
    if (!rest) return std::nullopt;
    return convert<T>(*rest);
}

template std::optional<double> FieldReader::readNumber<double>();
template std::optional<float> FieldReader::readNumber<float>();
template std::optional<std::int16_t> FieldReader::readNumber<std::int16_t>();
template std::optional<std::int32_t> FieldReader::readNumber<std::int32_t>();
template std::optional<double> FieldReader::readRestNumber<double>();
template std::optional<float> FieldReader::readRestNumber<float>();
template std::optional<std::int16_t> FieldReader::readRestNumber<std::int16_t>();
template std::optional<std::int32_t> FieldReader::readRestNumber<std::int32_t>();

}  // namespace lumibench
