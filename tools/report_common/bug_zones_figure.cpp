#include "bug_zones_figure.h"

#include <QFont>
#include <QString>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumibench::reports {
namespace {

struct Zone {
    const char* name;
    double from;  // gamma, degrees from nadir
    double to;
    bool front;   // street side; uplight zones span both sides
    bool both;
    double lumens;
};

}  // namespace

void PaintBugZones(QPainter& p, const QRectF& area, const photometry::BugZones& z, double luminaireFluxLm) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double unit = 8;  // one text line, in points
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setPixelSize(std::max(1, static_cast<int>(unit * 0.85)));
    p.setFont(font);
    const double radius = std::min(area.width() / 2 - unit * 15, area.height() / 2 - unit * 1.5);
    if (!(radius > unit)) {
        p.restore();
        return;
    }
    const QPointF centre = area.center();
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    const Zone zones[] = {
        {"FL", 0, 30, true, false, z.FL},     {"FM", 30, 60, true, false, z.FM},   {"FH", 60, 80, true, false, z.FH},
        {"FVH", 80, 90, true, false, z.FVH},  {"BL", 0, 30, false, false, z.BL},   {"BM", 30, 60, false, false, z.BM},
        {"BH", 60, 80, false, false, z.BH},   {"BVH", 80, 90, false, false, z.BVH}, {"UL", 90, 100, true, true, z.UL},
        {"UH", 100, 180, true, true, z.UH},
    };
    // Qt measures angles counterclockwise from 3 o'clock; nadir is -90 there,
    // the front's gamma turns toward the right, the back's toward the left.
    auto qtAngle = [](double gamma, bool front) { return front ? -90 + gamma : -90 - gamma; };
    const QColor fills[] = {QColor(0xd8, 0xe8, 0xf8), QColor(0xf8, 0xe8, 0xd0), QColor(0xe8, 0xf4, 0xd8)};
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), unit * 0.08));
    for (const Zone& zone : zones) {
        const QColor fill = zone.both ? fills[2] : zone.front ? fills[0] : fills[1];
        p.setBrush(fill);
        const int span = static_cast<int>(std::lround((zone.to - zone.from) * 16));
        const double start = zone.front ? qtAngle(zone.from, true) : qtAngle(zone.to, false);
        p.drawPie(circle, static_cast<int>(std::lround(start * 16)), span);
        if (zone.both) {  // the mirror half on the back
            p.drawPie(circle, static_cast<int>(std::lround(qtAngle(zone.to, false) * 16)), span);
        }
    }
    p.setPen(QColor(0x20, 0x20, 0x20));
    for (const Zone& zone : zones) {
        const double middle = zone.both && zone.to > 100 ? 180 : (zone.from + zone.to) / 2;
        const double angle = qtAngle(middle, zone.front) * std::numbers::pi / 180;
        const QString share = luminaireFluxLm > 0 ? QString::number(100 * zone.lumens / luminaireFluxLm, 'f', 1) + " %"
                                                  : QStringLiteral("-");
        const QString lumens = QString::number(zone.lumens, 'f', 0) + " lm";
        if (zone.to - zone.from <= 10) {
            // Too narrow to hold its text: one line just outside the circle.
            const double r = radius + unit * 0.4;
            const QPointF at(centre.x() + r * std::cos(angle), centre.y() - r * std::sin(angle));
            const QRectF box = zone.front ? QRectF(at.x(), at.y() - unit * 0.6, unit * 14, unit * 1.2)
                                          : QRectF(at.x() - unit * 14, at.y() - unit * 0.6, unit * 14, unit * 1.2);
            p.drawText(box, (zone.front ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                       QString::fromLatin1(zone.name) + " " + lumens + ", " + share);
            continue;
        }
        const double r = zone.both ? radius * 0.45 : radius * (zone.to <= 30 ? 0.55 : 0.72);
        const QPointF at(centre.x() + r * std::cos(angle), centre.y() - r * std::sin(angle));
        p.drawText(QRectF(at.x() - unit * 3, at.y() - unit * 1.6, unit * 6, unit * 3.2), Qt::AlignCenter,
                   QString::fromLatin1(zone.name) + "\n" + lumens + "\n" + share);
    }
    p.drawText(QRectF(area.left(), area.bottom() - unit * 1.3, area.width() / 2, unit * 1.3), Qt::AlignLeft,
               QStringLiteral("back: house side (C 90\u2013270)"));
    p.drawText(QRectF(area.center().x(), area.bottom() - unit * 1.3, area.width() / 2, unit * 1.3), Qt::AlignRight,
               QStringLiteral("front: street side (C 270\u201390)"));
    p.restore();
}

}  // namespace lumibench::reports
