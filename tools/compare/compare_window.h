#pragma once
// Tool_ComparePE's window: the data sets and the reference on the left; the
// overlaid diagrams, the figures table and the ratio map on the right. It
// only paints and wires events; CompareModel decides.

#include <QMainWindow>

#include "compare_model.h"
#include "diagrams/diagram_export.h"

class QComboBox;
class QListWidget;
class QTabWidget;
class QTableWidget;

namespace lumibench::sdk {
class DiagramView;
}

namespace lumibench::compare {

class CompareWindow : public QMainWindow {
    Q_OBJECT

public:
    CompareWindow(CompareModel& model, QString title);

    // The model changed (data sets added, dropped, refreshed): rebuild everything.
    void refresh();
    UnitChoice unitChoice() const;
    QString currentTabName() const;
    // The painter of the diagram on the current tab; empty on the table.
    diagrams::PaintFunction currentPainter() const;

    // Why `path` may not take an export (CompareModel::exportRefusal), as the message shown.
    QString exportRefusal(const QString& path) const;
    // Writes the figures table; false with a reason when the file cannot be written.
    bool exportTable(const QString& path, QString* error);

signals:
    void changed();  // anything the state file describes

private:
    void rebuild();
    void fillTable();
    void fillRatioChoices();
    void chooseAndExportTable();
    void chooseAndExportDiagram();

    CompareModel& model_;
    bool filling_ = false;

    QListWidget* dataSets_ = nullptr;
    QComboBox* reference_ = nullptr;
    QComboBox* units_ = nullptr;
    QComboBox* plane_ = nullptr;
    QComboBox* ratioSet_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    sdk::DiagramView* polar_ = nullptr;
    sdk::DiagramView* cartesian_ = nullptr;
    sdk::DiagramView* ratio_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace lumibench::compare
