#include "open_window.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <filesystem>

#include "diagrams/diagram_painters.h"

namespace lumibench::open {

// The small polar diagram of the selected file.
class PreviewView : public QWidget {
public:
    PreviewView() {
        setObjectName(QStringLiteral("picPreview"));
        setMinimumSize(200, 200);
    }
    void show(const PhotometricRecord* record, const std::string& label) {
        series_.clear();
        if (record) series_.push_back(diagrams::MakeSeries(*record, diagrams::IntensityUnit::Candela, label));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (series_.empty()) return;
        diagrams::DiagramOptions options;
        diagrams::PaintPolarDiagram(p, QRectF(rect()), series_, options);
    }

private:
    std::vector<diagrams::Series> series_;
};

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// A container's photometry goes by its data set's name ("x.gldf – variant").
std::string ShownName(const OpenEntry& e) {
    return e.result.member.empty() ? e.chosenPath : e.result.record.Filename;
}

QString MessagesText(const FileLoadResult& r) {
    QString text;
    for (const auto& m : r.messages) {
        text += (m.line > 0 ? QStringLiteral("Line %1: ").arg(m.line) : QString()) + Q(m.text).trimmed() + "\n";
    }
    if (r.messages.empty() && !r.message.empty()) text += Q(r.message).trimmed() + "\n";
    return text;
}

}  // namespace

OpenWindow::OpenWindow(HostLink& host, Settings settings, QString title) : host_(host), settings_(std::move(settings)) {
    setObjectName(QStringLiteral("frmOpen"));
    setWindowTitle(title);
    resize(820, 480);
    ignoreWarnings_ = ParseFlag(settings_.read("IgnoreWarnings"));

    files_ = new QListWidget;
    files_->setObjectName(QStringLiteral("lstFiles"));
    files_->setIconSize(QSize(16, 16));
    checkResult_ = new QPlainTextEdit;
    checkResult_->setObjectName(QStringLiteral("txtCheckResult"));
    checkResult_->setReadOnly(true);
    preview_ = new PreviewView;
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("labStatus"));

    auto* addFilesButton = new QPushButton(QStringLiteral("&Add Files..."));
    addFilesButton->setObjectName(QStringLiteral("cmdAddFiles"));
    auto* folderButton = new QPushButton(QStringLiteral("Open &Folder..."));
    folderButton->setObjectName(QStringLiteral("cmdOpenFolder"));
    recent_ = new QToolButton;
    recent_->setObjectName(QStringLiteral("cmdRecent"));
    recent_->setText(QStringLiteral("Re&cent"));
    recent_->setPopupMode(QToolButton::InstantPopup);
    recent_->setMenu(new QMenu(recent_));
    remove_ = new QPushButton(QStringLiteral("&Remove"));
    remove_->setObjectName(QStringLiteral("cmdRemove"));
    repair_ = new QPushButton(QStringLiteral("Re&pair..."));
    repair_->setObjectName(QStringLiteral("cmdRepair"));
    send_ = new QPushButton(QStringLiteral("&Open in Lumibench"));
    send_->setObjectName(QStringLiteral("cmdSend"));
    send_->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("cmdClose"));

    auto* buttons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{addFilesButton, folderButton, recent_, remove_, repair_}) buttons->addWidget(w);
    buttons->addStretch();

    auto* right = new QSplitter(Qt::Vertical);
    right->addWidget(checkResult_);
    right->addWidget(preview_);
    right->setStretchFactor(1, 2);
    auto* split = new QSplitter;
    split->addWidget(files_);
    split->addWidget(right);
    split->setSizes({380, 420});

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(send_);
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(split, 1);
    layout->addLayout(bottom);

    connect(addFilesButton, &QPushButton::clicked, this, &OpenWindow::chooseFiles);
    connect(folderButton, &QPushButton::clicked, this, &OpenWindow::chooseFolder);
    connect(remove_, &QPushButton::clicked, this, &OpenWindow::removeSelected);
    connect(repair_, &QPushButton::clicked, this, &OpenWindow::repairSelected);
    connect(send_, &QPushButton::clicked, this, &OpenWindow::sendReady);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(files_, &QListWidget::currentRowChanged, this, &OpenWindow::showSelected);
    connect(recent_->menu(), &QMenu::aboutToShow, this, &OpenWindow::fillRecentMenu);
    relist();
}

int OpenWindow::selectedRow() const {
    const int row = files_->currentRow();
    return row >= 0 && row < static_cast<int>(entries_.size()) ? row : -1;
}

void OpenWindow::chooseFiles() {
    auto* dialog = new QFileDialog(this, QStringLiteral("Open Photometric Files"), Q(settings_.read("LastFolder")));
    dialog->setObjectName(QStringLiteral("dlgOpenFiles"));
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setNameFilters({QStringLiteral("Photometric files (") + Q(NameFilter(PhotometricFileExtensions())) + ")",
                            QStringLiteral("All files (*)")});
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Not exec(): the mailbox keeps being read while the dialog is open.
    connect(dialog, &QFileDialog::filesSelected, this, [this](const QStringList& chosen) {
        std::vector<std::string> paths;
        for (const QString& p : chosen) paths.push_back(S(p));
        // After the dialog has gone: notices may show message boxes.
        QTimer::singleShot(0, this, [this, paths] { addFiles(paths); });
    });
    dialog->open();
}

void OpenWindow::chooseFolder() {
    auto* dialog = new QFileDialog(this, QStringLiteral("Open Folder"), Q(settings_.read("LastFolder")));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& folder) {
        const auto files = FolderFiles(S(folder), PhotometricFileExtensions());
        if (files.empty()) {
            status_->setText(QStringLiteral("No photometric files in ") + folder);
            return;
        }
        QTimer::singleShot(0, this, [this, files] { addFiles(files); });
    });
    dialog->open();
}

void OpenWindow::fillRecentMenu() {
    QMenu* menu = recent_->menu();
    menu->clear();
    for (std::size_t i = 1; i <= kRecentFiles; ++i) {
        const std::string path = settings_.read("RecentFile" + std::to_string(i));
        if (path.empty()) continue;
        QAction* action = menu->addAction(Q(path));
        connect(action, &QAction::triggered, this, [this, path] { addFiles({path}); });
    }
    if (menu->isEmpty()) menu->addAction(QStringLiteral("(none)"))->setEnabled(false);
}

void OpenWindow::addFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    std::vector<std::string> recent;
    for (std::size_t i = 1; i <= kRecentFiles; ++i) recent.push_back(settings_.read("RecentFile" + std::to_string(i)));
    recent = PushRecent(recent, paths);
    for (std::size_t i = 0; i < kRecentFiles; ++i) {
        settings_.write("RecentFile" + std::to_string(i + 1), i < recent.size() ? recent[i] : std::string());
    }
    settings_.write("LastFolder", std::filesystem::path(paths.back()).parent_path().string());

    std::vector<std::string> notices;
    for (const auto& path : paths) {
        // The same file chosen twice is listed once, with its latest result.
        std::erase_if(entries_, [&](const OpenEntry& e) { return e.chosenPath == path; });
        // A GLDF container lists each of its photometries as its own entry.
        for (FileLoadResult& result : LoadPhotometricDataSets(path)) {
            OpenEntry entry{path, std::move(result), false};
            if (std::string text = NoticeFor(path, entry.result, false); !text.empty()) notices.push_back(std::move(text));
            entries_.push_back(std::move(entry));
        }
    }
    relist();
    files_->setCurrentRow(static_cast<int>(entries_.size()) - 1);
    for (const auto& text : notices) notice(text);
}

void OpenWindow::notice(const std::string& text) {
    if (ignoreWarnings_) {
        ++hiddenNotices_;
        relist();
        return;
    }
    QMessageBox::information(this, windowTitle(), Q(text));
}

void OpenWindow::relist() {
    const int keep = files_->currentRow();
    files_->clear();
    std::size_t ready = 0, refused = 0;
    for (const auto& e : entries_) {
        const bool ok = e.result.ok && !e.result.skipped;
        (ok ? ready : refused) += 1;
        QString text = Q(FileName(ShownName(e)));
        if (!ok) {
            const QString reason = e.result.skipped ? QStringLiteral("not a photometric file")
                                                    : MessagesText(e.result).section(QLatin1Char('\n'), 0, 0);
            text += QStringLiteral(" - ") + reason;
        }
        auto* item = new QListWidgetItem(
            style()->standardIcon(ok ? QStyle::SP_DialogApplyButton : QStyle::SP_MessageBoxWarning), text, files_);
        item->setToolTip(Q(e.chosenPath));
    }
    files_->setCurrentRow(std::min(keep, static_cast<int>(entries_.size()) - 1));
    status_->setText(Q(StatusLine(ready, refused, hiddenNotices_)));
    send_->setEnabled(ready > 0);
    remove_->setEnabled(!entries_.empty());
    showSelected();
}

void OpenWindow::showSelected() {
    const int row = selectedRow();
    if (row < 0) {
        checkResult_->clear();
        preview_->show(nullptr, {});
        repair_->setEnabled(false);
        return;
    }
    const OpenEntry& e = entries_[static_cast<std::size_t>(row)];
    QString text = Q(ShownName(e)) + "\n";
    if (!e.result.member.empty()) text += QStringLiteral("Member ") + Q(e.result.member) + "\n";
    if (e.result.skipped) text += QStringLiteral("Not a photometric file: its extension is none the host loads.\n");
    else if (e.result.ok) text += QStringLiteral("Loads.\n");
    else text += QStringLiteral("Refused.\n");
    if (e.result.ok && e.result.member.empty() && e.result.path != e.chosenPath && !e.result.path.empty()) {
        text += QStringLiteral("Read from ") + Q(e.result.path) + "\n";
    }
    text += MessagesText(e.result);
    checkResult_->setPlainText(text);
    preview_->show(e.result.ok ? &e.result.record : nullptr, FileName(ShownName(e)));
    // Fix-ups rewrite a file; a container's members are never rewritten.
    repair_->setEnabled(!e.result.ok && !e.result.skipped && e.result.member.empty());
}

void OpenWindow::removeSelected() {
    const int row = selectedRow();
    if (row < 0) return;
    entries_.erase(entries_.begin() + row);
    relist();
}

void OpenWindow::repairSelected() {
    const int row = selectedRow();
    if (row < 0) return;
    const std::string path = entries_[static_cast<std::size_t>(row)].chosenPath;
    const FixupPlan plan = PlanFixups(path);
    if (!plan.possible) {
        QMessageBox::information(this, windowTitle(),
                                 QStringLiteral("This file cannot be repaired automatically.\n") + Q(plan.reason));
        return;
    }
    QString changes;
    for (const auto& c : plan.changes) {
        changes += (c.line > 0 ? QStringLiteral("Line %1: ").arg(c.line) : QString()) + Q(c.description) + "\n";
    }
    const auto answer = QMessageBox::question(
        this, windowTitle(),
        QStringLiteral("These changes would be written to a \"_Repaired\" copy beside the file; the file itself stays as it is:\n\n") +
            changes + QStringLiteral("\nWrite the repaired copy?"));
    if (answer != QMessageBox::Yes) return;
    OpenEntry& entry = entries_[static_cast<std::size_t>(row)];
    entry.result = ApplyFixups(path);
    entry.fixedUp = entry.result.ok;
    relist();
    if (!entry.result.ok) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("The repaired copy does not load either.\n") +
                                                      MessagesText(entry.result));
        return;
    }
    notice(NoticeFor(path, entry.result, true));
}

void OpenWindow::sendReady() {
    WorkRecordTable records;
    std::vector<OpenEntry> left;
    for (auto& e : entries_) {
        if (e.result.ok && !e.result.skipped) records.push_back(e.result.record);
        else left.push_back(e);
    }
    if (records.empty()) return;
    send_->setEnabled(false);
    status_->setText(QStringLiteral("Sending %1 to Lumibench...").arg(records.size()));
    const SendReport report = SendInBatches(host_, records, left.empty());
    if (!report.complete) {
        // What went out stays out; the rest may be sent again.
        std::size_t skip = report.sent;
        std::vector<OpenEntry> keep;
        for (auto& e : entries_) {
            if (e.result.ok && !e.result.skipped && skip > 0) {
                --skip;
                continue;
            }
            keep.push_back(e);
        }
        entries_ = std::move(keep);
        relist();
        status_->setText(QStringLiteral("Lumibench did not answer; %1 of %2 sent.").arg(report.sent).arg(records.size()));
        return;
    }
    entries_ = std::move(left);
    relist();
    status_->setText(QStringLiteral("%1 sent to Lumibench; %2").arg(report.sent).arg(status_->text()));
}

}  // namespace lumibench::open
