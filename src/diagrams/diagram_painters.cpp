#include "diagrams/diagram_painters.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>

#include "diagrams/contour.h"
#include "diagrams/label_placement.h"
#include "diagrams/polar_geometry.h"
#include "diagrams/scale.h"

namespace lumibench::diagrams {
namespace {

// Text and lines grow with the diagram but stay legible when it is small.
struct Metrics {
    double text;   // font pixel size
    double line;   // curve width
    double grid;   // grid line width
    double pad;    // gap between parts
};

Metrics MetricsFor(const QRectF& area) {
    const double side = std::min(area.width(), area.height());
    Metrics m{};
    // In proportion, as a printed diagram scales, but never below what a
    // screen can still render legibly.
    m.text = std::max(9.0, side / 34);
    m.line = std::max(1.0, side / 260);
    m.grid = std::max(0.5, side / 900);
    m.pad = m.text * 0.6;
    return m;
}

void UseFont(QPainter& painter, double pixelSize, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
    font.setBold(bold);
    painter.setFont(font);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

const QColor kGrid(0xb8, 0xb8, 0xb8);
const QColor kAxis(0x40, 0x40, 0x40);
const QColor kText(0x20, 0x20, 0x20);

Qt::PenStyle SectionStyle(std::size_t index) {
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};
    return styles[index % 4];
}

std::vector<Section> SectionsFor(const std::vector<Series>& series, const DiagramOptions& options) {
    if (!options.sections.empty()) return options.sections;
    const int type = !series.empty() && series.front().distribution ? series.front().distribution->photometricType() : 1;
    return DefaultSections(type);
}

// The pen of curve (series s, section k): one series gets a colour per
// section; several series get a colour each and a line style per section.
QPen CurvePen(std::size_t s, std::size_t k, std::size_t seriesCount, const Metrics& m) {
    const SeriesStyle style = SeriesStyleOf(static_cast<int>(s));
    QPen pen(seriesCount == 1 ? SeriesColour(static_cast<int>(k)) : style.colour);
    pen.setWidthF(m.line);
    pen.setStyle(seriesCount == 1 ? Qt::SolidLine : SectionStyle(k));
    // The series' own dash marks its first section; the others keep theirs.
    if (seriesCount > 1 && k == 0 && !style.dashes.isEmpty()) pen.setDashPattern(style.dashes);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

struct LegendEntry {
    QPen pen;
    QString text;
};

std::vector<LegendEntry> LegendEntries(const std::vector<Series>& series, const std::vector<Section>& sections,
                                       const Metrics& m) {
    std::vector<LegendEntry> entries;
    if (series.size() == 1) {
        for (std::size_t k = 0; k < sections.size(); ++k) {
            entries.push_back({CurvePen(0, k, 1, m), Q(SectionName(sections[k]))});
        }
        return entries;
    }
    for (std::size_t s = 0; s < series.size(); ++s) entries.push_back({CurvePen(s, 0, series.size(), m), Q(series[s].label)});
    if (sections.size() > 1) {
        for (std::size_t k = 0; k < sections.size(); ++k) {
            QPen pen = CurvePen(0, k, series.size(), m);
            pen.setColor(kAxis);
            entries.push_back({pen, Q(SectionName(sections[k]))});
        }
    }
    return entries;
}

// Lays the entries out in rows that fit the width; returns the height used.
// With `paint` false it only measures.
double Legend(QPainter& painter, const QRectF& area, const std::vector<LegendEntry>& entries, const Metrics& m,
              bool paint) {
    if (entries.empty()) return 0;
    UseFont(painter, m.text * 0.9);
    const QFontMetricsF fm(painter.font());
    const double sample = m.text * 2.2;
    const double rowHeight = fm.height() * 1.15;
    double x = area.left(), y = area.top();
    for (const auto& entry : entries) {
        const QString text = fm.elidedText(entry.text, Qt::ElideMiddle, std::max(sample, area.width() - sample - m.pad * 2));
        const double width = sample + m.pad * 0.5 + fm.horizontalAdvance(text) + m.pad * 1.5;
        if (x > area.left() && x + width > area.right()) x = area.left(), y += rowHeight;
        if (paint) {
            painter.setPen(entry.pen);
            const double cy = y + rowHeight / 2;
            painter.drawLine(QPointF(x, cy), QPointF(x + sample, cy));
            painter.setPen(kText);
            painter.drawText(QRectF(x + sample + m.pad * 0.5, y, width, rowHeight), Qt::AlignLeft | Qt::AlignVCenter, text);
        }
        x += width;
    }
    return y + rowHeight - area.top();
}

// The legend as a column at the right of `area`, at most kLegendShare of its
// width; entries that do not fit its height are counted in a last line.
// Returns the column's width.
double LegendColumn(QPainter& painter, const QRectF& area, const std::vector<LegendEntry>& entries, const Metrics& m) {
    UseFont(painter, m.text * 0.9);
    const QFontMetricsF fm(painter.font());
    const double sample = m.text * 2.2;
    const double rowHeight = fm.height() * 1.15;
    double widest = 0;
    for (const auto& entry : entries) widest = std::max(widest, fm.horizontalAdvance(entry.text));
    const double width = std::min(area.width() * kLegendShare, sample + m.pad * 1.5 + widest);
    const double textWidth = std::max(1.0, width - sample - m.pad * 1.5);
    const int rows = std::max(1, static_cast<int>(area.height() / rowHeight));
    const std::size_t shown = entries.size() <= static_cast<std::size_t>(rows) ? entries.size() : static_cast<std::size_t>(rows - 1);
    const double left = area.right() - width;
    double y = area.top();
    for (std::size_t i = 0; i < shown; ++i, y += rowHeight) {
        painter.setPen(entries[i].pen);
        painter.drawLine(QPointF(left, y + rowHeight / 2), QPointF(left + sample, y + rowHeight / 2));
        painter.setPen(kText);
        painter.drawText(QRectF(left + sample + m.pad * 0.5, y, textWidth, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         fm.elidedText(entries[i].text, Qt::ElideMiddle, textWidth));
    }
    if (shown < entries.size()) {
        painter.setPen(kText);
        painter.drawText(QRectF(left, y, width, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("+ %1 more").arg(entries.size() - shown));
    }
    return width;
}

constexpr std::size_t kFewLegendEntries = 4;

// Title at the top and legend at the bottom (or beside the plot when rows
// would take too much of it); returns what is left for the plot.
QRectF Frame(QPainter& painter, const QRectF& area, const std::string& title, const std::vector<LegendEntry>& legend,
             const Metrics& m) {
    painter.fillRect(area, Qt::white);
    QRectF rest = area.adjusted(m.pad, m.pad, -m.pad, -m.pad);
    if (!title.empty()) {
        UseFont(painter, m.text * 1.1, true);
        const QFontMetricsF fm(painter.font());
        painter.setPen(kText);
        painter.drawText(QRectF(rest.left(), rest.top(), rest.width(), fm.height()), Qt::AlignHCenter | Qt::AlignVCenter,
                         fm.elidedText(Q(title), Qt::ElideMiddle, rest.width()));
        rest.setTop(rest.top() + fm.height() + m.pad * 0.5);
    }
    if (!legend.empty()) {
        const double h = Legend(painter, rest, legend, m, false);
        // A few entries stay under the plot, however small the diagram.
        if (legend.size() > kFewLegendEntries && h > rest.height() * kLegendShare) {
            const double w = LegendColumn(painter, rest, legend, m);
            rest.setRight(rest.right() - w - m.pad);
            return rest;
        }
        const QRectF box(rest.left(), rest.bottom() - h, rest.width(), h);
        Legend(painter, box, legend, m, true);
        rest.setBottom(box.top() - m.pad * 0.5);
    }
    return rest;
}

void NoData(QPainter& painter, const QRectF& area, const Metrics& m) {
    UseFont(painter, m.text);
    painter.setPen(kText);
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("No data"));
}

QString Degrees(double a) { return Q(FormatNumber(a, 1)) + QChar(0x00B0); }

}  // namespace

QColor SeriesColour(int index) {
    // Red and blue first, as catalogues print the two main planes; then
    // colours that stay apart from each other on screen and on paper.
    static const QColor colours[] = {
        QColor(0xd0, 0x1c, 0x1c), QColor(0x1f, 0x4e, 0xd8), QColor(0x1a, 0x93, 0x3a), QColor(0xe0, 0x7b, 0x00),
        QColor(0x8e, 0x2d, 0xb0), QColor(0x00, 0x93, 0x9e), QColor(0x8a, 0x5a, 0x2b), QColor(0xd6, 0x3c, 0x9a),
        QColor(0x55, 0x55, 0x55), QColor(0x7a, 0x9a, 0x00), QColor(0x2b, 0x2b, 0x80), QColor(0xc8, 0xa0, 0x00),
        QColor(0x80, 0x10, 0x40)};
    static_assert(std::size(colours) == kSeriesColourCount);
    return colours[static_cast<std::size_t>(std::max(0, index)) % std::size(colours)];
}

// Which half is which: the left halves of the sections at the lower left,
// the right halves at the lower right ("C180 / C270", "C0 / C90").
void HalfLabels(QPainter& painter, const QRectF& box, const std::vector<Section>& sections) {
    QString left, right;
    for (const Section& section : sections) {
        const auto [l, r] = SectionHalves(section);
        left += (left.isEmpty() ? "" : " / ") + Q(l);
        right += (right.isEmpty() ? "" : " / ") + Q(r);
    }
    painter.drawText(box, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("\u2190 ") + left);
    painter.drawText(box, Qt::AlignRight | Qt::AlignBottom, right + QStringLiteral(" \u2192"));
}

SeriesStyle SeriesStyleOf(int index) {
    index = std::max(0, index);
    SeriesStyle style{SeriesColour(index), {}};
    // Long dashes, unlike the sections' short dashes and dots.
    if ((index / kSeriesColourCount) % 2 == 1) style.dashes = {7, 3};
    return style;
}

void PaintPolarDiagram(QPainter& painter, const QRectF& area, const std::vector<Series>& series,
                       const DiagramOptions& options) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const Metrics m = MetricsFor(area);
    const std::vector<Section> sections = SectionsFor(series, options);
    const QRectF plot = Frame(painter, area, options.title,
                              options.legend ? LegendEntries(series, sections, m) : std::vector<LegendEntry>{}, m);

    std::vector<std::vector<std::vector<std::vector<CurvePoint>>>> curves(series.size());
    double largest = 0;
    for (std::size_t s = 0; s < series.size(); ++s) {
        for (const Section& section : sections) {
            curves[s].push_back(SectionCurve(series[s], section));
            largest = std::max(largest, LargestValue(curves[s].back()));
        }
    }
    if (!(largest > 0)) {
        NoData(painter, plot, m);
        painter.restore();
        return;
    }

    // Room for the angle labels around the circle.
    UseFont(painter, m.text * 0.85);
    const QFontMetricsF fm(painter.font());
    const double labelRoom = fm.horizontalAdvance(QStringLiteral("180°")) + m.pad;
    const double radius = std::max(1.0, std::min(plot.width(), plot.height()) / 2 - labelRoom);
    const QPointF centre = plot.center();
    const Ticks ticks = NiceTicks(0, largest, 5);
    const double maximum = ticks.last;
    auto at = [&](double angle, double value) {
        const UnitPoint p = PolarToUnit(angle, value, maximum);
        return QPointF(centre.x() + p.x * radius, centre.y() - p.y * radius);
    };

    // Grid: value circles and angle spokes.
    QPen grid(kGrid, m.grid);
    painter.setPen(grid);
    painter.setBrush(Qt::NoBrush);
    for (double v : ticks.values) {
        if (v <= 0) continue;
        const double r = v / maximum * radius;
        painter.drawEllipse(centre, r, r);
    }
    for (double a : PolarSpokeAngles(15)) {
        painter.setPen(std::fmod(std::abs(a), 90) == 0 ? QPen(kAxis, m.grid * 1.5) : grid);
        painter.drawLine(centre, at(a, maximum));
    }
    // Angle labels every 30° outside the circle.
    painter.setPen(kText);
    for (double a : PolarSpokeAngles(30)) {
        const QPointF p = at(a, maximum * (1 + labelRoom * 0.55 / radius));
        const QString label = Degrees(std::abs(a));
        const double w = fm.horizontalAdvance(label), h = fm.height();
        painter.drawText(QRectF(p.x() - w / 2, p.y() - h / 2, w, h), Qt::AlignCenter, label);
    }
    // Value labels up the 180° spoke, on a white ground so curves do not hide them.
    UseFont(painter, m.text * 0.8);
    const QFontMetricsF vfm(painter.font());
    for (double v : ticks.values) {
        if (v <= 0) continue;
        const QPointF p = at(180, v);
        const QString label = Q(TickLabel(v, ticks.step));
        const QRectF box(p.x() + m.pad * 0.3, p.y() - vfm.height(), vfm.horizontalAdvance(label), vfm.height());
        painter.fillRect(box, QColor(255, 255, 255, 200));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, label);
    }
    HalfLabels(painter, plot, sections);
    UseFont(painter, m.text * 0.9, true);
    painter.drawText(QRectF(plot.left(), plot.top(), plot.width(), fm.height() * 1.2), Qt::AlignLeft | Qt::AlignTop,
                     Q(UnitLabel(options.unit)));

    // Curves.
    painter.setBrush(Qt::NoBrush);
    for (std::size_t s = 0; s < series.size(); ++s) {
        for (std::size_t k = 0; k < curves[s].size(); ++k) {
            painter.setPen(CurvePen(s, k, series.size(), m));
            for (const auto& piece : curves[s][k]) {
                QPainterPath path;
                for (std::size_t i = 0; i < piece.size(); ++i) {
                    const QPointF p = at(piece[i].angle, piece[i].value);
                    i == 0 ? path.moveTo(p) : path.lineTo(p);
                }
                painter.drawPath(path);
            }
        }
    }
    painter.restore();
}

void PaintCartesianDiagram(QPainter& painter, const QRectF& area, const std::vector<Series>& series,
                           const DiagramOptions& options) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const Metrics m = MetricsFor(area);
    const std::vector<Section> sections = SectionsFor(series, options);
    const QRectF frame = Frame(painter, area, options.title,
                               options.legend ? LegendEntries(series, sections, m) : std::vector<LegendEntry>{}, m);

    std::vector<std::vector<std::vector<std::vector<CurvePoint>>>> curves(series.size());
    double largest = 0, reach = 0;
    for (std::size_t s = 0; s < series.size(); ++s) {
        for (const Section& section : sections) {
            curves[s].push_back(SectionCurve(series[s], section));
            largest = std::max(largest, LargestValue(curves[s].back()));
            for (const auto& piece : curves[s].back()) {
                for (const auto& p : piece) reach = std::max(reach, std::abs(p.angle));
            }
        }
    }
    if (!(largest > 0)) {
        NoData(painter, frame, m);
        painter.restore();
        return;
    }

    const Ticks yTicks = NiceTicks(0, largest, 6);
    // Angles step by 15, 30, 45 or 90 degrees, never more than twelve intervals.
    double xStep = 90;
    for (double step : {15.0, 30.0, 45.0}) {
        if (2 * std::ceil(reach / step) <= 12) {
            xStep = step;
            break;
        }
    }
    const double xMax = std::max(xStep, std::ceil(reach / xStep - 1e-9) * xStep);

    UseFont(painter, m.text * 0.85);
    const QFontMetricsF fm(painter.font());
    double labelWidth = 0;
    for (double v : yTicks.values) labelWidth = std::max(labelWidth, fm.horizontalAdvance(Q(TickLabel(v, yTicks.step))));
    const QRectF plot(frame.left() + labelWidth + m.pad, frame.top() + fm.height() * 1.4,
                      std::max(1.0, frame.width() - labelWidth - m.pad * 2),
                      std::max(1.0, frame.height() - fm.height() * 3.9 - m.pad));
    const LinearScale xs{-xMax, xMax, plot.left(), plot.right()};
    const LinearScale ys{0, yTicks.last, plot.bottom(), plot.top()};

    painter.setPen(QPen(kGrid, m.grid));
    for (double x = -xMax; x <= xMax + 1e-9; x += xStep) painter.drawLine(QPointF(xs.map(x), plot.top()), QPointF(xs.map(x), plot.bottom()));
    for (double v : yTicks.values) painter.drawLine(QPointF(plot.left(), ys.map(v)), QPointF(plot.right(), ys.map(v)));
    painter.setPen(QPen(kAxis, m.grid * 1.5));
    painter.drawRect(plot);
    painter.drawLine(QPointF(xs.map(0), plot.top()), QPointF(xs.map(0), plot.bottom()));

    painter.setPen(kText);
    for (double x = -xMax; x <= xMax + 1e-9; x += xStep) {
        const QString label = Degrees(std::abs(x));
        const double w = fm.horizontalAdvance(label);
        painter.drawText(QRectF(xs.map(x) - w / 2, plot.bottom() + m.pad * 0.3, w, fm.height()), Qt::AlignCenter, label);
    }
    for (double v : yTicks.values) {
        painter.drawText(QRectF(frame.left(), ys.map(v) - fm.height() / 2, labelWidth, fm.height()),
                         Qt::AlignRight | Qt::AlignVCenter, Q(TickLabel(v, yTicks.step)));
    }
    // Type C curves run over gamma; the sweeps of types B and A over their own angle.
    const bool typeC = !series.empty() && series.front().distribution && series.front().distribution->photometricType() == 1;
    painter.drawText(QRectF(plot.left(), plot.bottom() + fm.height() * 1.2, plot.width(), fm.height() * 1.2),
                     Qt::AlignHCenter | Qt::AlignTop, typeC ? QStringLiteral("γ [°]") : QStringLiteral("H, V [°]"));
    HalfLabels(painter, QRectF(plot.left(), plot.bottom() + fm.height() * 1.2, plot.width(), fm.height() * 1.2), sections);
    UseFont(painter, m.text * 0.9, true);
    painter.drawText(QRectF(frame.left(), frame.top(), frame.width(), fm.height() * 1.3), Qt::AlignLeft | Qt::AlignTop,
                     Q(UnitLabel(options.unit)));

    painter.setClipRect(plot.adjusted(-m.line, -m.line, m.line, m.line));
    for (std::size_t s = 0; s < series.size(); ++s) {
        for (std::size_t k = 0; k < curves[s].size(); ++k) {
            painter.setPen(CurvePen(s, k, series.size(), m));
            for (const auto& piece : curves[s][k]) {
                QPainterPath path;
                for (std::size_t i = 0; i < piece.size(); ++i) {
                    const QPointF p(xs.map(piece[i].angle), ys.map(piece[i].value));
                    i == 0 ? path.moveTo(p) : path.lineTo(p);
                }
                painter.drawPath(path);
            }
        }
    }
    painter.restore();
}

void PaintIsocandelaDiagram(QPainter& painter, const QRectF& area, const Series& series,
                            const DiagramOptions& options) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const Metrics m = MetricsFor(area);
    const QRectF frame = Frame(painter, area, options.title, {}, m);
    const IsoGrid grid = IsocandelaGrid(series);
    if (grid.xs.size() < 2 || grid.ys.size() < 2 || !(grid.maximum > 0)) {
        NoData(painter, frame, m);
        painter.restore();
        return;
    }
    const int type = series.distribution->photometricType();
    const double x0 = grid.xs.front(), x1 = grid.xs.back(), y0 = grid.ys.front(), y1 = grid.ys.back();

    UseFont(painter, m.text * 0.85);
    const QFontMetricsF fm(painter.font());
    const double labelWidth = fm.horizontalAdvance(QStringLiteral("-180°")) + m.pad;
    const QRectF plot(frame.left() + labelWidth, frame.top() + fm.height() * 1.4,
                      std::max(1.0, frame.width() - labelWidth - m.pad),
                      std::max(1.0, frame.height() - fm.height() * 3.2 - m.pad));
    const LinearScale xs{x0, x1, plot.left(), plot.right()};
    const LinearScale ys{y0, y1, plot.bottom(), plot.top()};  // nadir (or -V) at the bottom

    // Angle steps of at most twelve intervals, thinned until their labels
    // keep apart (the widest label across, a line of text up).
    auto angleTicks = [&](double lo, double hi, double pixels, double labelExtent) {
        const double span = hi - lo;
        std::vector<double> steps;
        for (double s : {10.0, 15.0, 30.0, 45.0, 90.0, 180.0}) {
            if (span / s <= 12) steps.push_back(s);
        }
        const double step = ThinnedStep(steps, pixels / std::max(span, 1e-9), labelExtent, m.pad);
        std::vector<double> out;
        for (double a = std::ceil(lo / step - 1e-9) * step; a <= hi + 1e-9; a += step) out.push_back(a);
        return out;
    };
    const std::vector<double> xTicks = angleTicks(x0, x1, plot.width(), fm.horizontalAdvance(QStringLiteral("-180°")));
    const std::vector<double> yTicks = angleTicks(y0, y1, plot.height(), fm.height());
    painter.setPen(QPen(kGrid, m.grid));
    for (double x : xTicks) painter.drawLine(QPointF(xs.map(x), plot.top()), QPointF(xs.map(x), plot.bottom()));
    for (double y : yTicks) painter.drawLine(QPointF(plot.left(), ys.map(y)), QPointF(plot.right(), ys.map(y)));
    painter.setPen(QPen(kAxis, m.grid * 1.5));
    painter.drawRect(plot);
    painter.setPen(kText);
    for (double x : xTicks) {
        const QString label = Degrees(x);
        const double w = fm.horizontalAdvance(label);
        painter.drawText(QRectF(xs.map(x) - w / 2, plot.bottom() + m.pad * 0.3, w, fm.height()), Qt::AlignCenter, label);
    }
    for (double y : yTicks) {
        painter.drawText(QRectF(frame.left(), ys.map(y) - fm.height() / 2, labelWidth - m.pad * 0.5, fm.height()),
                         Qt::AlignRight | Qt::AlignVCenter, Degrees(y));
    }
    const QString xName = type == 1 ? QStringLiteral("C") : QStringLiteral("H");
    const QString yName = type == 1 ? QStringLiteral("γ") : QStringLiteral("V");
    painter.drawText(QRectF(plot.left(), plot.bottom() + fm.height() * 1.2, plot.width(), fm.height() * 1.2),
                     Qt::AlignHCenter | Qt::AlignTop, xName + QStringLiteral(" [°]"));
    UseFont(painter, m.text * 0.9, true);
    painter.drawText(QRectF(frame.left(), frame.top(), frame.width(), fm.height() * 1.3), Qt::AlignLeft | Qt::AlignTop,
                     yName + QStringLiteral(" [°]    ") + Q(UnitLabel(options.unit)));

    // Contours, each level in its colour from blue (low) to red (high); each
    // labelled once, along its own line where the label keeps clear of the
    // others, or not at all where there is no room.
    const std::vector<double> levels = IsocandelaLevels(grid.maximum, 7);
    const Ticks step = NiceTicks(0, grid.maximum, 7);
    UseFont(painter, m.text * 0.75);
    const QFontMetricsF lfm(painter.font());
    std::vector<QColor> colours;
    std::vector<QString> labels;
    std::vector<LabelRequest> requests;
    painter.setClipRect(plot);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const double t = levels.size() > 1 ? static_cast<double>(i) / (levels.size() - 1) : 1;
        colours.push_back(QColor::fromHsvF(static_cast<float>(0.66 * (1 - t)), 0.85f, 0.8f));
        painter.setPen(QPen(colours.back(), m.line));
        std::vector<std::vector<QPointF>> pages;
        for (const auto& line : ContourLines(grid.xs, grid.ys, grid.values, levels[i])) {
            std::vector<QPointF> page;
            for (const auto& g : line) page.emplace_back(xs.map(g.x), ys.map(g.y));
            QPainterPath path;
            for (std::size_t k = 0; k < page.size(); ++k) k == 0 ? path.moveTo(page[k]) : path.lineTo(page[k]);
            painter.drawPath(path);
            pages.push_back(std::move(page));
        }
        std::stable_sort(pages.begin(), pages.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
        labels.push_back(Q(TickLabel(levels[i], step.step)));
        LabelRequest request{QSizeF(lfm.horizontalAdvance(labels.back()) + m.pad * 0.4, lfm.height()), {}};
        for (const auto& page : pages) {
            const std::vector<QPointF> along = LabelCandidates(page);
            request.candidates.insert(request.candidates.end(), along.begin(), along.end());
        }
        requests.push_back(std::move(request));
    }
    const auto boxes = PlaceLabels(requests, plot, m.pad * 0.5);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (!boxes[i]) continue;
        painter.fillRect(*boxes[i], QColor(255, 255, 255, 210));
        painter.setPen(colours[i].darker(130));
        painter.drawText(*boxes[i], Qt::AlignCenter, labels[i]);
    }
    painter.restore();
}

namespace {

enum class Outline { Rect, Ellipse };
struct View {
    Outline outline;
    double w;  // along the view's horizontal axis
    double h;  // along its vertical axis
};

// Plan (length across, width up), front (length across, height up), side
// (width across, height up).
std::array<View, 3> ViewsOf(const LuminousOpening& o) {
    using S = OpeningShape;
    const View planRect{Outline::Rect, o.length, o.width}, planEllipse{Outline::Ellipse, o.length, o.width};
    const View frontRect{Outline::Rect, o.length, o.height}, frontEllipse{Outline::Ellipse, o.length, o.height};
    const View sideRect{Outline::Rect, o.width, o.height}, sideEllipse{Outline::Ellipse, o.width, o.height};
    switch (o.shape) {
    case S::Circular:
    case S::Ellipse:
    case S::VerticalCylinder:
    case S::VerticalEllipsoidalCylinder: return {planEllipse, frontRect, sideRect};
    case S::Sphere:
    case S::EllipsoidalSpheroid: return {planEllipse, frontEllipse, sideEllipse};
    case S::HorizontalCylinderAlong:
    case S::HorizontalEllipsoidalCylinderAlong: return {planRect, frontRect, sideEllipse};
    case S::HorizontalCylinderPerpendicular:
    case S::HorizontalEllipsoidalCylinderPerpendicular: return {planRect, frontEllipse, sideRect};
    case S::VerticalCircle:
    case S::VerticalEllipse: return {planRect, frontRect, sideEllipse};
    default: return {planRect, frontRect, sideRect};
    }
}

}  // namespace

void PaintLuminousOpening(QPainter& painter, const QRectF& area, const LuminousOpening& opening,
                          const OpeningOptions& options) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const Metrics m = MetricsFor(area);
    const std::string title = options.title.empty() ? OpeningShapeName(opening.shape)
                                                    : options.title + ": " + OpeningShapeName(opening.shape);
    const QRectF plot = Frame(painter, area, title, {}, m);
    UseFont(painter, m.text * 0.85);
    const QFontMetricsF fm(painter.font());
    auto length = [&](double metres) {
        return Q(FormatNumber(metres * options.unitsPerMetre, 3) + " " + options.lengthUnit);
    };

    const std::array<View, 3> views = ViewsOf(opening);
    const char* names[] = {"Plan", "Long side", "End"};
    // Three panels side by side when the area is wide, stacked when tall.
    const bool wide = plot.width() >= plot.height();
    const double panelW = wide ? plot.width() / 3 : plot.width();
    const double panelH = wide ? plot.height() : plot.height() / 3;
    const double room = fm.height() * 2.2 + m.pad;  // caption above, size label below and beside
    double extent = 0;
    for (const View& v : views) extent = std::max({extent, v.w, v.h});
    const double usable = std::max(1.0, std::min(panelW, panelH) - room * 2);
    const double scale = extent > 0 ? usable / extent : 0;

    for (int i = 0; i < 3; ++i) {
        const QRectF panel(plot.left() + (wide ? i * panelW : 0), plot.top() + (wide ? 0 : i * panelH), panelW, panelH);
        painter.setPen(kText);
        painter.drawText(QRectF(panel.left(), panel.top(), panel.width(), fm.height()), Qt::AlignHCenter, QString::fromLatin1(names[i]));
        const View& v = views[static_cast<std::size_t>(i)];
        const QPointF c = panel.center();
        const QRectF shape(c.x() - v.w * scale / 2, c.y() - v.h * scale / 2, v.w * scale, v.h * scale);
        if (opening.shape == OpeningShape::Point || opening.shape == OpeningShape::Undefined || extent == 0) {
            painter.setBrush(QColor(0xf5, 0xc5, 0x18));
            painter.setPen(QPen(kAxis, m.grid));
            painter.drawEllipse(c, m.line * 2, m.line * 2);
            continue;
        }
        painter.setBrush(QColor(0xff, 0xe9, 0x8a));
        painter.setPen(QPen(kAxis, m.line));
        if (shape.width() < 0.5 || shape.height() < 0.5) painter.drawLine(shape.topLeft(), shape.bottomRight());
        else if (v.outline == Outline::Ellipse) painter.drawEllipse(shape);
        else painter.drawRect(shape);
        // Sizes: across below the shape, up beside it.
        painter.setPen(kText);
        if (v.w > 0) {
            painter.drawText(QRectF(panel.left(), shape.bottom() + m.pad * 0.3, panel.width(), fm.height()), Qt::AlignHCenter,
                             length(v.w));
        }
        if (v.h > 0) {
            painter.save();
            painter.translate(shape.left() - m.pad * 0.3, c.y());
            painter.rotate(-90);
            painter.drawText(QRectF(-panel.height() / 2, -fm.height(), panel.height(), fm.height()), Qt::AlignHCenter,
                             length(v.h));
            painter.restore();
        }
    }
    painter.restore();
}

}  // namespace lumibench::diagrams
