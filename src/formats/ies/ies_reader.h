#pragma once
// Reads and checks one IES LM-63 file into record 1 of the work table.

#include <string>
#include <string_view>

#include "formats/reader_context.h"
#include "formats/reader_messages.h"

namespace lumibench {

// Empties context.work and fills its first record. Every fault found is added
// to `message` with the physical line it arose on; an empty message means the
// file passed every check. `noRepair` goes to the line-end check; after a
// repair `path` names the repaired copy, which is what gets read.
void LoadIesFile(std::string& path, ReaderMessages& message, bool noRepair, ReaderContext& context);

// The reading and checks that follow the file checks, over decoded text with
// CR LF line ends: what a fix-up verifies its copy with before writing it.
void ReadIesText(std::string_view text, PhotometricRecord& record, ReaderMessages& message);

// The record's own field for a keyword tag ("[TEST]", "[LUMCAT]", ...), or
// null for a tag that goes to the keyword lines.
std::string* IesKeywordField(PhotometricRecord& record, std::string_view tag);

}  // namespace lumibench
