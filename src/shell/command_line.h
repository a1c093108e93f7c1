#pragma once
// The program's command line: photometric files to load and tools to start.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumibench {

struct CommandLineItems {
    std::vector<std::string> files;      // in order, trimmed, case kept for opening
    std::vector<std::string> toolNames;  // "Tool_ViewPE" and friends, in order
    bool operator==(const CommandLineItems&) const = default;
};

// The arguments after the program name joined with "," into the one text the
// rules below work on, so that `lumibench a.ies b.ldt /V` and
// `lumibench "/V,a.ies"` mean the same.
std::string JoinArguments(const std::vector<std::string>& arguments);

// Double quotes removed, split at commas, items trimmed; "/R", "/F", "/I",
// "/V", "/C", "/T" (any case) name a tool, other switches are ignored, empty
// items are skipped, everything else is a file. A switch is a "/" item with no
// further "/" and no "." in it, so absolute paths stay files. Paths keep their case: file
// names on this system are case-sensitive.
CommandLineItems ParseCommandLine(std::string_view text);

// What the program does with its arguments. A file manager or a shell hands
// over each file as one argument whose commas, quotes and blanks belong to the
// name, so an argument that names an existing file is that file, whole; every
// other argument goes through ParseCommandLine. Relative file paths are made
// absolute against `currentFolder`: the path travels to tools as Filename.
CommandLineItems ParseArguments(const std::vector<std::string>& arguments,
                                const std::filesystem::path& currentFolder,
                                const std::function<bool(const std::string&)>& isExistingFile);

// Usage text of --help.
std::string UsageText(std::string_view programName);

// The tool a "/" item names, or empty.
std::string ToolForSwitch(std::string_view letters);

}  // namespace lumibench
