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

// "00" to "99": two digits for one division.
constexpr auto kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// The lowest `count` digits of m written backwards ending at `end`, zeros
// where m runs out; m keeps what is left. Returns where they start.
char* WriteLowDigits(char* end, std::uint64_t& m, int count) {
    for (; count >= 2; count -= 2) {
        const std::uint64_t pair = m % 100;
        m /= 100;
        end -= 2;
        end[0] = kDigitPairs[2 * pair];
        end[1] = kDigitPairs[2 * pair + 1];
    }
    if (count == 1) {
        *--end = static_cast<char>('0' + m % 10);
        m /= 10;
    }
    return end;
}

char* WriteScaledInteger(char* out, std::uint64_t m, int decimals, bool negative, int digits);

// Most values in photometric files have a few decimals: find the fewest that
// read back exactly (an integer m whose m / 10^d, which is what a correctly
// rounding reader computes, is the value) and write m's digits with the point.
char* WriteFewDecimals(char* out, double value) {
    const double magnitude = std::fabs(value);
    for (int decimals = 0; decimals < 7; ++decimals) {
        const double scaled = magnitude * kPowersOfTen[decimals] + 0.5;
        if (scaled >= kExactIntegers) return nullptr;
        const auto m = static_cast<std::int64_t>(scaled);
        const double q = static_cast<double>(m) / kPowersOfTen[decimals];
        if (q != magnitude) continue;
        return WriteScaledInteger(out, static_cast<std::uint64_t>(m), decimals, value < 0,
                                  DigitCount(static_cast<std::uint64_t>(m)));
    }
    return nullptr;
}

// m's digits at `out` with the point `decimals` places from the right,
// written backwards straight into place: "0.05" gets its zeros from the
// exhausted quotient. Returns the end.
char* WriteScaledInteger(char* out, std::uint64_t m, int decimals, bool negative, int digits) {
    const int integerDigits = std::max(digits - decimals, 1);
    char* const end = out + (negative ? 1 : 0) + integerDigits + (decimals > 0 ? decimals + 1 : 0);
    char* at = WriteLowDigits(end, m, decimals);
    if (decimals > 0) *--at = '.';
    at = WriteLowDigits(at, m, integerDigits);
    if (negative) *--at = '-';
    return end;
}

// The shortest fixed text of a single, found in integers. The single is
// N / 2^s exactly; at d decimals the nearest candidate is m = round(N 10^d / 2^s),
// and it reads back as the single when it lies strictly within half a step
// of it (steps are 1 / 2^s apart). The fewest decimals with such an m give
// the fewest digits. Only the plain cases are taken here; a tie between two
// candidates, a candidate on the interval's edge, a power of two (whose
// interval is lopsided) and a power of ten inside the interval go to the
// general conversion.
char* WriteShortSingleFast(char* out, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const std::uint32_t fraction = bits & 0x7FFFFFu;
    const int biased = static_cast<int>((bits >> 23) & 0xFFu);
    // 2^-23 up to 2^23: steps below 1, and with N < 2^24 and at most 11
    // decimals, 2 N 10^d and 2 10^k 2^s stay below 2^64.
    if (fraction == 0 || biased < 104 || biased >= 150) return nullptr;
    const std::uint64_t n = fraction | 0x800000u;
    const int shift = 150 - biased;  // 1 ... 46
    const std::uint64_t one = std::uint64_t{1} << shift;
    const std::uint64_t half = one >> 1;
    for (int decimals = 0; decimals < 12; ++decimals) {
        const std::uint64_t power = kIntegerPowers[decimals];
        const std::uint64_t t = n * power;
        const std::uint64_t whole = t >> shift;
        const std::uint64_t rest = t & (one - 1);
        if (rest == half) return nullptr;
        const bool up = rest > half;
        const std::uint64_t distance = 2 * (up ? one - rest : rest);  // in steps of 1/2^(s+1)
        if (distance > power) continue;
        if (distance == power) return nullptr;
        const std::uint64_t m = whole + (up ? 1 : 0);
        const int digits = DigitCount(m);
        const std::uint64_t leading = kIntegerPowers[digits - 1];
        // A power of ten above the interval's low end: a text one decimal
        // longer but below that power may have as few digits and lie nearer.
        if (2 * (leading << shift) > 2 * t - power) return nullptr;
        return WriteScaledInteger(out, m, decimals, value < 0, digits);
    }
    return nullptr;
}

}  // namespace

char* WriteShortestSingle(char* out, float value) {
    if (char* end = WriteShortSingleFast(out, value)) return end;
    return std::to_chars(out, out + kNumberTextMax, value, std::chars_format::fixed).ptr;
}

// The plain text of `value` at `out` (room for kNumberTextMax); returns its end.
char* WritePlain(char* out, double value) {
    if (!std::isfinite(value) || value == 0.0) {
        *out = '0';
        return out + 1;
    }
    const bool single = IsSingle(value);
    // Singles go straight to the shortest form: a few decimals rarely fit them.
    if (!single) {
        if (char* end = WriteFewDecimals(out, value)) return end;
    }
    // Shortest fixed form: reads back exactly, and never an "E" that the
    // readers' exponential check would refuse.
    return single ? WriteShortestSingle(out, static_cast<float>(value))
                  : std::to_chars(out, out + kNumberTextMax, value, std::chars_format::fixed).ptr;
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
    // Numbers are written straight into the string's own storage.
    std::size_t used = out.size();
    out.resize(used + values.size() * 16 + kNumberTextMax + 36);
    std::size_t lineLength = 0;
    // Each number goes two places on, room for a line end before it; where
    // it needs less, it moves back by a copy of fixed size, which compiles
    // to a few register moves instead of a library call.
    constexpr std::size_t kShort = 32;
    for (const T value : values) {
        if (out.size() - used < kNumberTextMax + kShort + 4) out.resize(out.size() * 2);
        char* start = out.data() + used;
        char* number = start + 2;
        const auto length = static_cast<std::size_t>(WritePlain(number, static_cast<double>(value)) - number);
        char* to = number;
        std::size_t advance = 2 + length;
        if (lineLength == 0) {
            to = start;
            advance = length;
            lineLength = length;
        } else if (lineLength + 1 + length > width) {
            start[0] = '\r';
            start[1] = '\n';
            lineLength = length;
        } else {
            start[0] = ' ';
            to = start + 1;
            advance = 1 + length;
            lineLength += 1 + length;
        }
        if (to != number) {
            if (length <= kShort) {
                char moved[kShort];
                std::memcpy(moved, number, kShort);
                std::memcpy(to, moved, kShort);
            } else {
                std::memmove(to, number, length);
            }
        }
        used += advance;
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
