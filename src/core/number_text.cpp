#include "core/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace lumibench {
namespace {

// %G-style text with `digits` significant digits, then the exchange's habits:
// no leading zero before the point, upper-case exponent with a sign and at
// least two digits (to_chars already writes "e+07", "e-05"). The reference
// form; the fast paths below give the same bytes for the values they take.
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

constexpr int kFloatDigits = 7;
constexpr int kDoubleDigits = 15;

using number_text_detail::kExactPowers;
constexpr float kExactFloatPowers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                       1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// 10^e for the decades of floats, nearest double; compared only with powers
// of two, which none of them comes close to.
double FloatDecadePower(int e) {
    static const auto table = [] {
        std::array<double, 64> powers{};
        for (std::size_t i = 0; i < powers.size(); ++i) powers[i] = std::pow(10.0, static_cast<int>(i) - 56);
        return powers;
    }();
    return table[static_cast<std::size_t>(std::clamp(e, -56, 7) + 56)];
}

// Writes `m` * 10^-k (m >= 1, no trailing zero, k >= 1) the way %G with
// `precision` digits writes it, given that the decimal has at most
// `precision` digits and is the one %G rounds to.
char* WriteScaled(char* out, bool negative, std::uint64_t m, int k, int precision) {
    char digits[24];
    const int n = static_cast<int>(std::to_chars(digits, digits + sizeof digits, m).ptr - digits);
    const int exponent = n - 1 - k;
    if (negative) *out++ = '-';
    if (exponent < -4 || exponent >= precision) {
        *out++ = digits[0];
        if (n > 1) {
            *out++ = '.';
            for (int i = 1; i < n; ++i) *out++ = digits[i];
        }
        *out++ = 'E';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) *out++ = '0';
        return std::to_chars(out, out + 4, magnitude).ptr;
    }
    if (exponent >= 0) {
        for (int i = 0; i <= exponent; ++i) *out++ = digits[i];
        *out++ = '.';
        for (int i = exponent + 1; i < n; ++i) *out++ = digits[i];
        return out;
    }
    *out++ = '.';  // no leading zero
    for (int i = -1; i > exponent; --i) *out++ = '0';
    for (int i = 0; i < n; ++i) *out++ = digits[i];
    return out;
}

// Round to nearest, ties to even, for 0 <= x < 2^52: adding 2^52 leaves no
// fraction bits, so the addition itself rounds. Cheaper than nearbyint.
double RoundSmall(double x) {
    constexpr double kShift = 4503599627370496.0;  // 2^52
    return (x + kShift) - kShift;
}

// The smallest k in 1..22 for which `magnitude` is the double nearest to some
// decimal m * 10^-k with m below `limit`; 0 when there is none. Any decimal of
// at most 15 significant digits whose nearest double is the value is also the
// value's nearest 15-digit decimal: for normal doubles the spacing of 15-digit
// decimals exceeds four units in the last place, so no second such decimal
// fits within the half unit around the value.
int ShortDecimal(double magnitude, std::uint64_t limit, std::uint64_t& m) {
    for (int k = 1; k <= 22; ++k) {
        const double scaled = magnitude * kExactPowers[k];
        if (!(scaled < static_cast<double>(limit))) return 0;
        const double rounded = RoundSmall(scaled);
        if (rounded >= 1 && rounded < static_cast<double>(limit) && rounded / kExactPowers[k] == magnitude) {
            m = static_cast<std::uint64_t>(rounded);
            while (m % 10 == 0) {  // rounding may land on a longer form of the same decimal
                m /= 10;
                --k;
            }
            return k;
        }
    }
    return 0;
}

// Compact double text into `out` (room for 32 characters); nullptr when only
// the reference form will do.
char* WriteDoubleFast(char* out, double value) {
    if (value == 0 || std::isnan(value)) {
        *out++ = '0';
        return out;
    }
    const double magnitude = std::fabs(value);
    if (!(magnitude >= std::numeric_limits<double>::min()) || !(magnitude < 1e15)) return nullptr;
    if (static_cast<double>(static_cast<std::int64_t>(magnitude)) == magnitude) {
        return std::to_chars(out, out + 32, static_cast<std::int64_t>(value)).ptr;
    }
    std::uint64_t m = 0;
    const int k = ShortDecimal(magnitude, 1'000'000'000'000'000ULL, m);
    if (k == 0) return nullptr;
    return WriteScaled(out, value < 0, m, k, kDoubleDigits);
}

// The same for a float at 7 digits. A float's units in the last place can be
// wider than the spacing of 7-digit decimals, so a short decimal that reads
// back as the float is only taken where they are not.
char* WriteFloatFast(char* out, float value) {
    if (value == 0 || std::isnan(value)) {
        *out++ = '0';
        return out;
    }
    const float magnitude = std::fabs(value);
    if (!(magnitude >= std::numeric_limits<float>::min()) || !(magnitude < 1e7f)) return nullptr;
    if (static_cast<float>(static_cast<std::int64_t>(magnitude)) == magnitude) {
        return std::to_chars(out, out + 32, static_cast<std::int64_t>(value)).ptr;
    }
    const double wide = magnitude;
    for (int k = 1; k <= 10; ++k) {
        const double scaled = wide * kExactPowers[k];
        if (!(scaled < 1e7)) return nullptr;
        const double rounded = RoundSmall(scaled);
        // m < 2^24 and 10^k are exact floats, so the quotient is correctly rounded.
        if (rounded >= 1 && rounded < 1e7 && static_cast<float>(rounded) / kExactFloatPowers[k] == magnitude) {
            auto m = static_cast<std::uint64_t>(rounded);
            while (m % 10 == 0) {  // rounding may land on a longer form of the same decimal
                m /= 10;
                --k;
            }
            if (k <= 0) return nullptr;
            // The decade of the float itself: a decimal 10^e may round up from below.
            int digitCount = 1;
            for (std::uint64_t rest = m; rest >= 10; rest /= 10) ++digitCount;
            int decade = digitCount - 1 - k;
            if (wide < FloatDecadePower(decade)) --decade;
            const float ulp = std::nextafter(magnitude, std::numeric_limits<float>::infinity()) - magnitude;
            if (!(static_cast<double>(ulp) < FloatDecadePower(decade - (kFloatDigits - 1)))) return nullptr;
            return WriteScaled(out, value < 0, m, k, kFloatDigits);
        }
    }
    return nullptr;
}

std::string WithSign(std::string compact) {
    return compact.starts_with('-') ? compact : " " + compact;
}

}  // namespace

std::string FormatCompact(std::int64_t value) { return std::to_string(value); }

std::string FormatCompact(float value) {
    char buffer[32];
    if (char* end = WriteFloatFast(buffer, value)) return std::string(buffer, end);
    return FormatGeneral(value, kFloatDigits);
}

std::string FormatCompact(double value) {
    char buffer[32];
    if (char* end = WriteDoubleFast(buffer, value)) return std::string(buffer, end);
    return FormatGeneral(value, kDoubleDigits);
}

void AppendCompact(std::string& text, std::int64_t value) {
    char buffer[24];
    text.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

void AppendCompact(std::string& text, float value) {
    char buffer[32];
    if (char* end = WriteFloatFast(buffer, value)) {
        text.append(buffer, end);
    } else {
        text += FormatGeneral(value, kFloatDigits);
    }
}

void AppendCompact(std::string& text, double value) {
    char buffer[kCompactTextMax];
    text.append(buffer, WriteCompact(buffer, value));
}

char* WriteCompact(char* out, double value) {
    if (char* end = WriteDoubleFast(out, value)) return end;
    const std::string text = FormatGeneral(value, kDoubleDigits);
    return std::copy(text.begin(), text.end(), out);
}

char* WriteCompactList(char* out, const double* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const double value = values[i];
        if (value == 0) {
            *out++ = '0';  // the commonest candela value by far
        } else {
            out = WriteCompact(out, value);
        }
        *out++ = ',';
    }
    return out;
}

std::string FormatSigned(std::int64_t value) { return WithSign(FormatCompact(value)); }
std::string FormatSigned(float value) { return WithSign(FormatCompact(value)); }
std::string FormatSigned(double value) { return WithSign(FormatCompact(value)); }

std::optional<double> PlainDecimal(std::string_view text) {
    const char* const last = text.data() + text.size();
    double value = 0;
    if (ReadPlainDecimal(text.data(), last, value) != last) return std::nullopt;
    return value;
}

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (const auto plain = PlainDecimal(text.substr(i))) return *plain;
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
