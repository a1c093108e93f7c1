#include "transform_options.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace lumibench {
namespace {

std::optional<double> Number(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [next, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || next != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

bool ParseTransformOption(const std::vector<std::string>& args, std::size_t& i, photometry::RecordTransform& transform,
                          std::string& error) {
    using namespace photometry;
    const std::string& arg = args[i];
    auto fail = [&](std::string text) {
        if (error.empty()) error = std::move(text);
        return true;
    };
    // "--name VALUE" or "--name=VALUE"; a value may start with "-" (--rotate -90).
    auto is = [&](const std::string& name) { return arg == name || arg.starts_with(name + "="); };
    auto valueOf = [&](const std::string& name) -> std::optional<std::string> {
        if (arg != name) return arg.substr(name.size() + 1);
        if (i + 1 < args.size()) return args[++i];
        fail(name + " needs a value");
        return std::nullopt;
    };
    if (arg == "--relative" || arg == "--absolute") {
        transform.photometry = arg == "--relative" ? PhotometryKind::Relative : PhotometryKind::Absolute;
    } else if (is("--rotate")) {
        const std::optional<std::string> value = valueOf("--rotate");
        if (!value) return true;
        const std::optional<double> degrees = Number(*value);
        if (!degrees) return fail("--rotate needs an angle in degrees, not '" + *value + "'");
        transform.rotateDegrees = *degrees;
    } else if (is("--mirror")) {
        const std::optional<std::string> value = valueOf("--mirror");
        if (!value) return true;
        if (*value == "c0") {
            transform.mirror = MirrorPlane::C0C180;
        } else if (*value == "c90") {
            transform.mirror = MirrorPlane::C90C270;
        } else {
            return fail("--mirror takes c0 or c90, not '" + *value + "'");
        }
    } else if (is("--scale-lumens")) {
        const std::optional<std::string> value = valueOf("--scale-lumens");
        if (!value) return true;
        const std::optional<double> lumens = Number(*value);
        if (!lumens || *lumens <= 0) return fail("--scale-lumens needs a positive number of lumens, not '" + *value + "'");
        transform.lampLumens = *lumens;
    } else if (is("--units")) {
        const std::optional<std::string> value = valueOf("--units");
        if (!value) return true;
        if (*value == "feet") {
            transform.units = LengthUnit::Feet;
        } else if (*value == "metres" || *value == "meters") {
            transform.units = LengthUnit::Metres;
        } else {
            return fail("--units takes feet or metres, not '" + *value + "'");
        }
    } else {
        return false;
    }
    return true;
}

std::string TransformUsageText() {
    return "Changing the data before it is written (in this order):\n"
           "  --relative          absolute photometry becomes relative, the lamp flux the luminaire flux\n"
           "  --scale-lumens LM   scale relative photometry to LM lamp lumens in all\n"
           "  --absolute          relative photometry becomes absolute (the candela stay)\n"
           "  --rotate DEG        turn the data by DEG: what was at C lies at C + DEG (C counter-\n"
           "                      clockwise seen from above; 270 or 90 turns curb-oriented road data)\n"
           "  --mirror c0|c90     mirror about the C0-C180 or the C90-C270 plane\n"
           "  --units feet|metres the dimensions in feet or metres\n"
           "A file whose data a change is not defined for (type B data turned) is not written.\n";
}

}  // namespace lumibench
