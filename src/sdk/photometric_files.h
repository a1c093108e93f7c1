#pragma once
// Photometric files for tool programs: load one file exactly as the host and
// lumibench-check do (same readers, same messages, same line-end repair), list
// the extensions the host loads, and the fix-up assistant that turns some
// refused files into a "_Repaired" copy that loads.
//
// Self-contained: tools include this header and link lumibench_sdk.

#include <string>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench {

// One reader message with the file line it points at (0 when none applies).
struct FileMessage {
    std::string text;
    int line = 0;
};

struct FileLoadOptions {
    // Write a "_Repaired" copy of a file with bad line ends and read that, as
    // the host does; false refuses such a file instead and writes nothing.
    bool repair = true;
};

struct FileLoadResult {
    bool ok = false;       // read and passed every check
    bool skipped = false;  // no reader takes the file's extension
    std::string path;      // the file that was read: the repaired copy after a repair
    std::string message;   // the full message text, every message followed by CR LF
    std::vector<FileMessage> messages;
    PhotometricRecord record;  // the reader's record; partial after a failure
    std::string container;     // a GLDF container's data set: the container and
    std::string member;        // the photometry's member in it; empty otherwise
};

FileLoadResult LoadPhotometricFile(const std::string& path, const FileLoadOptions& options = {});

// Every data set of the file: one per photometry of a GLDF container (the
// first one also failing when the container as a whole cannot be used), else
// LoadPhotometricFile's one.
std::vector<FileLoadResult> LoadPhotometricDataSets(const std::string& path, const FileLoadOptions& options = {});

// ".ies", ".ldt", ... every extension the host loads, lower case with the dot.
std::vector<std::string> PhotometricFileExtensions();

struct FixupChange {
    int line = 0;  // physical line of the original file
    std::string description;
};

struct FixupPlan {
    bool possible = false;
    std::string reason;  // why not, when not possible
    std::vector<FixupChange> changes;
};

// What a fix-up would change in the file; writes nothing.
FixupPlan PlanFixups(const std::string& path);

// Writes the "_Repaired" copy with the fix-ups made (the original is never
// touched), then loads the copy with the unchanged rules. Not ok, with the
// reason as its message, when no fix-up is possible.
FileLoadResult ApplyFixups(const std::string& path);

}  // namespace lumibench
