#pragma once
// Painters of the photometric diagrams onto any QPainter: a widget, an image,
// an SVG or PDF file, a printer. Each fills `area` (in the painter's own
// units) and sizes its text and lines from it, so a diagram reads the same at
// a thumbnail's size and on a printed page.

#include <QColor>
#include <QList>
#include <QPainter>
#include <QRectF>

#include <string>
#include <vector>

#include "diagrams/diagram_data.h"
#include "diagrams/luminous_opening.h"

namespace lumibench::diagrams {

struct DiagramOptions {
    // The sections drawn (polar and cartesian); empty: the defaults of the
    // first series' photometric type.
    std::vector<Section> sections;
    IntensityUnit unit = IntensityUnit::Candela;  // only labels the axis: the series carry the factor
    std::string title;
    bool legend = true;
};

// The colour of series i in overlays (and of section i when one series is drawn).
QColor SeriesColour(int index);

// How series i of an overlay is drawn: its colour, and from the
// kSeriesColourCount-th series on a long dash as well, so that the 25 data
// sets of a full list stay distinguishable.
inline constexpr int kSeriesColourCount = 13;
struct SeriesStyle {
    QColor colour;
    QVector<qreal> dashes;  // empty: a solid line
};
SeriesStyle SeriesStyleOf(int index);

// A legend that takes more than this share of the diagram's height as rows
// under the plot goes into a column beside it, at most this share of its
// width; entries beyond its height are counted in a last line.
inline constexpr double kLegendShare = 1.0 / 3;

void PaintPolarDiagram(QPainter& painter, const QRectF& area, const std::vector<Series>& series,
                       const DiagramOptions& options);
void PaintCartesianDiagram(QPainter& painter, const QRectF& area, const std::vector<Series>& series,
                           const DiagramOptions& options);
// Contour lines of one series over its horizontal (x) and vertical (y) angles.
void PaintIsocandelaDiagram(QPainter& painter, const QRectF& area, const Series& series,
                            const DiagramOptions& options);

struct OpeningOptions {
    std::string lengthUnit = "m";  // label of the lengths shown
    double unitsPerMetre = 1;      // 3.28084 for feet
    std::string title;
};
// Plan, front and side view of the opening, to one scale, with its sizes.
void PaintLuminousOpening(QPainter& painter, const QRectF& area, const LuminousOpening& opening,
                          const OpeningOptions& options);

}  // namespace lumibench::diagrams
