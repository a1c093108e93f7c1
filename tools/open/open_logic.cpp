#include "open_logic.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace lumibench::open {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Bare(const std::string& extension) {
    return Lower(!extension.empty() && extension.front() == '.' ? extension.substr(1) : extension);
}

std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

bool ParseFlag(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return Lower(std::string(text)) == "true";
}

bool HasExtension(const std::string& path, const std::vector<std::string>& extensions) {
    const std::string name = std::filesystem::path(path).filename().string();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;
    const std::string extension = Lower(name.substr(dot + 1));
    return std::any_of(extensions.begin(), extensions.end(), [&](const std::string& e) { return Bare(e) == extension; });
}

std::vector<std::string> FolderFiles(const std::string& folder, const std::vector<std::string>& extensions) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::error_code typeError;
        if (entry.is_regular_file(typeError) && HasExtension(entry.path().string(), extensions)) {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string NameFilter(const std::vector<std::string>& extensions) {
    std::string filter;
    for (const auto& e : extensions) {
        const std::string bare = Bare(e);
        std::string upper = bare;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (const std::string& form : {bare, upper}) {
            if (!filter.empty()) filter += ' ';
            filter += "*." + form;
        }
    }
    return filter;
}

std::vector<std::string> PushRecent(std::vector<std::string> recent, const std::vector<std::string>& opened,
                                    std::size_t limit) {
    for (const auto& path : opened) {
        std::erase(recent, path);
        recent.insert(recent.begin(), path);
    }
    std::erase(recent, std::string());
    if (recent.size() > limit) recent.resize(limit);
    return recent;
}

SendReport SendInBatches(HostLink& host, const WorkRecordTable& records, bool closeAfter) {
    SendReport report;
    for (std::size_t first = 0; first < records.size(); first += kMaxLoadedFiles) {
        const std::size_t last = std::min(records.size(), first + kMaxLoadedFiles);
        const bool final = last == records.size();
        if (first > 0) {
            // The host must have read the previous batch before its slots change.
            report.loaded = host.awaitLoadedCount();
            if (!report.loaded) return report;
        }
        host.write(WorkRecordTable(records.begin() + static_cast<std::ptrdiff_t>(first),
                                   records.begin() + static_cast<std::ptrdiff_t>(last)));
        if (!host.send(final && closeAfter ? "SENDNEWDATACLOSE" : "SENDNEWDATA")) return report;
        report.sent += last - first;
        ++report.batches;
        if (!final && !host.send("REFRESHLOADEDCOUNT")) return report;
    }
    report.complete = true;
    return report;
}

std::string StatusLine(std::size_t ready, std::size_t refused, std::size_t hiddenNotices) {
    std::string line = Plural(ready, "file ready", "files ready");
    if (refused > 0) line += ", " + std::to_string(refused) + " refused";
    if (hiddenNotices > 0) line += ", " + Plural(hiddenNotices, "notice not shown", "notices not shown");
    return line;
}

}  // namespace lumibench::open
