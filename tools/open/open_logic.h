#pragma once
// Tool_Open without widgets: which files a folder offers, the recent-files
// list, how loaded files travel to the host in batches, and the status line.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench::open {

// "True" (any case, blanks around ignored) is true; anything else false.
bool ParseFlag(std::string_view text);

// Whether the file's extension (case ignored) is one of `extensions`, given
// with or without their dot.
bool HasExtension(const std::string& path, const std::vector<std::string>& extensions);
// The photometric files directly inside `folder`, in name order.
std::vector<std::string> FolderFiles(const std::string& folder, const std::vector<std::string>& extensions);
// A file dialog's name filter for the extensions, both cases ("*.ies *.IES ...").
std::string NameFilter(const std::vector<std::string>& extensions);

// Most recent first, each path once, at most `limit`.
inline constexpr std::size_t kRecentFiles = 8;
std::vector<std::string> PushRecent(std::vector<std::string> recent, const std::vector<std::string>& opened,
                                    std::size_t limit = kRecentFiles);

// What Tool_Open needs of the host; the real one goes through the SDK session.
class HostLink {
public:
    virtual ~HostLink() = default;
    // Clears the slots and writes the records into slots 1 onwards.
    virtual int write(const WorkRecordTable& records) = 0;
    // Sends a verb; false when the host mailbox never emptied.
    virtual bool send(std::string_view verb) = 0;
    // Waits for the host's "LoadedCount" answer; nullopt on time-out.
    virtual std::optional<int> awaitLoadedCount() = 0;
};

struct SendReport {
    std::size_t sent = 0;        // data sets the host was sent
    std::size_t batches = 0;
    bool complete = false;       // every batch went out
    std::optional<int> loaded;   // the host's count of loaded files afterwards
};

// Sends the records as saved data, at most 25 a time (the slots hold 25).
// The slots are rewritten for the next batch only after the host answered
// REFRESHLOADEDCOUNT, which it does once it has taken the batch before. With
// `closeAfter`, the last batch asks the host to close this tool.
SendReport SendInBatches(HostLink& host, const WorkRecordTable& records, bool closeAfter);

// The one status line that replaces the notices when "IgnoreWarnings" is set:
// "3 files ready, 1 refused, 2 notices not shown".
std::string StatusLine(std::size_t ready, std::size_t refused, std::size_t hiddenNotices);

}  // namespace lumibench::open
