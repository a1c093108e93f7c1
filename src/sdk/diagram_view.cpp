#include "sdk/diagram_view.h"

#include <QPainter>

namespace lumibench::sdk {

DiagramView::DiagramView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(160, 160);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DiagramView::setPainter(diagrams::PaintFunction paint) {
    paint_ = std::move(paint);
    update();
}

void DiagramView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (paint_) paint_(p, QRectF(rect()));
}

}  // namespace lumibench::sdk
