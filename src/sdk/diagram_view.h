#pragma once
// A widget that shows whatever its painter draws, at its own size, on white:
// the diagrams of the diagram library on a tool's screen.

#include <QWidget>

#include "diagrams/diagram_export.h"

namespace lumibench::sdk {

class DiagramView : public QWidget {
public:
    explicit DiagramView(QWidget* parent = nullptr);
    void setPainter(diagrams::PaintFunction paint);
    const diagrams::PaintFunction& painter() const { return paint_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    diagrams::PaintFunction paint_;
};

}  // namespace lumibench::sdk
