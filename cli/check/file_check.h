#pragma once
// One file through the reader that its extension picks, as lumibench-check runs it.

#include <string>
#include <vector>

#include "readers/checked_load.h"

namespace lumibench {

struct CheckInput {
    std::string file;
    std::string error;  // why the argument cannot be read; empty when it can
};

struct ExpandedFiles {
    std::vector<std::string> files;
    std::vector<std::string> errors;  // one line per argument that cannot be read
    std::vector<CheckInput> inputs;   // both of the above, in argument order
};

// Folders become the regular files directly inside them (hidden ones left out), sorted by name;
// files stay as given. Missing or unreadable arguments go to `errors`.
ExpandedFiles ExpandCheckArguments(const std::vector<std::string>& args);

}  // namespace lumibench
