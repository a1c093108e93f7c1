#pragma once
// Where the Save tool writes each data set and what it tells the host, apart
// from the windows that ask the user.

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

#include "model/photometric_record.h"
#include "sdk/photometric_writers.h"

namespace lumibench::save_tool {

// Saving a data set back where it came from: its own path and format, or
// nullopt when it has no file of its own to go to (data made by a tool: no
// folder, a folder that does not exist, or an extension no reader takes).
struct OwnTarget {
    std::string path;
    FileFormat format;
};
std::optional<OwnTarget> OwnTargetOf(const PhotometricRecord& record);

// "IES LM-63-2002 (*.ies *.IES)" and so on, in AllFileFormats order.
QStringList FileFilters();
// The format of a filter text; nullopt for an unknown one. Format names
// ("ldt", "ies2019") are taken too.
std::optional<FileFormat> FormatOfFilter(const QString& filter);
QString FilterOf(FileFormat format);

// `path` with the format's extension when it has none of that format's.
std::string WithExtension(const std::string& path, FileFormat format);

// The format of a name typed in the file dialog: its extension when that is
// one of a format's (an IES name keeps an IES edition chosen in the filter),
// else the filter's format.
FileFormat FormatOfTypedName(const std::string& path, FileFormat filterFormat);

// The data set's file name in `folder`, with the format's extension.
std::string ExportPath(const PhotometricRecord& record, const std::string& folder, FileFormat format);

// The verb that tells the host about a written file: saved under the same
// name, or renamed (the old name then travels as the fourth field).
inline constexpr const char* kSavedVerb = "SENDSAVEDDATA";
inline constexpr const char* kRenamedVerb = "SENDRENAMEDDATA";
// Then, when the file went to a new name or another format, the data as read
// back: the list holds what the file holds (a format's limits applied), also
// in any other entry of that name whose file was just replaced.
inline constexpr const char* kUpdatedVerb = "SENDUPDATEDDATA";

}  // namespace lumibench::save_tool
