#include "orientation_preview.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

#include "diagrams/diagram_data.h"
#include "diagrams/diagram_painters.h"
#include "photometry/record_transform.h"
#include "plan_outline.h"

namespace lumibench::convert_tool {
namespace {

QPointF At(const QPointF& centre, double radius, double c) {
    const PlanXY xy = PlanPosition(centre.x(), centre.y(), radius, c);
    return {xy.x, xy.y};
}

void DrawArrow(QPainter& painter, const QPointF& from, const QPointF& to) {
    painter.drawLine(from, to);
    const QPointF along = to - from;
    const double length = std::hypot(along.x(), along.y());
    if (length < 1) return;
    const QPointF unit = along / length;
    const QPointF side(-unit.y(), unit.x());
    QPolygonF head({to, to - unit * 10 + side * 4, to - unit * 10 - side * 4});
    painter.setBrush(painter.pen().color());
    painter.drawPolygon(head);
}

}  // namespace

OrientationPreview::OrientationPreview(const QString& title, const char* objectName, QWidget* parent)
    : QWidget(parent), title_(title) {
    setObjectName(objectName);
    setMinimumSize(300, 330);
}

void OrientationPreview::setRecord(const PhotometricRecord& record) {
    record_ = record;
    update();
}

void OrientationPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(QRectF(6, 4, width() - 12, 18), Qt::AlignLeft | Qt::AlignVCenter, title_);
    painter.setFont(font());
    if (record_.Candela.empty()) return;

    const int lineHeight = fontMetrics().height();
    const QRectF area(6, 24, width() - 12, height() - 24 - 3 * lineHeight - 6);
    const QRectF footer(6, height() - 3 * lineHeight - 4, width() - 12, 3 * lineHeight + 2);
    if (record_.PhotometricType != 1) {
        const diagrams::Series series = diagrams::MakeSeries(record_, diagrams::IntensityUnit::Candela, record_.Filename);
        diagrams::PaintPolarDiagram(painter, area, {series}, {});
        painter.drawText(footer, Qt::AlignLeft | Qt::TextWordWrap,
                         "Type " + QString(record_.PhotometricType == 2 ? "B" : "A") +
                             ": no plan seen from above (H and V are taken about the luminaire's axis).");
        return;
    }

    const PlanOutline outline = MakePlanOutline(record_);
    const QPointF centre = area.center();
    const double radius = std::min(area.width(), area.height()) / 2 - 22;

    // The street side lies toward C0: the half from C270 through C0 to C90.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(226, 240, 226));
    painter.drawRect(QRectF(centre.x(), area.top(), area.right() - centre.x(), area.height()));
    painter.setPen(QColor(40, 110, 40));
    painter.drawText(QRectF(centre.x() + 4, area.top(), area.right() - centre.x() - 4, 16), Qt::AlignRight,
                     "Street side");
    painter.setPen(QColor(120, 120, 120));
    painter.drawText(QRectF(area.left(), area.top(), centre.x() - area.left() - 4, 16), Qt::AlignLeft, "House side");
    painter.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    painter.drawLine(QPointF(centre.x(), area.top() + 18), QPointF(centre.x(), area.bottom()));

    // Rings at a quarter of the maximum each, and the two plane pairs.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QColor(200, 200, 200));
    for (int ring = 1; ring <= 4; ++ring) painter.drawEllipse(centre, radius * ring / 4, radius * ring / 4);
    painter.drawLine(At(centre, radius, 0), At(centre, radius, 180));
    painter.drawLine(At(centre, radius, 90), At(centre, radius, 270));
    painter.setPen(Qt::black);
    for (int c = 0; c < 360; c += 90) {
        const QPointF p = At(centre, radius + 12, c);
        painter.drawText(QRectF(p.x() - 20, p.y() - 8, 40, 16), Qt::AlignCenter, QString("C%1").arg(c));
    }

    if (outline.maxCandela > 0) {
        QPainterPath path;
        for (const PlanPoint& point : outline.points) {
            const QPointF p = At(centre, radius * point.candela / outline.maxCandela, point.c);
            if (path.elementCount() == 0) {
                path.moveTo(p);
            } else {
                path.lineTo(p);
            }
        }
        path.closeSubpath();
        painter.setPen(QPen(QColor(31, 78, 216), 1.6));
        painter.setBrush(QColor(31, 78, 216, 40));
        painter.drawPath(path);
        painter.setPen(QPen(QColor(208, 28, 28), 2));
        DrawArrow(painter, centre, At(centre, radius, outline.maxC));
    }

    painter.setPen(Qt::black);
    QString text = QString("Maximum %1 cd at C%2°, γ%3°")
                       .arg(outline.maxCandela, 0, 'f', 0)
                       .arg(outline.maxC, 0, 'g', 6)
                       .arg(outline.maxGamma, 0, 'g', 6);
    if (outline.streetSidePercent) {
        text += QString("\nStreet side: %1 % of the downward light").arg(*outline.streetSidePercent, 0, 'f', 0);
    }
    text += "\nSymmetry: " + QString::fromStdString(photometry::SymmetryName(record_));
    painter.drawText(footer, Qt::AlignLeft | Qt::TextWordWrap, text);
}

}  // namespace lumibench::convert_tool
