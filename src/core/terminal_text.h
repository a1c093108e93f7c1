#pragma once
// Message texts keep the CR LF line ends that message boxes and JSON show. A
// terminal or a log wants LF alone: a bare CR sends the cursor back over the
// line it ends, so the next line overwrites it.

#include <string>
#include <string_view>

namespace lumibench {

// `text` with every CR LF and every bare CR turned into LF.
std::string TerminalLines(std::string_view text);

// The same without the line ends at the end of the text, for printing as one
// entry followed by its own LF.
std::string TerminalEntry(std::string_view text);

}  // namespace lumibench
