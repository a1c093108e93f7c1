#pragma once
// Writing data sets to photometric files, for tool programs: IES LM-63
// (editions 2002, 2019, 1995), EULUMDAT, CIBSE TM14, IES TM-33-23 XML and ATLA
// JSON, laid out so that the
// host reads them back unchanged, written safely (a new file renamed into
// place; an earlier file survives any failure).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench {

enum class FileFormat { Ies2002, Ies2019, Ies1995, Eulumdat, Tm14, Tm33, AtlaJson };

struct WriteResult {
    bool ok = false;
    std::string path;                // the file written (absolute)
    std::string error;               // why nothing was written
    std::vector<std::string> notes;  // placeholders and approximations the format forced
};

// Writes `record` to `path`. Without `overwrite` an existing file is left alone
// and reported. The record's Filename is not changed.
WriteResult WritePhotometricFile(const PhotometricRecord& record, const std::string& path, FileFormat format,
                                 bool overwrite);

// The file's bytes alone, for previews and tests; `error` set when the data
// cannot be written in that format.
WriteResult FormatPhotometricText(const PhotometricRecord& record, FileFormat format, std::string_view fileName,
                                  std::string& text);

// Names on command lines: "ies2002", "ies2019", "ies1995", "ldt", "tm14", "tm33", "atla-json".
std::optional<FileFormat> FileFormatFromName(std::string_view name);
std::string_view FileFormatName(FileFormat format);
// What users see: "IES LM-63-2002", "EULUMDAT", "CIBSE TM14".
std::string_view FileFormatTitle(FileFormat format);
// ".ies", ".ldt", ".cib".
std::string_view FileFormatExtension(FileFormat format);
// Every format, in the order menus list them.
std::vector<FileFormat> AllFileFormats();

// The format a data set goes back to its own file in: chosen by the file's
// extension as the host's readers are (any case), and for IES by the edition
// its first header line names. nullopt for an extension no reader takes.
std::optional<FileFormat> OwnFileFormat(const PhotometricRecord& record);

}  // namespace lumibench
