#pragma once
// The completion of every program the package installs in /usr/bin, from the
// option tables their parsers use. The host, lumibench-settings and
// lumibench-productlist read their few arguments by hand; their rows live
// here, and a test holds them to each program's --help.

#include <vector>

#include "bash_completion.h"

namespace lumibench {

std::vector<ProgramCompletion> ProgramCompletions();

}  // namespace lumibench
