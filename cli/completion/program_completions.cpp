#include "program_completions.h"

#include <algorithm>
#include <cctype>

#include "check_options.h"
#include "convert_options.h"
#include "formats/checked_load.h"
#include "photometry_options.h"
#include "template_options.h"
#include "thumbnail_options.h"

namespace lumibench {
namespace {

// ".IES" -> "ies", for every extension a reader takes.
std::vector<std::string> PhotometricExtensions() {
    std::vector<std::string> extensions;
    for (std::string extension : ReaderExtensions()) {
        if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        extensions.push_back(extension);
    }
    return extensions;
}

}  // namespace

std::vector<ProgramCompletion> ProgramCompletions() {
    const std::vector<std::string> photometric = PhotometricExtensions();
    std::vector<ProgramCompletion> programs;
    programs.push_back({"lumibench",
                        {{{"--screenshot"}, OptionValue::File}, HelpOption(), VersionOption()},
                        {},
                        true,
                        photometric,
                        {"/R", "/F", "/I", "/V", "/C", "/T"}});
    programs.push_back({"lumibench-check", CheckOptionTable(), {}, true, photometric, {}});
    programs.push_back({"lumibench-convert", ConvertOptionTable(), {}, true, photometric, {}});
    programs.push_back({"lumibench-photometry", PhotometryOptionTable(), {}, true, photometric, {}});
    programs.push_back({"lumibench-template", TemplateOptionTable(), {}, false, {}, {}});
    // INPUT by the readers' extensions; OUTPUT is a new file anywhere.
    programs.push_back({"lumibench-thumbnail", ThumbnailOptionTable(), {}, true, {}, {}});
    programs.push_back({"lumibench-settings",
                        {{{"--file"}, OptionValue::File}, HelpOption(), VersionOption()},
                        {"get", "set", "list", "dump", "path"},
                        false,
                        {},
                        {}});
    programs.push_back({"lumibench-productlist", {HelpOption(), VersionOption()}, {"create", "scramble", "show"},
                        true, {}, {}});
    return programs;
}

}  // namespace lumibench
