#pragma once
// The number texts of the exchange, and the reading of a text's leading number.
//
// Signed form: " 12", " 0", "-1", " .5". Compact form: the same without the
// leading blank. "." always, no leading zero below 1, 7 significant digits for
// float and 15 for double, no trailing zeros, exponent form ("1E-05",
// "1.5E+07") for magnitudes below 1E-4 or from 10^digits up.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumibench {

std::string FormatCompact(std::int64_t value);
std::string FormatCompact(float value);
std::string FormatCompact(double value);
// Keep the integer overloads exact for the 16-bit fields.
inline std::string FormatCompact(std::int16_t value) { return FormatCompact(std::int64_t{value}); }
inline std::string FormatCompact(int value) { return FormatCompact(std::int64_t{value}); }

std::string FormatSigned(std::int64_t value);
std::string FormatSigned(float value);
std::string FormatSigned(double value);
inline std::string FormatSigned(std::int16_t value) { return FormatSigned(std::int64_t{value}); }
inline std::string FormatSigned(int value) { return FormatSigned(std::int64_t{value}); }

// The compact form appended to `text`, for writers of long lists.
void AppendCompact(std::string& text, std::int64_t value);
void AppendCompact(std::string& text, float value);
void AppendCompact(std::string& text, double value);
// The compact form of `value` written at `out`, which has room for
// kCompactTextMax characters; returns the end of what was written.
inline constexpr std::size_t kCompactTextMax = 32;
char* WriteCompact(char* out, double value);
// Each value's compact form followed by a comma, at `out`, which has room for
// count * (kCompactTextMax + 1) characters; returns the end.
char* WriteCompactList(char* out, const double* values, std::size_t count);

// The number at the start of `text`: leading blanks and tabs skipped, then an
// optional sign, digits with at most one ".", and an optional exponent
// (E or D, optional sign, digits); reading stops at the first character that
// cannot continue the number. No number gives 0. Locale-independent.
double LeadingNumber(std::string_view text);

// A text that is nothing but an optional "-", digits and at most one "." (at
// least one digit), with at most 15 digits after leading zeros and 22 after
// the point: its correctly rounded value, the same as LeadingNumber gives.
// Anything else gives nullopt and needs LeadingNumber.
std::optional<double> PlainDecimal(std::string_view text);
// The same for a plain decimal at the start of [first, last): returns where
// it stops (the first character that cannot continue it) and sets `value`;
// nullptr when the start is no plain decimal of that kind. What follows
// decides whether the caller may take the value as the field's number.
// Inline, as readers of long lists call it once a value.
const char* ReadPlainDecimal(const char* first, const char* last, double& value);

namespace number_text_detail {
// Exact powers of ten: every one up to 1e22 is a double without rounding.
inline constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
}  // namespace number_text_detail

inline const char* ReadPlainDecimal(const char* first, const char* last, double& value) {
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (negative) ++p;
    const char* const digitsStart = p;
    std::uint64_t m = 0;
    int significant = 0;  // digits from the first non-zero one; m wraps past 19, refused below
    while (p != last && *p == '0') ++p;
    for (; p != last; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (digit > 9) break;
        m = m * 10 + digit;
        ++significant;
    }
    int fraction = 0;
    bool point = false;
    if (p != last && *p == '.') {
        point = true;
        const char* const fractionStart = ++p;
        if (m == 0) {
            while (p != last && *p == '0') ++p;
        }
        for (; p != last; ++p) {
            const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
            if (digit > 9) break;
            m = m * 10 + digit;
            ++significant;
        }
        fraction = static_cast<int>(p - fractionStart);
    }
    if (p - digitsStart == (point ? 1 : 0) || significant > 15 || fraction > 22) {
        return nullptr;
    }
    // m < 10^15 and 10^fraction are exact doubles: one correctly rounded division.
    const double magnitude =
        fraction == 0 ? static_cast<double>(m)
                      : static_cast<double>(m) / number_text_detail::kExactPowers[fraction];
    value = negative ? -magnitude : magnitude;
    return p;
}

// Rounds to nearest with ties to even; nullopt outside the 16-bit range or for NaN.
std::optional<std::int16_t> ToInt16(double value);
// The same for 32-bit integers.
std::optional<std::int32_t> ToInt32(double value);

// The exchange's integer reading: LeadingNumber, then ToInt16.
std::optional<std::int16_t> LeadingInt16(std::string_view text);

}  // namespace lumibench
