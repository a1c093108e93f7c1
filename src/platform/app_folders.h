#pragma once
// The folders the program reads its bundled files from and writes its own
// files into.

#include <filesystem>

namespace lumibench {

// The folder of the running executable, without a trailing '/'.
std::filesystem::path ProgramFolder();

// $XDG_DATA_HOME/Lumibench (default ~/.local/share/Lumibench), created when
// missing; a folder that cannot be created is still returned.
std::filesystem::path UserDataFolder();

// Where a file the system keeps "in the program folder" (a report, a saved
// banner) is written: the program folder when it is writable, else the
// per-user data folder.
std::filesystem::path WritableProgramFolder();

}  // namespace lumibench
