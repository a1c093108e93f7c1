#include "diagrams/ratio_map.h"

#include <QFont>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

#include "diagrams/scale.h"

namespace lumibench::diagrams {
namespace {

const QColor kText(0x20, 0x20, 0x20);
const QColor kAxis(0x40, 0x40, 0x40);
const QColor kNoRatio(0xd8, 0xd8, 0xd8);

void UseFont(QPainter& painter, double pixelSize, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
    font.setBold(bold);
    painter.setFont(font);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Cell bounds midway between neighbouring grid angles.
std::vector<double> Edges(const std::vector<double>& angles) {
    std::vector<double> edges;
    if (angles.empty()) return edges;
    edges.push_back(angles.front());
    for (std::size_t i = 1; i < angles.size(); ++i) edges.push_back((angles[i - 1] + angles[i]) / 2);
    edges.push_back(angles.back());
    return edges;
}

}  // namespace

QColor RatioColour(double ratio, double span) {
    if (!(ratio > 0) || !std::isfinite(ratio)) return ratio == 0 ? QColor(0x1f, 0x4e, 0xd8) : kNoRatio;
    const double t = std::clamp(std::log2(ratio) / std::max(span, 1e-6), -1.0, 1.0);
    const QColor far = t > 0 ? QColor(0xd0, 0x1c, 0x1c) : QColor(0x1f, 0x4e, 0xd8);
    const double a = std::abs(t);
    return QColor::fromRgbF(static_cast<float>(1 + (far.redF() - 1) * a), static_cast<float>(1 + (far.greenF() - 1) * a),
                            static_cast<float>(1 + (far.blueF() - 1) * a));
}

double RatioSpan(const photometry::RatioGrid& grid) {
    double span = 0;
    for (double r : {grid.smallest, grid.largest})
        if (r > 0) span = std::max(span, std::abs(std::log2(r)));
    return std::clamp(span, std::log2(1.05), 3.0);
}

void PaintRatioMap(QPainter& painter, const QRectF& area, const photometry::RatioGrid& grid,
                   const RatioMapOptions& options) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const double side = std::min(area.width(), area.height());
    const double text = std::max(9.0, side / 34);
    UseFont(painter, text * 0.85);
    const QFontMetricsF fm(painter.font());
    painter.setPen(kText);

    double top = area.top() + text * 0.6;
    if (!options.title.empty()) {
        UseFont(painter, text, true);
        // Long file names are cut in the middle: both ends of each name and the unit stay.
        const QFontMetricsF titleMetrics(painter.font());
        painter.drawText(QRectF(area.left(), top, area.width(), text * 1.5), Qt::AlignHCenter | Qt::AlignTop,
                         titleMetrics.elidedText(Q(options.title), Qt::ElideMiddle, area.width() - text));
        top += text * 1.8;
        UseFont(painter, text * 0.85);
    }
    if (!grid.problem.empty() || grid.horizontal.empty() || grid.vertical.empty()) {
        painter.drawText(area.adjusted(text, top - area.top(), -text, -text), Qt::AlignCenter | Qt::TextWordWrap,
                         grid.problem.empty() ? QStringLiteral("No data") : Q(grid.problem));
        painter.restore();
        return;
    }

    const double legendWidth = fm.horizontalAdvance(QStringLiteral("0.125")) + text * 2.5;
    const QRectF plot(area.left() + fm.horizontalAdvance(QStringLiteral("180")) + text * 2.2, top + text * 0.4,
                      area.width() - legendWidth - fm.horizontalAdvance(QStringLiteral("180")) - text * 3.4,
                      area.bottom() - top - text * 3.4);
    if (plot.width() < 10 || plot.height() < 10) {
        painter.restore();
        return;
    }
    const auto hEdges = Edges(grid.horizontal), vEdges = Edges(grid.vertical);
    const LinearScale xs{hEdges.front(), hEdges.back(), plot.left(), plot.right()};
    // The first vertical angle (nadir, or the bottom of a type B sweep) at the top, as tables list them.
    const LinearScale ys{vEdges.front(), vEdges.back(), plot.top(), plot.bottom()};
    const double span = RatioSpan(grid);
    for (std::size_t h = 0; h < grid.horizontal.size(); ++h) {
        for (std::size_t v = 0; v < grid.vertical.size(); ++v) {
            const auto& r = grid.ratio[h][v];
            const QRectF cell(QPointF(xs.map(hEdges[h]), ys.map(vEdges[v])),
                              QPointF(xs.map(hEdges[h + 1]), ys.map(vEdges[v + 1])));
            painter.fillRect(cell.adjusted(0, 0, 0.5, 0.5), r ? RatioColour(*r, span) : kNoRatio);
        }
    }
    painter.setPen(QPen(kAxis, std::max(0.5, side / 900)));
    painter.drawRect(plot);

    // Axes: angle ticks below and to the left.
    painter.setPen(kText);
    const Ticks hTicks = NiceTicks(hEdges.front(), hEdges.back(), std::max(2, static_cast<int>(plot.width() / (text * 4))));
    for (double t : hTicks.values) {
        if (t < hEdges.front() - 1e-9 || t > hEdges.back() + 1e-9) continue;
        const double x = xs.map(t);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + text * 0.3));
        painter.drawText(QRectF(x - text * 3, plot.bottom() + text * 0.35, text * 6, text * 1.3), Qt::AlignHCenter,
                         Q(TickLabel(t, hTicks.step)));
    }
    const Ticks vTicks = NiceTicks(vEdges.front(), vEdges.back(), std::max(2, static_cast<int>(plot.height() / (text * 2.5))));
    for (double t : vTicks.values) {
        if (t < vEdges.front() - 1e-9 || t > vEdges.back() + 1e-9) continue;
        const double y = ys.map(t);
        painter.drawLine(QPointF(plot.left() - text * 0.3, y), QPointF(plot.left(), y));
        painter.drawText(QRectF(area.left(), y - text * 0.7, plot.left() - area.left() - text * 0.4, text * 1.4),
                         Qt::AlignRight | Qt::AlignVCenter, Q(TickLabel(t, vTicks.step)));
    }
    painter.drawText(QRectF(plot.left(), plot.bottom() + text * 1.6, plot.width(), text * 1.4), Qt::AlignHCenter,
                     Q(options.horizontalName) + QStringLiteral(" (") + QChar(0x00B0) + QStringLiteral(")"));
    painter.save();
    painter.translate(area.left() + text * 0.2, plot.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-plot.height() / 2, 0, plot.height(), text * 1.4), Qt::AlignHCenter | Qt::AlignTop,
                     Q(options.verticalName) + QStringLiteral(" (") + QChar(0x00B0) + QStringLiteral(")"));
    painter.restore();

    // The colour scale: ratios from 1 / 2^span to 2^span.
    const QRectF bar(plot.right() + text * 1.2, plot.top(), text * 1.2, plot.height());
    const int steps = 64;
    for (int i = 0; i < steps; ++i) {
        const double t = 1 - 2.0 * (i + 0.5) / steps;  // top: brighter
        const QRectF slice(bar.left(), bar.top() + bar.height() * i / steps, bar.width(), bar.height() / steps + 0.5);
        painter.fillRect(slice, RatioColour(std::exp2(t * span), span));
    }
    painter.setPen(kAxis);
    painter.drawRect(bar);
    painter.setPen(kText);
    for (double t : {1.0, 0.5, 0.0, -0.5, -1.0}) {
        const double y = bar.top() + bar.height() * (1 - t) / 2;
        painter.drawText(QRectF(bar.right() + text * 0.3, y - text * 0.7, legendWidth, text * 1.4),
                         Qt::AlignLeft | Qt::AlignVCenter, Q(FormatNumber(std::exp2(t * span), 3)));
    }
    painter.restore();
}

}  // namespace lumibench::diagrams
