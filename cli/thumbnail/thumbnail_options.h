#pragma once
// The command line of lumibench-thumbnail, as a thumbnailer entry runs it:
// lumibench-thumbnail -s SIZE INPUT OUTPUT.

#include <string>
#include <vector>

#include "option_table.h"

namespace lumibench {

struct ThumbnailOptions {
    int size = 128;
    bool help = false;
    bool version = false;
    std::vector<std::string> files;  // the input and the output picture
    std::string error;
};

const OptionTable& ThumbnailOptionTable();

// `args` without the program name.
ThumbnailOptions ParseThumbnailArguments(const std::vector<std::string>& args);

std::string ThumbnailUsageText();

}  // namespace lumibench
