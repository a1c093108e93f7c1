#pragma once
// frmLumibench: the main window. The loaded files list and the summary in the
// left pane, the menu bar and the toolbar (filled by the tool host) along the
// top, the tool area on the right.
// The routines other parts call (toolbar commands, the command channel) are
// public members under the system's own names.

#include <QMainWindow>
#include <QMargins>
#include <QRect>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/layout_settings.h"
#include "shell/loaded_files.h"

class QPlainTextEdit;

namespace lumibench {

class ListPane;
class LoadedFilesListWidget;
struct HostSession;

class frmLumibench : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window and restores the layout (the window's load).
    explicit frmLumibench(HostSession& session, QWidget* parent = nullptr);
    ~frmLumibench() override;

    HostSession& session() { return session_; }

    void LoadPhotometricFile(const std::string& path,
                             std::optional<std::string_view> tail = std::nullopt);
    void LoadDroppedFiles(const std::vector<std::string>& paths);
    void RefreshLoadedFilesList();
    void ShowRecordSummary();
    void CheckAllFiles();
    void UncheckAllFiles();
    void CloseCheckedFiles();
    void ShowFileInformation();

    void RestoreLayout();
    void SaveLayout();
    WindowLayout currentLayout() const;

    // The list pane's width in pixels: tools are placed right of it.
    int paneWidthPixels() const;
    ListPane* pane() const { return pane_; }
    // Copies the check boxes into the records (they follow every change already).
    void storeCheckStates();
    // The close of a host that the system ends (SIGTERM, SIGINT, SIGHUP): the
    // shut-down without the unsaved question, unsaved records kept in the
    // recovery file instead.
    void closeBySystem();
    // Says in the empty list where files go; the tool host calls it once the
    // catalogue is read.
    void updatePlaceholder();
    // Selects line `row` alone, so that the summary shows it.
    void selectLine(std::size_t row);

signals:
    // The close was accepted: the program ends with this window.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void checkBoxChanged(int row, bool byUser);
    void leftButtonReleased(int row);
    void setAllChecks(bool checked);
    // The normal-state window including its frame, in pixels.
    QRect normalFrame() const;
    void noteFrameMargins();
    void applyPendingFrame();
    int startingPaneWidthTwips() const;

    HostSession& session_;
    ListPane* pane_ = nullptr;
    LoadedFilesListWidget* list_ = nullptr;
    QPlainTextEdit* summary_ = nullptr;
    ListClickRules clickRules_;
    bool rebuilding_ = false;      // the list is being filled: check changes are ours
    bool settingChecks_ = false;   // a check box is changed by code, not by a click
    bool shutDown_ = false;
    bool closingBySystem_ = false;
    // The frame's extents as last seen in the normal state; a window manager
    // reports them only once the window is shown.
    QMargins frameMargins_;
    // The stored frame to place once the frame's extents are known.
    std::optional<QRect> pendingFrame_;
};

}  // namespace lumibench
