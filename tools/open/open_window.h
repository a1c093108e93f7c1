#pragma once
// Tool_Open's window: the chosen files with their check results, a preview
// of the selected one, and the buttons that add, repair and send them.

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "open_logic.h"
#include "sdk/photometric_files.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace lumibench::open {

class PreviewView;

struct OpenEntry {
    std::string chosenPath;  // as the user chose it
    FileLoadResult result;
};

class OpenWindow : public QWidget {
    Q_OBJECT

public:
    struct Settings {
        std::function<std::string(const std::string&)> read;  // a key of the "Tool_Open" section
        std::function<void(const std::string&, const std::string&)> write;
    };
    OpenWindow(HostLink& host, Settings settings, QString title);

    // Loads the files and lists them (what the file dialog does).
    void addFiles(const std::vector<std::string>& paths);
    // Sends every file that loaded; closes the tool through the host when
    // nothing else is left in the list.
    void sendReady();
    void chooseFiles();
    const std::vector<OpenEntry>& entries() const { return entries_; }

private:
    void chooseFolder();
    void repairSelected();
    void removeSelected();
    void showSelected();
    void relist();
    void fillRecentMenu();
    int selectedRow() const;

    HostLink& host_;
    Settings settings_;
    std::vector<OpenEntry> entries_;
    std::size_t hiddenNotices_ = 0;
    bool ignoreWarnings_ = false;

    QListWidget* files_ = nullptr;
    QPlainTextEdit* checkResult_ = nullptr;
    PreviewView* preview_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* repair_ = nullptr;
    QPushButton* remove_ = nullptr;
    QToolButton* recent_ = nullptr;
};

}  // namespace lumibench::open
