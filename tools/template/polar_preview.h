#pragma once
// The live polar diagram of the data set being made: C0-C180 and C90-C270
// (type B: the horizontal and vertical sweeps), drawn by the shared diagrams.

#include <QWidget>

#include "model/photometric_record.h"

namespace lumibench::template_tool {

class PolarPreview : public QWidget {
public:
    explicit PolarPreview(QWidget* parent = nullptr);
    void setRecord(const PhotometricRecord& record);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PhotometricRecord record_;
};

}  // namespace lumibench::template_tool
