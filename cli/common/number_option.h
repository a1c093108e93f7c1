#pragma once
// The number an option takes: the whole text a decimal number (a leading "+"
// allowed), finite, and within single precision, which every record field is.
// "nan", "inf" and 1e39 are not numbers here, so a usage error names them.

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <system_error>

namespace lumibench {

enum class OptionNumber { Read, NotANumber, OutOfRange };

// `value` is set only when the text is Read.
inline OptionNumber ReadOptionNumber(std::string_view text, double& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    double parsed = 0;
    const auto [end, error] = std::from_chars(first, last, parsed);
    if (error == std::errc::result_out_of_range && end == last) return OptionNumber::OutOfRange;
    if (error != std::errc() || end != last || first == last) return OptionNumber::NotANumber;
    if (!std::isfinite(parsed) || std::fabs(parsed) > std::numeric_limits<float>::max()) return OptionNumber::OutOfRange;
    value = parsed;
    return OptionNumber::Read;
}

inline bool ParseOptionNumber(std::string_view text, double& value) {
    return ReadOptionNumber(text, value) == OptionNumber::Read;
}

}  // namespace lumibench
