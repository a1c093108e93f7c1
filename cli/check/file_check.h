#pragma once
// One file through the reader that its extension picks, as lumibench-check runs it.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/run_outputs.h"
#include "formats/checked_load.h"

namespace lumibench {

struct CheckInput {
    std::string file;
    std::string error;  // why the argument cannot be read; empty when it can
};

struct ExpandedFiles {
    std::vector<std::string> files;
    std::vector<std::string> errors;  // one line per argument that cannot be read
    std::vector<CheckInput> inputs;   // both of the above, in argument order
};

// Folders become the regular files directly inside them (hidden ones left out), sorted by name;
// files stay as given. Missing or unreadable arguments go to `errors`.
ExpandedFiles ExpandCheckArguments(const std::vector<std::string>& args);

// CheckFile within a run that writes: a "_Repaired" copy is made only where
// `outputs` allows (never over a file the run reads or already wrote; the
// file then fails with the reason), and a copy that was read is protected
// from the run's later outputs like an input.
FileCheckResult CheckFileInRun(const std::string& file, bool repair, const std::string& userDataFolder,
                               RunOutputs& outputs);

// CheckDataSets within a run that writes: a container's data sets (read in
// memory, nothing written), or CheckFileInRun's one result for any other file.
std::vector<FileCheckResult> CheckDataSetsInRun(const std::string& file, bool repair,
                                                const std::string& userDataFolder, RunOutputs& outputs);

// Why the "_Repaired" copy of `file` may not be written in this run; empty when it may.
std::string RepairedCopyConflict(const std::string& file, const RunOutputs& outputs);

// Exit statuses of the programs that read files this way, so scripts treat them alike.
inline constexpr int kAllLoaded = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kUsageOrUnreadable = 2;

// Expands `args`, writes "program: error" to `errors` for each argument that
// cannot be read, reads every file in order and hands its result to `visit`.
// Returns the exit status: 2 when an argument was unreadable, else 1 when a
// file failed (skipped ones do not count), else 0.
int CheckEachFile(const std::vector<std::string>& args, bool repair, const std::string& userDataFolder,
                  const std::string& program, std::ostream& errors,
                  const std::function<void(const FileCheckResult&)>& visit);

}  // namespace lumibench
