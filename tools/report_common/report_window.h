#pragma once
// The window of a report tool: the data set and the method's inputs on the
// left, the pages of the report on the right, and Print, PDF and batch PDF
// commands. It paints and wires events; the report's content comes from
// BuildReport and its pages from report_pages.h.

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <map>

#include "report_document.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QVBoxLayout;
class QWidget;

namespace lumibench::reports {

// What the window reads and writes of the shared settings.
struct ReportSettingsAccess {
    std::function<std::string(const std::string& section, const std::string& key)> read;
    std::function<void(const std::string& section, const std::string& key, const std::string& value)> write;
};

class ReportWindow : public QMainWindow {
    Q_OBJECT

public:
    ReportWindow(ReportKind kind, ReportDataSets& dataSets, ReportSettingsAccess settings, QString title);

    // The data sets changed (dropped, refreshed): rebuild the report.
    void refresh();
    // One PDF per data set into `folder`, with a progress dialog that can be
    // cancelled when `interactive`. Returns the files written.
    QStringList writeBatch(const QString& folder, bool interactive);

    // The report as it would be printed now (settings read afresh).
    ReportDocument currentDocument() const;

private:
    void buildForm();
    void inputsChanged();
    void rebuildPreview();
    void printReport();
    void savePdf();
    void batchPdfs();
    ReportDocument documentFor(const PhotometricRecord& record) const;
    ReportUnits units() const;
    ReportIdentity identity() const;

    ReportKind kind_;
    ReportDataSets& dataSets_;
    ReportSettingsAccess settings_;
    InputValues values_;
    ReportUnits shownUnits_;  // the units the boxes show their lengths in
    QTimer rebuild_;

    QComboBox* dataSetChoice_ = nullptr;
    std::map<std::string, QWidget*> inputs_;
    std::map<std::string, QLabel*> unitLabels_;
    QWidget* pages_ = nullptr;
    QVBoxLayout* pagesLayout_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace lumibench::reports
