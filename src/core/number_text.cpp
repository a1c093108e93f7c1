#include "core/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace lumibench {
namespace {

// %G-style text with `digits` significant digits, then the exchange's habits:
// no leading zero before the point, upper-case exponent with a sign and at
// least two digits (to_chars already writes "e+07", "e-05").
std::string FormatGeneral(double value, int digits) {
    if (value == 0 || std::isnan(value)) {
        return "0";
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        if (c == 'e') c = 'E';
    }
    if (text.starts_with("0.")) {
        text.erase(0, 1);
    } else if (text.starts_with("-0.")) {
        text.erase(1, 1);
    }
    return text;
}

std::string WithSign(std::string compact) {
    return compact.starts_with('-') ? compact : " " + compact;
}

}  // namespace

std::string FormatCompact(std::int64_t value) { return std::to_string(value); }
std::string FormatCompact(float value) { return FormatGeneral(value, 7); }
std::string FormatCompact(double value) { return FormatGeneral(value, 15); }

std::string FormatSigned(std::int64_t value) { return WithSign(FormatCompact(value)); }
std::string FormatSigned(float value) { return WithSign(FormatCompact(value)); }
std::string FormatSigned(double value) { return WithSign(FormatCompact(value)); }

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') number += '-';
        ++i;
    }
    bool seenDigit = false;
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            number += c;
            seenDigit = true;
        } else if (c == '.' && !seenPoint) {
            number += c;
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit) {
        return 0;
    }
    // An exponent counts only when at least one digit follows it.
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            exponent += text[j];
            ++j;
        }
        const std::size_t digitsStart = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            exponent += text[j];
            ++j;
        }
        if (j > digitsStart) number += exponent;
    }
    double value = 0;
    const char* first = number.data();
    const char* last = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
        // Magnitude beyond double: keep the sign, as a caller's range check will refuse it.
        const bool negative = number.starts_with('-');
        const bool tiny = number.find("e-") != std::string::npos;
        if (tiny) return negative ? -0.0 : 0.0;
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    }
    return value;
}

std::optional<std::int16_t> ToInt16(double value) {
    if (std::isnan(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);  // default rounding: ties to even
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

std::optional<std::int32_t> ToInt32(double value) {
    if (std::isnan(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<std::int32_t>::min() ||
        rounded > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

std::optional<std::int16_t> LeadingInt16(std::string_view text) {
    return ToInt16(LeadingNumber(text));
}

}  // namespace lumibench
