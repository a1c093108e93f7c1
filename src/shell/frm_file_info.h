#pragma once
// frmFileInfo: the File Information dialog for one loaded file.

#include <QDialog>

#include <cstddef>
#include <optional>
#include <string>

#include "shell/record_summary.h"

class QPlainTextEdit;
class QPushButton;

namespace lumibench {

struct HostSession;

class frmFileInfo : public QDialog {
    Q_OBJECT

public:
    // `selectedLine` is the first selected line of the list (0-based), if any.
    frmFileInfo(HostSession& session, std::optional<std::size_t> selectedLine,
                QWidget* parent = nullptr);

    // Fills txtFileInfo from the selected record and its file on disk.
    void msbFileInfo();

private:
    HostSession& session_;
    std::optional<std::size_t> selectedLine_;
    QPlainTextEdit* txtFileInfo_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

// A locale's date format with the year written in four digits: a two-digit
// year cannot tell 1926 from 2026.
QString FourDigitYearFormat(QString format);

// The file's date and size, or nullopt when FileExists says it is not there.
std::optional<FileFacts> ReadFileFacts(const std::string& path);

}  // namespace lumibench
