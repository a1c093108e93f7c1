#pragma once
// One file to one thumbnail, as a file manager's thumbnailer asks for it:
// read without repairing anything, draw, and write the PNG safely.

#include <string>

namespace lumibench {

struct ThumbnailResult {
    bool written = false;
    std::string error;  // why not, for the standard error output
};

// Reads `input` by its extension as the host loads it, without writing
// anything beside it: a badly delimited file is repaired from a copy in
// `scratchFolder` (which the caller owns and removes), where a reader's
// temporary files go too. Writes `output` only when the file was read and
// gave a picture.
ThumbnailResult WriteThumbnail(const std::string& input, const std::string& output, int size,
                               const std::string& scratchFolder);

}  // namespace lumibench
