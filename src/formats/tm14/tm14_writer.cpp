#include "formats/tm14/tm14_writer.h"

#include <algorithm>

#include "photometry/photometry.h"

namespace lumibench {
namespace {

constexpr std::size_t kNumberLineWidth = 78;

}  // namespace

WrittenText WriteTm14Text(const PhotometricRecord& record) {
    WrittenText out;
    if (record.PhotometricType != 1 && record.PhotometricType != 2) {
        out.error = "TM14 holds type C and type B data only.";
        return out;
    }
    if (const std::string fault = ShapeFault(record); !fault.empty()) {
        out.error = "Cannot write this data set: " + fault + ".";
        return out;
    }
    const std::vector<HeaderLine> header = SplitHeaderLines(record.Keywords);
    const HeaderOrigin origin = OriginOf(record);
    auto value = [&](std::string_view tag) {
        return OneLine(KeywordValue(header, tag, origin != HeaderOrigin::Tm14).value_or(""));
    };

    // Our reader reads the lamp count as at least 1 and every lamp as 1000 lm,
    // and multiplies the values by the count: so the values written are the
    // distribution per 1000 lamp lumens, which then comes back unchanged.
    const int lamps = std::max<int>(record.LampCount, 1);
    double lampFlux = 0;
    if (const std::optional<double> relative = RelativeLampFlux(record)) {
        lampFlux = *relative;
        if (record.LumensPerLamp != 1000) {
            out.notes.push_back("Lumens per lamp " + PlainNumber(record.LumensPerLamp) +
                                " become the format's 1000 lm: intensities scaled to match.");
        }
    } else {
        lampFlux = photometry::TotalFlux(photometry::IntensityDistribution(record));
        out.notes.push_back("Absolute photometry: intensities relate to the luminaire flux, " +
                            PlainNumber(static_cast<float>(lampFlux)) + " lm, as lamp flux.");
    }
    if (record.TiltIncl != kFalse) out.notes.push_back("Tilt factors are not carried: TM14 has no such table.");
    if (!(lampFlux > 0)) {
        out.error = "The data set has no luminous flux to relate the intensities to.";
        return out;
    }
    const double factor = record.CandelaMultiplier * 1000.0 / lampFlux;

    std::string& text = out.text;
    text.reserve(1024 + record.Candela.size() * record.VertAngles.size() * 12);
    auto line = [&](std::string_view s) { text.append(s).append(kCrLf); };
    line("CIBSE/1");
    line(value("[TEST]"));
    line(value("[LUMCAT]"));
    line(value("[LUMINAIRE]"));
    line(value("[LAMP]"));
    std::vector<std::string> others;
    if (origin == HeaderOrigin::Tm14) {
        line(value("[MORE]"));
        for (const HeaderLine& h : header) {
            if (h.tag == "[OTHER]" && others.size() < 2) others.push_back(OneLine(h.value));
        }
    } else {
        line(value("[MANUFAC]"));
    }
    others.resize(2);
    for (const std::string& other : others) line(other);

    const double toMetres = record.UnitsType == 1 ? 0.3048 : 1.0;
    line(std::to_string(lamps) + " " + std::to_string(record.PhotometricType));
    line(PlainNumber(static_cast<float>(record.Length * toMetres)) + " " +
         PlainNumber(static_cast<float>(record.Width * toMetres)) + " " +
         PlainNumber(static_cast<float>(record.Height * toMetres)));
    line(PlainNumber(record.BallastFactor) + " " + PlainNumber(record.InputWatts));
    auto number = [&](std::string_view tag) {
        const std::string v = value(tag);
        return v.empty() || v.find_first_not_of("0123456789.-") != std::string::npos ? std::string("0") : v;
    };
    line(number("[_TM14_VA]") + " " + number("[_TM14_DESIGNANGLE]"));
    line(std::to_string(record.VertAngleCount) + " " + std::to_string(record.HorAngleCount));
    AppendNumberLines(text, record.VertAngles, kNumberLineWidth);
    AppendNumberLines(text, record.HorAngles, kNumberLineWidth);
    std::vector<float> plane;
    for (const auto& values : record.Candela) {
        plane.clear();
        for (double v : values) plane.push_back(static_cast<float>(v * factor));
        AppendNumberLines(text, plane, kNumberLineWidth);
    }
    line(number("[_TM14_GSC]") + " " + number("[_TM14_LUMBASE]") + " " + number("[_TM14_LUMSIDE]") + " " +
         number("[_TM14_LUMEND]"));
    return out;
}

}  // namespace lumibench
