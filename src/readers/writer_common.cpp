#include "readers/writer_common.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace lumibench {

namespace {

constexpr std::size_t kNumberTextMax = 400;  // fixed form of the largest double fits

bool IsSingle(double value) {
    if (std::fabs(value) > std::numeric_limits<float>::max()) return false;
    return static_cast<double>(static_cast<float>(value)) == value;
}

}  // namespace

void AppendPlainNumber(std::string& out, double value) {
    if (!std::isfinite(value) || value == 0.0) {
        out.push_back('0');
        return;
    }
    char buffer[kNumberTextMax];
    // Shortest fixed form: reads back exactly, and never an "E" that the
    // readers' exponential check would refuse.
    const auto result = IsSingle(value)
                            ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value),
                                            std::chars_format::fixed)
                            : std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    out.append(buffer, result.ptr);
}

std::string PlainNumber(double value) {
    std::string text;
    AppendPlainNumber(text, value);
    return text;
}

template <class T>
void AppendNumberLines(std::string& out, const std::vector<T>& values, std::size_t width) {
    std::size_t lineStart = out.size();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t before = out.size();
        if (before > lineStart) out.push_back(' ');
        AppendPlainNumber(out, static_cast<double>(values[i]));
        if (out.size() - lineStart > width && before > lineStart) {
            // Too long: the value starts the next line instead.
            const std::string number = out.substr(before + 1);
            out.resize(before);
            out.append(kCrLf);
            lineStart = out.size();
            out.append(number);
        }
    }
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
