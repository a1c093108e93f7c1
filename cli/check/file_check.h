#pragma once
// One file through the reader that its extension picks, as lumibench-check runs it.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "model/photometric_record.h"
#include "readers/reader_messages.h"

namespace lumibench {

struct FileCheckResult {
    std::string file;  // as given
    std::string path;  // as the reader left it: the repaired copy after a repair
    bool skipped = false;  // no reader takes the extension
    ReaderMessages messages;
    std::vector<std::string> announcements;  // texts the reader asked to show (repair notices)
    PhotometricRecord record;                // the reader's record 1; partial after a failure

    bool ok() const { return !skipped && messages.empty(); }
};

// Reads `file` with noRepair = !repair. Never throws; a reader that throws is
// reported as a message of the file. `userDataFolder` is the folder a reader
// may keep temporary files in.
FileCheckResult CheckFile(const std::string& file, bool repair, const std::string& userDataFolder);

struct ExpandedFiles {
    std::vector<std::string> files;
    std::vector<std::string> errors;  // one line per argument that cannot be read
};

// Folders become the regular files directly inside them (hidden ones left out), sorted by name;
// files stay as given. Missing or unreadable arguments go to `errors`.
ExpandedFiles ExpandCheckArguments(const std::vector<std::string>& args);

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
