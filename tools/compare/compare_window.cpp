#include "compare_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "diagrams/diagram_painters.h"
#include "diagrams/ratio_map.h"
#include "diagrams/save_whole.h"
#include "diagrams/scale.h"
#include "sdk/diagram_view.h"

namespace lumibench::compare {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A figures column is at most as wide as this many digits; longer file names
// in its header are cut in the middle.
constexpr int kHeaderCharacters = 12;

QString Signed(double v, int decimals) {
    const std::string text = diagrams::FormatNumber(v, decimals);
    return (v > 0 && text != "0" ? QStringLiteral("+") : QString()) + Q(text);
}

// What a difference column shows beside the unit it is stated in.
QString DifferenceText(const photometry::ComparedFigure& f, const std::optional<double>& d) {
    if (!d) return QStringLiteral("-");
    switch (f.difference) {
    case photometry::DifferenceKind::Percent: return Signed(*d, 1) + QStringLiteral(" %");
    case photometry::DifferenceKind::Points: return Signed(*d, 2) + QStringLiteral(" pt");
    case photometry::DifferenceKind::Degrees: return Signed(*d, 1) + QChar(0x00B0);
    }
    return {};
}

}  // namespace

CompareWindow::CompareWindow(CompareModel& model, QString title) : model_(model) {
    setObjectName(QStringLiteral("frmComparePE"));
    setWindowTitle(title);
    resize(1000, 660);

    dataSets_ = new QListWidget;
    dataSets_->setObjectName(QStringLiteral("lstDataSets"));
    dataSets_->setToolTip(QStringLiteral("Ticked data sets are drawn together"));
    reference_ = new QComboBox;
    reference_->setObjectName(QStringLiteral("cboReference"));
    reference_->setToolTip(QStringLiteral("The data set the others are compared with"));
    auto* referenceLabel = new QLabel(QStringLiteral("&Reference"));
    referenceLabel->setBuddy(reference_);

    units_ = new QComboBox;
    units_->setObjectName(QStringLiteral("cboUnits"));
    units_->addItems({QStringLiteral("Automatic units"), QStringLiteral("cd"), QStringLiteral("cd/klm")});
    plane_ = new QComboBox;
    plane_->setObjectName(QStringLiteral("cboPlanes"));
    ratioSet_ = new QComboBox;
    ratioSet_->setObjectName(QStringLiteral("cboRatioSet"));
    ratioSet_->setToolTip(QStringLiteral("The data set whose intensity is divided by the reference's"));

    polar_ = new sdk::DiagramView;
    polar_->setObjectName(QStringLiteral("picPolar"));
    cartesian_ = new sdk::DiagramView;
    cartesian_->setObjectName(QStringLiteral("picCartesian"));
    ratio_ = new sdk::DiagramView;
    ratio_->setObjectName(QStringLiteral("picRatio"));
    table_ = new QTableWidget;
    table_->setObjectName(QStringLiteral("tblComparison"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);

    auto* ratioPage = new QWidget;
    auto* ratioLayout = new QVBoxLayout(ratioPage);
    ratioLayout->setContentsMargins(0, 0, 0, 0);
    auto* ratioLabel = new QLabel(QStringLiteral("&Data set over the reference:"));
    ratioLabel->setBuddy(ratioSet_);
    auto* ratioBar = new QHBoxLayout;
    ratioBar->addWidget(ratioLabel);
    ratioBar->addWidget(ratioSet_, 1);
    ratioLayout->addLayout(ratioBar);
    ratioLayout->addWidget(ratio_, 1);

    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("tabDiagrams"));
    tabs_->addTab(polar_, QStringLiteral("&Polar"));
    tabs_->addTab(cartesian_, QStringLiteral("C&artesian"));
    tabs_->addTab(table_, QStringLiteral("F&igures"));
    tabs_->addTab(ratioPage, QStringLiteral("Ratio &map"));

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(dataSets_, 1);
    leftLayout->addWidget(referenceLabel);
    leftLayout->addWidget(reference_);

    auto* splitter = new QSplitter;
    splitter->addWidget(left);
    splitter->addWidget(tabs_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 770});
    setCentralWidget(splitter);

    QToolBar* toolbar = addToolBar(QStringLiteral("Diagram"));
    toolbar->setObjectName(QStringLiteral("tbrCompare"));
    toolbar->setMovable(false);
    toolbar->addWidget(new QLabel(QStringLiteral(" Units ")));
    toolbar->addWidget(units_);
    toolbar->addWidget(new QLabel(QStringLiteral("  Planes ")));
    toolbar->addWidget(plane_);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    auto addAction = [&](const char* name, const QString& text, QKeySequence keys, auto slot) {
        QAction* action = file->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    addAction("ID_ExportTable", QStringLiteral("Export &Table as CSV..."), QKeySequence(Qt::CTRL | Qt::Key_T),
              &CompareWindow::chooseAndExportTable);
    addAction("ID_Export", QStringLiteral("&Export Diagram..."), QKeySequence(Qt::CTRL | Qt::Key_E),
              &CompareWindow::chooseAndExportDiagram);
    addAction("ID_Copy", QStringLiteral("&Copy Diagram"), QKeySequence::Copy, [this] {
        if (const auto paint = currentPainter())
            QApplication::clipboard()->setImage(diagrams::RenderDiagram(QSize(1000, 1000), paint));
    });
    file->addSeparator();
    addAction("ID_Close", QStringLiteral("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W), &QWidget::close);

    connect(dataSets_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (filling_) return;
        model_.setShown(static_cast<std::size_t>(dataSets_->row(item)), item->checkState() == Qt::Checked);
        rebuild();
        emit changed();
    });
    connect(reference_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        model_.setReference(static_cast<std::size_t>(index));
        refresh();
    });
    for (QComboBox* box : {units_, plane_, ratioSet_}) {
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (filling_) return;
            rebuild();
            emit changed();
        });
    }
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { emit changed(); });
    refresh();
}

UnitChoice CompareWindow::unitChoice() const {
    switch (units_->currentIndex()) {
    case 1: return UnitChoice::Candela;
    case 2: return UnitChoice::CandelaPerKilolumen;
    default: return UnitChoice::Automatic;
    }
}

QString CompareWindow::currentTabName() const { return tabs_->tabText(tabs_->currentIndex()).remove(QLatin1Char('&')); }

diagrams::PaintFunction CompareWindow::currentPainter() const {
    switch (tabs_->currentIndex()) {
    case 0: return polar_->painter();
    case 1: return cartesian_->painter();
    case 3: return ratio_->painter();
    default: return {};
    }
}

void CompareWindow::refresh() {
    filling_ = true;
    const auto& sets = model_.dataSets();
    dataSets_->clear();
    reference_->clear();
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const QString label = Q(DataSetLabel(sets[i]));
        auto* item = new QListWidgetItem(label, dataSets_);
        item->setToolTip(Q(sets[i].record.Filename));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(sets[i].shown ? Qt::Checked : Qt::Unchecked);
        if (i == model_.reference()) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        reference_->addItem(label);
    }
    reference_->setCurrentIndex(sets.empty() ? -1 : static_cast<int>(model_.reference()));

    // The planes on offer are the reference's.
    const QString plane = plane_->currentText();
    plane_->clear();
    plane_->addItem(QStringLiteral("(usual)"));
    if (!sets.empty()) {
        const photometry::IntensityDistribution d(sets[model_.reference()].record);
        for (const auto& s : diagrams::AvailableSections(d)) {
            plane_->addItem(Q(diagrams::SectionName(s)), QVariantList{static_cast<int>(s.kind), s.angle});
        }
    }
    plane_->setCurrentIndex(std::max(0, plane_->findText(plane)));
    filling_ = false;
    fillRatioChoices();
    fillTable();
    rebuild();
    emit changed();
}

void CompareWindow::fillRatioChoices() {
    filling_ = true;
    const QString keep = ratioSet_->currentText();
    ratioSet_->clear();
    const auto& sets = model_.dataSets();
    for (std::size_t i = 0; i < sets.size(); ++i) {
        if (i != model_.reference()) ratioSet_->addItem(Q(DataSetLabel(sets[i])), static_cast<int>(i));
    }
    ratioSet_->setCurrentIndex(std::max(0, ratioSet_->findText(keep)));
    filling_ = false;
}

void CompareWindow::fillTable() {
    const auto& c = model_.comparison();
    const int n = static_cast<int>(c.names.size());
    // Each data set's difference beside its values, so a row reads left to right.
    QStringList headers{QStringLiteral("Unit")};
    for (int i = 0; i < n; ++i) {
        const QString name = Q(c.names[static_cast<std::size_t>(i)]);
        if (static_cast<std::size_t>(i) == c.reference) {
            headers << name + QStringLiteral(" (reference)");
        } else {
            headers << name << QChar(0x0394) + QLatin1Char(' ') + name;
        }
    }
    table_->clear();
    table_->setColumnCount(static_cast<int>(headers.size()));
    table_->setRowCount(static_cast<int>(c.figures.size()));
    // Long file names are cut in the middle in the header (the whole name in
    // its tooltip and in the CSV), so that a column is as wide as its figures.
    const QFontMetrics headerMetrics(table_->horizontalHeader()->font());
    const int headerWidth = headerMetrics.horizontalAdvance(QString(kHeaderCharacters, QLatin1Char('0')));
    for (int column = 0; column < static_cast<int>(headers.size()); ++column) {
        const QString& full = headers[column];
        auto* header = new QTableWidgetItem(headerMetrics.elidedText(full, Qt::ElideMiddle, headerWidth));
        header->setToolTip(full);
        table_->setHorizontalHeaderItem(column, header);
    }
    QStringList rows;
    for (int r = 0; r < static_cast<int>(c.figures.size()); ++r) {
        const auto& f = c.figures[static_cast<std::size_t>(r)];
        rows << Q(f.name);
        auto set = [&](int column, const QString& text) {
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, column, item);
        };
        set(0, Q(f.unit));
        int column = 1;
        for (std::size_t i = 0; i < f.values.size(); ++i) {
            const auto& v = f.values[i];
            set(column++, v ? Q(diagrams::FormatNumber(*v, f.decimals)) : QStringLiteral("-"));
            if (i != c.reference) set(column++, DifferenceText(f, f.differences[i]));
        }
    }
    table_->setVerticalHeaderLabels(rows);
    table_->resizeColumnsToContents();
    const int widest = headerWidth + 2 * table_->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    for (int column = 0; column < table_->columnCount(); ++column) {
        table_->setColumnWidth(column, std::min(table_->columnWidth(column), widest));
    }
}

void CompareWindow::rebuild() {
    const diagrams::IntensityUnit unit = model_.unitFor(unitChoice());
    const auto shown = model_.shownSeries(unit);
    diagrams::DiagramOptions options;
    options.unit = unit;
    const QVariantList choice = plane_->currentData().toList();
    if (choice.size() == 2) {
        options.sections.push_back({static_cast<diagrams::Section::Kind>(choice[0].toInt()), choice[1].toDouble()});
    }
    polar_->setPainter([shown, options](QPainter& p, const QRectF& r) { diagrams::PaintPolarDiagram(p, r, shown, options); });
    cartesian_->setPainter(
        [shown, options](QPainter& p, const QRectF& r) { diagrams::PaintCartesianDiagram(p, r, shown, options); });

    const auto& sets = model_.dataSets();
    const int index = ratioSet_->currentData().isValid() ? ratioSet_->currentData().toInt() : -1;
    photometry::RatioGrid grid;
    diagrams::RatioMapOptions ratioOptions;
    if (index >= 0 && static_cast<std::size_t>(index) < sets.size()) {
        grid = model_.ratioGrid(static_cast<std::size_t>(index), unit);
        ratioOptions.title = "Intensity ratio " + DataSetLabel(sets[static_cast<std::size_t>(index)]) + " / " +
                             DataSetLabel(sets[model_.reference()]) + " (reference)";
        if (sets[model_.reference()].record.PhotometricType != 1) {
            ratioOptions.horizontalName = "H";
            ratioOptions.verticalName = "V";
        }
    } else {
        grid.problem = "Compare needs a second data set besides the reference.";
    }
    ratio_->setPainter([grid, ratioOptions](QPainter& p, const QRectF& r) { diagrams::PaintRatioMap(p, r, grid, ratioOptions); });
}

QString CompareWindow::exportRefusal(const QString& path) const {
    const std::string why = model_.exportRefusal(QFile::encodeName(path).toStdString());
    return why.empty() ? QString() : QStringLiteral("Cannot write %1: %2").arg(path, QString::fromStdString(why));
}

bool CompareWindow::exportTable(const QString& path, QString* error) {
    if (const QString refused = exportRefusal(path); !refused.isEmpty()) {
        if (error) *error = refused;
        return false;
    }
    const std::string csv = photometry::ComparisonCsv(model_.comparison());
    QString why;
    const bool saved = diagrams::SaveWhole(
        path, [&](QIODevice& file) { return file.write(csv.data(), static_cast<qint64>(csv.size())) >= 0; }, &why);
    if (!saved && error) *error = QStringLiteral("Cannot write %1: %2").arg(path, why);
    return saved;
}

void CompareWindow::chooseAndExportTable() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export Table"), QStringLiteral("comparison.csv"),
                                                      QStringLiteral("CSV table (*.csv)"));
    if (path.isEmpty()) return;
    QString error;
    if (!exportTable(path, &error)) QMessageBox::warning(this, windowTitle(), error);
}

void CompareWindow::chooseAndExportDiagram() {
    const auto paint = currentPainter();
    if (!paint) {
        QMessageBox::information(this, windowTitle(), QStringLiteral("Choose a diagram to export."));
        return;
    }
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Diagram"), currentTabName().toLower().replace(QLatin1Char(' '), QLatin1Char('_')) + ".png",
        QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
    if (path.isEmpty()) return;
    QString error;
    if (const QString refused = exportRefusal(path); !refused.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), refused);
        return;
    }
    if (!diagrams::ExportDiagram(path, QSize(1200, 1200), paint, &error)) QMessageBox::warning(this, windowTitle(), error);
}

}  // namespace lumibench::compare
