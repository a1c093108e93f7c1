#include "shell/frm_file_info.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGroupBox>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/record_tables.h"
#include "platform/file_utils.h"
#include "shell/host_session.h"
#include "shell/record_summary.h"

namespace lumibench {

QString FourDigitYearFormat(QString format) {
    if (format.contains(QLatin1String("yyyy"))) {
        return format;
    }
    const qsizetype at = format.indexOf(QLatin1String("yy"));
    if (at >= 0) {
        format.replace(at, 2, QLatin1String("yyyy"));
    }
    return format;
}

std::optional<FileFacts> ReadFileFacts(const std::string& path) {
    if (!FileExists(path)) {
        return std::nullopt;
    }
    const QFileInfo info(QString::fromStdString(path));
    const QDateTime modified = info.lastModified();
    // The general date: the short date and the time with seconds, as the user's locale writes them.
    const QLocale locale = QLocale::system();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    FileFacts facts;
    const QString dateFormat = FourDigitYearFormat(locale.dateFormat(QLocale::ShortFormat));
    facts.lastModifiedText = (locale.toString(modified.date(), dateFormat) +
                              QLatin1Char(' ') + locale.toString(modified.time(), timeFormat.trimmed()))
                                 .toStdString();
    facts.sizeBytes = info.isFile() ? static_cast<std::uintmax_t>(info.size()) : 0;
    return facts;
}

frmFileInfo::frmFileInfo(HostSession& session, std::optional<std::size_t> selectedLine,
                         QWidget* parent)
    : QDialog(parent), session_(session), selectedLine_(selectedLine) {
    setObjectName("frmFileInfo");
    setWindowTitle(QString::fromUtf8(kFileInformationTitle));
    auto* frame = new QGroupBox(this);
    frame->setObjectName("fraFileInfo");
    txtFileInfo_ = new QPlainTextEdit(frame);
    txtFileInfo_->setObjectName("txtFileInfo");
    txtFileInfo_->setReadOnly(true);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(txtFileInfo_);
    cmdClose_ = new QPushButton(tr("&Close"), this);
    cmdClose_->setObjectName("cmdClose");
    cmdClose_->setDefault(true);
    connect(cmdClose_, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(cmdClose_, 0, Qt::AlignRight);
    resize(460, 200);
    msbFileInfo();
}

void frmFileInfo::msbFileInfo() {
    txtFileInfo_->clear();
    if (!selectedLine_ || *selectedLine_ >= session_.loaded.size()) {
        return;
    }
    // A copy of its own, not the shared work table: see ShowRecordSummary.
    RecordTable selected;
    CopyPhotometricRecord(session_.loaded, *selectedLine_, selected, 0, false);
    const PhotometricRecord& record = selected.front();
    const std::string text = FileInformationText(record, ReadFileFacts(record.Filename));
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    txtFileInfo_->setPlainText(shown);
}

}  // namespace lumibench
