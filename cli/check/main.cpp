// lumibench-check: checks photometric files as Lumibench loads them.

#include <iostream>
#include <string>
#include <vector>

#include "check_options.h"
#include "check_output.h"
#include "file_check.h"
#include "platform/app_folders.h"

int main(int argc, char** argv) {
    using namespace lumibench;
    const CheckOptions options = ParseCheckArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty()) {
        std::cerr << "lumibench-check: " << options.error << "\n" << CheckUsageText();
        return kUsageOrUnreadable;
    }
    if (options.help) {
        std::cout << CheckUsageText();
        return kAllLoaded;
    }
    if (options.version) {
        std::cout << "lumibench-check " << LUMIBENCH_VERSION << "\n";
        return kAllLoaded;
    }

    nlohmann::ordered_json document = nlohmann::ordered_json::array();
    bool first = true;
    const int status = CheckEachFile(options.files, options.repair, UserDataFolder().string(), "lumibench-check",
                                     std::cerr, [&](const FileCheckResult& result) {
        if (options.json) {
            // Standard output is the JSON document alone; notices go aside.
            for (const std::string& notice : result.announcements) std::cerr << notice << "\n";
            document.push_back(ResultToJson(result));
        } else {
            std::cout << (first ? "" : "\n") << FormatPlainResult(result);
            first = false;
        }
    });
    if (options.json) std::cout << document.dump(2) << "\n";
    std::cout.flush();
    return status;
}
