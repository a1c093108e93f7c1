#include "report_window.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

#include "core/run_outputs.h"
#include "report_pages.h"

namespace lumibench::reports {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string FileLabel(const PhotometricRecord& record) {
    const std::string name = record.Filename.substr(record.Filename.find_last_of('/') + 1);
    return name.empty() ? "(no file name)" : name;
}

}  // namespace

ReportWindow::ReportWindow(ReportKind kind, ReportDataSets& dataSets, ReportSettingsAccess settings, QString title)
    : kind_(kind), dataSets_(dataSets), settings_(std::move(settings)) {
    setWindowTitle(title);
    setObjectName(QStringLiteral("frmReport"));
    values_ = ReadInputs(kind_, [&](const std::string& key) { return settings_.read(ActNameOf(kind_), key); });

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    auto* side = new QVBoxLayout;
    row->addLayout(side, 0);

    dataSetChoice_ = new QComboBox(central);
    dataSetChoice_->setObjectName(QStringLiteral("cboDataSet"));
    side->addWidget(new QLabel(tr("Data set"), central));
    side->addWidget(dataSetChoice_);
    connect(dataSetChoice_, &QComboBox::currentIndexChanged, this, [this] { rebuild_.start(); });

    auto* box = new QGroupBox(tr("Inputs"), central);
    box->setObjectName(QStringLiteral("fraInputs"));
    auto* form = new QFormLayout(box);
    for (const InputField& field : InputFields(kind_)) {
        QWidget* editor = nullptr;
        if (field.kind == InputKind::Arrangement || field.kind == InputKind::Choice) {
            auto* choice = new QComboBox(box);
            if (field.kind == InputKind::Arrangement) {
                for (const char* name : {"Single sided", "Opposite", "Staggered", "Central"}) choice->addItem(tr(name));
            } else {
                for (const std::string& name : ChoiceTexts(field)) choice->addItem(Q(name));
            }
            choice->setCurrentIndex(static_cast<int>(values_[field.key]));
            connect(choice, &QComboBox::currentIndexChanged, this, &ReportWindow::inputsChanged);
            editor = choice;
        } else {
            auto* spin = new QDoubleSpinBox(box);
            spin->setKeyboardTracking(false);
            connect(spin, &QDoubleSpinBox::valueChanged, this, &ReportWindow::inputsChanged);
            editor = spin;
        }
        editor->setObjectName(Q("txt" + field.key));
        auto* unit = new QLabel(box);
        unitLabels_[field.key] = unit;
        auto* line = new QHBoxLayout;
        line->addWidget(editor, 1);
        line->addWidget(unit);
        form->addRow(Q(field.label), line);
        inputs_[field.key] = editor;
    }
    side->addWidget(box);

    auto* print = new QPushButton(tr("&Print..."), central);
    print->setObjectName(QStringLiteral("cmdPrint"));
    auto* pdf = new QPushButton(tr("Save &PDF..."), central);
    pdf->setObjectName(QStringLiteral("cmdSavePdf"));
    auto* batch = new QPushButton(tr("&Batch PDFs..."), central);
    batch->setObjectName(QStringLiteral("cmdBatch"));
    batch->setToolTip(tr("One PDF per data set into a folder"));
    connect(print, &QPushButton::clicked, this, &ReportWindow::printReport);
    connect(pdf, &QPushButton::clicked, this, &ReportWindow::savePdf);
    connect(batch, &QPushButton::clicked, this, &ReportWindow::batchPdfs);
    side->addWidget(print);
    side->addWidget(pdf);
    side->addWidget(batch);
    status_ = new QLabel(central);
    status_->setWordWrap(true);
    side->addWidget(status_);
    side->addStretch(1);

    auto* scroll = new QScrollArea(central);
    scroll->setObjectName(QStringLiteral("picPreview"));
    scroll->setWidgetResizable(true);
    scroll->setBackgroundRole(QPalette::Dark);
    pages_ = new QWidget(scroll);
    pagesLayout_ = new QVBoxLayout(pages_);
    pagesLayout_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll->setWidget(pages_);
    row->addWidget(scroll, 1);
    setCentralWidget(central);
    resize(1100, 820);

    // Typing in several boxes builds the report once.
    rebuild_.setSingleShot(true);
    rebuild_.setInterval(150);
    connect(&rebuild_, &QTimer::timeout, this, &ReportWindow::rebuildPreview);
    refresh();
}

ReportUnits ReportWindow::units() const {
    return UnitsFromSettings(settings_.read("Lumibench_PE", "InputUnits"), settings_.read("Lumibench_PE", "OutputUnits"));
}

ReportIdentity ReportWindow::identity() const { return IdentityFromSettings(settings_.read); }

void ReportWindow::buildForm() {
    // Units may have changed in the host's settings since the last report.
    const ReportUnits u = units();
    shownUnits_ = u;
    for (const InputField& field : InputFields(kind_)) {
        auto* spin = qobject_cast<QDoubleSpinBox*>(inputs_[field.key]);
        QString unit;
        if (field.kind == InputKind::Length) unit = Q(u.lengthLabel());
        if (field.kind == InputKind::Percent) unit = QStringLiteral("%");
        if (field.kind == InputKind::Angle) unit = QStringLiteral("\u00B0");
        unitLabels_[field.key]->setText(unit);
        if (!spin) continue;
        const QSignalBlocker quiet(spin);
        const bool length = field.kind == InputKind::Length;
        spin->setDecimals(field.kind == InputKind::Count || field.kind == InputKind::Percent ? 0 : 2);
        spin->setRange(length ? u.lengthFromMetres(field.minimum) : field.minimum,
                       length ? u.lengthFromMetres(field.maximum) : field.maximum);
        spin->setValue(length ? u.lengthFromMetres(values_[field.key]) : values_[field.key]);
    }
}

void ReportWindow::inputsChanged() {
    // The boxes hold lengths in the units they were filled in, whatever the settings say now.
    const ReportUnits u = shownUnits_;
    for (const InputField& field : InputFields(kind_)) {
        double value = 0;
        if (auto* spin = qobject_cast<QDoubleSpinBox*>(inputs_[field.key]))
            value = field.kind == InputKind::Length ? u.lengthToMetres(spin->value()) : spin->value();
        else if (auto* choice = qobject_cast<QComboBox*>(inputs_[field.key]))
            value = choice->currentIndex();
        values_[field.key] = ClampInput(field, value);
    }
    WriteInputs(kind_, values_, [&](const std::string& key, const std::string& value) {
        settings_.write(ActNameOf(kind_), key, value);
    });
    rebuild_.start();
}

void ReportWindow::refresh() {
    const QSignalBlocker quiet(dataSetChoice_);
    const int keep = dataSetChoice_->currentIndex();
    dataSetChoice_->clear();
    for (const auto& record : dataSets_.records()) dataSetChoice_->addItem(Q(FileLabel(record)), Q(record.Filename));
    dataSetChoice_->setCurrentIndex(keep >= 0 && keep < dataSetChoice_->count() ? keep : 0);
    rebuildPreview();
}

ReportDocument ReportWindow::documentFor(const PhotometricRecord& record) const {
    return BuildReport(kind_, record, values_, units());
}

ReportDocument ReportWindow::currentDocument() const {
    const int index = dataSetChoice_->currentIndex();
    if (index < 0 || index >= static_cast<int>(dataSets_.records().size())) return {};
    return documentFor(dataSets_.records()[static_cast<std::size_t>(index)]);
}

void ReportWindow::rebuildPreview() {
    buildForm();
    while (QLayoutItem* item = pagesLayout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (dataSets_.records().empty()) {
        status_->setText(tr("No data sets."));
        return;
    }
    const ReportDocument doc = currentDocument();
    const ReportIdentity who = identity();
    const QImage banner = LoadBanner(who);
    const auto pages = Paginate(doc);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        auto* page = new QLabel(pages_);
        page->setObjectName(QStringLiteral("picPage%1").arg(i + 1));
        page->setPixmap(QPixmap::fromImage(RenderReportPage(doc, who, banner, pages, i, 760)));
        page->setFrameShape(QFrame::Box);
        pagesLayout_->addWidget(page);
    }
    status_->setText(tr("%n page(s)", nullptr, static_cast<int>(pages.size())));
}

void ReportWindow::printReport() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (PaintReport(printer, currentDocument(), identity()) == 0)
        QMessageBox::warning(this, windowTitle(), tr("The report could not be printed."));
}

void ReportWindow::savePdf() {
    const ReportDocument doc = currentDocument();
    if (doc.file.empty() && doc.blocks.empty()) return;
    std::vector<std::string> taken;
    const QString suggested = Q(BatchFileName(doc.file, 0, taken));
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Report As PDF"), suggested, tr("PDF files (*.pdf)"));
    if (path.isEmpty()) return;
    // The dialog asked before replacing a file; a data set's own file is never replaced.
    RunOutputs outputs(true);
    for (const PhotometricRecord& record : dataSets_.records()) outputs.addInput(record.Filename);
    QString error = QString::fromStdString(outputs.refusal(QFile::encodeName(path).toStdString()));
    if (!error.isEmpty() || !WriteReportPdf(path, doc, identity(), &error))
        QMessageBox::warning(this, windowTitle(), tr("The PDF could not be written: %1").arg(error));
    else
        status_->setText(tr("Saved %1").arg(QFileInfo(path).fileName()));
}

QStringList ReportWindow::writeBatch(const QString& folder, bool interactive) {
    QStringList written;
    const auto& records = dataSets_.records();
    std::unique_ptr<QProgressDialog> progress;
    if (interactive) {
        progress = std::make_unique<QProgressDialog>(tr("Writing reports..."), tr("Cancel"), 0,
                                                     static_cast<int>(records.size()), this);
        progress->setObjectName(QStringLiteral("dlgBatchProgress"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(300);
    }
    const ReportIdentity who = identity();
    std::vector<std::string> taken;
    std::vector<std::string> paths;
    const std::string folderBytes = QFile::encodeName(folder).toStdString();
    for (std::size_t i = 0; i < records.size(); ++i) {
        paths.push_back(folderBytes + "/" + BatchFileName(records[i].Filename, static_cast<int>(i), taken));
    }
    // A report never replaces a data set's own file nor another report of
    // this batch; existing PDFs only when the user says so.
    const int existing = static_cast<int>(std::count_if(paths.begin(), paths.end(), [](const std::string& path) {
        return QFileInfo::exists(QFile::decodeName(path.c_str()));
    }));
    const bool replace = interactive && existing > 0 &&
                         QMessageBox::question(this, windowTitle(),
                                               tr("%n PDF file(s) of this batch already exist in %1. Replace them?",
                                                  nullptr, existing)
                                                   .arg(folder)) == QMessageBox::Yes;
    RunOutputs outputs(replace);
    for (const PhotometricRecord& record : records) outputs.addInput(record.Filename);
    QStringList failed;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (progress) {
            progress->setValue(static_cast<int>(i));
            progress->setLabelText(tr("Writing %1").arg(Q(FileLabel(records[i]))));
            if (progress->wasCanceled()) break;
        }
        const QString path = QFile::decodeName(paths[i].c_str());
        QString error = QString::fromStdString(outputs.refusal(paths[i]));
        if (error.isEmpty() && WriteReportPdf(paths[i], documentFor(records[i]), who, &error)) {
            outputs.addOutput(paths[i], records[i].Filename);
            written << path;
        } else {
            failed << QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), error);
        }
    }
    if (progress) progress->setValue(static_cast<int>(records.size()));
    if (interactive && !failed.isEmpty())
        QMessageBox::warning(this, windowTitle(), tr("Some reports could not be written:\n%1").arg(failed.join('\n')));
    status_->setText(tr("%n PDF file(s) written", nullptr, static_cast<int>(written.size())));
    return written;
}

void ReportWindow::batchPdfs() {
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Folder For The Reports"));
    if (!folder.isEmpty()) writeBatch(folder, true);
}

}  // namespace lumibench::reports
