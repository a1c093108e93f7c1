#pragma once
// Contour lines by marching squares over a rectangular grid whose columns and
// rows need not be evenly spaced (the angle grids of photometric data are not).

#include <vector>

namespace lumibench::diagrams {

struct GridPoint {
    double x = 0;
    double y = 0;
};
using Polyline = std::vector<GridPoint>;

// values[i][j] sits at (xs[i], ys[j]). Each line crosses cell edges where the
// linear interpolation between the corners equals `level`; a saddle cell is
// resolved by the mean of its corners. The segments are joined into
// polylines; a closed contour repeats its first point at the end. Rows of the
// wrong length or non-finite values leave their cells out.
std::vector<Polyline> ContourLines(const std::vector<double>& xs, const std::vector<double>& ys,
                                   const std::vector<std::vector<double>>& values, double level);

}  // namespace lumibench::diagrams
