#pragma once
// The file text that the exponential-number check looks at, and the line-end
// check that every reader runs before it reads, with repair into a
// "_Repaired" copy beside the file.

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "core/message_sink.h"
#include "formats/text/text_decoding.h"

namespace lumibench {

inline constexpr std::string_view kBadDelimiterMessage =
    "File does not contain proper delimiter (carriage return + line feed). Opening and saving the "
    "file using Lumibench may correct the problem.";
inline constexpr std::string_view kUnableToRepairMessage =
    "Unable to repair (add delimiters) and save file: ";
inline constexpr std::string_view kRepairNoticeHead =
    "This file is not formatted correctly; all lines must end with a Carriage Return and Line Feed "
    "(CR+LF):";
inline constexpr std::string_view kRepairNoticeSavedAs =
    "This file has been automagically repaired and saved as: ";
inline constexpr std::string_view kRepairNoticeTail =
    "You may want to contact the supplier of the file and inform them of this problem. Thank you!";
inline constexpr std::string_view kRepairedSuffix = "_Repaired";
// Sub-folder of the per-user data folder for copies of files in folders the
// user cannot write.
inline constexpr std::string_view kRepairedFolderName = "Repaired";

// The file's decoded text, every line followed by CR LF. A line ends at CR LF
// or at a lone CR; a lone LF stays inside its line. With `fromTilt` the text
// starts at the first line containing "TILT=" (case-sensitive) and is empty
// when there is none. A file that cannot be read gives a single blank, which
// passes the exponential check; the line-end check then reports the fault.
std::string ReadFileText(const std::string& path, bool fromTilt);

// The same over text already in memory (the part after reading and decoding).
std::string TextFromLines(std::string_view text, bool fromTilt);
// The same over the file's raw bytes (decoded here).
std::string TextFromFileBytes(std::string bytes, bool fromTilt);

// The text the exponential-number check examines: ReadFileText(path, true) of
// the file as it stands after the line-end repair (computed in memory, nothing
// written). For a file whose line ends pass the check this is ReadFileText
// itself; for an LF-only file it starts at the TILT line rather than taking
// the whole file as one line, so header text ("ABSOLUTE-LED") is not examined.
std::string ExponentCheckText(const std::string& path);

// True when the file may be read. The first CR LF seen before any bad line end
// passes the whole file. Otherwise, with `noRepair` the result is false with
// kBadDelimiterMessage in `message`; without it the file is copied with every
// line end made CR LF (all other bytes unchanged, one closing CR LF added) by
// WriteRepairedCopy, the copy is announced through `sink`, and `path`
// becomes the copy's path. `message` is only written when the result is false.
bool CheckLineDelimiters(std::string& path, std::string& message, bool noRepair, MessageSink& sink,
                         const std::filesystem::path& userDataFolder = {});

// The steps after a bad line end was found, over the copy's bytes: refusal
// with `noRepair`, else the copy written, announced, and `path` set to it.
bool SaveRepairedCopy(std::string& path, std::string_view repaired, std::string& message, bool noRepair,
                      MessageSink& sink, const std::filesystem::path& userDataFolder);

// Offset of the first "E-" or "E+" from the first line containing "TILT="
// on (lines ending at CR, as ReadFileText has them), in raw file bytes; npos
// when there is none. Searching ExponentCheckText's text gives the same answer.
std::size_t ExponentFromTilt(std::string_view bytes);

enum class Intake {
    Read,         // `bytes` holds the file to parse (the repaired copy's bytes after a repair)
    Exponential,  // the exponential-number check refused the file; `line` says where
    Refused,      // the line-end check refused it; `message` says why, `line` is 1 for a bad line end
};

// The checks every reader runs before it parses, on a single read of the
// file: the exponential-number check over the text as it stands after the
// line-end repair (from its TILT line on), then the line-end check with its
// repair. Answers as ExponentCheckText followed by CheckLineDelimiters would,
// without reading the file three times.
Intake TakeInFile(std::string& path, FileBytes& bytes, std::string& message, int& line, bool noRepair,
                  MessageSink& sink, const std::filesystem::path& userDataFolder);

// Writes `bytes` as the "_Repaired" copy of `path`: beside it, or, when its
// folder refuses new files and `userDataFolder` is given, in a private
// sub-folder of userDataFolder/Repaired kept for the source folder. Written
// atomically (a link at the name is replaced, an earlier copy survives a
// failure) with at most the original's permission bits. Returns the copy's
// path, or empty with `error` set.
std::string WriteRepairedCopy(const std::string& path, std::string_view bytes,
                              const std::filesystem::path& userDataFolder, std::error_code& error);

// userDataFolder/Repaired/<folder name>-<hash of the absolute folder>/ for the
// folder of `path`.
std::string RepairedCopyFolderFor(const std::string& path, const std::filesystem::path& userDataFolder);

// True when `bytes` has a bad line end before its first CR LF; `repaired` then
// holds the copy's bytes. A CR that is followed by another CR becomes CR LF on
// its own, so the copy never keeps a lone CR.
bool RepairLineDelimiters(std::string_view bytes, std::string& repaired);

// "<folder>/<name>_Repaired<.ext>" for "<folder>/<name><.ext>".
std::string RepairedCopyPath(const std::string& path);

}  // namespace lumibench
