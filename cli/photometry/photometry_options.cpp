#include "photometry_options.h"

#include <charconv>
#include <functional>
#include <map>

#include "file_arguments.h"
#include "number_option.h"

namespace lumibench {
namespace {

using NumberSetter = std::function<bool(ApplicationInputs&, double)>;

const std::map<std::string, NumberSetter>& NumberOptions() {
    static const std::map<std::string, NumberSetter> options{
        {"--distance", [](ApplicationInputs& in, double v) { in.target.distance = v; return v > 0; }},
        {"--aim-h", [](ApplicationInputs& in, double v) { in.target.aimHorizontal = v; return v > -90 && v < 90; }},
        {"--aim-v", [](ApplicationInputs& in, double v) { in.target.aimVertical = v; return v > -90 && v < 90; }},
        {"--target-width", [](ApplicationInputs& in, double v) { in.target.halfWidth = v / 2; return v > 0; }},
        {"--target-height", [](ApplicationInputs& in, double v) { in.target.halfHeight = v / 2; return v > 0; }},
        {"--mounting-height", [](ApplicationInputs& in, double v) { in.road.mountingHeight = v; return v > 0; }},
        {"--spacing", [](ApplicationInputs& in, double v) { in.road.spacing = v; return v > 0; }},
        {"--road-width", [](ApplicationInputs& in, double v) { in.road.roadWidth = v; return v > 0; }},
        {"--lanes", [](ApplicationInputs& in, double v) {
             in.road.lanes = static_cast<int>(v);
             return v >= 1 && v <= 20 && v == static_cast<int>(v);
         }},
        {"--overhang", [](ApplicationInputs& in, double v) { in.road.overhang = v; return v >= 0; }},
    };
    return options;
}

}  // namespace

const OptionTable& PhotometryOptionTable() {
    static const OptionTable table = [] {
        std::vector<std::string> arrangements;
        for (auto a : {photometry::RoadArrangement::SingleSided, photometry::RoadArrangement::Opposite,
                       photometry::RoadArrangement::Staggered, photometry::RoadArrangement::Central}) {
            arrangements.push_back(photometry::RoadArrangementName(a));
        }
        OptionTable rows{{{"--repair"}},
                         {{"--json"}},
                         {{"--compare"}, OptionValue::Number, {}, true, true},
                         {{"--feet"}},
                         {{"--arrangement"}, OptionValue::Choice, arrangements, true},
                         HelpOption(),
                         VersionOption()};
        for (const auto& [name, setter] : NumberOptions()) rows.push_back({{name}, OptionValue::Number, {}, true});
        return rows;
    }();
    return table;
}

PhotometryOptions ParsePhotometryArguments(const std::vector<std::string>& args) {
    PhotometryOptions options;
    ParseFileArguments(args, options, PhotometryOptionTable(), [&](const std::string& arg, std::size_t&) {
        if (arg == "--repair") {
            options.repair = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--compare") {
            options.compare = true;
        } else if (arg.rfind("--compare=", 0) == 0) {
            options.compare = true;
            const std::string n = arg.substr(10);
            const auto [end, error] = std::from_chars(n.data(), n.data() + n.size(), options.reference);
            if ((error != std::errc() || end != n.data() + n.size() || options.reference < 1) && options.error.empty()) {
                options.error = "'" + arg + "' wants the reference's place among the files, from 1";
            }
        } else if (arg == "--feet") {
            options.inputs.feet = true;
        } else if (arg.rfind("--arrangement=", 0) == 0) {
            const auto arrangement = photometry::ParseRoadArrangement(arg.substr(arg.find('=') + 1));
            if (arrangement) {
                options.inputs.road.arrangement = *arrangement;
            } else if (options.error.empty()) {
                options.error = "unknown arrangement in '" + arg + "' (single, opposite, staggered, central)";
            }
        } else if (const auto eq = arg.find('='); eq != std::string::npos && NumberOptions().count(arg.substr(0, eq))) {
            double value = 0;
            const bool number = ParseOptionNumber(arg.substr(eq + 1), value);
            if ((!number || !NumberOptions().at(arg.substr(0, eq))(options.inputs, value)) && options.error.empty()) {
                options.error = "value out of range in '" + arg + "'";
            }
        } else {
            return false;
        }
        return true;
    });
    if (options.inputs.feet) options.inputs.road.metresPerUnit = 0.3048;
    RequireFiles(options);
    return options;
}

std::string PhotometryUsageText() {
    return "Usage: lumibench-photometry [--repair] [--json] [--compare[=N]] [OPTION=VALUE...] FILE...\n"
           "Prints the photometric figures of each file (IES, EULUMDAT, CIBSE TM14), read as\n"
           "Lumibench loads it. A FILE that is a folder stands for the files in it, in name order.\n"
           "\n"
           "  --repair   read a badly delimited file through a \"_Repaired\" copy\n"
           "  --json     print one JSON array with an object per file\n"
           "  --compare[=N]  the files side by side instead: their figures and differences against\n"
           "             the Nth file that loads (default 1), as CSV, or one JSON object with --json\n"
           "  --help     show this text\n"
           "  --version  show the version\n"
           "\n"
           "Application figures (lengths in metres, illuminance in lux; --feet for feet and footcandles):\n"
           "  --distance=10 --aim-h=0 --aim-v=0 --target-width=10 --target-height=10\n"
           "             floodlight target plane: distance, aim off its centre (degrees), size\n"
           "  --mounting-height=10 --spacing=30 --road-width=7 --lanes=2 --overhang=0\n"
           "  --arrangement=single|opposite|staggered|central\n"
           "             road layout of the illuminance grid\n"
           "\n"
           "Exit status: 0 every file loaded, 1 a file failed, 2 usage error or unreadable FILE.\n";
}

}  // namespace lumibench
