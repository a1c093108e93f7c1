#include "formats/load_dispatch.h"

#include <vector>

#include "core/path_text.h"
#include "formats/eulumdat/eulumdat_reader.h"
#include "formats/gldf/gldf_reader.h"
#include "formats/ies/ies_reader.h"
#include "formats/tm14/tm14_reader.h"
#include "formats/tm33/tm33_reader.h"
#include "formats/xml_dispatch.h"

namespace lumibench {

namespace {

// A dropped IES file's failure text ends with its own sentence; the
// conversion readers' texts run straight on after the message.
constexpr std::string_view kIesFailureTail =
    ". Try opening this file from within Lumibench (File-Open) for detailed information about the "
    "problem and possible repair options.";
constexpr std::string_view kConversionFailureTail =
    "Try opening this file from within Lumibench (File-Open) for detailed information about the "
    "problem and possible repair options.";

struct DispatchRow {
    std::string_view extension;  // upper case, with its dot
    ReaderFunction reader;
    std::string_view failureTail;
};

// One row per extension a reader takes; any other extension is skipped.
const std::vector<DispatchRow>& DispatchTable() {
    static const std::vector<DispatchRow> rows = {
        {".IES", LoadIesFile, kIesFailureTail},
        {".EXL", LoadEulumdatFile, kConversionFailureTail},
        {".LDT", LoadEulumdatFile, kConversionFailureTail},
        {".CIB", LoadTm14File, kConversionFailureTail},
        {".TML", LoadTm14File, kConversionFailureTail},
        {".C1S", LoadTm14File, kConversionFailureTail},
        {".CC", LoadTm14File, kConversionFailureTail},
        {".GLDF", LoadGldfFile, kConversionFailureTail},
        {".XML", LoadXmlFile, kConversionFailureTail},
        {".JSON", LoadAtlaJsonFile, kConversionFailureTail},
    };
    return rows;
}

}  // namespace

std::optional<ReaderChoice> ReaderForExtension(std::string_view extension) {
    const std::string upper = UpperAscii(std::string(extension));
    for (const DispatchRow& row : DispatchTable()) {
        if (row.extension == upper) return ReaderChoice{row.reader, row.failureTail};
    }
    return std::nullopt;
}

std::vector<std::string_view> DispatchExtensions() {
    std::vector<std::string_view> out;
    for (const DispatchRow& row : DispatchTable()) out.push_back(row.extension);
    return out;
}

}  // namespace lumibench
