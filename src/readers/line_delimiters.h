#pragma once
// The file text that the exponential-number check looks at, and the line-end
// check that every reader runs before it reads, with repair into a
// "_Repaired" copy beside the file.

#include <string>
#include <string_view>

#include "core/message_sink.h"

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

// The file's decoded text, every line followed by CR LF. A line ends at CR LF
// or at a lone CR; a lone LF stays inside its line. With `fromTilt` the text
// starts at the first line containing "TILT=" (case-sensitive) and is empty
// when there is none. A file that cannot be read gives a single blank, which
// passes the exponential check; the line-end check then reports the fault.
std::string ReadFileText(const std::string& path, bool fromTilt);

// The same over text already in memory (the part after reading and decoding).
std::string TextFromLines(std::string_view text, bool fromTilt);

// True when the file may be read. The first CR LF seen before any bad line end
// passes the whole file. Otherwise, with `noRepair` the result is false with
// kBadDelimiterMessage in `message`; without it the file is copied with every
// line end made CR LF (all other bytes unchanged, one closing CR LF added) to
// RepairedCopyPath(path), the copy is announced through `sink`, and `path`
// becomes the copy's path. `message` is only written when the result is false.
bool CheckLineDelimiters(std::string& path, std::string& message, bool noRepair, MessageSink& sink);

// True when `bytes` has a bad line end before its first CR LF; `repaired` then
// holds the copy's bytes. A CR that is followed by another CR becomes CR LF on
// its own, so the copy never keeps a lone CR.
bool RepairLineDelimiters(std::string_view bytes, std::string& repaired);

// "<folder>/<name>_Repaired<.ext>" for "<folder>/<name><.ext>".
std::string RepairedCopyPath(const std::string& path);

}  // namespace lumibench
