#pragma once
// EULUMDAT files (".LDT", ".EXL") read and converted into the IES record model:
// type C, metres, absolute candela, every header value kept as a keyword line.

#include <string>
#include <string_view>

#include "formats/reader_context.h"
#include "formats/reader_messages.h"

namespace lumibench {

// Empties context.work and fills its first record. An empty `message` means the
// file was read and converted; `path` becomes the repaired copy's path when the
// line-end check wrote one.
void LoadEulumdatFile(std::string& path, ReaderMessages& message, bool noRepair,
                      ReaderContext& context);

// Reading and conversion after the file checks, over decoded text in memory.
void ReadEulumdatText(std::string_view text, PhotometricRecord& record, ReaderMessages& message);

}  // namespace lumibench
