#include "sdk/photometric_files.h"

#include "core/path_text.h"
#include "platform/app_folders.h"
#include "formats/checked_load.h"
#include "formats/fixups.h"

namespace lumibench {

namespace {

FileLoadResult FromCheck(FileCheckResult&& check) {
    FileLoadResult out;
    out.ok = check.ok();
    out.skipped = check.skipped;
    out.path = std::move(check.path);
    out.message = check.messages.text();
    for (const LocatedMessage& message : check.messages.located()) {
        out.messages.push_back({message.text, message.line});
    }
    out.record = std::move(check.record);
    out.container = std::move(check.container);
    out.member = std::move(check.member);
    return out;
}

FileLoadResult Refused(const std::string& path, const std::string& reason) {
    FileLoadResult out;
    out.path = path;
    out.message = reason + "\r\n";
    out.messages.push_back({reason, 0});
    return out;
}

}  // namespace

FileLoadResult LoadPhotometricFile(const std::string& path, const FileLoadOptions& options) {
    return FromCheck(CheckFile(path, options.repair, UserDataFolder().string()));
}

std::vector<FileLoadResult> LoadPhotometricDataSets(const std::string& path, const FileLoadOptions& options) {
    std::vector<FileLoadResult> out;
    for (FileCheckResult& check : CheckDataSets(path, options.repair, UserDataFolder().string())) {
        out.push_back(FromCheck(std::move(check)));
    }
    return out;
}

std::vector<std::string> PhotometricFileExtensions() {
    std::vector<std::string> out;
    for (std::string extension : ReaderExtensions()) {
        for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        out.push_back(std::move(extension));
    }
    return out;
}

FixupPlan PlanFixups(const std::string& path) {
    const FixupOutcome outcome = PlanFileFixups(path);
    FixupPlan plan;
    plan.possible = outcome.possible;
    plan.reason = outcome.reason;
    for (const FixupEdit& edit : outcome.changes) plan.changes.push_back({edit.line, edit.description});
    return plan;
}

FileLoadResult ApplyFixups(const std::string& path) {
    const FixupOutcome outcome = PlanFileFixups(path);
    if (!outcome.possible) return Refused(path, outcome.reason);
    const std::string userData = UserDataFolder().string();
    std::string error;
    const std::string copy = WriteFixedCopy(path, outcome, userData, error);
    if (copy.empty()) return Refused(path, error);
    return FromCheck(CheckFile(copy, true, userData));
}

}  // namespace lumibench
