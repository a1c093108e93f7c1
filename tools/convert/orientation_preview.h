#pragma once
// One plan of a data set seen from above: the C planes labelled, the road's
// street side (C270..C0..C90) shaded toward C0, each plane's brightest value
// as an outline and the maximum's direction as an arrow. Type B and A data
// get the shared polar diagram instead.

#include <QWidget>

#include "model/photometric_record.h"

namespace lumibench::convert_tool {

class OrientationPreview : public QWidget {
public:
    OrientationPreview(const QString& title, const char* objectName, QWidget* parent = nullptr);
    void setRecord(const PhotometricRecord& record);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    PhotometricRecord record_;
};

}  // namespace lumibench::convert_tool
