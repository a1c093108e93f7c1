#include "core/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
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
    // Near the largest double the rounded text can lie beyond it ("1.79769313486232E+308")
    // and would read back as infinity: such a text is cut one unit in its last digit
    // toward zero, so every finite value written reads back finite.
    if (std::isfinite(value) && std::fabs(value) > 1e307) {
        double back = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), back);
        if (error == std::errc::result_out_of_range || !std::isfinite(back)) {
            const std::size_t exponent = text.find('E');
            std::size_t last = exponent == std::string::npos ? text.size() : exponent;
            while (last > 0 && !(text[last - 1] >= '1' && text[last - 1] <= '9')) --last;
            if (last > 0) --text[last - 1];
        }
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

// "00" to "99", for writing two digits at a time.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the `count` lowest decimal digits of x, leading zeros included,
// ending just before `end`; returns what is left of x.
std::uint64_t WriteDigitsBefore(char* end, std::uint64_t x, int count) {
    for (; count >= 2; count -= 2) {
        end -= 2;
        std::memcpy(end, kDigitPairs + 2 * (x % 100), 2);
        x /= 100;
    }
    if (count == 1) {
        end[-1] = static_cast<char>('0' + x % 10);
        x /= 10;
    }
    return x;
}

// The number of decimal digits of x >= 1.
int DigitCount(std::uint64_t x) {
    static constexpr std::uint64_t kPowers[] = {1ULL,
                                                10ULL,
                                                100ULL,
                                                1000ULL,
                                                10000ULL,
                                                100000ULL,
                                                1000000ULL,
                                                10000000ULL,
                                                100000000ULL,
                                                1000000000ULL,
                                                10000000000ULL,
                                                100000000000ULL,
                                                1000000000000ULL,
                                                10000000000000ULL,
                                                100000000000000ULL,
                                                1000000000000000ULL,
                                                10000000000000000ULL,
                                                100000000000000000ULL,
                                                1000000000000000000ULL,
                                                10000000000000000000ULL};
    const int guess = (std::bit_width(x) * 1233) >> 12;  // floor or one short
    return guess + (x >= kPowers[guess] ? 1 : 0);
}

// Writes `m` * 10^-k (m >= 1, no trailing zero, k >= 1) the way %G with
// `precision` digits writes it, given that the decimal has at most
// `precision` digits and is the one %G rounds to.
char* WriteScaled(char* out, bool negative, std::uint64_t m, int k, int precision) {
    const int n = DigitCount(m);
    const int exponent = n - 1 - k;
    if (negative) *out++ = '-';
    if (exponent >= 0 && exponent < precision) {
        // The digits from the right: the fraction, the point, the integer part.
        char* const end = out + n + 1;
        const std::uint64_t whole = WriteDigitsBefore(end, m, k);
        end[-k - 1] = '.';
        WriteDigitsBefore(end - k - 1, whole, n - k);
        return end;
    }
    if (exponent < 0 && exponent >= -4) {
        *out++ = '.';  // no leading zero
        for (int i = -1; i > exponent; --i) *out++ = '0';
        WriteDigitsBefore(out + n, m, n);
        return out + n;
    }
    char digits[24] = {};
    WriteDigitsBefore(digits + n, m, n);
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
int ShortDecimal(double magnitude, std::uint64_t limit, std::uint64_t& m, int maxPlaces = 22) {
    for (int k = 1; k <= maxPlaces; ++k) {
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

// A non-integral magnitude from 1E-4 up to 1E15, written in the point form
// (%G's fixed range) with 15 significant digits. The integer part and the
// fraction are exact; the fraction scaled to the places it gets is below
// 2^50, so that product's one rounding is at most 1/16, and when it lies
// within 0.4 of an integer, that integer is the fraction's digits exactly as
// %G rounds them. nullptr when that margin is not there, the digits carry
// into the integer part, or the decade guess was off.
char* WriteFixedDouble(char* out, bool negative, double magnitude) {
    // Decades 10^-5 .. 10^15 as the nearest doubles; a guess they make wrong
    // is caught by the digit count check below.
    static constexpr double kDecades[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1,  1e2,  1e3,  1e4, 1e5,
                                          1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    // magnitude (normal here) lies in [2^e, 2^(e+1)) with e its binary exponent.
    const int binary = static_cast<int>(std::bit_cast<std::uint64_t>(magnitude) >> 52) - 1023;
    int decade = (binary * 1233) >> 12;  // floor(e * log10 2), or one short of the decade
    if (decade < -5 || decade > 14) return nullptr;
    if (magnitude >= kDecades[decade + 1 + 5]) ++decade;
    if (decade < -4 || decade > 14) return nullptr;

    const auto whole = static_cast<std::uint64_t>(magnitude);
    const double fractionPart = magnitude - static_cast<double>(whole);  // exact
    const int places = 14 - decade;  // digits after the point among the 15
    const double scaled = fractionPart * kExactPowers[places];
    const double rounded = RoundSmall(scaled);
    if (std::fabs(scaled - rounded) > 0.4 || !(rounded < kExactPowers[places])) return nullptr;
    if (decade < 0 && !(rounded >= kExactPowers[places - 1])) return nullptr;  // not 15 digits: decade off
    auto digits = static_cast<std::uint64_t>(rounded);
    int kept = places;
    if (digits == 0) {
        kept = 0;
    } else {
        if (digits % 100'000'000 == 0) { digits /= 100'000'000; kept -= 8; }
        if (digits % 10'000 == 0) { digits /= 10'000; kept -= 4; }
        if (digits % 100 == 0) { digits /= 100; kept -= 2; }
        if (digits % 10 == 0) { digits /= 10; kept -= 1; }
    }
    if (negative) *out++ = '-';
    if (decade >= 0) out = std::to_chars(out, out + 16, whole).ptr;  // no leading zero below 1
    if (kept == 0) return out;
    *out++ = '.';
    WriteDigitsBefore(out + kept, digits, kept);
    return out + kept;
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
    // Values as files hold them have a few decimals; others take the
    // 15-digit scaling, and what is left the full search for a short decimal.
    constexpr std::uint64_t kLimit = 1'000'000'000'000'000ULL;
    std::uint64_t m = 0;
    if (const int k = ShortDecimal(magnitude, kLimit, m, 4); k != 0) {
        return WriteScaled(out, value < 0, m, k, kDoubleDigits);
    }
    if (magnitude >= 1e-4) {
        if (char* end = WriteFixedDouble(out, value < 0, magnitude)) return end;
    }
    const int k = ShortDecimal(magnitude, kLimit, m);
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
