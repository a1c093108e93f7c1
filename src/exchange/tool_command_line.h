#pragma once
// Formatting and reading the command line a tool program is started with
// (the struct is public: tools see it through the SDK).

#include <optional>
#include <string>
#include <string_view>

#include "sdk/tool_command_line.h"

namespace lumibench {

// The argument text the host passes: " 3342910,1,LumibenchPE,3,4,Data Exchange"
// (the handle carries a leading blank when not negative).
std::string FormatToolArguments(const ToolCommandLine& line);

// Reads the text back; a tool joins argv[1..] with blanks to get it. Returns
// nullopt when fewer than six fields are present. Numbers are read
// leniently (leading blanks allowed, no number gives 0).
std::optional<ToolCommandLine> ParseToolArguments(std::string_view text);

}  // namespace lumibench
