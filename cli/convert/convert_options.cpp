#include "convert_options.h"

#include <filesystem>

#include "file_arguments.h"
#include "transform_options.h"

namespace lumibench {

const OptionTable& ConvertOptionTable() {
    static const OptionTable table = [] {
        std::vector<std::string> formats;
        for (FileFormat format : AllFileFormats()) formats.emplace_back(FileFormatName(format));
        return OptionTable{{{"--to"}, OptionValue::Choice, formats},
                           {{"--out", "-o"}, OptionValue::FileOrFolder},
                           {{"--force", "-f"}},
                           {{"--repair"}},
                           {{"--fix"}},
                           {{"--rotate"}, OptionValue::Number},
                           {{"--mirror"}, OptionValue::Choice, {"c0", "c90"}},
                           {{"--scale-lumens"}, OptionValue::Number},
                           {{"--relative"}},
                           {{"--absolute"}},
                           {{"--units"}, OptionValue::Choice, {"feet", "metres"}},
                           HelpOption(),
                           VersionOption()};
    }();
    return table;
}

ConvertOptions ParseConvertArguments(const std::vector<std::string>& args) {
    ConvertOptions options;
    auto fail = [&](std::string text) {
        if (options.error.empty()) options.error = std::move(text);
    };
    ParseFileArguments(args, options, ConvertOptionTable(), [&](const std::string& arg, std::size_t& i) {
        if (arg == "--to" || arg.starts_with("--to=")) {
            std::string value;
            if (arg == "--to") {
                if (i + 1 >= args.size()) {
                    fail("--to needs a format");
                    return true;
                }
                value = args[++i];
            } else {
                value = arg.substr(5);
            }
            options.to = FileFormatFromName(value);
            if (!options.to) fail("unknown format '" + value + "'");
        } else if (arg == "--out" || arg == "-o" || arg.starts_with("--out=")) {
            if (arg.starts_with("--out=")) {
                options.out = arg.substr(6);
            } else if (i + 1 < args.size()) {
                options.out = args[++i];
            } else {
                fail(arg + " needs a file or folder");
            }
        } else if (arg == "--force" || arg == "-f") {
            options.force = true;
        } else if (arg == "--repair") {
            options.repair = true;
        } else if (arg == "--fix") {
            options.fix = true;
        } else if (std::string error; ParseTransformOption(args, i, options.transform, error)) {
            if (!error.empty()) fail(error);
        } else {
            return false;
        }
        return true;
    });
    if (options.error.empty() && !options.help && !options.version && !options.to) options.error = "--to is required";
    RequireFiles(options);
    return options;
}

std::string ConvertUsageText() {
    return "Usage: lumibench-convert --to ies2002|ies2019|ies1995|ldt|tm14|tm33|atla-json [--out FILE|DIR]\n"
           "                         [--force] [--repair] [--fix] [--rotate DEG] [--mirror c0|c90]\n"
           "                         [--scale-lumens LM] [--relative|--absolute] [--units feet|metres] FILE...\n"
           "Converts photometric files (IES, EULUMDAT, CIBSE TM14, TM-33 XML, ATLA JSON, GLDF containers)\n"
           "read as Lumibench reads them.\n"
           "A FILE that is a folder stands for the photometric files in it, in name order.\n"
           "\n"
           "  --to FORMAT  the format to write: ies2002, ies2019, ies1995, ldt (EULUMDAT), tm14,\n"
           "               tm33 (IES TM-33-23 XML), atla-json (ATLA S001-A JSON)\n"
           "  --out PATH   the file to write (one FILE only) or a folder for every output;\n"
           "               without it each output goes beside its input, with the format's extension\n"
           "  --force      replace files that exist (never done without it); never a FILE of\n"
           "               this run, its repaired copy, nor a file this run already wrote\n"
           "  --repair     read a badly delimited file from a \"_Repaired\" copy, as the checker does\n"
           "  --fix        read a refused file that the fix-ups can mend from their \"_Repaired\"\n"
           "               copy, as lumibench-check --fix writes it, and list each change\n"
           "  --help       show this text\n"
           "  --version    show the version\n"
           "\n" +
           TransformUsageText() +
           "\n"
           "Every placeholder or approximation a format forces is printed under its file.\n"
           "A file is written only when the reader of its format reads it back; otherwise, and\n"
           "for a refused target, \"not written: PATH: reason\" is printed and the run goes on.\n"
           "Exit status: 0 every file converted, 1 a file failed, 2 usage error or unreadable FILE.\n";
}

std::string OutputPathFor(const std::string& input, FileFormat format, const std::string& out, bool outIsFolder) {
    namespace fs = std::filesystem;
    if (!out.empty() && !outIsFolder) return out;
    fs::path name = fs::path(input).filename();
    name.replace_extension(std::string(FileFormatExtension(format)));
    const fs::path folder = out.empty() ? fs::path(input).parent_path() : fs::path(out);
    return (folder / name).string();
}

}  // namespace lumibench
