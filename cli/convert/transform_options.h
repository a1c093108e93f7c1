#pragma once
// The options of lumibench-convert that change the data before it is written:
// --rotate, --mirror, --scale-lumens, --relative, --absolute, --units.

#include <cstddef>
#include <string>
#include <vector>

#include "photometry/record_transform.h"

namespace lumibench {

// Takes args[i] when it is one of the options above (moving i past its
// value) and returns true; a bad value sets `error` (the first one is kept).
bool ParseTransformOption(const std::vector<std::string>& args, std::size_t& i, photometry::RecordTransform& transform,
                          std::string& error);

// The lines of the usage text that describe those options.
std::string TransformUsageText();

}  // namespace lumibench
