#pragma once
// One file through the reader that its extension picks, as lumibench-check
// and the tool SDK run it: the reader's messages, the record it left and the
// notices it asked to show, never an exception.

#include <string>
#include <vector>

#include "model/photometric_record.h"
#include "formats/reader_messages.h"

namespace lumibench {

struct FileCheckResult {
    std::string file;  // as given; a container's data set: the data set's name
    std::string path;  // as the reader left it: the repaired copy after a repair
    bool skipped = false;  // no reader takes the extension
    ReaderMessages messages;
    std::vector<std::string> announcements;  // texts the reader asked to show (repair notices)
    PhotometricRecord record;                // the reader's record 1; partial after a failure
    std::string container;  // the container a data set came from (as given); empty for plain files
    std::string member;     // the photometry's member in that container ("ldc/x.ldt")

    bool ok() const { return !skipped && messages.empty(); }
};

// Reads `file` with noRepair = !repair. `userDataFolder` is the per-user
// folder a reader keeps its temporary files in and writes repaired copies
// into when the file's own folder is not writable.
FileCheckResult CheckFile(const std::string& file, bool repair, const std::string& userDataFolder);

// Every data set of `file`: one result per photometry for a container (its
// container and member named; one failed result naming the container when
// it cannot be used at all, the container's notes among the first result's
// announcements), else CheckFile's one result.
std::vector<FileCheckResult> CheckDataSets(const std::string& file, bool repair, const std::string& userDataFolder);

// True for files that hold several data sets (".gldf" containers).
bool IsContainerFile(const std::string& file);

// Extensions the readers take, upper case with the dot, in dispatch order.
std::vector<std::string> ReaderExtensions();

}  // namespace lumibench
