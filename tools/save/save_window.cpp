#include "save_window.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>

#include "core/run_outputs.h"
#include "save_plan.h"
#include "sdk/photometric_files.h"

namespace lumibench::save_tool {
namespace fs = std::filesystem;

namespace {

constexpr const char* kTitle = "Save";
// After the host took a command it reads the slots in the same turn; leave it
// that long before the slots are rewritten for the next data set.
constexpr int kHostReadMs = 300;

QString Q(const std::string& text) { return QString::fromStdString(text); }

void WaitWithEvents(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

SaveWindow::SaveWindow(ToolSession& session, WorkRecordTable records)
    : session_(session), records_(std::move(records)), status_(records_.size()), dialogs_(this) {
    setWindowTitle(Q(session_.windowTitle()));
    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget;
    list_->setObjectName("lstDataSets");
    list_->setHeaderLabels({"Data set", "Format", "Status", "File"});
    list_->setRootIsDecorated(false);
    list_->header()->setStretchLastSection(true);
    layout->addWidget(list_);

    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton("&Save");
    save->setObjectName("cmdSave");
    save->setToolTip("Save each data set to its own file in its own format");
    auto* saveAs = new QPushButton("Save &As...");
    saveAs->setObjectName("cmdSaveAs");
    auto* exportButton = new QPushButton("&Export to Folder...");
    exportButton->setObjectName("cmdExport");
    format_ = new QComboBox;
    format_->setObjectName("cboFormat");
    for (FileFormat format : AllFileFormats()) {
        format_->addItem(Q(std::string(FileFormatTitle(format))), static_cast<int>(format));
    }
    auto* close = new QPushButton("&Close");
    close->setObjectName("cmdClose");
    auto* help = new QPushButton("&Help");
    help->setObjectName("cmdHelp");
    buttons->addWidget(save);
    buttons->addWidget(saveAs);
    buttons->addWidget(exportButton);
    buttons->addWidget(new QLabel("as"));
    buttons->addWidget(format_);
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    notes_ = new QPlainTextEdit;
    notes_->setObjectName("txtNotes");
    notes_->setReadOnly(true);
    notes_->setMaximumHeight(120);
    notes_->setPlaceholderText("What each format could not hold is listed here.");
    layout->addWidget(notes_);

    connect(save, &QPushButton::clicked, this, [this] { saveAll(); });
    connect(saveAs, &QPushButton::clicked, this, [this] { saveAllAs(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { exportAll(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this, [] { tools::ToolDialogs::showHelp("save-tool.html"); });
    resize(640, 360);
    // Data without a file of its own (made by a tool) is not saved anywhere yet.
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (!OwnTargetOf(records_[i])) status_[i] = "not saved";
    }
    refreshList();
}

void SaveWindow::markFirstUnsaved() {
    if (!status_.empty() && status_[0].isEmpty()) status_[0] = "not saved";
    refreshList();
}

void SaveWindow::forget(const std::string& path) {
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (QString::compare(Q(records_[i].Filename), Q(path), Qt::CaseInsensitive) == 0) {
            records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(i));
            status_.erase(status_.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    refreshList();
}

void SaveWindow::refreshList() {
    list_->clear();
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const auto own = OwnTargetOf(records_[i]);
        const QString format = own ? Q(std::string(FileFormatTitle(own->format))) : QString("(asks)");
        auto* item = new QTreeWidgetItem(
            {Q(fs::path(records_[i].Filename).filename().string()), format, status_[i], Q(records_[i].Filename)});
        list_->addTopLevelItem(item);
    }
    if (records_.empty()) list_->addTopLevelItem(new QTreeWidgetItem({"No data sets"}));
    for (int c = 0; c < 3; ++c) list_->resizeColumnToContents(c);
}

void SaveWindow::addNotes(const std::string& file, const std::vector<std::string>& notes) {
    for (const std::string& note : notes) notes_->appendPlainText(Q(fs::path(file).filename().string() + ": " + note));
}

void SaveWindow::tellHost(std::size_t index, const std::string& oldName, bool otherFormat) {
    const auto send = [&](const char* verb, const std::string& extra) {
        session_.writeData({records_[index]});
        session_.sendToHost(verb, extra);
        session_.waitUntilTaken();
        WaitWithEvents(kHostReadMs);
    };
    const bool renamed = oldName != records_[index].Filename;
    send(renamed ? kRenamedVerb : kSavedVerb, renamed ? oldName : std::string());
    if (!renamed && !otherFormat) return;
    FileLoadResult back = LoadPhotometricFile(records_[index].Filename, {.repair = false});
    if (!back.ok) return;
    back.record.Filename = records_[index].Filename;
    records_[index] = std::move(back.record);
    send(kUpdatedVerb, {});
}

SaveWindow::Outcome SaveWindow::write(std::size_t index, const std::string& path, FileFormat format, bool overwrite,
                                      bool tell) {
    const WriteResult result = WritePhotometricFile(records_[index], path, format, overwrite);
    if (!result.ok) {
        status_[index] = "failed: " + Q(result.error);
        dialogs_.tell(kTitle, "Could not save " + Q(result.path) + ":\n" + Q(result.error) +
                                  "\nAny earlier file of that name is unchanged.", true);
        refreshList();
        return Outcome::Failed;
    }
    addNotes(result.path, result.notes);
    status_[index] = "saved as " + Q(std::string(FileFormatTitle(format)));
    if (tell) {
        const std::string oldName = records_[index].Filename;
        const bool otherFormat = OwnFileFormat(records_[index]) != format;
        records_[index].Filename = result.path;
        tellHost(index, oldName, otherFormat);
    }
    refreshList();
    return Outcome::Written;
}

SaveWindow::Outcome SaveWindow::refuse(std::size_t index, const std::string& path, const std::string& why) {
    status_[index] = "not saved: " + Q(why);
    dialogs_.tell(kTitle, "Did not save " + Q(path) + ":\n" + Q(why) + "\nThe file there is unchanged.", true);
    refreshList();
    return Outcome::Failed;
}

SaveWindow::Outcome SaveWindow::saveOne(std::size_t index, bool askName) {
    const PhotometricRecord& record = records_[index];
    const std::optional<OwnTarget> own = OwnTargetOf(record);
    if (own && !askName) return write(index, own->path, own->format, true, true);

    FileFormat initial = own ? own->format : OwnFileFormat(record).value_or(FileFormat::Ies2002);
    QString filter = FilterOf(initial);
    const fs::path name = fs::path(record.Filename).filename();
    const QString folder = own ? Q(fs::path(own->path).parent_path().string()) : lastFolder_;
    const QString start = folder.isEmpty() ? Q(name.string()) : folder + "/" + Q(name.string());
    const QString chosen = dialogs_.saveFileName("Save " + Q(name.string()) + " As", start, FileFilters(), filter);
    if (chosen.isEmpty()) return Outcome::Skipped;
    const std::string chosenBytes = QFile::encodeName(chosen).toStdString();
    const FileFormat format = FormatOfTypedName(chosenBytes, FormatOfFilter(filter).value_or(initial));
    const std::string path = WithExtension(chosenBytes, format);
    lastFolder_ = Q(fs::path(path).parent_path().string());
    // Another data set's own file is never replaced by this one.
    RunOutputs others;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (i != index) others.addInput(records_[i].Filename);
    }
    if (const std::string why = others.conflict(path); !why.empty()) {
        return refuse(index, path, "it is the file of another data set in this list");
    }
    std::error_code ignored;
    bool overwrite = false;
    if (fs::exists(fs::symlink_status(path, ignored))) {
        if (!dialogs_.ask(kTitle, Q(path) + " already exists.\nDo you want to replace it?")) return Outcome::Skipped;
        overwrite = true;
    }
    return write(index, path, format, overwrite, true);
}

void SaveWindow::saveAll() {
    for (std::size_t i = 0; i < records_.size(); ++i) saveOne(i, false);
}

void SaveWindow::saveAllAs() {
    for (std::size_t i = 0; i < records_.size(); ++i) saveOne(i, true);
}

void SaveWindow::exportAll() {
    if (records_.empty()) return;
    const QString folder = dialogs_.folder("Export to Folder", lastFolder_);
    if (folder.isEmpty()) return;
    lastFolder_ = folder;
    const auto format = static_cast<FileFormat>(format_->currentData().toInt());
    std::vector<std::string> paths;
    QStringList existing;
    std::error_code ignored;
    for (const PhotometricRecord& record : records_) {
        paths.push_back(ExportPath(record, QFile::encodeName(folder).toStdString(), format));
        if (fs::exists(fs::symlink_status(paths.back(), ignored))) existing << Q(fs::path(paths.back()).filename().string());
    }
    bool overwrite = false;
    if (!existing.isEmpty()) {
        if (!dialogs_.ask(kTitle, "These files already exist in " + folder + ":\n" + existing.join("\n") +
                                      "\nDo you want to replace them?")) {
            return;
        }
        overwrite = true;
    }
    // An export is a copy: the host's data sets keep their own files, and
    // two data sets of one name do not share one exported file.
    RunOutputs outputs(overwrite);
    for (const PhotometricRecord& record : records_) outputs.addInput(record.Filename);
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (const std::string why = outputs.refusal(paths[i]); !why.empty()) {
            refuse(i, paths[i], why);
        } else if (write(i, paths[i], format, overwrite, false) == Outcome::Written) {
            outputs.addOutput(paths[i], records_[i].Filename);
        }
    }
}

}  // namespace lumibench::save_tool
