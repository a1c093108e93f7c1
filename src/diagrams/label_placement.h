#pragma once
// Where a busy diagram's labels go: contour labels placed along their own
// contours where they keep clear of each other, and axis labels thinned to
// the room there is. Page geometry only, so that screen, exports and PDF
// place them alike.

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>
#include <vector>

namespace lumibench::diagrams {

// Points along a line on the page, tried in turn for its label: halfway
// first, then quarter and three-quarter way, then eighths, and so on.
std::vector<QPointF> LabelCandidates(const std::vector<QPointF>& line);

// One label to place: its size and the points along its contour (all its
// lines, the longest first) in the order they are to be tried.
struct LabelRequest {
    QSizeF size;
    std::vector<QPointF> candidates;
};

// For each request, in order, the box centred on the first candidate that
// lies inside `plot` and keeps at least `gap` from every box placed before
// it; nullopt where no candidate has room (that label is left out).
std::vector<std::optional<QRectF>> PlaceLabels(const std::vector<LabelRequest>& requests, const QRectF& plot,
                                               double gap);

// The smallest of `steps` (ascending, in axis units) whose labels, each
// `labelWidth` wide, keep at least `gap` apart along an axis where one unit
// is `pixelsPerUnit` long; the largest step when none does.
double ThinnedStep(const std::vector<double>& steps, double pixelsPerUnit, double labelWidth, double gap);

}  // namespace lumibench::diagrams
