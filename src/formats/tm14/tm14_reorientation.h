#pragma once
// Type C TM14 data measured from C270 round to C90, turned into the IES orientation.

#include <filesystem>

#include "model/photometric_record.h"

namespace lumibench {

// The temporary database the re-sort goes through, kept in the per-user data folder.
inline constexpr const char* kTm14TemporaryFile = "TM14.tmp";

// Each horizontal angle h becomes 450 - h (less 360 from 360 up), and the cells are
// re-sorted by horizontal then vertical angle through table "Photo" of a fresh
// SQLite database at `databasePath`, so every angle and value passes through single
// precision. Rows with equal angle pairs keep their reading order. The file stays on
// disk afterwards. Throws ReaderError(Database) when the database fails.
void ReorientFrom270(PhotometricRecord& record, const std::filesystem::path& databasePath);

}  // namespace lumibench
