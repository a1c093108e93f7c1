#pragma once
// Tool_ViewPE's window: the data sets on the left, the diagrams and tables
// on the right. It only paints and wires events; ViewModel decides.

#include <QMainWindow>

#include <functional>
#include <vector>

#include "diagrams/diagram_data.h"
#include "diagrams/diagram_export.h"
#include "view_model.h"

class QComboBox;
class QListWidget;
class QTabWidget;
class QTableView;
class QTableWidget;
class QLabel;

namespace lumibench::sdk {
class DiagramView;
}

namespace lumibench::view {

using sdk::DiagramView;

class ViewWindow : public QMainWindow {
    Q_OBJECT

public:
    // `outputUnits`: the host's "OutputUnits" setting, for illuminance.
    ViewWindow(ViewModel& model, LengthUnit lengthUnit, std::string outputUnits, QString title);

    // The model changed (data sets added, dropped, refreshed): rebuild everything.
    void refresh();
    UnitChoice unitChoice() const;
    // The painter of the diagram on the current tab; empty on the tables tab.
    diagrams::PaintFunction currentPainter() const;
    QString currentDiagramName() const;

signals:
    void changed();  // anything the state file describes

private:
    void rebuildSeries();
    void fillPlaneChoices();
    void fillTables();
    void exportDiagram();
    void copyDiagram();
    void printDiagram();
    std::vector<diagrams::Section> chosenSections() const;
    int selectedIndex() const;

    ViewModel& model_;
    LengthUnit lengthUnit_;
    std::string outputUnits_;
    std::vector<diagrams::Series> shown_;
    diagrams::Series selected_;
    diagrams::IntensityUnit unit_ = diagrams::IntensityUnit::Candela;
    bool filling_ = false;

    QListWidget* dataSets_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QComboBox* units_ = nullptr;
    QComboBox* firstPlane_ = nullptr;
    QComboBox* secondPlane_ = nullptr;
    DiagramView* polar_ = nullptr;
    DiagramView* cartesian_ = nullptr;
    DiagramView* isocandela_ = nullptr;
    DiagramView* opening_ = nullptr;
    QTableWidget* luminance_ = nullptr;
    QTableView* candelaStored_ = nullptr;
    QTableView* candelaExpanded_ = nullptr;
    QTableWidget* zonal_ = nullptr;
    QTableWidget* figures_ = nullptr;
    QTableWidget* illuminance_ = nullptr;
};

}  // namespace lumibench::view
