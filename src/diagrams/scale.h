#pragma once
// Axis scales of the diagrams: "nice" steps (1, 2, 2.5 or 5 times a power of
// ten) and their tick labels, the way printed catalogues number their grids.

#include <string>
#include <vector>

namespace lumibench::diagrams {

struct Ticks {
    double step = 0;
    double first = 0;  // lo rounded down to the step
    double last = 0;   // hi rounded up to the step
    std::vector<double> values;  // first, first + step, ..., last
};

// The smallest nice step that covers `span` in at most `maxIntervals` intervals.
double NiceStep(double span, int maxIntervals);

// Ticks covering [lo, hi] with at most `maxIntervals` intervals. An empty or
// non-finite range gives the ticks of [0, 1].
Ticks NiceTicks(double lo, double hi, int maxIntervals);

// A tick value with as many decimals as the step needs ("0.25", "1500", "2.5").
std::string TickLabel(double value, double step);

// A figure for tables and labels: `decimals` digits after the point, trailing
// zeros dropped, "." as the decimal point whatever the locale.
std::string FormatNumber(double value, int decimals);

// Maps [domainLo, domainHi] linearly onto [rangeLo, rangeHi].
struct LinearScale {
    double domainLo = 0;
    double domainHi = 1;
    double rangeLo = 0;
    double rangeHi = 1;
    double map(double value) const;
};

}  // namespace lumibench::diagrams
