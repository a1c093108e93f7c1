#pragma once
// The Convert tool's window: the data set to change, the turns, mirrors and
// rescaling with undo, a before/after plan of the light seen from above, and
// Apply (back under its own name, unsaved) or Apply As New (under a name the
// user gives).

#include <QWidget>

#include "../common/tool_dialogs.h"
#include "convert_editor.h"
#include "sdk/tool_session.h"

class QComboBox;
class QDoubleSpinBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lumibench::convert_tool {

class OrientationPreview;

class ConvertWindow : public QWidget {
public:
    ConvertWindow(ToolSession& session, WorkRecordTable records);

    tools::ToolDialogs& dialogs() { return dialogs_; }
    void forget(const std::string& path);  // the host closed that file

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* button(const char* name, const QString& caption, const photometry::RecordTransform& transform);
    void change(const photometry::RecordTransform& transform);
    void sendSameName();
    void sendNew();
    void fillDataSets();
    void refresh();

    ToolSession& session_;
    ConvertEditor editor_;
    tools::ToolDialogs dialogs_;
    QComboBox* dataSets_ = nullptr;
    QDoubleSpinBox* angle_ = nullptr;
    QDoubleSpinBox* lampLumens_ = nullptr;
    QLineEdit* newName_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* scale_ = nullptr;
    QPushButton* undo_ = nullptr;
    QPushButton* apply_ = nullptr;
    OrientationPreview* before_ = nullptr;
    OrientationPreview* after_ = nullptr;
};

}  // namespace lumibench::convert_tool
