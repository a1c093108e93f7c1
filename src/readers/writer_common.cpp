#include "readers/writer_common.h"

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

[[gnu::always_inline]] inline void StoreDigits(char* at, std::uint64_t lanes) {
    lanes += 0x3030303030303030u;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, &lanes, sizeof lanes);
    } else {
        for (int i = 0; i < 8; ++i) at[i] = static_cast<char>((lanes >> (8 * i)) & 0xFFu);
    }
}

// A number's text taken apart before it is stored, so that its length is
// known first and its digits go from registers straight to their place:
// the whole part's digits (from the lowest byte on), then the point and the
// decimals. Digits are 0 to 9 here; '0' is added as they are stored.
struct PlainPieces {
    std::uint64_t whole = 0;
    std::uint64_t first = 0;  // the first up to 8 decimals
    std::uint64_t last = 0;   // the last 8 decimals where there are more than 8
    int wholeLength = 1;
    int decimals = 0;  // where `last` goes
    int kept = 0;      // decimals shown; 0: no point
    bool negative = false;

    std::size_t length() const {
        return static_cast<std::size_t>((negative ? 1 : 0) + wholeLength + (kept > 0 ? kept + 1 : 0));
    }
};

// The text at `out`, which needs room for 28 characters (what is stored past
// the text's end is overwritten by whatever follows). Returns the end.
[[gnu::always_inline]] inline char* StorePieces(char* out, const PlainPieces& p) {
    if (p.negative) *out++ = '-';
    StoreDigits(out, p.whole);
    out += p.wholeLength;
    if (p.kept == 0) return out;
    *out = '.';
    StoreDigits(out + 1, p.first);
    if (p.decimals > 8) StoreDigits(out + 1 + (p.decimals - 8), p.last);
    return out + 1 + p.kept;
}

// `whole` (< 10^8), then `decimals` (at most 16) digits of `fraction`, the
// zeros at the end dropped (and the point with them when none are left);
// m is both together, whole 10^decimals + fraction.
[[gnu::always_inline]] inline PlainPieces MakePieces(std::uint64_t m, std::uint64_t whole, std::uint64_t fraction,
                                                     int decimals, bool negative) {
    PlainPieces p;
    p.negative = negative;
    p.decimals = decimals;
    int trailingZeros = 0;
    if (decimals <= 7 && m < 100000000) {
        // All of it in one set of eight digits, shifted to where each part begins.
        const std::uint64_t digits = EightDigits(m);
        // The first digit shown: the first that is not a leading zero, or
        // the '0' before the point when there is no whole part (m > 0).
        const int first = std::min(std::countr_zero(digits) / 8, 7 - decimals);
        p.whole = digits >> (8 * first);
        p.wholeLength = 8 - decimals - first;
        p.first = decimals > 0 ? digits >> (8 * (8 - decimals)) : 0;
        trailingZeros = std::min(std::countl_zero(digits) / 8, decimals);
    } else {
        const std::uint64_t wholeDigits = EightDigits(whole);
        // The leading zeros shifted out; a zero whole part keeps its last '0'.
        const int leadingZeros = whole == 0 ? 7 : std::countr_zero(wholeDigits) / 8;
        p.whole = wholeDigits >> (8 * leadingZeros);
        p.wholeLength = 8 - leadingZeros;
        if (decimals == 0) {
            p.first = 0;
        } else if (decimals <= 8) {
            p.first = EightDigits(fraction) >> (8 * (8 - decimals));
            trailingZeros = std::countl_zero(p.first) / 8 - (8 - decimals);
        } else {
            p.first = EightDigits(fraction / 100000000) >> (8 * (16 - decimals));
            p.last = EightDigits(fraction % 100000000);
            trailingZeros = p.last != 0 ? std::countl_zero(p.last) / 8
                                        : 8 + std::countl_zero(p.first) / 8 - (16 - decimals);
        }
    }
    p.kept = decimals - trailingZeros;
    return p;
}

// m < 10^16 at `out` with the point `decimals` (at most 15) places from the
// right, "0" before the point when m has no more digits than decimals.
// `out` must have room for 36 characters (what is copied past the text's
// end is overwritten by whatever follows). Returns the end.
char* WriteDecimal(char* out, std::uint64_t m, int decimals, bool negative) {
    const std::uint64_t high = EightDigits(m / 100000000);
    const std::uint64_t low = EightDigits(m % 100000000);
    // The 16 digits, and room to copy 16 bytes from anywhere in them.
    char digits[32] = {};
    StoreDigits(digits, high);
    StoreDigits(digits + 8, low);
    const int leadingZeros = high != 0 ? std::countr_zero(high) / 8
                                       : (low != 0 ? 8 + std::countr_zero(low) / 8 : 16);
    const int integerDigits = std::max(16 - leadingZeros - decimals, 1);
    const char* const point = digits + 16 - decimals;
    if (negative) *out++ = '-';
    std::memcpy(out, point - integerDigits, 16);
    out += integerDigits;
    if (decimals == 0) return out;
    *out++ = '.';
    std::memcpy(out, point, 16);
    return out + decimals;
}

// Most values in photometric files have a few decimals. Below 2^26 a step
// of 10^-6 is wider than the value's interval, so at 6 decimals only the
// nearest candidate can read back, every shorter text is that one with
// zeros at its end, and the product is near enough to an integer that
// rounding it finds that candidate. The candidate reads back when m / 10^6,
// which is what a correctly rounding reader computes, is the value: one
// division decides.
[[gnu::always_inline]] inline bool FewDecimalPieces(double value, PlainPieces& pieces) {
    const double magnitude = std::fabs(value);
    if (!(magnitude < kSixDecimalsBelow)) return false;
    // The text's whole part is the value's, or one more where m rounded up to it.
    auto split = [&](std::uint64_t m, std::uint64_t power, int decimals) {
        std::uint64_t whole = static_cast<std::uint64_t>(magnitude);
        std::uint64_t fraction = m - whole * power;
        if (fraction == power) {
            ++whole;
            fraction = 0;
        }
        pieces = MakePieces(m, whole, fraction, decimals, value < 0);
        return true;
    };
    // Most have three decimals or fewer: the same test at 3 decimals finds
    // them sooner (a candidate there is the one at 6 without its last zeros),
    // and the whole text then fits in one set of eight digits up to 10^5.
    const auto m3 = static_cast<std::int64_t>(magnitude * kPowersOfTen[3] + 0.5);
    if (static_cast<double>(m3) / kPowersOfTen[3] == magnitude) return split(static_cast<std::uint64_t>(m3), 1000, 3);
    const auto m6 = static_cast<std::int64_t>(magnitude * kPowersOfTen[6] + 0.5);
    if (static_cast<double>(m6) / kPowersOfTen[6] != magnitude) return false;
    return split(static_cast<std::uint64_t>(m6), 1000000, 6);
}

// Larger values: the fewest decimals whose nearest candidate reads back.
char* WriteFewDecimals(char* out, double value) {
    const double magnitude = std::fabs(value);
    if (magnitude < kSixDecimalsBelow) return nullptr;  // FewDecimalPieces has decided
    for (int decimals = 0; decimals < 7; ++decimals) {
        const double scaled = magnitude * kPowersOfTen[decimals] + 0.5;
        if (scaled >= kExactIntegers) return nullptr;
        const auto m = static_cast<std::int64_t>(scaled);
        const double q = static_cast<double>(m) / kPowersOfTen[decimals];
        if (q != magnitude) continue;
        return WriteDecimal(out, static_cast<std::uint64_t>(m), decimals, value < 0);
    }
    return nullptr;
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
// candidates, a candidate on the interval's edge, a power of two (whose
// interval is lopsided) and a power of ten inside the interval go to the
// general conversion (false).
[[gnu::always_inline]] inline bool ShortSinglePieces(float value, PlainPieces& pieces) {
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
    // 10^D / 2^s >= 1 steps wide and always holds a candidate; at D - 1 it is
    // narrower than a step, so only the nearest candidate can lie within, and
    // every text with fewer decimals is that candidate with zeros at its end.
    // Both are tried at once and the shorter kept if it reads back: that
    // stands for the whole walk up from 0 decimals, without a branch on it.
    const int wide = kWideDecimals[static_cast<std::size_t>(shift)];
    if (wide >= 12) return false;
    // D - 1 decimals: the nearest candidate, and whether it lies inside.
    const std::uint64_t shortPower = kShortPowers[static_cast<std::size_t>(shift)];
    const std::uint64_t shortT = n * shortPower;
    const std::uint64_t shortRest = shortT & (one - 1);
    const bool shortUp = shortRest > half;
    const std::uint64_t shortDistance = 2 * (shortUp ? one - shortRest : shortRest);  // in 1/2^(s+1)
    // D decimals: the same, ten times finer.
    const std::uint64_t longPower = shortPower * 10;
    const std::uint64_t longT = shortT * 10;
    const std::uint64_t longRest = longT & (one - 1);
    const bool longUp = longRest > half;
    const std::uint64_t longDistance = 2 * (longUp ? one - longRest : longRest);
    // Ties and candidates on the interval's edge go to the general conversion.
    if (shortRest == half || shortDistance == shortPower || longRest == half || longDistance >= longPower) {
        return false;
    }
    const bool isShort = shortDistance < shortPower;
    const int decimals = isShort ? wide - 1 : wide;
    const std::uint64_t power = isShort ? shortPower : longPower;
    const std::uint64_t t = isShort ? shortT : longT;
    const std::uint64_t m = (t >> shift) + ((isShort ? shortUp : longUp) ? 1 : 0);
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
        if (2 * (leading << shift) > 2 * t - power) return false;
    }
    pieces = MakePieces(m, whole, fraction, decimals, value < 0);
    return true;
}

// The pieces of a value's text where a quick path finds them: 0 for zero,
// NaN and infinities, the shortest text of a single, a double's few decimals.
[[gnu::always_inline]] inline bool QuickPieces(float value, PlainPieces& pieces) {
    if (ShortSinglePieces(value, pieces)) return true;
    if (value == 0 || !std::isfinite(value)) {
        pieces = PlainPieces{};
        return true;
    }
    return false;
}

[[gnu::always_inline]] inline bool QuickPieces(double value, PlainPieces& pieces) {
    if (value == 0 || !std::isfinite(value)) {
        pieces = PlainPieces{};
        return true;
    }
    // Singles go straight to the shortest form: a few decimals rarely fit them.
    if (IsSingle(value)) return ShortSinglePieces(static_cast<float>(value), pieces);
    return FewDecimalPieces(value, pieces);
}

}  // namespace

char* WriteShortestSingle(char* out, float value) {
    PlainPieces pieces;
    if (ShortSinglePieces(value, pieces)) return StorePieces(out, pieces);
    return std::to_chars(out, out + kNumberTextMax, value, std::chars_format::fixed).ptr;
}

// The plain text of `value` at `out` (room for kNumberTextMax); returns its end.
char* WritePlain(char* out, double value) {
    PlainPieces pieces;
    if (QuickPieces(value, pieces)) return StorePieces(out, pieces);
    // Shortest fixed form: reads back exactly, and never an "E" that the
    // readers' exponential check would refuse.
    if (IsSingle(value)) {
        return std::to_chars(out, out + kNumberTextMax, static_cast<float>(value), std::chars_format::fixed).ptr;
    }
    if (char* end = WriteFewDecimals(out, value)) return end;
    return std::to_chars(out, out + kNumberTextMax, value, std::chars_format::fixed).ptr;
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
    // Numbers are written straight into the string's own storage: the
    // length of a number's text is known before it is stored, so the blank
    // or line end goes first and the digits straight after it.
    std::size_t used = out.size();
    out.resize(used + values.size() * 16 + kNumberTextMax + 36);
    std::size_t lineLength = 0;
    char slow[kNumberTextMax];
    for (const T value : values) {
        if (out.size() - used < kNumberTextMax + 36) out.resize(out.size() * 2);
        PlainPieces pieces;
        const bool quick = QuickPieces(value, pieces);
        const std::size_t length =
            quick ? pieces.length() : static_cast<std::size_t>(WritePlain(slow, static_cast<double>(value)) - slow);
        char* at = out.data() + used;
        if (lineLength == 0) {
            lineLength = length;
        } else if (lineLength + 1 + length > width) {
            *at++ = '\r';
            *at++ = '\n';
            lineLength = length;
        } else {
            *at++ = ' ';
            lineLength += 1 + length;
        }
        if (quick) {
            StorePieces(at, pieces);
        } else {
            std::memcpy(at, slow, length);
        }
        used = static_cast<std::size_t>(at - out.data()) + length;
    }
    out.resize(used);
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
