#pragma once
// A colour map of one data set's intensity over a reference's, across the
// angle grid: white where they agree, red where the data set is brighter,
// blue where it is darker, grey where the reference is too dark for a ratio.

#include <QColor>
#include <QPainter>
#include <QRectF>

#include <string>

#include "photometry/comparison.h"

namespace lumibench::diagrams {

// The ratio's colour on a scale running from 1 / 2^span (full blue) through
// 1 (white) to 2^span (full red); ratios beyond saturate.
QColor RatioColour(double ratio, double span);
// The span that shows the grid's ratios: at least a 5 % difference, at most a factor of 8.
double RatioSpan(const photometry::RatioGrid& grid);

struct RatioMapOptions {
    std::string title;
    std::string horizontalName = "C";  // "C" or "H"
    std::string verticalName = "gamma";  // "gamma" or "V"
};

void PaintRatioMap(QPainter& painter, const QRectF& area, const photometry::RatioGrid& grid,
                   const RatioMapOptions& options);

}  // namespace lumibench::diagrams
