#include "file_check.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "formats/text/line_delimiters.h"
#include "formats/text/text_decoding.h"

namespace lumibench {

namespace fs = std::filesystem;

namespace {

std::string ReadError(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec) return "cannot read '" + path + "': " + ec.message();
    if (fs::is_directory(status)) return {};
    // Opening would block on a pipe; the reader refuses what is not a regular file.
    if (::access(path.c_str(), R_OK) != 0) return "cannot read '" + path + "': " + std::strerror(errno);
    return {};
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

}  // namespace

ExpandedFiles ExpandCheckArguments(const std::vector<std::string>& args) {
    ExpandedFiles out;
    for (const std::string& arg : args) {
        if (std::string error = ReadError(arg); !error.empty()) {
            out.inputs.push_back({arg, error});
            out.errors.push_back(std::move(error));
            continue;
        }
        std::error_code ec;
        if (!fs::is_directory(arg, ec)) {
            out.inputs.push_back({arg, {}});
            out.files.push_back(arg);
            continue;
        }
        std::vector<std::string> names;
        fs::directory_iterator it(arg, ec), end;
        if (ec) {
            out.inputs.push_back({arg, "cannot read '" + arg + "': " + ec.message()});
            out.errors.push_back(out.inputs.back().error);
            continue;
        }
        for (; it != end; it.increment(ec)) {
            std::error_code typeError;
            std::string name = it->path().filename().string();
            // Hidden files (.gitattributes and the like) are not photometric data.
            if (name.front() != '.' && it->is_regular_file(typeError)) names.push_back(std::move(name));
        }
        if (ec) {
            out.inputs.push_back({arg, "cannot read '" + arg + "': " + ec.message()});
            out.errors.push_back(out.inputs.back().error);
            continue;
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            std::string path = JoinPath(arg, name);
            if (std::string error = ReadError(path); !error.empty()) {
                out.inputs.push_back({path, error});
                out.errors.push_back(std::move(error));
            } else {
                out.inputs.push_back({path, {}});
                out.files.push_back(std::move(path));
            }
        }
    }
    return out;
}

std::string RepairedCopyConflict(const std::string& file, const RunOutputs& outputs) {
    const std::string copy = RepairedCopyPath(file);
    const std::string why = outputs.conflict(copy);
    return why.empty() ? why : copy + ": " + why;
}

namespace {

// Whether `copy` holds exactly the line-end repair of `file`: a copy an
// earlier run made, which this run may read as it stands.
bool HoldsRepairOf(const std::string& copy, const std::string& file) {
    std::string original, copied, repaired;
    std::error_code error;
    return ReadFileBytes(file, original, error) && RepairLineDelimiters(original, repaired) &&
           ReadFileBytes(copy, copied, error) && copied == repaired;
}

}  // namespace

FileCheckResult CheckFileInRun(const std::string& file, bool repair, const std::string& userDataFolder,
                               RunOutputs& outputs) {
    const std::string conflict = repair ? RepairedCopyConflict(file, outputs) : std::string();
    if (!conflict.empty() && HoldsRepairOf(RepairedCopyPath(file), file)) {
        FileCheckResult result = CheckFile(RepairedCopyPath(file), false, userDataFolder);
        result.file = file;
        return result;
    }
    FileCheckResult result = CheckFile(file, repair && conflict.empty(), userDataFolder);
    const bool neededRepair = !result.messages.located().empty() &&
                              result.messages.located().front().text == kBadDelimiterMessage;
    if (!conflict.empty() && neededRepair) result.messages.add("no repaired copy written: " + conflict);
    if (result.path != file) outputs.addInput(result.path);
    return result;
}

std::vector<FileCheckResult> CheckDataSetsInRun(const std::string& file, bool repair,
                                                const std::string& userDataFolder, RunOutputs& outputs) {
    if (IsContainerFile(file)) return CheckDataSets(file, repair, userDataFolder);
    return {CheckFileInRun(file, repair, userDataFolder, outputs)};
}

int CheckEachFile(const std::vector<std::string>& args, bool repair, const std::string& userDataFolder,
                  const std::string& program, std::ostream& errors,
                  const std::function<void(const FileCheckResult&)>& visit) {
    const ExpandedFiles expanded = ExpandCheckArguments(args);
    for (const std::string& error : expanded.errors) errors << program << ": " << error << "\n";
    bool anyFailed = false;
    for (const std::string& file : expanded.files) {
        for (const FileCheckResult& result : CheckDataSets(file, repair, userDataFolder)) {
            anyFailed = anyFailed || (!result.skipped && !result.ok());
            visit(result);
        }
    }
    if (!expanded.errors.empty()) return kUsageOrUnreadable;
    return anyFailed ? kSomeFailed : kAllLoaded;
}

}  // namespace lumibench
