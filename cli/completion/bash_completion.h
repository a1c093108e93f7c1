#pragma once
// Bash completion scripts made from a program's option table: the options,
// the values an option takes (formats, models, files, folders), commands, and
// files by the extensions the program reads.

#include <string>
#include <vector>

#include "option_table.h"

namespace lumibench {

struct ProgramCompletion {
    std::string program;  // "lumibench-convert"
    OptionTable options;
    // Words the first argument that is no option must be ("get", "set").
    std::vector<std::string> commands;
    // Other arguments: files (with these extensions, lower case without the
    // dot; empty: any file), or nothing to offer when `files` is false.
    bool files = true;
    std::vector<std::string> extensions;
    // Words offered beside the files ("/V", "/C").
    std::vector<std::string> words;
};

// The script bash-completion loads from completions/<program>; it needs
// bash-completion's helpers (_init_completion, _filedir).
std::string BashCompletionScript(const ProgramCompletion& program);

}  // namespace lumibench
