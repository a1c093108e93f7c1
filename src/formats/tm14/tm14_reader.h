#pragma once
// CIBSE TM14 files (".CIB", ".TML", ".C1S", ".CC") read and converted into the IES
// record model: type C or B as given, candela scaled by the lamp count, partial
// angle sets completed at their ends, data starting at C270 reoriented.

#include <string>

#include "formats/reader_context.h"
#include "formats/reader_messages.h"

namespace lumibench {

// Empties context.work and fills its first record. An empty `message` means the
// file was read and converted. The reorientation keeps its temporary database
// "TM14.tmp" in context.userDataFolder.
void LoadTm14File(std::string& path, ReaderMessages& message, bool noRepair,
                  ReaderContext& context);

}  // namespace lumibench
