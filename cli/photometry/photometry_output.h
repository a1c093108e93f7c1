#pragma once
// What lumibench-photometry prints for one file, as plain text or JSON.

#include <string>

#include <nlohmann/json.hpp>

#include "file_check.h"
#include "photometry/comparison.h"
#include "photometry/photometry.h"
#include "photometry_options.h"

namespace lumibench {

// The file's block: the checker's block for a file that did not load, else the
// path and a few lines of figures.
std::string FormatPlainPhotometry(const FileCheckResult& result, const ApplicationInputs& inputs);

// {"file","path","ok","skipped","message", then the figures}; every figure key is
// present, null where the file did not load or the figure does not exist.
// The application figures sit under "floodlight", "road" and "indoor".
nlohmann::ordered_json PhotometryToJson(const FileCheckResult& result, const ApplicationInputs& inputs);

// The figures alone, keyed as the JSON output names them.
// {"reference": file, "files": [...], "figures": [{"name", "unit",
// "difference_unit", "values", "differences"}]}, null where a figure is absent.
nlohmann::ordered_json ComparisonToJson(const photometry::Comparison& comparison);
nlohmann::ordered_json SummaryToJson(const PhotometricRecord& record, const photometry::Summary& summary);
nlohmann::ordered_json FloodlightToJson(const photometry::IntensityDistribution& distribution,
                                        std::optional<double> lampFluxLm, const ApplicationInputs& inputs);
nlohmann::ordered_json IndoorToJson(const PhotometricRecord& record, const photometry::IntensityDistribution& distribution);
nlohmann::ordered_json RoadToJson(const PhotometricRecord& record, const photometry::IntensityDistribution& distribution,
                                  const ApplicationInputs& inputs);

}  // namespace lumibench
