#include "check_options.h"

#include "file_arguments.h"

namespace lumibench {

const OptionTable& CheckOptionTable() {
    static const OptionTable table{{{"--repair"}}, {{"--fix"}}, {{"--json"}}, HelpOption(), VersionOption()};
    return table;
}

CheckOptions ParseCheckArguments(const std::vector<std::string>& args) {
    CheckOptions options;
    ParseFileArguments(args, options, CheckOptionTable(), [&](const std::string& arg, std::size_t&) {
        if (arg == "--repair") options.repair = true;
        else if (arg == "--fix") options.fix = true;
        else if (arg == "--json") options.json = true;
        else return false;
        return true;
    });
    RequireFiles(options);
    return options;
}

std::string CheckUsageText() {
    return "Usage: lumibench-check [--repair] [--fix] [--json] FILE...\n"
           "Checks photometric files (IES, EULUMDAT, CIBSE TM14) as Lumibench loads them.\n"
           "A FILE that is a folder stands for the files in it, in name order.\n"
           "\n"
           "  --repair   write a \"_Repaired\" copy of a badly delimited file and check that\n"
           "             (without it no file is ever written)\n"
           "  --fix      for a refused file that the fix-ups can mend (exponent numbers,\n"
           "             missing line breaks, a missing 360 plane, nadir noise, EULUMDAT\n"
           "             gamma angles short of 180), write a fixed \"_Repaired\" copy, list\n"
           "             each change with its line, and check the copy\n"
           "             (a copy never replaces a FILE of this run nor a copy it wrote)\n"
           "  --json     print one JSON array with an object per file, as each is done;\n"
           "             a name that is not UTF-8 also has its bytes in base64 (file_bytes)\n"
           "  --help     show this text\n"
           "  --version  show the version\n"
           "\n"
           "Exit status: 0 every file loaded, 1 a file failed, 2 usage error or unreadable FILE.\n";
}

}  // namespace lumibench
