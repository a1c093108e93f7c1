#pragma once
// The command line of lumibench-check, parsed without touching the file system.

#include <string>
#include <vector>

#include "option_table.h"

namespace lumibench {

struct CheckOptions {
    bool repair = false;
    bool fix = false;       // write a fixed "_Repaired" copy of files the fix-ups can mend
    bool json = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> files;  // files and folders, in the order given
    std::string error;               // a usage error; empty when the line is sound
};

// Every option the parser takes (the shell completion is made from it).
const OptionTable& CheckOptionTable();

// `args` without the program name. "--" ends the options, so a file may begin with "-".
CheckOptions ParseCheckArguments(const std::vector<std::string>& args);

std::string CheckUsageText();

}  // namespace lumibench
