#pragma once
// The folders the program reads its bundled files from and writes its own
// files into.

#include <filesystem>

namespace lumibench {

// The folder of the running executable, without a trailing '/'.
std::filesystem::path ProgramFolder();

// The folder the bundled files (help, welcome page, agreement, pictures,
// samples, product list) are read from. A build tree keeps them beside the
// programs; an installed prefix keeps the programs in bin/ and the files in
// share/lumibench/, found relative to the program so that the prefix can be
// moved. The program folder itself when neither holds them.
std::filesystem::path ProgramDataFolder();
// The same choice for a given program folder.
std::filesystem::path ProgramDataFolderFor(const std::filesystem::path& programFolder);

// The file whose presence marks a folder as holding the bundled files.
inline constexpr const char* kBundledDataMarker = "Lumibench_PE-License.rtf";

// $XDG_DATA_HOME/Lumibench (default ~/.local/share/Lumibench), created when
// missing; a folder that cannot be created is still returned.
std::filesystem::path UserDataFolder();

// Where a file the system keeps "in the program folder" (a report, a saved
// banner) is written: the program folder when it is writable, else the
// per-user data folder.
std::filesystem::path WritableProgramFolder();

}  // namespace lumibench
