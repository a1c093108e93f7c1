#include "readers/field_reader.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <system_error>
#include <type_traits>

#include "core/number_text.h"

namespace lumibench {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool EndsField(char c) { return c == ' ' || c == '\t' || c == ',' || c == kCr || c == kLf; }

// One line end (CR LF, CR or LF) at `p`, if there is one.
inline const char* SkipLineEnd(const char* p, const char* end, int& line) {
    if (p < end) {
        if (*p == kCr) {
            ++p;
            if (p < end && *p == kLf) ++p;
            ++line;
        } else if (*p == kLf) {
            ++p;
            ++line;
        }
    }
    return p;
}

// Blanks, tabs and line ends before a field.
inline const char* SkipBeforeField(const char* p, const char* end, int& line) {
    while (p < end) {
        const char c = *p;
        if (IsBlank(c)) {
            ++p;
        } else if (c == kCr || c == kLf) {
            p = SkipLineEnd(p, end, line);
        } else {
            break;
        }
    }
    return p;
}

// After a field: blanks, then one comma with its blanks, then one line end.
inline const char* SkipFieldEnd(const char* p, const char* end, int& line) {
    while (p < end && IsBlank(*p)) ++p;
    if (p < end && *p == ',') {
        ++p;
        while (p < end && IsBlank(*p)) ++p;
    }
    return SkipLineEnd(p, end, line);
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr float kPowersOfTenSingle[] = {1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F,
                                        1e6F, 1e7F, 1e8F, 1e9F, 1e10F};

struct DecimalParts {
    std::uint64_t mantissa = 0;  // wraps for long digit strings; `digits` tells
    unsigned digits = 0;
    unsigned fractionDigits = 0;
    bool negative = false;
};

// Takes an optional sign and digits with at most one "." from `p` on, and
// stops at the first other character.
inline void ScanDecimal(const char*& p, const char* end, DecimalParts& parts) {
    if (p < end && (*p == '-' || *p == '+')) parts.negative = *p++ == '-';
    bool point = false;
    for (; p < end; ++p) {
        const auto digit = static_cast<unsigned>(*p - '0');
        if (digit < 10) {
            parts.mantissa = parts.mantissa * 10 + digit;
            ++parts.digits;
            parts.fractionDigits += point;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            return;
        }
    }
}

// Plain decimals whose digits fit the type's mantissa exactly: one division of
// two exact values is correctly rounded, so this equals from_chars at a
// fraction of the cost. False leaves the value to the general path.
template <class F>
inline bool DecimalValue(const DecimalParts& parts, F& value) {
    constexpr bool isDouble = sizeof(F) == sizeof(double);
    constexpr std::uint64_t exactLimit = std::uint64_t{1} << (isDouble ? 53 : 24);
    constexpr unsigned powerLimit = isDouble ? 22 : 10;
    if (parts.digits == 0 || parts.digits > 18 || parts.mantissa > exactLimit) return false;
    if (parts.mantissa == 0 || parts.fractionDigits == 0) {
        value = static_cast<F>(parts.mantissa);
    } else if (parts.fractionDigits > powerLimit) {
        return false;
    } else if constexpr (isDouble) {
        value = static_cast<double>(parts.mantissa) / kPowersOfTen[parts.fractionDigits];
    } else {
        value = static_cast<float>(parts.mantissa) / kPowersOfTenSingle[parts.fractionDigits];
    }
    if (parts.negative) value = -value;
    return true;
}

template <class F>
bool FastDecimal(std::string_view text, F& value) {
    const char* p = text.data();
    const char* end = p + text.size();
    DecimalParts parts;
    ScanDecimal(p, end, parts);
    return p == end && DecimalValue(parts, value);
}

template <class F>
std::optional<F> ParseFloating(std::string_view text, bool* outOfRange) {
    if (outOfRange) *outOfRange = false;
    if (F fast{}; FastDecimal(text, fast)) return fast;
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
    const int before = line_;
    pos_ = static_cast<std::size_t>(SkipLineEnd(text_.data() + pos_, text_.data() + text_.size(), line_) -
                                    text_.data());
    return line_ != before;
}

void FieldReader::skipSeparatorsBeforeField() {
    pos_ = static_cast<std::size_t>(SkipBeforeField(text_.data() + pos_, text_.data() + text_.size(), line_) -
                                    text_.data());
}

void FieldReader::takeFieldEnd() {
    pos_ = static_cast<std::size_t>(SkipFieldEnd(text_.data() + pos_, text_.data() + text_.size(), line_) -
                                    text_.data());
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
bool FieldReader::convert(std::string_view text, T& value) {
    bool outOfRange = false;
    std::optional<T> result;
    if constexpr (std::is_floating_point_v<T>) {
        result = ParseFloating<T>(text, &outOfRange);
    } else if (const std::optional<double> number = ParseDouble(text, &outOfRange)) {
        if constexpr (sizeof(T) == 2) {
            result = ToInt16(*number);
        } else {
            result = ToInt32(*number);
        }
        outOfRange = !result.has_value();
    }
    if (!result) {
        failure_ = outOfRange ? ReadFailure::OutOfRange : ReadFailure::NotANumber;
        return false;
    }
    value = *result;
    return true;
}

template <class T>
bool FieldReader::readNumber(T& value) {
    // The common case, a plain decimal, is scanned and converted in one pass;
    // everything else goes through readFieldText and the general conversion.
    const char* const data = text_.data();
    const char* const end = data + text_.size();
    int line = line_;
    const char* p = SkipBeforeField(data + pos_, end, line);
    if (p == end || *p == ',') {
        const std::optional<std::string_view> field = readFieldText();
        return field && convert(*field, value);
    }
    const char* const begin = p;
    DecimalParts parts;
    ScanDecimal(p, end, parts);
    const char* const numberEnd = p;
    while (p < end && !EndsField(*p)) ++p;
    lastLine_ = line;
    lastValue_ = std::string_view(begin, static_cast<std::size_t>(p - begin));
    p = SkipFieldEnd(p, end, line);
    pos_ = static_cast<std::size_t>(p - data);
    line_ = line;
    failure_ = ReadFailure::None;
    if constexpr (std::is_floating_point_v<T>) {
        if (numberEnd == begin + lastValue_.size() && DecimalValue(parts, value)) return true;
    }
    return convert(lastValue_, value);
}

template <class T>
bool FieldReader::readRestNumber(T& value) {
    const std::optional<std::string_view> rest = readRestText();
    return rest && convert(*rest, value);
}

std::size_t FieldReader::readPlainNumbers(double* out, std::size_t count, double limit) {
    // The state lives in locals for the whole run and is stored once at the end.
    const char* const data = text_.data();
    const char* const end = data + text_.size();
    const char* p = data + pos_;
    int line = line_;
    const char* lastBegin = nullptr;
    const char* lastEnd = nullptr;
    int lastLine = lastLine_;
    std::size_t n = 0;
    while (n < count) {
        int fieldLine = line;
        const char* q = SkipBeforeField(p, end, fieldLine);
        const char* const begin = q;
        std::uint64_t mantissa = 0;
        unsigned digits = 0;
        unsigned fraction = 0;
        // One loop over digits and the point: a single exit per number keeps
        // the branch predictor's misses to one.
        bool point = false;
        for (; q < end; ++q) {
            const auto d = static_cast<unsigned>(*q - '0');
            if (d < 10) {
                mantissa = mantissa * 10 + d;
                ++digits;
                fraction += point;
            } else if (*q == '.' && !point) {
                point = true;
            } else {
                break;
            }
        }
        // Up to 15 digits the mantissa is exact in a double, and one correctly
        // rounded division gives what the general conversion gives.
        if (digits == 0 || digits > 15 || (q < end && !EndsField(*q))) break;
        const double value = fraction == 0 ? static_cast<double>(mantissa)
                                           : static_cast<double>(mantissa) / kPowersOfTen[fraction];
        // Fifteen digits stay below 1e15: only a lower limit needs the test,
        // which then waits for the division.
        if (limit < 1e15 && !(value <= limit)) break;
        lastBegin = begin;
        lastEnd = q;
        lastLine = fieldLine;
        p = SkipFieldEnd(q, end, fieldLine);
        line = fieldLine;
        out[n++] = value;
    }
    if (n > 0) {
        pos_ = static_cast<std::size_t>(p - data);
        line_ = line;
        lastLine_ = lastLine;
        lastValue_ = std::string_view(lastBegin, static_cast<std::size_t>(lastEnd - lastBegin));
        failure_ = ReadFailure::None;
    }
    return n;
}

template bool FieldReader::readNumber<double>(double&);
template bool FieldReader::readNumber<float>(float&);
template bool FieldReader::readNumber<std::int16_t>(std::int16_t&);
template bool FieldReader::readNumber<std::int32_t>(std::int32_t&);
template bool FieldReader::readRestNumber<double>(double&);
template bool FieldReader::readRestNumber<float>(float&);
template bool FieldReader::readRestNumber<std::int16_t>(std::int16_t&);
template bool FieldReader::readRestNumber<std::int32_t>(std::int32_t&);

}  // namespace lumibench
