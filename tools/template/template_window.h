#pragma once
// The Template tool's window: a parametric model, its parameters, a live
// polar preview with the photometry figures, and "Create".

#include <QWidget>

#include <set>
#include <string>

#include "../common/tool_dialogs.h"
#include "sdk/luminaire_templates.h"
#include "sdk/tool_session.h"

class QComboBox;
class QKeyEvent;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace lumibench::template_tool {

class PolarPreview;

class TemplateWindow : public QWidget {
public:
    // `feet`: dimensions are entered in feet ("InputUnits" 0), else metres.
    TemplateWindow(ToolSession& session, bool feet);

    tools::ToolDialogs& dialogs() { return dialogs_; }
    TemplateParameters parameters() const;
    void create();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void modelChanged();
    void refresh();

    ToolSession& session_;
    bool feet_;
    tools::ToolDialogs dialogs_;
    QComboBox* model_ = nullptr;
    QLineEdit* name_ = nullptr;
    QDoubleSpinBox* beam_ = nullptr;
    QDoubleSpinBox* second_ = nullptr;
    QDoubleSpinBox* throw_ = nullptr;
    QLabel* secondLabel_ = nullptr;
    QSpinBox* lamps_ = nullptr;
    QDoubleSpinBox* lumens_ = nullptr;
    QDoubleSpinBox* lor_ = nullptr;
    QDoubleSpinBox* watts_ = nullptr;
    QDoubleSpinBox* width_ = nullptr;
    QDoubleSpinBox* length_ = nullptr;
    QDoubleSpinBox* height_ = nullptr;
    QDoubleSpinBox* horStep_ = nullptr;
    QDoubleSpinBox* vertStep_ = nullptr;
    PolarPreview* preview_ = nullptr;
    QLabel* figures_ = nullptr;
    std::set<std::string> created_;  // the file names of data sets sent to the host
};

}  // namespace lumibench::template_tool
