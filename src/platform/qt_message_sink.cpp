#include "platform/qt_message_sink.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QString>
#include <QVBoxLayout>

namespace lumibench {
namespace {

QMessageBox::StandardButton ToQtButton(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Ok: return QMessageBox::Ok;
        case MessageAnswer::Cancel: return QMessageBox::Cancel;
        case MessageAnswer::Yes: return QMessageBox::Yes;
        case MessageAnswer::No: return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

// A box belongs to the window the user is working in: a dialog or a window
// kept above the others would otherwise hide it behind itself.
QWidget* OwnerFor(QWidget* fallback) {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible()) return active;
    return fallback;
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first;
    QMessageBox::StandardButton escape;
};

ButtonSet ToQtButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel:
            return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
        case MessageButtons::YesNo:
            return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No};
        case MessageButtons::YesNoCancel:
            return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                    QMessageBox::Cancel};
        case MessageButtons::Ok:
            break;
    }
    return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
}

MessageAnswer ToAnswer(int result, MessageButtons buttons) {
    switch (result) {
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        default:
            break;
    }
    // A box closed some other way answers as its escape button would.
    switch (buttons) {
        case MessageButtons::Ok:
            return MessageAnswer::Ok;
        case MessageButtons::YesNo:
            return MessageAnswer::No;
        case MessageButtons::OkCancel:
        case MessageButtons::YesNoCancel:
            break;
    }
    return MessageAnswer::Cancel;
}

// A text longer than this (several notices of one load shown together) is
// shown in a scrolling box: a message box would grow past the screen.
constexpr int kScrollingLines = 16;
constexpr int kScrollingCharacters = 1200;

bool NeedsScrolling(const QString& text) {
    return text.count(QLatin1Char('\n')) >= kScrollingLines || text.size() > kScrollingCharacters;
}

QStyle::StandardPixmap IconPixmap(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return QStyle::SP_MessageBoxInformation;
        case MessageIcon::Critical: return QStyle::SP_MessageBoxCritical;
        case MessageIcon::Question: return QStyle::SP_MessageBoxQuestion;
        case MessageIcon::Exclamation:
        case MessageIcon::None: break;
    }
    return QStyle::SP_MessageBoxWarning;
}

// The long notice with an OK button: its icon, then the text in a read-only
// box that scrolls, as wide as a line of a file path.
MessageAnswer ShowScrolling(const MessageRequest& request, const QString& title, const QString& text,
                            QWidget* owner) {
    QDialog box(owner);
    box.setObjectName(QString::fromLatin1(QtMessageSink::kObjectName));
    box.setWindowTitle(title);
    box.setWindowModality(Qt::ApplicationModal);
    auto* icon = new QLabel;
    const int extent = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    icon->setPixmap(box.style()->standardIcon(IconPixmap(request.icon)).pixmap(extent, extent));
    icon->setAlignment(Qt::AlignTop);
    auto* body = new QPlainTextEdit(text);
    body->setObjectName(QStringLiteral("txtNotices"));
    body->setReadOnly(true);
    body->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    body->setMinimumSize(body->fontMetrics().averageCharWidth() * 80, body->fontMetrics().lineSpacing() * 16);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(body, 1);
    auto* layout = new QVBoxLayout(&box);
    layout->addLayout(row, 1);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    box.exec();
    return MessageAnswer::Ok;
}

}  // namespace

MessageAnswer QtMessageSink::show(const MessageRequest& request) { return ask(request, nullptr); }

MessageAnswer QtMessageSink::showWithDefault(const MessageRequest& request, MessageAnswer defaultAnswer) {
    return ask(request, &defaultAnswer);
}

MessageAnswer QtMessageSink::ask(const MessageRequest& request, const MessageAnswer* defaultAnswer) {
    const QString title = QString::fromStdString(
        request.title.empty() ? std::string(kApplicationTitle) : request.title);
    // Messages break lines with CR LF; a label shows a bare CR as a glyph.
    QString text = QString::fromStdString(request.text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QWidget* owner = OwnerFor(parent_);
    if (request.buttons == MessageButtons::Ok && NeedsScrolling(text)) {
        return ShowScrolling(request, title, text, owner);
    }
    const ButtonSet set = ToQtButtons(request.buttons);
    QMessageBox box(ToQtIcon(request.icon), title, text, set.buttons, owner);

    box.setObjectName(QString::fromLatin1(kObjectName));
    // File names in messages may hold '<' and '&'; never read them as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultAnswer != nullptr ? ToQtButton(*defaultAnswer) : set.first);
    box.setEscapeButton(set.escape);
    // There is no system-wide modality here; application-modal is the closest.
    box.setWindowModality(Qt::ApplicationModal);
    if (owner != nullptr && owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    return ToAnswer(box.exec(), request.buttons);
}

}  // namespace lumibench
