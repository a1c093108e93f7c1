#include "dialogs/report_viewer.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include "core/atomic_file.h"
#include "dialogs/dialog_services.h"

namespace lumibench {
namespace {

// A quarter inch.
constexpr double kIndentTwips = 360;
constexpr double kTwipsPerInch = 1440;

// QSaveFile writes through a link at the name; this replaces the link instead.
bool SaveText(const std::string& path, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::error_code error;
    return WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                               error);
}

}  // namespace

namespace dialogs {

void IndentDocument(QTextDocument& document, double pixels) {
    QTextCursor cursor(&document);
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setLeftMargin(pixels);
    cursor.mergeBlockFormat(format);
}

bool PrintDocument(QTextDocument& document, QPrinter& printer) {
    document.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

}  // namespace dialogs

frmReport::frmReport(DialogServices& services, const QString& caption, const QString& richText, QWidget* parent)
    : QDialog(parent), services_(services) {
    setObjectName("frmReport");
    setWindowTitle(caption);

    report_ = new QTextEdit;
    report_->setObjectName("rtfReport");
    report_->setReadOnly(true);
    if (Qt::mightBeRichText(richText))
        report_->setHtml(richText);
    else
        report_->setPlainText(richText);

    auto* print = new QPushButton(tr("&Print"));
    print->setObjectName("cmdPrint");
    auto* ok = new QPushButton(tr("OK"));
    ok->setObjectName("cmdOk");
    ok->setDefault(true);
    connect(print, &QPushButton::clicked, this, &frmReport::printReport);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(report_, 1);
    layout->addLayout(buttons);
    resize(640, 520);
}

void frmReport::indent() {
    dialogs::IndentDocument(*report_->document(), kIndentTwips / kTwipsPerInch * report_->logicalDpiX());
}

void frmReport::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    indent();
}

void frmReport::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) indent();
}

void frmReport::printReport() {
    QPrinter printer(QPrinter::HighResolution);
    bool chosen = false;
    if (services_.hooks.choosePrinter) {
        chosen = services_.hooks.choosePrinter(printer, this);
    } else {
        QPrintDialog dialog(&printer, this);
        // No page range or selection; printing to a file stays, as it is the
        // only way to a PDF on a machine without printers.
        dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                          QAbstractPrintDialog::PrintCollateCopies);
        chosen = dialog.exec() == QDialog::Accepted;
    }
    if (chosen) dialogs::PrintDocument(*report_->document(), printer);
}

void frmReport::done(int result) {
    const QString text = report_->toHtml();
    savedPath_.clear();
    for (const std::string& folder : {services_.WritableFolder(), services_.userDataFolder}) {
        const std::string path = folder + "/" + kReportFileName;
        if (!folder.empty() && SaveText(path, text)) {
            savedPath_ = path;
            break;
        }
    }
    QDialog::done(result);
}

}  // namespace lumibench
