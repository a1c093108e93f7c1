#include "thumbnail_picture.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <vector>

#include "diagrams/diagram_data.h"
#include "diagrams/diagram_painters.h"
#include "diagrams/polar_geometry.h"

namespace lumibench {
namespace {

using diagrams::CurvePoint;
using Curve = std::vector<std::vector<CurvePoint>>;

const QColor kDiscEdge(0x90, 0x90, 0x90);
const QColor kGrid(0xc8, 0xc8, 0xc8);

}  // namespace

QImage DrawPolarThumbnail(const PhotometricRecord& record, int size) {
    size = std::clamp(size, kSmallestThumbnailSize, kLargestThumbnailSize);
    const diagrams::Series series = diagrams::MakeSeries(record, diagrams::IntensityUnit::Candela, {});
    if (!series.distribution) return {};
    std::vector<Curve> curves;
    double largest = 0;
    for (const diagrams::Section& section : diagrams::DefaultSections(series.distribution->photometricType())) {
        curves.push_back(diagrams::SectionCurve(series, section));
        largest = std::max(largest, diagrams::LargestValue(curves.back()));
    }
    if (!(largest > 0) || !std::isfinite(largest)) return {};

    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // Lines in proportion to the picture, so 128 and 1024 pixels look alike.
    const double edge = std::max(1.0, size / 128.0);
    const double curveWidth = std::max(3.0, size / 32.0);
    const QPointF centre(size / 2.0, size / 2.0);
    const double radius = size / 2.0 - edge;
    // The largest value touches the disc's edge less one line width, so the
    // curve's stroke stays inside the picture.
    const double reach = radius - curveWidth / 2 - edge;
    auto at = [&](const CurvePoint& point) {
        const diagrams::UnitPoint p = diagrams::PolarToUnit(point.angle, point.value, largest);
        return QPointF(centre.x() + p.x * reach, centre.y() - p.y * reach);
    };

    painter.setPen(QPen(kDiscEdge, edge));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, radius, radius);
    // The grid: half and full value rings, and the nadir-zenith and 90° axes.
    painter.setPen(QPen(kGrid, edge));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, reach / 2, reach / 2);
    painter.drawLine(QPointF(centre.x(), centre.y() - radius), QPointF(centre.x(), centre.y() + radius));
    painter.drawLine(QPointF(centre.x() - radius, centre.y()), QPointF(centre.x() + radius, centre.y()));

    for (std::size_t k = 0; k < curves.size(); ++k) {
        QColor colour = diagrams::SeriesColour(static_cast<int>(k));
        // Each later curve is drawn narrower on top, so where the sections
        // coincide (a rotationally symmetric luminaire) both colours show.
        QPen pen(colour, curveWidth * (k == 0 ? 1.0 : 0.5), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        colour.setAlpha(40);
        for (const auto& piece : curves[k]) {
            if (piece.empty()) continue;
            QPainterPath path(at(piece.front()));
            for (std::size_t i = 1; i < piece.size(); ++i) path.lineTo(at(piece[i]));
            // A light fill makes the shape read at a glance, as on a datasheet.
            QPainterPath filled = path;
            filled.lineTo(centre);
            filled.closeSubpath();
            painter.fillPath(filled, colour);
            painter.strokePath(path, pen);
        }
    }
    painter.end();
    return image;
}

}  // namespace lumibench
