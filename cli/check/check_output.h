#pragma once
// What lumibench-check prints for one checked file, as plain text or JSON.

#include <string>

#include <nlohmann/json.hpp>

#include "model/photometric_record.h"
#include "file_check.h"

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

}  // namespace lumibench
