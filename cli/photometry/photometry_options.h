#pragma once
// The command line of lumibench-photometry, parsed without touching the file system.

#include <string>
#include <vector>

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
    ApplicationInputs inputs;
    std::vector<std::string> files;  // files and folders, in the order given
    std::string error;               // a usage error; empty when the line is sound
};

// `args` without the program name. "--" ends the options, so a file may begin with "-".
PhotometryOptions ParsePhotometryArguments(const std::vector<std::string>& args);

std::string PhotometryUsageText();

}  // namespace lumibench
