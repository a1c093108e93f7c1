#include "platform/qt_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

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

    const ButtonSet set = ToQtButtons(request.buttons);
    QWidget* owner = OwnerFor(parent_);
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
