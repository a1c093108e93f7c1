#include "photometry_options.h"

namespace lumibench {

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
        } else if (options.error.empty()) {
            options.error = "unknown option '" + arg + "'";
        }
    }
    if (options.error.empty() && !options.help && !options.version && options.files.empty()) {
        options.error = "no FILE given";
    }
    return options;
}

std::string PhotometryUsageText() {
    return "Usage: lumibench-photometry [--repair] [--json] FILE...\n"
           "Prints the photometric figures of each file (IES, EULUMDAT, CIBSE TM14), read as\n"
           "Lumibench loads it. A FILE that is a folder stands for the files in it, in name order.\n"
           "\n"
           "  --repair   read a badly delimited file through a \"_Repaired\" copy\n"
           "  --json     print one JSON array with an object per file\n"
           "  --help     show this text\n"
           "  --version  show the version\n"
           "\n"
           "Exit status: 0 every file loaded, 1 a file failed, 2 usage error or unreadable FILE.\n";
}

}  // namespace lumibench
