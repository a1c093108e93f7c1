#include "shell/command_line.h"

#include "core/path_text.h"

namespace lumibench {
namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Absolute paths start with "/" here too, so only a "/" item without a
// further folder separator or a dot is a switch; "/home/a.ies" is a file.
bool IsSwitch(std::string_view item) {
    return item.front() == '/' && item.find_first_of("/.", 1) == std::string_view::npos;
}

}  // namespace

std::string JoinArguments(const std::vector<std::string>& arguments) {
    std::string joined;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) {
            joined += ',';
        }
        joined += arguments[i];
    }
    return joined;
}

CommandLineItems ParseArguments(const std::vector<std::string>& arguments,
                                const std::filesystem::path& currentFolder,
                                const std::function<bool(const std::string&)>& isExistingFile) {
    CommandLineItems items;
    const auto addFile = [&items, &currentFolder](const std::string& file) {
        const std::filesystem::path path(file);
        items.files.push_back(path.is_absolute() || currentFolder.empty()
                                  ? file
                                  : (currentFolder / path).lexically_normal().string());
    };
    for (const std::string& argument : arguments) {
        if (!Trimmed(argument).empty() && isExistingFile && isExistingFile(argument)) {
            addFile(argument);
            continue;
        }
        CommandLineItems parsed = ParseCommandLine(argument);
        for (const std::string& file : parsed.files) {
            addFile(file);
        }
        items.toolNames.insert(items.toolNames.end(), parsed.toolNames.begin(),
                               parsed.toolNames.end());
    }
    return items;
}

std::string UsageText(std::string_view programName) {
    const std::string name(programName);
    return "Usage: " + name + " [OPTION]... [FILE]... [/R] [/F] [/I] [/V] [/C] [/T]\n"
           "Loads photometric files (IES LM-63 .ies, EULUMDAT .ldt .exl, CIBSE TM14 .cib .tml\n"
           ".c1s .cc) into the loaded files list and starts tools with the checked files.\n"
           "\n"
           "  FILE            a photometric file; a name with commas or blanks is one file\n"
           "                  when it exists. Arguments that are not existing files are\n"
           "                  split at commas, with double quotes removed.\n"
           "  /R /F /I        start the road, flood or indoor report tool\n"
           "  /V /C /T        start the view, compare or template tool\n"
           "  --screenshot PNG  save a picture of the main window once started, then exit\n"
           "  --help          show this text and exit\n"
           "  --version       show the program's version and exit\n"
           "\n"
           "Example: " + name + " a.ies b.ldt /C /V\n";
}

std::string ToolForSwitch(std::string_view letters) {
    const std::string upper = UpperAscii(std::string(letters));
    if (upper == "R") return "Tool_RoadReportPE";
    if (upper == "F") return "Tool_FloodReportPE";
    if (upper == "I") return "Tool_IndoorReportPE";
    if (upper == "V") return "Tool_ViewPE";
    if (upper == "C") return "Tool_ComparePE";
    if (upper == "T") return "Tool_TemplatePE";
    return {};
}

CommandLineItems ParseCommandLine(std::string_view text) {
    CommandLineItems items;
    std::string unquoted;
    unquoted.reserve(text.size());
    for (char c : text) {
        if (c != '"') {
            unquoted += c;
        }
    }
    std::string_view rest(unquoted);
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = Trimmed(rest.substr(0, comma));
        if (!item.empty()) {
            if (IsSwitch(item)) {
                std::string tool = ToolForSwitch(item.substr(1));
                if (!tool.empty()) {
                    items.toolNames.push_back(std::move(tool));
                }
            } else {
                items.files.emplace_back(item);
            }
        }
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    return items;
}

}  // namespace lumibench
