// lumibench-photometry: the photometric figures of files read as Lumibench loads them.

#include <iostream>
#include <string>
#include <vector>

#include "file_check.h"
#include "core/terminal_text.h"
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

    if (options.compare) {
        std::vector<photometry::NamedSummary> sets;
        const int status = CheckEachFile(options.files, options.repair, UserDataFolder().string(),
                                         "lumibench-photometry", std::cerr, [&](const FileCheckResult& result) {
            for (const std::string& notice : result.announcements) std::cerr << TerminalEntry(notice) << "\n";
            if (!result.skipped && result.ok()) sets.push_back({result.file, photometry::Summarise(result.record)});
        });
        if (options.reference > sets.size()) {
            std::cerr << "lumibench-photometry: --compare=" << options.reference << " but " << sets.size()
                      << " file(s) loaded\n";
            return kUsageOrUnreadable;
        }
        const photometry::Comparison comparison = photometry::CompareSummaries(sets, options.reference - 1);
        if (options.json) {
            std::cout << ComparisonToJson(comparison).dump(2) << "\n";
        } else {
            std::cout << photometry::ComparisonCsv(comparison);
        }
        std::cout.flush();
        return status;
    }

    nlohmann::ordered_json document = nlohmann::ordered_json::array();
    bool first = true;
    const int status = CheckEachFile(options.files, options.repair, UserDataFolder().string(),
                                     "lumibench-photometry", std::cerr, [&](const FileCheckResult& result) {
        // Notices (a repaired copy written) go aside: standard output holds the figures alone.
        std::cout.flush();
        for (const std::string& notice : result.announcements) std::cerr << TerminalEntry(notice) << "\n";
        if (options.json) {
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
