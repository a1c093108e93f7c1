#include "shell/record_summary.h"

#include <charconv>
#include <cmath>

namespace lumibench {

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos) {
        name.resize(dot);
    }
    return name;
}

std::string SummaryNumber(std::int64_t value) { return std::to_string(value); }

std::string SummaryNumber(float value, char decimalPoint) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Infinity" : "Infinity";
    }
    if (value == 0) {
        return "0";  // never "-0"
    }
    char text[48];
    const auto written = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                       std::chars_format::general, 7);
    std::string result(text, written.ptr);
    // Very large or small magnitudes keep an exponent, written "1.5E+07".
    const std::size_t e = result.find('e');
    if (e != std::string::npos) {
        result[e] = 'E';
    }
    const std::size_t point = result.find('.');
    if (point != std::string::npos) {
        result[point] = decimalPoint;
    }
    return result;
}

std::string RecordSummaryText(const PhotometricRecord& r, char decimalPoint) {
    std::string text;
    const auto line = [&text](const std::string& content) { text += content + "\r\n"; };
    const auto single = [decimalPoint](float value) { return SummaryNumber(value, decimalPoint); };

    if (r.Saved == kFalse) {
        line("*** NOT SAVED ***");
    }
    line(BaseName(r.Filename));
    if (r.TiltIncl == kTrue) {
        line("Tilt=INCLUDE");
        line("Lamp Geo.=" + SummaryNumber(r.LampGeometry));
        line("#Tilt Factors=" + SummaryNumber(r.TiltPairCount));
    } else if (r.TiltIncl == 0) {
        line("Tilt=NONE");
    } else {
        line("Tilt=<Filename>");
    }
    line("Lamps=" + SummaryNumber(r.LampCount));
    line("Lumens=" + single(r.LumensPerLamp));
    line("Mult.=" + single(r.CandelaMultiplier));
    switch (r.PhotometricType) {
    case 1: line("Photo. Type=Type C"); break;
    case 2: line("Photo. Type=Type B"); break;
    case 3: line("Photo. Type=Type A"); break;
    default: break;
    }
    switch (r.UnitsType) {
    case 1: line("Units. Type=Feet"); break;
    case 2: line("Units. Type=Meters"); break;
    default: break;
    }
    line("Width=" + single(r.Width));
    line("Length=" + single(r.Length));
    line("Height=" + single(r.Height));
    line("Watts=" + single(r.InputWatts));
    line("#Vert. Angles=" + SummaryNumber(r.VertAngleCount));
    line("#Hor. Angles=" + SummaryNumber(r.HorAngleCount));
    return text;
}

std::string FileInformationText(const PhotometricRecord& record,
                                const std::optional<FileFacts>& facts) {
    if (!facts) {
        return kNoFileInformationText;
    }
    std::string text = "Filename: " + record.Filename + "\r\n" +
                       "Last Modified: " + facts->lastModifiedText + "\r\n" +
                       "File Size: " + std::to_string(facts->sizeBytes) + " bytes";
    if (record.Saved == kFalse) {
        text +=
            "\r\nNote: This file has been modified and has not been saved.\r\n"
            "Displayed File Information is for the saved version of the file.";
    }
    return text;
}

}  // namespace lumibench
