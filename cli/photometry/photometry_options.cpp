#include "photometry_options.h"

#include <charconv>
#include <functional>
#include <map>

namespace lumibench {
namespace {

// Reads "--name=value" into a number; false for text that is not all number.
bool ParseNumber(const std::string& text, double& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && first != last;
}

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

PhotometryOptions ParsePhotometryArguments(const std::vector<std::string>& args) {
    PhotometryOptions options;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--repair") {
            options.repair = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
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
            const bool number = ParseNumber(arg.substr(eq + 1), value);
            if ((!number || !NumberOptions().at(arg.substr(0, eq))(options.inputs, value)) && options.error.empty()) {
                options.error = "value out of range in '" + arg + "'";
            }
        } else if (options.error.empty()) {
            options.error = "unknown option '" + arg + "'";
        }
    }
    if (options.inputs.feet) options.inputs.road.metresPerUnit = 0.3048;
    if (options.error.empty() && !options.help && !options.version && options.files.empty()) {
        options.error = "no FILE given";
    }
    return options;
}

std::string PhotometryUsageText() {
    return "Usage: lumibench-photometry [--repair] [--json] [OPTION=VALUE...] FILE...\n"
           "Prints the photometric figures of each file (IES, EULUMDAT, CIBSE TM14), read as\n"
           "Lumibench loads it. A FILE that is a folder stands for the files in it, in name order.\n"
           "\n"
           "  --repair   read a badly delimited file through a \"_Repaired\" copy\n"
           "  --json     print one JSON array with an object per file\n"
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
