#include "view_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QFileInfo>
#include <QDate>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

#include "candela_grid_model.h"
#include "diagrams/diagram_painters.h"
#include "diagrams/luminous_opening.h"
#include "diagrams/scale.h"
#include "sdk/diagram_view.h"
#include "photometry/photometry.h"

namespace lumibench::view {

using sdk::DiagramView;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Number(double v, int decimals) { return Q(diagrams::FormatNumber(v, decimals)); }
QString Optional(const std::optional<double>& v, int decimals, const char* suffix = "") {
    return v ? Number(*v, decimals) + QString::fromUtf8(suffix) : QStringLiteral("-");
}

QTableWidget* MakeTable(const char* name) {
    auto* table = new QTableWidget;
    table->setObjectName(QString::fromLatin1(name));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    return table;
}

void SetCell(QTableWidget* table, int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, column, item);
}

QTableView* MakeGridView(const char* name) {
    auto* table = new QTableView;
    table->setObjectName(QString::fromLatin1(name));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    // Fixed sizes: a header that measured every row would read every cell.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    return table;
}

// Gives `table` a new grid model (or none), dropping the one it had.
void ShowGrid(QTableView* table, CandelaGridModel* model) {
    QAbstractItemModel* old = table->model();
    table->setModel(model);
    if (model != nullptr) model->setParent(table);
    delete old;
}

}  // namespace

ViewWindow::ViewWindow(ViewModel& model, LengthUnit lengthUnit, std::string outputUnits, QString title)
    : model_(model), lengthUnit_(std::move(lengthUnit)), outputUnits_(std::move(outputUnits)) {
    setObjectName(QStringLiteral("frmViewPE"));
    setWindowTitle(title);
    resize(980, 640);

    dataSets_ = new QListWidget;
    dataSets_->setObjectName(QStringLiteral("lstDataSets"));
    dataSets_->setToolTip(QStringLiteral("Ticked data sets are drawn together; the selected one fills the tables"));

    units_ = new QComboBox;
    units_->setObjectName(QStringLiteral("cboUnits"));
    units_->addItems({QStringLiteral("Automatic units"), QStringLiteral("cd"), QStringLiteral("cd/klm")});
    firstPlane_ = new QComboBox;
    firstPlane_->setObjectName(QStringLiteral("cboFirstPlane"));
    secondPlane_ = new QComboBox;
    secondPlane_->setObjectName(QStringLiteral("cboSecondPlane"));

    polar_ = new DiagramView;
    polar_->setObjectName(QStringLiteral("picPolar"));
    cartesian_ = new DiagramView;
    cartesian_->setObjectName(QStringLiteral("picCartesian"));
    isocandela_ = new DiagramView;
    isocandela_->setObjectName(QStringLiteral("picIsocandela"));
    opening_ = new DiagramView;
    opening_->setObjectName(QStringLiteral("picOpening"));
    luminance_ = MakeTable("tblLuminance");
    candelaStored_ = MakeGridView("tblCandelaStored");
    candelaExpanded_ = MakeGridView("tblCandelaExpanded");
    zonal_ = MakeTable("tblZonalLumens");
    figures_ = MakeTable("tblFigures");
    illuminance_ = MakeTable("tblIlluminance");

    auto* openingPage = new QSplitter(Qt::Vertical);
    openingPage->addWidget(opening_);
    openingPage->addWidget(luminance_);
    openingPage->setStretchFactor(0, 3);
    openingPage->setStretchFactor(1, 1);

    auto* tables = new QTabWidget;
    tables->setObjectName(QStringLiteral("tabTables"));
    tables->addTab(figures_, QStringLiteral("Figures"));
    tables->addTab(zonal_, QStringLiteral("Zonal Lumens"));
    tables->addTab(illuminance_, QStringLiteral("Illuminance Below"));
    tables->addTab(candelaStored_, QStringLiteral("Candela as Stored"));
    tables->addTab(candelaExpanded_, QStringLiteral("Candela Expanded"));

    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("tabViews"));
    tabs_->addTab(polar_, QStringLiteral("&Polar"));
    tabs_->addTab(cartesian_, QStringLiteral("&Cartesian"));
    tabs_->addTab(isocandela_, QStringLiteral("&Isocandela"));
    tabs_->addTab(openingPage, QStringLiteral("&Luminous Opening"));
    tabs_->addTab(tables, QStringLiteral("&Tables"));

    auto* splitter = new QSplitter;
    splitter->addWidget(dataSets_);
    splitter->addWidget(tabs_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 750});
    setCentralWidget(splitter);

    auto* toolbar = addToolBar(QStringLiteral("View"));
    toolbar->setObjectName(QStringLiteral("tbrView"));
    toolbar->setMovable(false);
    toolbar->addWidget(new QLabel(QStringLiteral(" Units ")));
    toolbar->addWidget(units_);
    toolbar->addWidget(new QLabel(QStringLiteral("  Planes ")));
    toolbar->addWidget(firstPlane_);
    toolbar->addWidget(secondPlane_);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    auto addAction = [&](QMenu* menu, const char* name, const QString& text, QKeySequence keys, auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    addAction(file, "ID_Export", QStringLiteral("&Export Diagram..."), QKeySequence(Qt::CTRL | Qt::Key_E),
              &ViewWindow::exportDiagram);
    addAction(file, "ID_Copy", QStringLiteral("&Copy Diagram"), QKeySequence::Copy, &ViewWindow::copyDiagram);
    addAction(file, "ID_Print", QStringLiteral("&Print Diagram..."), QKeySequence::Print, &ViewWindow::printDiagram);
    file->addSeparator();
    addAction(file, "ID_Close", QStringLiteral("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W), &QWidget::close);

    connect(dataSets_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (filling_) return;
        model_.setShown(static_cast<std::size_t>(dataSets_->row(item)), item->checkState() == Qt::Checked);
        rebuildSeries();
        emit changed();
    });
    connect(dataSets_, &QListWidget::currentRowChanged, this, [this] {
        if (filling_) return;
        fillPlaneChoices();  // the planes on offer are the selected data set's
        rebuildSeries();
    });
    connect(units_, &QComboBox::currentIndexChanged, this, [this] {
        rebuildSeries();
        emit changed();
    });
    for (QComboBox* box : {firstPlane_, secondPlane_}) {
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (!filling_) rebuildSeries();
        });
    }
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { emit changed(); });
    refresh();
}

UnitChoice ViewWindow::unitChoice() const {
    switch (units_->currentIndex()) {
    case 1: return UnitChoice::Candela;
    case 2: return UnitChoice::CandelaPerKilolumen;
    default: return UnitChoice::Automatic;
    }
}

int ViewWindow::selectedIndex() const {
    const int row = dataSets_->currentRow();
    return row >= 0 && row < static_cast<int>(model_.dataSets().size()) ? row : (model_.dataSets().empty() ? -1 : 0);
}

void ViewWindow::refresh() {
    filling_ = true;
    const int keep = dataSets_->currentRow();
    dataSets_->clear();
    for (const auto& d : model_.dataSets()) {
        auto* item = new QListWidgetItem(Q(DataSetLabel(d)), dataSets_);
        item->setToolTip(Q(d.record.Filename));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(d.shown ? Qt::Checked : Qt::Unchecked);
    }
    const int count = static_cast<int>(model_.dataSets().size());
    dataSets_->setCurrentRow(count == 0 ? -1 : std::clamp(keep, 0, count - 1));
    filling_ = false;
    fillPlaneChoices();
    rebuildSeries();
    emit changed();
}

void ViewWindow::fillPlaneChoices() {
    filling_ = true;
    const int index = selectedIndex();
    const int type = index >= 0 ? model_.dataSets()[static_cast<std::size_t>(index)].record.PhotometricType : 1;
    std::vector<diagrams::Section> sections = diagrams::DefaultSections(type);
    // The plane pair through the maximum comes right after the defaults, named as such.
    std::optional<diagrams::Section> throughMaximum;
    if (index >= 0) {
        const photometry::IntensityDistribution d(model_.dataSets()[static_cast<std::size_t>(index)].record);
        throughMaximum = diagrams::MaximumSection(d);
        sections.push_back(*throughMaximum);
        for (const auto& s : diagrams::AvailableSections(d)) {
            if (std::find(sections.begin(), sections.end(), s) == sections.end()) sections.push_back(s);
        }
    }
    const QString first = firstPlane_->currentText(), second = secondPlane_->currentText();
    firstPlane_->clear();
    secondPlane_->clear();
    secondPlane_->addItem(QStringLiteral("(none)"));
    for (const auto& s : sections) {
        QVariantList choice{static_cast<int>(s.kind), s.angle};
        QString name = Q(diagrams::SectionName(s));
        if (throughMaximum && s == *throughMaximum) name += tr(" (through the maximum)");
        if (firstPlane_->findText(name) >= 0) continue;  // a default that also holds the maximum
        firstPlane_->addItem(name, choice);
        secondPlane_->addItem(name, choice);
    }
    const int f = firstPlane_->findText(first), g = secondPlane_->findText(second);
    firstPlane_->setCurrentIndex(f >= 0 ? f : 0);
    secondPlane_->setCurrentIndex(g >= 0 ? g : (sections.size() > 1 ? 2 : 0));
    filling_ = false;
}

std::vector<diagrams::Section> ViewWindow::chosenSections() const {
    std::vector<diagrams::Section> sections;
    for (QComboBox* box : {firstPlane_, secondPlane_}) {
        const QVariantList choice = box->currentData().toList();
        if (choice.size() != 2) continue;
        sections.push_back({static_cast<diagrams::Section::Kind>(choice[0].toInt()), choice[1].toDouble()});
    }
    return sections;
}

void ViewWindow::rebuildSeries() {
    unit_ = model_.unitFor(unitChoice());
    shown_ = model_.shownSeries(unit_);
    const int index = selectedIndex();
    selected_ = index >= 0 ? diagrams::MakeSeries(model_.dataSets()[static_cast<std::size_t>(index)].record, unit_,
                                                  DataSetLabel(model_.dataSets()[static_cast<std::size_t>(index)]))
                           : diagrams::Series{};

    diagrams::DiagramOptions options;
    options.sections = chosenSections();
    options.unit = unit_;
    const auto shown = shown_;
    polar_->setPainter([shown, options](QPainter& p, const QRectF& r) { diagrams::PaintPolarDiagram(p, r, shown, options); });
    cartesian_->setPainter(
        [shown, options](QPainter& p, const QRectF& r) { diagrams::PaintCartesianDiagram(p, r, shown, options); });
    diagrams::DiagramOptions single = options;
    single.title = selected_.label;
    const auto selected = selected_;
    isocandela_->setPainter(
        [selected, single](QPainter& p, const QRectF& r) { diagrams::PaintIsocandelaDiagram(p, r, selected, single); });
    if (index >= 0) {
        const auto opening = diagrams::OpeningOf(model_.dataSets()[static_cast<std::size_t>(index)].record);
        const diagrams::OpeningOptions openingOptions{lengthUnit_.label, lengthUnit_.unitsPerMetre, selected_.label};
        opening_->setPainter([opening, openingOptions](QPainter& p, const QRectF& r) {
            diagrams::PaintLuminousOpening(p, r, opening, openingOptions);
        });
    } else {
        opening_->setPainter({});
    }
    fillTables();
}

void ViewWindow::fillTables() {
    const int index = selectedIndex();
    for (QTableWidget* t : {luminance_, zonal_, figures_, illuminance_}) {
        t->clear();
        t->setRowCount(0);
        t->setColumnCount(0);
    }
    ShowGrid(candelaStored_, nullptr);
    ShowGrid(candelaExpanded_, nullptr);
    if (index < 0) return;
    const PhotometricRecord& record = model_.dataSets()[static_cast<std::size_t>(index)].record;

    // The stored grid is the record's own (the tables are rebuilt whenever
    // the data sets change); the expanded one is the only copy made.
    ShowGrid(candelaStored_, new CandelaGridModel({record.HorAngles.begin(), record.HorAngles.end()},
                                                  {record.VertAngles.begin(), record.VertAngles.end()},
                                                  std::shared_ptr<const CandelaGridModel::Grid>(
                                                      std::shared_ptr<void>(), &record.Candela)));
    const photometry::IntensityDistribution d(record);
    ShowGrid(candelaExpanded_, new CandelaGridModel(d.horizontalAngles(), d.verticalAngles(),
                                                    std::make_shared<const CandelaGridModel::Grid>(d.values())));

    const photometry::Summary s = photometry::Summarise(record);
    zonal_->setColumnCount(4);
    zonal_->setHorizontalHeaderLabels({QStringLiteral("Zone"), QStringLiteral("Lumens"), QStringLiteral("% Lamp"),
                                       QStringLiteral("% Luminaire")});
    zonal_->setRowCount(static_cast<int>(s.zonalLumens.size()));
    for (std::size_t i = 0; i < s.zonalLumens.size(); ++i) {
        const auto& z = s.zonalLumens[i];
        const int row = static_cast<int>(i);
        SetCell(zonal_, row, 0, Number(z.from, 0) + QStringLiteral("-") + Number(z.to, 0) + QChar(0x00B0));
        SetCell(zonal_, row, 1, Number(z.lm, 1));
        SetCell(zonal_, row, 2, Optional(z.percentLamp, 1));
        SetCell(zonal_, row, 3, Number(z.percentLuminaire, 1));
    }
    zonal_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    zonal_->verticalHeader()->hide();

    const bool typeC = d.photometricType() == 1;
    std::vector<std::pair<QString, QString>> rows = {
        {QStringLiteral("Luminaire flux"), Number(s.luminaireFluxLm, 1) + QStringLiteral(" lm")},
        {QStringLiteral("Lamp flux"), Optional(s.lampFluxLm, 1, " lm")},
        {QStringLiteral("Downward flux"), Number(s.downwardFluxLm, 1) + QStringLiteral(" lm")},
        {QStringLiteral("Upward flux"), Number(s.upwardFluxLm, 1) + QStringLiteral(" lm")},
        {QStringLiteral("LOR"), Optional(s.lorPercent, 1, " %")},
        {QStringLiteral("DLOR"), Optional(s.dlorPercent, 1, " %")},
        {QStringLiteral("ULOR"), Optional(s.ulorPercent, 1, " %")},
        {QStringLiteral("Maximum intensity"), Number(s.maxIntensityCd, 1) + QStringLiteral(" cd")},
        {QStringLiteral("Direction of the maximum"),
         (typeC ? QStringLiteral("C ") : QStringLiteral("H ")) + Number(s.maxIntensityDirection.horizontal, 1) +
             (typeC ? QStringLiteral("°, γ ") : QStringLiteral("°, V ")) + Number(s.maxIntensityDirection.vertical, 1) +
             QChar(0x00B0)},
    };
    for (const auto& b : s.beamAngles) rows.emplace_back(QStringLiteral("Beam angle ") + Q(b.plane), Optional(b.degrees, 1, "°"));
    for (const auto& f : s.fieldAngles) rows.emplace_back(QStringLiteral("Field angle ") + Q(f.plane), Optional(f.degrees, 1, "°"));
    QStringList code;
    for (double n : s.cieFluxCode) code << Number(n, 0);
    rows.emplace_back(QStringLiteral("CIE flux code"), code.join(QLatin1Char(' ')));
    rows.emplace_back(QStringLiteral("Efficacy"), Optional(s.efficacyLmPerW, 1, " lm/W"));
    const auto opening = diagrams::OpeningOf(record);
    const QString unit = QLatin1Char(' ') + Q(lengthUnit_.label);
    rows.emplace_back(QStringLiteral("Luminous opening"), Q(diagrams::OpeningShapeName(opening.shape)));
    rows.emplace_back(QStringLiteral("Width"), Number(opening.width * lengthUnit_.unitsPerMetre, 3) + unit);
    rows.emplace_back(QStringLiteral("Length"), Number(opening.length * lengthUnit_.unitsPerMetre, 3) + unit);
    rows.emplace_back(QStringLiteral("Height"), Number(opening.height * lengthUnit_.unitsPerMetre, 3) + unit);
    figures_->setColumnCount(2);
    figures_->setHorizontalHeaderLabels({QStringLiteral("Figure"), QStringLiteral("Value")});
    figures_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        figures_->setItem(static_cast<int>(i), 0, new QTableWidgetItem(rows[i].first));
        SetCell(figures_, static_cast<int>(i), 1, rows[i].second);
    }
    figures_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    figures_->verticalHeader()->hide();

    const IlluminanceCone cone = NadirIlluminance(record, outputUnits_);
    illuminance_->setColumnCount(3);
    illuminance_->setHorizontalHeaderLabels({QStringLiteral("Mounting height (%1)").arg(Q(cone.lengthUnit)),
                                             QStringLiteral("Illuminance below (%1)").arg(Q(cone.illuminanceUnit)),
                                             QStringLiteral("Beam diameter (%1)").arg(Q(cone.lengthUnit))});
    illuminance_->setRowCount(static_cast<int>(cone.rows.size()));
    for (std::size_t i = 0; i < cone.rows.size(); ++i) {
        const int row = static_cast<int>(i);
        SetCell(illuminance_, row, 0, Number(cone.rows[i].height, 1));
        SetCell(illuminance_, row, 1, Number(cone.rows[i].illuminance, 1));
        SetCell(illuminance_, row, 2, Optional(cone.rows[i].beamDiameter, 2));
    }
    illuminance_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    illuminance_->verticalHeader()->hide();

    const auto luminance = diagrams::AverageLuminance(record);
    luminance_->setColumnCount(3);
    luminance_->setHorizontalHeaderLabels(
        {QStringLiteral("γ"), QStringLiteral("C0 (cd/m²)"), QStringLiteral("C90 (cd/m²)")});
    luminance_->setRowCount(static_cast<int>(luminance.size()));
    for (std::size_t i = 0; i < luminance.size(); ++i) {
        const int row = static_cast<int>(i);
        SetCell(luminance_, row, 0, Number(luminance[i].gamma, 0) + QChar(0x00B0));
        SetCell(luminance_, row, 1, Optional(luminance[i].c0, 0));
        SetCell(luminance_, row, 2, Optional(luminance[i].c90, 0));
    }
    luminance_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    luminance_->verticalHeader()->hide();
}

diagrams::PaintFunction ViewWindow::currentPainter() const {
    QWidget* page = tabs_->currentWidget();
    if (page == polar_) return polar_->painter();
    if (page == cartesian_) return cartesian_->painter();
    if (page == isocandela_) return isocandela_->painter();
    if (page == opening_->parentWidget()) return opening_->painter();
    return {};
}

QString ViewWindow::currentDiagramName() const {
    return tabs_->tabText(tabs_->currentIndex()).remove(QLatin1Char('&'));
}

void ViewWindow::exportDiagram() {
    const auto paint = currentPainter();
    if (!paint) {
        QMessageBox::information(this, windowTitle(), QStringLiteral("Choose a diagram to export."));
        return;
    }
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Diagram"), currentDiagramName().toLower().replace(QLatin1Char(' '), QLatin1Char('_')) + ".png",
        QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
    if (path.isEmpty()) return;
    QString error;
    if (!diagrams::ExportDiagram(path, QSize(1200, 1200), paint, &error)) {
        QMessageBox::warning(this, windowTitle(), error);
    }
}

void ViewWindow::copyDiagram() {
    if (const auto paint = currentPainter()) {
        QApplication::clipboard()->setImage(diagrams::RenderDiagram(QSize(1000, 1000), paint));
    }
}

void ViewWindow::printDiagram() {
    const auto paint = currentPainter();
    if (!paint) return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    QPainter painter(&printer);
    const QRect pageRect = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF page(0, 0, pageRect.width(), pageRect.height());
    // A printed diagram says what it shows: the luminaire, the files and the date.
    QStringList files;
    QString luminaire;
    for (const auto& d : model_.dataSets()) {
        if (!d.shown) continue;
        files << QFileInfo(Q(d.record.Filename)).fileName();
        if (luminaire.isEmpty()) luminaire = Q(d.record.LuminaireKeyword).trimmed();
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(8, static_cast<int>(page.height() / 70)));
    painter.setFont(font);
    const QFontMetricsF fm(font);
    const QString line = (luminaire.isEmpty() ? QString() : luminaire + QStringLiteral("    ")) + files.join(QStringLiteral(", "));
    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    const double dateWidth = fm.horizontalAdvance(date) + fm.height();
    painter.drawText(QRectF(0, 0, page.width() - dateWidth, fm.height() * 1.2), Qt::AlignLeft | Qt::AlignVCenter,
                     fm.elidedText(line, Qt::ElideMiddle, page.width() - dateWidth));
    painter.drawText(QRectF(page.width() - dateWidth, 0, dateWidth, fm.height() * 1.2), Qt::AlignRight | Qt::AlignVCenter,
                     date);
    paint(painter, page.adjusted(0, fm.height() * 1.6, 0, 0));
}

}  // namespace lumibench::view
