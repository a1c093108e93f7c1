#pragma once
// A small polar diagram of a data set: two planes through the maximum's axis
// (type C: C0-C180 solid, C90-C270 dashed; type B: the horizontal and the
// vertical plane through the axis), nadir or axis downwards.

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
