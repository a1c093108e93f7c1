#include "formats/writer_common.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

namespace lumibench {

namespace {

constexpr std::size_t kNumberTextMax = 400;  // fixed form of the largest double fits

bool IsSingle(double value) {
    if (std::fabs(value) > std::numeric_limits<float>::max()) return false;
    return static_cast<double>(static_cast<float>(value)) == value;
}

constexpr double kPowersOfTen[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
constexpr double kExactIntegers = 9007199254740992.0;  // 2^53
constexpr double kSixDecimalsBelow = 67108864.0;      // 2^26

constexpr std::uint64_t kIntegerPowers[] = {1,
                                            10,
                                            100,
                                            1000,
                                            10000,
                                            100000,
                                            1000000,
                                            10000000,
                                            100000000,
                                            1000000000,
                                            10000000000,
                                            100000000000,
                                            1000000000000,
                                            10000000000000,
                                            100000000000000,
                                            1000000000000000,
                                            10000000000000000,
                                            100000000000000000,
                                            1000000000000000000,
                                            10000000000000000000u};

// Decimal digits of m, at least 1: estimated from its bit width, corrected by one comparison.
int DigitCount(std::uint64_t m) {
    const int estimate = (static_cast<int>(std::bit_width(m | 1)) * 1233) >> 12;
    return estimate + (m >= kIntegerPowers[estimate] ? 1 : 0);
}

// A value's text in parts: `whole`, then `decimals` digits of `fraction`
// (fraction < 10^decimals).
struct DecimalParts {
    std::uint64_t whole = 0;
    std::uint64_t fraction = 0;
    int decimals = 0;
    bool negative = false;
};

// The number texts' hot path is kept inline (the attribute is a hint other
// compilers ignore): as separate calls it cost a third of the writing time.

// Eight decimal digits of x < 10^8 at once, '0' to '9', one to a byte: the
// most significant digit in the lowest byte. The value is split into halves
// of four digits, those into pairs, the pairs into digits, each step done
// for every part together by a multiplication that stands for a division
// (exact for the ranges the parts can hold).
[[gnu::always_inline]] inline std::uint64_t EightDigits(std::uint64_t x) {
    const auto x32 = static_cast<std::uint32_t>(x);  // below 2^27: the first split needs no wide product
    const std::uint32_t upper = x32 / 10000;
    std::uint64_t w = upper | (static_cast<std::uint64_t>(x32 - upper * 10000) << 32);  // 32-bit lanes of 4 digits
    std::uint64_t q = ((w * 10486) >> 20) & 0x0000007F0000007Fu;  // lane / 100
    w = q | ((w - q * 100) << 16);                                // 16-bit lanes of 2 digits
    q = ((w * 103) >> 10) & 0x000F000F000F000Fu;                  // lane / 10
    return q | ((w - q * 10) << 8);                               // byte lanes of 1 digit
}

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t kZeros = 0x3030303030303030u;  // '0' in every byte

// Eight bytes at `at`, the lowest first.
[[gnu::always_inline]] inline void StoreWord(char* at, std::uint64_t word) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, &word, sizeof word);
    } else {
        for (int i = 0; i < 8; ++i) at[i] = static_cast<char>((word >> (8 * i)) & 0xFFu);
    }
}

// A number's text made in registers before anything is stored, so that its
// length is known first: the whole part's digits from the lowest byte on,
// and the point followed by the decimals, each in up to 16 bytes. Stored,
// the point goes over what the whole part's bytes hold past its end, and
// what is stored past the text's end is overwritten by what follows.
struct NumberText {
    std::uint64_t whole[2] = {'0', 0};
    std::uint64_t point[2] = {0, 0};
    std::size_t wholeLength = 1;
    std::size_t pointLength = 0;  // the point and the decimals kept; 0 when none are
    bool negative = false;

    std::size_t length() const { return (negative ? 1 : 0) + wholeLength + pointLength; }
};

// Three-digit groups, looked up instead of divided out. kGroups[n]: n's
// three digits with its leading zeros in the low bytes, and in the top byte
// how many a decimal part shows (its zeros at the end dropped). kLeading[n]:
// n's digits without leading zeros ("0" for 0), and their count on top.
constexpr auto kGroups = [] {
    std::array<std::uint32_t, 1000> groups{};
    for (std::uint32_t n = 0; n < 1000; ++n) {
        const std::uint32_t kept = n % 10 != 0 ? 3 : n % 100 != 0 ? 2 : n != 0 ? 1 : 0;
        groups[n] = ('0' + n / 100) | (('0' + n / 10 % 10) << 8) | (('0' + n % 10) << 16) | (kept << 24);
    }
    return groups;
}();
constexpr auto kLeading = [] {
    std::array<std::uint32_t, 1000> leading{};
    for (std::uint32_t n = 0; n < 1000; ++n) {
        const std::uint32_t length = n >= 100 ? 3 : n >= 10 ? 2 : 1;
        leading[n] = ((kGroups[n] & 0xFFFFFFu) >> (8 * (3 - length))) | (length << 24);
    }
    return leading;
}();
constexpr std::uint32_t kToNineDigits[] = {0, 100000000, 10000000, 1000000, 100000, 10000, 1000, 100, 10, 1};

// The parts' text where the whole part is below 10^6 and there are at most
// 9 decimals (nearly every value): a few look-ups. With `fewDecimals` the
// caller promises at most 3, and one group stands for the decimals.
template <bool fewDecimals>
[[gnu::always_inline]] inline NumberText PartsText(const DecimalParts& parts) {
    NumberText text;
    text.negative = parts.negative;
    const auto whole = static_cast<std::uint32_t>(parts.whole);
    if (whole < 1000) {
        const std::uint32_t digits = kLeading[whole];
        text.whole[0] = digits & 0xFFFFFFu;
        text.wholeLength = digits >> 24;
    } else {
        const std::uint32_t high = whole / 1000;
        const std::uint32_t digits = kLeading[high];
        const std::uint32_t low = kGroups[whole - high * 1000] & 0xFFFFFFu;
        text.whole[0] = (digits & 0xFFFFFFu) | (static_cast<std::uint64_t>(low) << (8 * (digits >> 24)));
        text.wholeLength = (digits >> 24) + 3;
    }
    const auto fraction = static_cast<std::uint32_t>(parts.fraction);
    std::size_t kept;
    if constexpr (fewDecimals) {
        const std::uint32_t group = kGroups[fraction * kToNineDigits[parts.decimals + 6]];
        text.point[0] = '.' | (static_cast<std::uint64_t>(group & 0xFFFFFFu) << 8);
        kept = group >> 24;
    } else {
        const std::uint32_t nine = fraction * kToNineDigits[parts.decimals];
        const std::uint32_t first = nine / 1000000;
        const std::uint32_t rest = nine - first * 1000000;
        const std::uint32_t second = rest / 1000;
        const std::uint32_t third = rest - second * 1000;
        const std::uint32_t a = kGroups[first];
        const std::uint32_t b = kGroups[second];
        const std::uint32_t c = kGroups[third];
        text.point[0] = '.' | (static_cast<std::uint64_t>(a & 0xFFFFFFu) << 8) |
                        (static_cast<std::uint64_t>(b & 0xFFFFFFu) << 32) | (static_cast<std::uint64_t>(c & 0xFFu) << 56);
        text.point[1] = (c >> 8) & 0xFFFFu;
        kept = third != 0 ? 6 + (c >> 24) : second != 0 ? 3 + (b >> 24) : a >> 24;
    }
    text.pointLength = kept > 0 ? kept + 1 : 0;
    return text;
}

// Any parts whose digits together stay below 10^16, with at most 15 decimals.
NumberText WideText(const DecimalParts& parts) {
    const std::uint64_t m = parts.whole * kIntegerPowers[parts.decimals] + parts.fraction;
    // Sixteen digits, the first eight in the low word.
    const std::uint64_t high = EightDigits(m / 100000000);
    const std::uint64_t low = EightDigits(m % 100000000);
    const Wide digits = high | (static_cast<Wide>(low) << 64);
    const int before = high != 0 ? std::countr_zero(high) / 8 : 8 + std::countr_zero(low) / 8;
    const int after = low != 0 ? std::countl_zero(low) / 8 : 8 + std::countl_zero(high) / 8;
    // The first digit shown: the first that is not a leading zero, or the '0' before the point.
    const int leadingZeros = std::min(before, 15 - parts.decimals);
    const int kept = parts.decimals - std::min(after, parts.decimals);
    const Wide zeros = (static_cast<Wide>(kZeros) << 64) | kZeros;
    const Wide whole = (digits >> (8 * leadingZeros)) + zeros;
    const Wide point = '.' | ((((digits >> (8 * (15 - parts.decimals))) >> 8) + zeros) << 8);
    NumberText text;
    text.negative = parts.negative;
    text.whole[0] = static_cast<std::uint64_t>(whole);
    text.whole[1] = static_cast<std::uint64_t>(whole >> 64);
    text.point[0] = static_cast<std::uint64_t>(point);
    text.point[1] = static_cast<std::uint64_t>(point >> 64);
    text.wholeLength = static_cast<std::size_t>(16 - parts.decimals - leadingZeros);
    text.pointLength = static_cast<std::size_t>(kept > 0 ? kept + 1 : 0);
    return text;
}

[[gnu::always_inline]] inline NumberText TextOf(const DecimalParts& parts) {
    if (parts.whole < 1000000 && parts.decimals <= 9) return PartsText<false>(parts);
    return WideText(parts);
}

// The text at `at`, which needs room for 33 bytes; returns its end.
[[gnu::always_inline]] inline char* StoreText(char* at, const NumberText& text) {
    *at = '-';
    at += text.negative ? 1 : 0;
    StoreWord(at, text.whole[0]);
    if (text.wholeLength > 8) StoreWord(at + 8, text.whole[1]);
    at += text.wholeLength;
    StoreWord(at, text.point[0]);
    if (text.pointLength > 8) StoreWord(at + 8, text.point[1]);
    return at + text.pointLength;
}

// Most values in photometric files have a few decimals. Below 2^26 a step
// of 10^-6 is wider than the value's interval, so at 6 decimals only the
// nearest candidate can read back, every shorter text is that one with
// zeros at its end, and the product is near enough to an integer that
// rounding it finds that candidate. The candidate reads back when m / 10^6,
// which is what a correctly rounding reader computes, is the value: one
// division decides. Most have three decimals or fewer: the same test at 3
// decimals finds them sooner (a candidate there is the one at 6 without its
// last zeros). Larger values: the fewest decimals whose nearest candidate
// reads back, up to 6.
[[gnu::always_inline]] inline bool FewDecimals(double value, DecimalParts& parts) {
    const double magnitude = std::fabs(value);
    const bool negative = value < 0;
    if (magnitude < kSixDecimalsBelow) {
        const auto m3 = static_cast<std::uint64_t>(magnitude * kPowersOfTen[3] + 0.5);
        if (static_cast<double>(m3) / kPowersOfTen[3] == magnitude) {
            parts = {m3 / 1000, m3 % 1000, 3, negative};
            return true;
        }
        const auto m6 = static_cast<std::uint64_t>(magnitude * kPowersOfTen[6] + 0.5);
        if (static_cast<double>(m6) / kPowersOfTen[6] != magnitude) return false;
        parts = {m6 / 1000000, m6 % 1000000, 6, negative};
        return true;
    }
    for (int decimals = 0; decimals < 7; ++decimals) {
        const double scaled = magnitude * kPowersOfTen[decimals] + 0.5;
        if (!(scaled < kExactIntegers)) return false;
        const auto m = static_cast<std::uint64_t>(scaled);
        if (static_cast<double>(m) / kPowersOfTen[decimals] != magnitude) continue;
        const std::uint64_t power = kIntegerPowers[decimals];
        parts = {m / power, m % power, decimals, negative};
        return true;
    }
    return false;
}

// Fewest decimals D with 10^D >= 2^s, for s = 0 ... 46.
constexpr auto kWideDecimals = [] {
    std::array<int, 47> decimals{};
    for (std::size_t s = 0; s < decimals.size(); ++s) {
        while (kIntegerPowers[static_cast<std::size_t>(decimals[s])] < (std::uint64_t{1} << s)) ++decimals[s];
    }
    return decimals;
}();

// 10^(D - 1) for each s: the first power tried, found in one look-up.
constexpr auto kShortPowers = [] {
    std::array<std::uint64_t, 47> powers{};
    for (std::size_t s = 1; s < powers.size(); ++s) {
        powers[s] = kIntegerPowers[static_cast<std::size_t>(kWideDecimals[s] - 1)];
    }
    return powers;
}();

// The shortest fixed text of a single, found in integers. The single is
// N / 2^s exactly; at d decimals the nearest candidate is m = round(N 10^d / 2^s),
// and it reads back as the single when it lies strictly within half a step
// of it (steps are 1 / 2^s apart). The fewest decimals with such an m give
// the fewest digits. Only the plain cases are taken here; a tie between two
// candidates, a power of two (whose interval is lopsided) and a power of ten
// inside the interval go to the general conversion (false).
[[gnu::always_inline]] inline bool ShortestSingle(float value, DecimalParts& parts) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const std::uint32_t stored = bits & 0x7FFFFFu;
    const int biased = static_cast<int>((bits >> 23) & 0xFFu);
    // 2^-23 up to 2^23: steps below 1, and with N < 2^24 and at most 11
    // decimals, 2 N 10^d and 2 10^k 2^s stay below 2^64.
    if (stored == 0 || biased < 104 || biased >= 150) return false;
    const std::uint64_t n = stored | 0x800000u;
    const int shift = 150 - biased;  // 1 ... 46
    const std::uint64_t one = std::uint64_t{1} << shift;
    const std::uint64_t half = one >> 1;
    // At D = kWideDecimals[shift] decimals the interval (1 / 2^s wide) is
    // 10^D / 2^s >= 1 steps wide and always holds a candidate, the nearest
    // among them. At D - 1 it is narrower than a step: at most one candidate
    // lies inside, and then it is the nearest there, and every text with
    // fewer decimals is that candidate with zeros at its end. So: is there a
    // multiple of 10 strictly inside the interval counted in steps of
    // 10^-D? In halves of 2^-s the interval runs from 2t - 10^D to
    // 2t + 10^D, t = N 10^D; neither end is ever a multiple of 2^(s+1), as
    // 10^D holds fewer factors 2 than that.
    const int wide = kWideDecimals[static_cast<std::size_t>(shift)];
    if (wide >= 12) return false;
    const std::uint64_t shortPower = kShortPowers[static_cast<std::size_t>(shift)];
    const std::uint64_t longPower = shortPower * 10;
    const std::uint64_t t = n * longPower;
    if ((t & (one - 1)) == half) return false;  // a tie between two candidates at D decimals
    const std::uint64_t nearest = (t + half) >> shift;
    const std::uint64_t top = (2 * t + longPower - 1) >> (shift + 1);
    const std::uint64_t bottom = ((2 * t - longPower) >> (shift + 1)) + 1;
    const std::uint64_t tens = top / 10;
    // Which one is kept is as good as random from one value to the next: a
    // mask chooses rather than a branch.
    const std::uint64_t useShort = std::uint64_t{0} - static_cast<std::uint64_t>(tens * 10 >= bottom);
    const int decimals = wide - static_cast<int>(useShort & 1);
    const std::uint64_t power = longPower ^ ((longPower ^ shortPower) & useShort);
    const std::uint64_t m = nearest ^ ((nearest ^ tens) & useShort);
    // The text's whole part is the single's, or one more where m rounded up to it.
    std::uint64_t whole = n >> shift;
    std::uint64_t fraction = m - whole * power;
    if (fraction == power) {
        ++whole;
        fraction = 0;
    }
    // A power of ten above the interval's low end: a text one decimal longer
    // but below that power may have as few characters and lie nearer. The
    // interval is under 10 candidates wide, so that needs m within 10 above
    // a power of ten: a whole part that is one with a fraction under 10, or
    // no whole part. Only those are looked at closely.
    if (fraction < 10 || whole == 0) {
        const std::uint64_t leading = kIntegerPowers[DigitCount(m) - 1];
        if (2 * (leading << shift) > 2 * n * power - power) return false;
    }
    parts = {whole, fraction, decimals, value < 0};
    return true;
}

// Most singles in photometric files were read from texts of a few
// decimals. Below 2^14 a single's interval is narrower than 0.001, so it
// holds at most one text of 3 decimals, and when it does, that one (its
// zeros at the end dropped) is the shortest. The single is N / 2^s and the
// text m / 1000 lies strictly inside when |1000 v - m| < 500 / 2^s; in
// doubles 1000 v, m and their difference are exact. The bound is looked up
// by the single's sign and exponent: 0 (no test passes) for negative
// singles and outside 2^-23 to 2^14.
constexpr auto kHalfStepInThousandths = [] {
    std::array<double, 512> bounds{};
    for (int biased = 104; biased <= 140; ++biased) {
        double step = 1;
        for (int s = 0; s < 150 - biased; ++s) step *= 2;
        bounds[static_cast<std::size_t>(biased)] = 500 / step;
    }
    return bounds;
}();

// The single's magnitude in thousandths, m, where such a text is inside;
// false otherwise. A power of two has a narrower interval below it: only a
// text exactly on it is taken.
[[gnu::always_inline]] inline bool InThousandths(float magnitude, std::uint32_t& m) {
    std::uint32_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const double bound = kHalfStepInThousandths[bits >> 23];
    if (!(bound > 0)) return false;
    const double scaled = static_cast<double>(magnitude) * 1000.0;
    const double rounded = static_cast<double>(static_cast<std::int64_t>(scaled + 0.5));
    const double distance = std::fabs(scaled - rounded);
    if (!(distance < bound) || ((bits & 0x7FFFFFu) == 0 && distance != 0)) return false;
    m = static_cast<std::uint32_t>(rounded);
    return true;
}

// The shortest text of a single: a few decimals where there are, the
// general search for the rest.
[[gnu::always_inline]] inline bool SingleText(float value, NumberText& text) {
    std::uint32_t m;
    if (InThousandths(std::fabs(value), m)) {
        const std::uint32_t whole = m / 1000;
        text = PartsText<true>({whole, m - whole * 1000, 3, std::signbit(value)});
        return true;
    }
    DecimalParts parts;
    if (!ShortestSingle(value, parts)) return false;
    text = TextOf(parts);
    return true;
}

// A value's text where a quick path finds it: "0" for zero, NaN and
// infinities, the shortest text of a single, a double's few decimals.
[[gnu::always_inline]] inline bool QuickText(float value, NumberText& text) {
    if (SingleText(value, text)) return true;
    if (value != 0 && std::isfinite(value)) return false;
    text = NumberText{};
    return true;
}

// Below 2^17 a double that is exactly some m / 1000 has the same shortest
// text whether it is a single or not (a single's interval there is narrower
// than 0.005), so the most common values, zero among them, are tried first.
constexpr double kThreeDecimalsFirstBelow = 131072.0;

[[gnu::always_inline]] inline bool QuickText(double value, NumberText& text) {
    const double magnitude = std::fabs(value);
    if (magnitude < kThreeDecimalsFirstBelow) {
        const auto m = static_cast<std::uint32_t>(magnitude * kPowersOfTen[3] + 0.5);
        if (static_cast<double>(m) / kPowersOfTen[3] == magnitude) {
            // Exactly m / 1000 in double precision: the whole part is the value's own.
            const auto whole = static_cast<std::uint32_t>(magnitude);
            text = PartsText<true>({whole, m - whole * 1000, 3, value < 0});
            return true;
        }
    }
    DecimalParts parts;
    if (value == 0 || !std::isfinite(value)) {
        text = NumberText{};
    } else if (IsSingle(value)) {
        return SingleText(static_cast<float>(value), text);
    } else if (FewDecimals(value, parts)) {
        text = parts.decimals <= 3 && parts.whole < 1000000 ? PartsText<true>(parts) : TextOf(parts);
    } else {
        return false;
    }
    return true;
}

// The commonest texts in one word: no sign, a whole part below 10^4 and at
// most 3 decimals make at most 8 characters. Compact() is false where a
// value's text is not of that kind (the quick path then makes it).
struct CompactText {
    std::uint64_t word = 0;
    std::size_t length = 0;
};

[[gnu::always_inline]] inline CompactText CompactWord(std::uint32_t whole, std::uint32_t fraction) {
    std::uint64_t digits;
    std::size_t wholeLength;
    if (whole < 1000) {
        digits = kLeading[whole] & 0xFFFFFFu;
        wholeLength = kLeading[whole] >> 24;
    } else {
        const std::uint32_t thousands = whole / 1000;
        digits = ('0' + thousands) | (static_cast<std::uint64_t>(kGroups[whole - thousands * 1000] & 0xFFFFFFu) << 8);
        wholeLength = 4;
    }
    const std::uint32_t decimals = kGroups[fraction];
    const std::size_t kept = decimals >> 24;
    // The point counts where any decimal is kept; no branch on it, as
    // values with and without decimals alternate at random.
    return {digits | ((std::uint64_t{'.'} | (static_cast<std::uint64_t>(decimals & 0xFFFFFFu) << 8)) << (8 * wholeLength)),
            wholeLength + kept + static_cast<std::size_t>(kept != 0)};
}

[[gnu::always_inline]] inline bool Compact(double value, CompactText& text) {
    if (!(value >= 0 && value < 10000)) return false;
    const auto m = static_cast<std::uint32_t>(value * kPowersOfTen[3] + 0.5);
    if (static_cast<double>(m) / kPowersOfTen[3] != value) return false;
    const auto whole = static_cast<std::uint32_t>(value);  // exactly m / 1000: the value's own whole part
    text = CompactWord(whole, m - whole * 1000);
    return true;
}

[[gnu::always_inline]] inline bool Compact(float value, CompactText& text) {
    std::uint32_t m;
    if (value == 0 && !std::signbit(value)) {
        text = {'0', 1};
        return true;
    }
    if (!InThousandths(value, m) || m >= 10000000) return false;  // negative singles fail the test
    const std::uint32_t whole = m / 1000;
    text = CompactWord(whole, m - whole * 1000);
    return true;
}

// The shortest fixed form where no quick path finds it: reads back exactly,
// and never an "E" that the readers' exponential check would refuse.
char* GeneralText(char* out, double value) {
    if (IsSingle(value)) {
        return std::to_chars(out, out + kNumberTextMax, static_cast<float>(value), std::chars_format::fixed).ptr;
    }
    return std::to_chars(out, out + kNumberTextMax, value, std::chars_format::fixed).ptr;
}

}  // namespace

char* WriteShortestSingle(char* out, float value) {
    NumberText text;
    if (SingleText(value, text)) return StoreText(out, text);
    return std::to_chars(out, out + kNumberTextMax, value, std::chars_format::fixed).ptr;
}

// The plain text of `value` at `out` (room for kNumberTextMax); returns its end.
char* WritePlain(char* out, double value) {
    NumberText text;
    if (QuickText(value, text)) return StoreText(out, text);
    return GeneralText(out, value);
}

void AppendPlainNumber(std::string& out, double value) {
    char buffer[kNumberTextMax];
    out.append(buffer, static_cast<std::size_t>(WritePlain(buffer, value) - buffer));
}

void AppendPlainLine(std::string& out, double value) {
    char buffer[kNumberTextMax + 2];
    char* end = WritePlain(buffer, value);
    *end++ = '\r';
    *end++ = '\n';
    out.append(buffer, static_cast<std::size_t>(end - buffer));
}

std::string PlainNumber(double value) {
    std::string text;
    AppendPlainNumber(text, value);
    return text;
}

template <class T>
void AppendNumberLines(std::string& out, const std::vector<T>& values, std::size_t width) {
    // Numbers go straight into the string's own storage. A text is made in
    // registers first, so its length is known: the blank or line end goes
    // ahead of it and its bytes straight after. Room is kept for the longest
    // quick text and its line end per value, and for what a text's stores
    // leave past its end; a general text (rare) makes room for itself.
    constexpr std::size_t kQuickRoom = 20;
    constexpr std::size_t kStoreSlack = 36;
    const T* const data = values.data();  // held here: stores through char pointers may alias anything
    const std::size_t count = values.size();
    const std::size_t start = out.size();
    out.resize(start + count * kQuickRoom + kStoreSlack);
    char* at = out.data() + start;
    std::size_t lineLength = 0;
    bool lineStarted = false;
    // The blank or line end ahead of a text of `length` characters.
    auto separate = [&](std::size_t length) {
        if (!lineStarted) {
            lineStarted = true;
            lineLength = length;
            return;
        }
        at[0] = '\r';
        at[1] = '\n';
        if (width == 0) {  // one value a line
            at += 2;
            return;
        }
        const std::size_t extended = lineLength + 1 + length;
        const bool breakLine = extended > width;
        at[0] = breakLine ? '\r' : ' ';
        at += breakLine ? 2 : 1;
        lineLength = breakLine ? length : extended;
    };
    char general[kNumberTextMax];
    for (std::size_t i = 0; i < count; ++i) {
        if (CompactText compact; Compact(data[i], compact)) {
            separate(compact.length);
            StoreWord(at, compact.word);
            at += compact.length;
            continue;
        }
        NumberText text;
        if (QuickText(data[i], text)) {
            separate(text.length());
            at = StoreText(at, text);
            continue;
        }
        const auto length = static_cast<std::size_t>(GeneralText(general, static_cast<double>(data[i])) - general);
        const std::size_t used = static_cast<std::size_t>(at - out.data());
        const std::size_t needed = used + 2 + length + (count - i) * kQuickRoom + kStoreSlack;
        if (out.size() < needed) {
            out.resize(needed);
            at = out.data() + used;
        }
        separate(length);
        std::memcpy(at, general, length);
        at += length;
    }
    out.resize(static_cast<std::size_t>(at - out.data()));
    out.append(kCrLf);
}

template void AppendNumberLines<float>(std::string&, const std::vector<float>&, std::size_t);
template void AppendNumberLines<double>(std::string&, const std::vector<double>&, std::size_t);

std::vector<HeaderLine> SplitHeaderLines(const std::vector<std::string>& lines) {
    std::vector<HeaderLine> result;
    result.reserve(lines.size());
    for (const std::string& line : lines) {
        HeaderLine header;
        const std::size_t close = line.find(']');
        if (line.starts_with('[') && close != std::string::npos) {
            header.tag = line.substr(0, close + 1);
            std::string_view value(line);
            value.remove_prefix(close + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
            header.value = std::string(value);
        } else {
            header.value = line;
        }
        result.push_back(std::move(header));
    }
    return result;
}

HeaderOrigin OriginOf(const PhotometricRecord& record) {
    if (!record.Keywords.empty()) {
        if (record.Keywords.front() == "EULUMDAT") return HeaderOrigin::Eulumdat;
        if (record.Keywords.front() == "CIBSE/1") return HeaderOrigin::Tm14;
    }
    return HeaderOrigin::Ies;
}

std::optional<std::string> KeywordValue(const std::vector<HeaderLine>& lines, std::string_view tag,
                                        bool joinMore) {
    std::optional<std::string> value;
    bool continuing = false;
    for (const HeaderLine& line : lines) {
        if (line.tag == tag) {
            value = line.value;
            continuing = true;
        } else if (line.tag == "[MORE]" && continuing && joinMore) {
            value->append(" ").append(line.value);
        } else if (!line.tag.empty()) {
            continuing = false;
        }
    }
    return value;
}

std::string OneLine(std::string_view text, std::size_t limit) {
    std::string line;
    line.reserve(text.size());
    for (char c : text) line.push_back(static_cast<unsigned char>(c) < 0x20 ? ' ' : c);
    if (limit != 0 && line.size() > limit) {
        std::size_t cut = limit;
        // Never split a UTF-8 sequence: back off over continuation bytes.
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        line.resize(cut);
    }
    return line;
}

std::string ShapeFault(const PhotometricRecord& record) {
    if (record.VertAngleCount <= 0 || record.HorAngleCount <= 0) return "the data set has no angles";
    if (record.VertAngles.size() != static_cast<std::size_t>(record.VertAngleCount) ||
        record.HorAngles.size() != static_cast<std::size_t>(record.HorAngleCount)) {
        return "the angle lists do not match their counts";
    }
    if (record.Candela.size() != record.HorAngles.size()) return "the candela table does not match the angles";
    for (const auto& plane : record.Candela) {
        if (plane.size() != record.VertAngles.size()) return "the candela table does not match the angles";
    }
    if (record.TiltIncl == kTrue &&
        (record.TiltPairCount < 0 || record.TiltAngles.size() != static_cast<std::size_t>(record.TiltPairCount) ||
         record.TiltFactors.size() != record.TiltAngles.size())) {
        return "the tilt lists do not match their count";
    }
    return {};
}

double Metres(double value, std::int16_t unitsType) { return unitsType == 1 ? value * 0.3048 : value; }

std::optional<double> RelativeLampFlux(const PhotometricRecord& record) {
    if (record.LampCount <= 0 || !(record.LumensPerLamp > 0)) return std::nullopt;
    return static_cast<double>(record.LampCount) * record.LumensPerLamp;
}

}  // namespace lumibench
