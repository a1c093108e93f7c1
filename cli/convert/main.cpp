// lumibench-convert: reads photometric files as Lumibench does and writes them
// in another format or edition.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "convert_options.h"
#include "core/terminal_text.h"
#include "file_check.h"
#include "platform/app_folders.h"
#include "formats/fixups.h"
#include "formats/load_dispatch.h"

namespace {

// The checker's exit statuses (file_check.h): 0 all written, 1 one failed, 2 usage.
constexpr int kAllConverted = lumibench::kAllLoaded;

// One line of progress on a terminal, overwritten in place; nothing otherwise.
class Progress {
public:
    explicit Progress(std::size_t total) : total_(total), shown_(total > 1 && ::isatty(STDERR_FILENO)) {}
    void step(std::size_t done, const std::string& file) {
        if (!shown_) return;
        std::cerr << "\r\033[K[" << done << "/" << total_ << "] " << std::filesystem::path(file).filename().string()
                  << std::flush;
    }
    void clear() {
        if (shown_) std::cerr << "\r\033[K" << std::flush;
    }

private:
    std::size_t total_;
    bool shown_;
};

// A refused file read again from the fix-ups' copy, as lumibench-check --fix
// makes it; the changes are printed. The result is the copy's, or `read`.
lumibench::FileCheckResult ReadFixed(const lumibench::FileCheckResult& read, const std::string& userDataFolder,
                                     lumibench::RunOutputs& outputs) {
    using namespace lumibench;
    if (const std::string conflict = RepairedCopyConflict(read.file, outputs); !conflict.empty()) {
        std::cout << "no fix: " << conflict << "\n";
        return read;
    }
    const FixupOutcome outcome = PlanFileFixups(read.file);
    if (!outcome.possible) {
        std::cout << "no fix: " << outcome.reason << "\n";
        return read;
    }
    std::string error;
    const std::string copy = WriteFixedCopy(read.file, outcome, userDataFolder, error);
    if (copy.empty()) {
        std::cout << "no fix: " << error << "\n";
        return read;
    }
    for (const FixupEdit& change : outcome.changes) {
        std::cout << "fixed: " << read.file << ":" << change.line << ": " << change.description << "\n";
    }
    std::cout << "read from " << copy << "\n";
    outputs.addInput(copy);
    return CheckFile(copy, false, userDataFolder);
}

// The name the output is named after: the file, or for a container's data
// set "<container> – <label>" with a stand-in extension for the target's to replace.
std::string OutputNameSource(const lumibench::FileCheckResult& read) {
    return read.container.empty() ? read.file : read.file + ".data-set";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lumibench;
    namespace fs = std::filesystem;
    const ConvertOptions options = ParseConvertArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty()) {
        std::cerr << "lumibench-convert: " << options.error << "\n" << ConvertUsageText();
        return kUsageOrUnreadable;
    }
    if (options.help) {
        std::cout << ConvertUsageText();
        return kAllConverted;
    }
    if (options.version) {
        std::cout << "lumibench-convert " << LUMIBENCH_VERSION << "\n";
        return kAllConverted;
    }

    const ExpandedFiles expanded = ExpandCheckArguments(options.files);
    for (const std::string& error : expanded.errors) std::cerr << "lumibench-convert: " << error << "\n";
    std::vector<std::string> inputs;
    for (const std::string& file : expanded.files) {
        if (ReaderForExtension(fs::path(file).extension().string())) {
            inputs.push_back(file);
        } else if (std::find(options.files.begin(), options.files.end(), file) != options.files.end()) {
            // Named on its own, an unknown file is reported; in a folder it is passed over.
            std::cout << file << "\nskipped: no reader for this extension\n";
        }
    }

    std::error_code ignored;
    const bool outIsFolder = !options.out.empty() &&
                             (fs::is_directory(options.out, ignored) || options.out.ends_with('/') ||
                              inputs.size() > 1 || options.files.size() > 1 || fs::is_directory(options.files.front(), ignored));
    if (outIsFolder && !fs::is_directory(options.out, ignored)) {
        std::cerr << "lumibench-convert: " << options.out << ": no such folder\n";
        return kUsageOrUnreadable;
    }

    const std::string userDataFolder = UserDataFolder().string();
    Progress progress(inputs.size());
    bool anyFailed = false;
    // Every input is known before the first file is written.
    RunOutputs outputs(options.force);
    for (const std::string& file : inputs) outputs.addInput(file);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::string& file = inputs[i];
        progress.step(i + 1, file);
        std::vector<FileCheckResult> dataSets = CheckDataSetsInRun(file, options.repair, userDataFolder, outputs);
        progress.clear();
        for (FileCheckResult& read : dataSets) {
            std::cout << read.file << "\n";
            for (const std::string& notice : read.announcements) std::cout << TerminalEntry(notice) << "\n";
            if (!read.ok() && options.fix && read.container.empty()) {
                FileCheckResult fixed = ReadFixed(read, userDataFolder, outputs);
                if (fixed.ok()) read = std::move(fixed);
            }
            if (!read.ok()) {
                anyFailed = true;
                for (const LocatedMessage& message : read.messages.located()) {
                    std::cout << (read.member.empty() ? read.path : read.member)
                              << (message.line > 0 ? ":" + std::to_string(message.line) : "") << ": "
                              << TerminalEntry(message.text) << "\n";
                }
                continue;
            }
            if (!(options.transform == photometry::RecordTransform{})) {
                photometry::TransformOutcome changed = photometry::TransformRecord(read.record, options.transform);
                if (!changed.record) {
                    anyFailed = true;
                    std::cout << "not changed: " << changed.refusal << "\n";
                    continue;
                }
                read.record = std::move(*changed.record);
                for (const std::string& note : changed.notes) std::cout << "  changed: " << note << "\n";
            }
            const std::string target = OutputPathFor(OutputNameSource(read), *options.to, options.out, outIsFolder);
            // A source stays as it is whatever --force says: a conversion may
            // drop what the target format cannot hold.
            if (const std::string why = outputs.refusal(target); !why.empty()) {
                anyFailed = true;
                std::cout << "not written: " << target << ": " << why << "\n";
                continue;
            }
            // Existing files were settled above; SaveFileSafely still refuses one
            // that appears meanwhile unless --force.
            const WriteResult result = WritePhotometricFile(read.record, target, *options.to, options.force);
            if (!result.ok) {
                anyFailed = true;
                std::cout << "not written: " << result.path << ": "
                          << (result.error == "File exists" ? std::string(kTargetExists) : result.error) << "\n";
                continue;
            }
            outputs.addOutput(result.path, read.container.empty() ? file : read.file);
            std::cout << "wrote " << FileFormatTitle(*options.to) << ": " << result.path << "\n";
            for (const std::string& note : result.notes) std::cout << "  note: " << note << "\n";
        }
    }
    progress.clear();
    std::cout.flush();
    if (!expanded.errors.empty()) return kUsageOrUnreadable;
    return anyFailed ? kSomeFailed : kAllConverted;
}
