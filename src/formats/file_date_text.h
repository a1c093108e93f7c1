#pragma once
// The last-modified time of a file as the record shows it.

#include <filesystem>
#include <string>

namespace lumibench {

// Local time as "YYYY-MM-DD HH:MM:SS" (for example "2026-12-07 08:15:03"): one
// fixed form whatever the user's locale, so tools and reports can read it back.
// Empty when the file's time cannot be read.
std::string FileDateText(const std::filesystem::path& path);

}  // namespace lumibench
