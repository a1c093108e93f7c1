// lumibench-photometry: the photometric figures of files read as Lumibench loads them.

#include <iostream>
#include <string>
#include <vector>

#include "file_check.h"
#include "photometry_options.h"
#include "photometry_output.h"
#include "platform/app_folders.h"

int main(int argc, char** argv) {
    using namespace lumibench;
    const PhotometryOptions options = ParsePhotometryArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty()) {
        std::cerr << "lumibench-photometry: " << options.error << "\n" << PhotometryUsageText();
        return kUsageOrUnreadable;
    }
    if (options.help) {
        std::cout << PhotometryUsageText();
        return kAllLoaded;
    }
    if (options.version) {
        std::cout << "lumibench-photometry " << LUMIBENCH_VERSION << "\n";
        return kAllLoaded;
    }

    nlohmann::ordered_json document = nlohmann::ordered_json::array();
    bool first = true;
    const int status = CheckEachFile(options.files, options.repair, UserDataFolder().string(),
                                     "lumibench-photometry", std::cerr, [&](const FileCheckResult& result) {
        if (options.json) {
            // Standard output is the JSON document alone; notices go aside.
            for (const std::string& notice : result.announcements) std::cerr << notice << "\n";
            document.push_back(PhotometryToJson(result, options.inputs));
        } else {
            std::cout << (first ? "" : "\n") << FormatPlainPhotometry(result, options.inputs);
            first = false;
        }
    });
    if (options.json) std::cout << document.dump(2) << "\n";
    std::cout.flush();
    return status;
}
