#include "polar_preview.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

#include "photometry/photometry.h"

namespace lumibench::template_tool {

PolarPreview::PolarPreview(QWidget* parent) : QWidget(parent) {
    setObjectName("picPreview");
    setMinimumSize(260, 260);
}

void PolarPreview::setRecord(const PhotometricRecord& record) {
    record_ = record;
    update();
}

void PolarPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    if (record_.Candela.empty()) return;

    const photometry::IntensityDistribution distribution(record_);
    const bool typeC = distribution.photometricType() == 1;
    double peak = 0;
    for (const auto& plane : distribution.values()) {
        for (double value : plane) peak = std::max(peak, value);
    }
    if (!(peak > 0)) return;

    const QPointF centre(width() / 2.0, height() / 2.0);
    const double radius = std::min(width(), height()) / 2.0 - 16;
    constexpr double kDegree = std::numbers::pi / 180.0;

    painter.setPen(QPen(QColor(200, 200, 200), 1));
    for (int ring = 1; ring <= 4; ++ring) painter.drawEllipse(centre, radius * ring / 4, radius * ring / 4);
    for (int angle = 0; angle < 360; angle += 30) {
        painter.drawLine(centre, centre + QPointF(radius * std::sin(angle * kDegree), radius * std::cos(angle * kDegree)));
    }
    painter.setPen(Qt::darkGray);
    painter.drawText(QRectF(0, height() - 16, width(), 16), Qt::AlignCenter, typeC ? "0°" : "V 0°");
    painter.drawText(QRectF(4, 2, width(), 16), Qt::AlignLeft, QString("%1 cd").arg(peak, 0, 'f', 0));

    // theta: the angle from the downward axis, signed; positive to the right.
    auto curve = [&](auto intensityAt, double from, double to) {
        QPainterPath path;
        bool first = true;
        for (double theta = from; theta <= to + 1e-9; theta += 1.0) {
            const double r = radius * intensityAt(theta) / peak;
            const QPointF point = centre + QPointF(r * std::sin(theta * kDegree), r * std::cos(theta * kDegree));
            if (first) path.moveTo(point); else path.lineTo(point);
            first = false;
        }
        return path;
    };
    QPainterPath solid, dashed;
    if (typeC) {
        solid = curve([&](double t) { return distribution.candela({t >= 0 ? 0.0 : 180.0, std::fabs(t)}); }, -180, 180);
        dashed = curve([&](double t) { return distribution.candela({t >= 0 ? 90.0 : 270.0, std::fabs(t)}); }, -180, 180);
    } else {
        solid = curve([&](double t) { return distribution.candela({t, 0}); }, -90, 90);
        dashed = curve([&](double t) { return distribution.candela({0, t}); }, -90, 90);
    }
    painter.setPen(QPen(QColor(200, 30, 30), 2));
    painter.drawPath(solid);
    painter.setPen(QPen(QColor(30, 60, 200), 2, Qt::DashLine));
    painter.drawPath(dashed);
}

}  // namespace lumibench::template_tool
