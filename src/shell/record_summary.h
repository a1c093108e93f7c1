#pragma once
// The texts that describe one loaded file: the summary under the list and the
// File Information dialog's text. Pure functions; the window only shows them.

#include <cstdint>
#include <optional>
#include <string>

#include "model/photometric_record.h"

namespace lumibench {

inline constexpr const char* kFileInformationTitle = "File Information";
inline constexpr const char* kSelectOneFileText =
    "Please select a file from the loaded photometric files list (if there are any) and try "
    "again.";
inline constexpr const char* kSelectSingleFileText =
    "Please select a 'single' file from the loaded photometric files list and try again.";
inline constexpr const char* kNoFileInformationText =
    "No file information available - Data has not been saved.";

// The file name without its folder and without anything from its first dot on.
std::string BaseName(const std::string& path);

// Number texts of the summary: integers as whole numbers, floats with up to
// seven significant digits, `decimalPoint` as separator ("0.5", "1250").
std::string SummaryNumber(std::int64_t value);
inline std::string SummaryNumber(std::int16_t value) { return SummaryNumber(std::int64_t{value}); }
std::string SummaryNumber(float value, char decimalPoint = '.');

// The summary box text; every line ends with CR LF.
std::string RecordSummaryText(const PhotometricRecord& record, char decimalPoint = '.');

// What the file system says about a record's file.
struct FileFacts {
    std::string lastModifiedText;  // already in the user's date format
    std::uintmax_t sizeBytes = 0;
};

// The File Information text; no facts means the file is not on disk.
std::string FileInformationText(const PhotometricRecord& record,
                                const std::optional<FileFacts>& facts);

}  // namespace lumibench
