#include "polar_preview.h"

#include <QPainter>

#include "diagrams/diagram_data.h"
#include "diagrams/diagram_painters.h"

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
    diagrams::DiagramOptions options;
    options.legend = true;
    const diagrams::Series series =
        diagrams::MakeSeries(record_, diagrams::IntensityUnit::Candela, record_.Filename);
    diagrams::PaintPolarDiagram(painter, QRectF(rect()), {series}, options);
}

}  // namespace lumibench::template_tool
