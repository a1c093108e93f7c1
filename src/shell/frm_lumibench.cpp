#include "shell/frm_lumibench.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTimer>
#include <QFontMetrics>
#include <QTextDocument>

#include <cmath>

#include "core/notice_batch.h"
#include "core/record_tables.h"
#include "platform/fit_on_screen.h"
#include "shell/exchange_section.h"
#include "shell/frm_file_info.h"
#include "shell/host_session.h"
#include "shell/list_pane.h"
#include "shell/loaded_files_list_widget.h"
#include "shell/record_summary.h"
#include "shell/recovery_file.h"
#include "shell/window_icon.h"

namespace lumibench {
namespace {

inline constexpr const char* kExitTitle = "LumibenchPE";
inline constexpr const char* kUnsavedExitText =
    "You have unsaved files in your loaded files list. Do you still want to exit?";

char SystemDecimalPoint() {
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 && point.at(0).unicode() < 0x80 ? point.at(0).toLatin1() : '.';
}

// The list's check boxes as the record operations see them.
class ListCheckStates : public CheckStateSource {
public:
    explicit ListCheckStates(const QListWidget& list) : list_(list) {}
    std::size_t lineCount() const override { return static_cast<std::size_t>(list_.count()); }
    bool isChecked(std::size_t line) const override {
        return list_.item(static_cast<int>(line))->checkState() == Qt::Checked;
    }

private:
    const QListWidget& list_;
};

}  // namespace

frmLumibench::frmLumibench(HostSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session) {
    setObjectName("frmLumibench");
    setWindowTitle(QString::fromStdString(session_.caption));
    setWindowIcon(ApplicationIcon());
    setAttribute(Qt::WA_DeleteOnClose, false);

    menuBar();

    auto* client = new QWidget(this);
    client->setObjectName("picClient");
    auto* clientLayout = new QHBoxLayout(client);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->setSpacing(0);
    pane_ = new ListPane(client);
    pane_->anyToolWindowOpen = [this] {
        return session_.tools.anyToolWindowOpen && session_.tools.anyToolWindowOpen();
    };
    auto* toolArea = new QWidget(client);
    toolArea->setObjectName("picToolArea");
    clientLayout->addWidget(pane_);
    clientLayout->addWidget(toolArea, 1);
    setCentralWidget(client);

    list_ = pane_->list();
    summary_ = pane_->summary();
    list_->setIconSize(QSize(16, 16));

    connect(list_, &LoadedFilesListWidget::filesDropped, this, &frmLumibench::LoadDroppedFiles);
    connect(list_, &LoadedFilesListWidget::linePressed, this, [this](int row, bool leftButton) {
        clickRules_.pressed(row >= 0 ? std::optional<std::size_t>(row) : std::nullopt, leftButton);
        ShowRecordSummary();
    });
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!rebuilding_) {
            ShowRecordSummary();
        }
    });
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!rebuilding_) {
            checkBoxChanged(list_->row(item), !settingChecks_);
        }
    });
    connect(list_, &LoadedFilesListWidget::leftButtonReleased, this,
            &frmLumibench::leftButtonReleased);
    connect(pane_, &ListPane::dragFinished, this, &frmLumibench::SaveLayout);

    // With no stored width the pane starts wide enough for the summary in
    // this desktop's font; a stored width is the user's and is kept.
    pane_->setWidthTwips(startingPaneWidthTwips());
    updatePlaceholder();
    RestoreLayout();
}

int frmLumibench::startingPaneWidthTwips() const {
    const QFontMetrics metrics(summary_->font());
    int text = 0;
    for (const char* line : kWideSummaryLines) {
        text = std::max(text, metrics.horizontalAdvance(QString::fromLatin1(line)));
    }
    const int chrome = 2 * summary_->frameWidth() +
                       static_cast<int>(2 * summary_->document()->documentMargin()) +
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    return StartingPaneWidthTwips(text, chrome, pane_->twipsPerPixel());
}

void frmLumibench::updatePlaceholder() {
    list_->setPlaceholderText(QString::fromStdString(
        EmptyListPlaceholder(session_.catalogue.indexOf(kOpenToolName) > 0)));
}

void frmLumibench::selectLine(std::size_t row) {
    if (static_cast<int>(row) < list_->count()) {
        list_->setCurrentRow(static_cast<int>(row), QItemSelectionModel::ClearAndSelect);
    }
}

frmLumibench::~frmLumibench() = default;

void frmLumibench::LoadPhotometricFile(const std::string& path,
                                       std::optional<std::string_view> tail) {
    if (const auto line = lumibench::LoadPhotometricFile(session_, path, tail)) {
        RefreshLoadedFilesList();
        selectLine(*line);
    }
}

void frmLumibench::LoadDroppedFiles(const std::vector<std::string>& paths) {
    DropResult result;
    {
        NoticeBatch::Scope notices(session_.messages);
        result = lumibench::LoadDroppedFiles(session_, paths);
    }
    if (result.loaded > 0) {
        RefreshLoadedFilesList();
        if (result.lastLine) {
            selectLine(*result.lastLine);
        }
    }
}

void frmLumibench::RefreshLoadedFilesList() {
    // No StoreCheckStates here: every check box change reaches its record at
    // once (checkBoxChanged), while a record just loaded or replaced carries
    // its own new state that the old line must not overwrite.
    rebuilding_ = true;
    list_->clear();
    clickRules_.listRebuilt();
    // A "modified" mark, not a warning: unsaved data is no fault.
    const QIcon unsavedMark = QIcon::fromTheme(QStringLiteral("document-save"),
                                               style()->standardIcon(QStyle::SP_DialogSaveButton));
    const std::vector<ListLine> lines = ListLines(session_.loaded);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ListLine& line = lines[i];
        auto* item = new QListWidgetItem(QString::fromStdString(line.text));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(line.checked ? Qt::Checked : Qt::Unchecked);
        QString tip = QString::fromStdString(ListLineToolTip(session_.loaded[i], SystemDecimalPoint()));
        if (line.unsavedMark) {
            item->setIcon(unsavedMark);
            tip = tr("Modified, not saved") + QStringLiteral("\n") + tip;
        }
        item->setToolTip(tip);
        list_->addItem(item);
    }
    rebuilding_ = false;
    // Every change of the list passes here: what is unsaved now is kept.
    if (session_.keepUnsaved) session_.keepUnsaved(session_.loaded);
    ShowRecordSummary();
}

void frmLumibench::ShowRecordSummary() {
    // The summary copies the record into a table of its own rather than the
    // shared work table: clicks arrive inside the event-processing waits of a
    // tool start, while the launcher still sends from the work table.
    summary_->clear();
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.size() != 1) {
        return;
    }
    const int row = list_->row(selected.front());
    if (row < 0 || static_cast<std::size_t>(row) >= session_.loaded.size()) {
        return;
    }
    RecordTable record;
    CopyPhotometricRecord(session_.loaded, static_cast<std::size_t>(row), record, 0, false);
    QString text =
        QString::fromStdString(RecordSummaryText(record.front(), SystemDecimalPoint()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    summary_->setPlainText(text);
}

void frmLumibench::checkBoxChanged(int row, bool byUser) {
    if (row < 0 || static_cast<std::size_t>(row) >= session_.loaded.size()) {
        return;
    }
    session_.loaded[static_cast<std::size_t>(row)].Checked =
        list_->item(row)->checkState() == Qt::Checked ? kTrue : kFalse;
    if (!byUser) {
        return;
    }
    // The control toggled its box: that line alone is selected, and the
    // release that follows must not toggle it again.
    list_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    clickRules_.checkBoxClicked();
    ShowRecordSummary();
}

void frmLumibench::leftButtonReleased(int row) {
    const auto line = clickRules_.leftButtonReleased(
        row >= 0 ? std::optional<std::size_t>(row) : std::nullopt);
    if (!line || static_cast<int>(*line) >= list_->count()) {
        return;
    }
    QListWidgetItem* item = list_->item(static_cast<int>(*line));
    settingChecks_ = true;
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    settingChecks_ = false;
}

void frmLumibench::setAllChecks(bool checked) {
    settingChecks_ = true;
    for (int i = 0; i < list_->count(); ++i) {
        list_->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
    settingChecks_ = false;
}

void frmLumibench::storeCheckStates() {
    StoreCheckStates(session_.loaded, ListCheckStates(*list_));
}

void frmLumibench::CheckAllFiles() { setAllChecks(true); }
void frmLumibench::UncheckAllFiles() { setAllChecks(false); }

void frmLumibench::CloseCheckedFiles() {
    StoreCheckStates(session_.loaded, ListCheckStates(*list_));
    if (lumibench::CloseCheckedFiles(session_).closed) {
        RefreshLoadedFilesList();
    }
    ShowRecordSummary();
}

void frmLumibench::ShowFileInformation() {
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.size() != 1) {
        session_.messages.show({kFileInformationTitle,
                                selected.empty() ? kSelectOneFileText : kSelectSingleFileText,
                                MessageIcon::Exclamation, MessageButtons::Ok, true});
        return;
    }
    frmFileInfo dialog(session_, static_cast<std::size_t>(list_->row(selected.front())), this);
    dialog.exec();
}

QRect frmLumibench::normalFrame() const {
    // Minimized or maximized, the window's own size is not the one to come
    // back to: the normal geometry is.
    const bool normal = !(isMinimized() || isMaximized() || isFullScreen());
    if (normal && isVisible()) {
        return frameGeometry();
    }
    QRect client = geometry();
    if (!normal && normalGeometry().isValid()) {
        client = normalGeometry();
    }
    return client.marginsAdded(frameMargins_);
}

void frmLumibench::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The frame's extents are known once the window is on screen.
    QTimer::singleShot(0, this, &frmLumibench::noteFrameMargins);
}

void frmLumibench::noteFrameMargins() {
    if (!isVisible() || isMinimized() || isMaximized() || isFullScreen()) {
        return;
    }
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    if (margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0) {
        return;
    }
    frameMargins_ = margins;
    if (pendingFrame_ && !margins.isNull()) {
        applyPendingFrame();
    }
}

void frmLumibench::applyPendingFrame() {
    if (!pendingFrame_) {
        return;
    }
    // A frame remembered on another screen or at another scale is brought
    // back within the available area.
    const QRect frame = FitFrameInto(*pendingFrame_, AvailableAreaFor(*pendingFrame_));
    // Once the window manager's frame is known the placement is final; a
    // window that starts maximized learns it when it is first restored.
    if (!frameMargins_.isNull()) {
        pendingFrame_.reset();
    }
    // A window's position is that of its frame; its size is that of its inside.
    move(frame.topLeft());
    resize(std::max(1, frame.width() - frameMargins_.left() - frameMargins_.right()),
           std::max(1, frame.height() - frameMargins_.top() - frameMargins_.bottom()));
}

void frmLumibench::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    noteFrameMargins();
}

void frmLumibench::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    noteFrameMargins();
}

WindowLayout frmLumibench::currentLayout() const {
    const double tpp = TwipsPerPixel(logicalDpiX());
    const QRect g = normalFrame();
    const auto twips = [tpp](int pixels) { return static_cast<int>(std::lround(pixels * tpp)); };
    WindowLayout layout;
    layout.width = twips(g.width());
    layout.height = twips(g.height());
    layout.top = twips(g.y());
    layout.left = twips(g.x());
    layout.windowState = isMinimized()   ? static_cast<int>(WindowState::Minimized)
                         : isMaximized() ? static_cast<int>(WindowState::Maximized)
                                         : static_cast<int>(WindowState::Normal);
    layout.displayWidth = pane_->widthTwips();
    return layout;
}

void frmLumibench::RestoreLayout() {
    const WindowLayout layout = ReadLayout(session_.settings, pane_->widthTwips());
    pane_->setWidthTwips(layout.displayWidth);
    const double tpp = TwipsPerPixel(logicalDpiX());
    const auto pixels = [tpp](int twips) { return static_cast<int>(std::lround(twips / tpp)); };
    // The stored size and place are the window's frame in its normal state,
    // also when it starts maximized, so that restoring it goes back there.
    const bool haveSize = layout.width >= 1 && layout.height >= 1;
    if (haveSize) {
        pendingFrame_ = QRect(pixels(layout.left), pixels(layout.top),
                              std::max(1, pixels(layout.width)), std::max(1, pixels(layout.height)));
    }
    switch (PlacementFor(layout)) {
    case WindowPlacement::Maximized:
        if (haveSize) {
            applyPendingFrame();
        }
        setWindowState(windowState() | Qt::WindowMaximized);
        break;
    case WindowPlacement::Normal:
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
        applyPendingFrame();
        break;
    case WindowPlacement::Unchanged:
        pendingFrame_.reset();
        break;
    }
}

void frmLumibench::SaveLayout() { lumibench::SaveLayout(session_.settings, currentLayout()); }

int frmLumibench::paneWidthPixels() const { return pane_->width(); }

void frmLumibench::closeBySystem() {
    closingBySystem_ = true;
    // A question on the screen would hold the close up: it gets its default
    // answer, and the waits it ran in end with it.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (!modal->close()) break;
    }
    close();
}

void frmLumibench::closeEvent(QCloseEvent* event) {
    if (shutDown_) {
        event->accept();
        return;
    }
    StoreCheckStates(session_.loaded, ListCheckStates(*list_));
    if (closingBySystem_) {
        // Nobody is there to answer: what is not saved in a file is kept for
        // the next start instead of being asked about (it is kept already
        // while the host runs; this covers a host that ends during start-up).
        if (session_.keepUnsaved) {
            session_.keepUnsaved(session_.loaded);
        } else if (!session_.userDataFolder.empty()) {
            WriteRecoveryFile(RecoveryFilePath(session_.userDataFolder), OwnRecoverySection(), session_.loaded);
        }
    } else if (AnyUnsavedRecord(session_.loaded)) {
        // No is the default: Enter alone must not throw unsaved data away.
        const MessageAnswer answer = session_.messages.showWithDefault(
            {kExitTitle, kUnsavedExitText, MessageIcon::Exclamation, MessageButtons::YesNo, true},
            MessageAnswer::No);
        // The system may have closed the window while the question was up.
        if (shutDown_) {
            event->accept();
            return;
        }
        if (answer != MessageAnswer::Yes) {
            event->ignore();
            return;
        }
    }
    // A deliberate exit: the user gave up what is unsaved.
    if (!closingBySystem_ && session_.keepUnsaved) session_.keepUnsaved(LoadedFileTable{});
    SaveLayout();
    lumibench::CloseAllTools(session_);
    ReleaseExchangeSection(session_.settings, session_.exchangeSection);
    shutDown_ = true;
    event->accept();
    emit closed();
}

}  // namespace lumibench
