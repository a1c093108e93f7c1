#pragma once
// Data sets side by side: the figures of each (flux, LOR, peak, spreads,
// zonal lumens, efficacy) with their differences against one reference data
// set, the table as CSV text, and the ratio of two intensity distributions
// over a common angle grid.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "photometry/photometry.h"

namespace lumibench::photometry {

// How a figure's difference against the reference is stated.
enum class DifferenceKind {
    Percent,  // (value - reference) / reference x 100: flux, intensity, efficacy
    Points,   // value - reference, both already in %: LOR, DLOR, ULOR
    Degrees,  // value - reference in degrees; horizontal angles the short way round
};
std::string DifferenceUnit(DifferenceKind kind);  // "%", "points", "deg"

struct ComparedFigure {
    std::string name;  // "Luminaire flux", "Beam angle C0-C180", "Zonal lumens 0-10"
    std::string unit;  // "lm", "%", "cd", "deg", "lm/W"
    DifferenceKind difference = DifferenceKind::Percent;
    int decimals = 1;
    std::vector<std::optional<double>> values;       // one per data set; absent where the set has none
    std::vector<std::optional<double>> differences;  // against the reference (its own is 0)
};

struct Comparison {
    std::vector<std::string> names;  // the data sets, in order
    std::size_t reference = 0;
    std::vector<ComparedFigure> figures;
};

struct NamedSummary {
    std::string name;
    Summary summary;
};

// The figures of every data set and their differences against
// sets[reference] (the first when `reference` is out of range). A figure only
// some data sets have (a plane's spread, a zone) has a row all the same.
Comparison CompareSummaries(const std::vector<NamedSummary>& sets, std::size_t reference);

// The table as CSV (RFC 4180: CR LF line ends, fields with commas, quotes or
// line ends quoted): Figure, Unit, one column per data set, then one
// difference column per other data set and the difference's unit.
std::string ComparisonCsv(const Comparison& comparison);

// One CSV field, quoted where it must be. Text a spreadsheet would take for
// a formula (starting with = + - @) is prefixed with an apostrophe.
std::string CsvText(const std::string& text);

// Intensity of a data set over that of the reference on a common grid.
struct RatioGrid {
    std::vector<double> horizontal;  // C (type C) or H angles
    std::vector<double> vertical;    // gamma (type C) or V angles
    // ratio[h][v]; absent where the reference is too dark for a ratio to mean anything.
    std::vector<std::vector<std::optional<double>>> ratio;
    double smallest = 0;  // over the ratios present
    double largest = 0;
    std::string problem;  // why there is no grid; empty when there is one
};

// Below this share of its own peak the reference gives no ratio: a few
// candela of stray light would otherwise fill the map with extremes.
inline constexpr double kRatioFloor = 0.01;
// The grid's spacing: fine enough for the shape of a beam, coarse enough to
// paint 25 maps at once.
inline constexpr double kRatioStep = 5;

// `factor` and `referenceFactor` turn candela into the compared unit (1 for
// cd, 1000 / flux for cd/klm). The grid spans the angles both measured, at
// `step` degrees with the ends included; data sets of different photometric
// types give no grid.
RatioGrid IntensityRatioGrid(const IntensityDistribution& set, double factor, const IntensityDistribution& reference,
                             double referenceFactor, double step = kRatioStep);

}  // namespace lumibench::photometry
