#pragma once
// The report viewer: shows a rich-text document chosen by its caller, prints
// it, and keeps a copy as "report.txt" when closed.

#include <QDialog>

#include <string>

class QPrinter;
class QTextDocument;
class QTextEdit;

namespace lumibench {

struct DialogServices;

inline constexpr const char* kReportFileName = "report.txt";

namespace dialogs {
// Gives every paragraph of the document the same left indent, in pixels.
void IndentDocument(QTextDocument& document, double pixels);
// Prints the whole document; false when the printer failed.
bool PrintDocument(QTextDocument& document, QPrinter& printer);
}  // namespace dialogs

class frmReport : public QDialog {
    Q_OBJECT
public:
    frmReport(DialogServices& services, const QString& caption, const QString& richText, QWidget* parent = nullptr);

    void printReport();
    // Where closing saved the text, or empty before that or when it failed.
    const std::string& savedPath() const { return savedPath_; }

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void indent();

    DialogServices& services_;
    QTextEdit* report_ = nullptr;
    std::string savedPath_;
};

}  // namespace lumibench
