#pragma once
// The command line of lumibench-convert, and where each converted file goes,
// decided without touching the file system.

#include <optional>
#include <string>
#include <vector>

#include "option_table.h"
#include "photometry/record_transform.h"
#include "sdk/photometric_writers.h"

namespace lumibench {

struct ConvertOptions {
    std::optional<FileFormat> to;
    std::string out;    // a file or folder; empty: beside each input
    bool force = false; // replace existing files
    bool repair = false;
    bool fix = false;  // read a refused file from the fix-ups' "_Repaired" copy
    photometry::RecordTransform transform;  // applied to each record before it is written
    bool help = false;
    bool version = false;
    std::vector<std::string> files;
    std::string error;
};

// Every option the parser takes (the shell completion is made from it).
const OptionTable& ConvertOptionTable();

// `args` without the program name; "--" ends the options.
ConvertOptions ParseConvertArguments(const std::vector<std::string>& args);

std::string ConvertUsageText();

// The output path of `input`: `out` itself when it names a file for a single
// input, else the input's name with the format's extension, inside `out` when
// it is a folder (`outIsFolder`) or beside the input when `out` is empty.
std::string OutputPathFor(const std::string& input, FileFormat format, const std::string& out, bool outIsFolder);

}  // namespace lumibench
