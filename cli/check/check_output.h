#pragma once
// What lumibench-check prints for one checked file, as plain text or JSON.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/photometric_record.h"
#include "file_check.h"
#include "formats/fixups.h"

namespace lumibench {

// One line: photometric type, lamps, lumens, multiplier, angle counts and the
// largest candela value with where it lies.
std::string RecordSummaryLine(const PhotometricRecord& record);

// The file's block: the path, then "OK: " and the summary, or one
// "path:line: message" line per reader message ("path: message" without a line).
// Repair notices are printed after the path, their CRs turned into line ends.
std::string FormatPlainResult(const FileCheckResult& result);

// {"file","path","ok","skipped","message","messages":[{"text","line"}],"record"};
// "record" is the reader's record as it was left (partial after a failure); null for skipped files.
nlohmann::ordered_json ResultToJson(const FileCheckResult& result);

// An argument that cannot be read: {"file","ok":false,"error"}.
nlohmann::ordered_json InputErrorToJson(const std::string& file, const std::string& error);

// What --fix did for one refused file.
struct FixRun {
    bool possible = false;
    std::string reason;  // when not possible
    std::vector<FixupEdit> changes;
    std::string copy;                          // the fixed copy written
    std::optional<FileCheckResult> copyResult;  // the copy checked under the unchanged rules

    bool loads() const { return copyResult && copyResult->ok(); }
};

// "fix-up not possible: ..." or the changes ("file:line: fixed: ...") and the copy's block.
std::string FormatPlainFix(const std::string& file, const FixRun& run);
// {"possible","reason","copy","changes":[{"line","description"}],"result"}.
nlohmann::ordered_json FixToJson(const FixRun& run);

// The array that nlohmann's dump(2) would print, written one element at a
// time as results arrive, so memory stays flat whatever the count.
class JsonArrayWriter {
public:
    explicit JsonArrayWriter(std::ostream& out) : out_(out) {}
    void add(const nlohmann::ordered_json& element);
    void finish();

private:
    std::ostream& out_;
    bool first_ = true;
};

}  // namespace lumibench
