// lumibench-check: checks photometric files as Lumibench loads them.

#include <unistd.h>

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "check_options.h"
#include "check_output.h"
#include "core/terminal_text.h"
#include "file_check.h"
#include "platform/app_folders.h"
#include "formats/fixups.h"

namespace {

// "files done / total, current file" on a terminal's standard error, for runs
// long enough to need it; silent when standard error is a file or a pipe.
class ProgressLine {
public:
    explicit ProgressLine(std::size_t total) : total_(total), enabled_(::isatty(STDERR_FILENO) == 1) {}
    ~ProgressLine() { clear(); }

    void show(std::size_t done, const std::string& file) {
        if (!enabled_) return;
        const auto now = Clock::now();
        // Quick runs never show it; long ones redraw it a few times a second.
        if (now - start_ < std::chrono::milliseconds(500) || now - drawn_ < std::chrono::milliseconds(100)) return;
        drawn_ = now;
        std::cerr << "\r\x1b[K" << done << " / " << total_ << "  " << file << std::flush;
        visible_ = true;
    }
    // Before anything else goes to the terminal.
    void clear() {
        if (!visible_) return;
        std::cerr << "\r\x1b[K" << std::flush;
        visible_ = false;
    }

private:
    using Clock = std::chrono::steady_clock;
    std::size_t total_;
    bool enabled_;
    bool visible_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point drawn_{};
};

lumibench::FixRun RunFix(const std::string& file, const std::string& userDataFolder, lumibench::RunOutputs& outputs) {
    using namespace lumibench;
    FixRun run;
    if (std::string conflict = RepairedCopyConflict(file, outputs); !conflict.empty()) {
        run.reason = std::move(conflict);
        return run;
    }
    FixupOutcome outcome = PlanFileFixups(file);
    run.possible = outcome.possible;
    run.reason = outcome.reason;
    if (!outcome.possible) return run;
    std::string error;
    run.copy = WriteFixedCopy(file, outcome, userDataFolder, error);
    if (run.copy.empty()) {
        run.possible = false;
        run.reason = error;
        return run;
    }
    outputs.addInput(run.copy);
    run.changes = std::move(outcome.changes);
    run.copyResult = CheckFile(run.copy, false, userDataFolder);
    return run;
}

}  // namespace

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

    const ExpandedFiles expanded = ExpandCheckArguments(options.files);
    const std::string userDataFolder = UserDataFolder().string();
    ProgressLine progress(expanded.inputs.size());
    JsonArrayWriter json(std::cout);
    bool anyFailed = false;
    bool first = true;
    std::size_t done = 0;
    // Copies never go over a file this run reads or has written.
    RunOutputs outputs;
    for (const std::string& file : expanded.files) outputs.addInput(file);
    for (const CheckInput& input : expanded.inputs) {
        progress.show(done++, input.file);
        if (!input.error.empty()) {
            progress.clear();
            std::cerr << "lumibench-check: " << input.error << "\n";
            if (options.json) json.add(InputErrorToJson(input.file, input.error));
            continue;
        }
        for (const FileCheckResult& result : CheckDataSetsInRun(input.file, options.repair, userDataFolder, outputs)) {
            std::optional<FixRun> fix;
            // Fix-ups rewrite files; a container's members are never rewritten.
            if (options.fix && result.container.empty() && !result.skipped && !result.ok()) {
                fix = RunFix(input.file, userDataFolder, outputs);
            }
            // A refused file whose fixed copy loads counts as loaded.
            anyFailed = anyFailed || (!result.skipped && !result.ok() && !(fix && fix->loads()));
            progress.clear();
            if (options.json) {
                // Standard output is the JSON document alone; notices go aside.
                for (const std::string& notice : result.announcements) std::cerr << TerminalEntry(notice) << "\n";
                nlohmann::ordered_json object = ResultToJson(result);
                if (fix) object["fix"] = FixToJson(*fix);
                json.add(object);
            } else {
                std::cout << (first ? "" : "\n") << FormatPlainResult(result);
                if (fix) std::cout << FormatPlainFix(input.file, *fix);
                std::cout.flush();
                first = false;
            }
        }
    }
    progress.clear();
    if (options.json) json.finish();
    std::cout.flush();

    if (!expanded.errors.empty()) return kUsageOrUnreadable;
    return anyFailed ? kSomeFailed : kAllLoaded;
}
