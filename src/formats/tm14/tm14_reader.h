#pragma once
// CIBSE TM14 files (".CIB", ".TML", ".C1S", ".CC") read and converted into the IES
// record model: type C or B as given, candela scaled by the lamp count, partial
// angle sets completed at their ends, data starting at C270 reoriented.

#include <string>
#include <string_view>

#include "model/photometric_record.h"

#include "formats/reader_context.h"
#include "formats/reader_messages.h"

namespace lumibench {

// Empties context.work and fills its first record. An empty `message` means the
// file was read and converted. The reorientation keeps its temporary database
// "TM14.tmp" in context.userDataFolder.
void LoadTm14File(std::string& path, ReaderMessages& message, bool noRepair,
                  ReaderContext& context);

// The reading and checks after the file checks, over decoded text in memory;
// the completion (which may need the temporary database) is not run.
void ReadTm14Text(std::string_view text, PhotometricRecord& record, ReaderMessages& message);

}  // namespace lumibench
