#pragma once
// The command line of lumibench-photometry, parsed without touching the file system.

#include <cstddef>
#include <string>
#include <vector>

#include "option_table.h"
#include "photometry/floodlight.h"
#include "photometry/road.h"

namespace lumibench {

// Inputs of the application figures; lengths in metres unless `feet`.
struct ApplicationInputs {
    bool feet = false;
    photometry::TargetPlane target;
    photometry::RoadLayout road;
};

struct PhotometryOptions {
    bool repair = false;
    bool json = false;
    bool help = false;
    bool version = false;
    // --compare[=N]: the files side by side against the Nth that loads (from 1).
    bool compare = false;
    std::size_t reference = 1;
    ApplicationInputs inputs;
    std::vector<std::string> files;  // files and folders, in the order given
    std::string error;               // a usage error; empty when the line is sound
};

// Every option the parser takes (the shell completion is made from it).
const OptionTable& PhotometryOptionTable();

// `args` without the program name. "--" ends the options, so a file may begin with "-".
PhotometryOptions ParsePhotometryArguments(const std::vector<std::string>& args);

std::string PhotometryUsageText();

}  // namespace lumibench
