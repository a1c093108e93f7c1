#include "dialogs/hint_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "dialogs/dialog_services.h"
#include "core/message_sink.h"
#include "dialogs/settings_values.h"

namespace lumibench {

std::string HintText(int hintNumber) {
    if (hintNumber != kEuropeanDataHint) return {};
    static const char* const paragraphs[] = {
        "You have selected and loaded European format photometric data (Eulumdat or CIBSE). There are some "
        "important things you need to know about this data in order to apply it correctly:",
        "* Roadway type luminaires are typically tested (but not always) such that the zero degree horizontal "
        "plane of photometry (C0) is on the right side of the luminaire parallel to an imaginary curb line (we "
        "will call this a 'curb oriented luminaire'). This differs from IES standard data where the zero degree "
        "horizontal plane is in front of the luminaire or perpendicular to the curb.",
        "* Road Report data will not be correct for a curb oriented luminaire. 'Street Side' is considered to be "
        "from 0-90 degrees and 270-360 degrees. This ends up being the 'right side' of a curb oriented luminaire "
        "(or 270-90 degrees horizontal). The same problem applies to 'House Side'.",
        "* Luminaire tilt is always applied in the zero degree horizontal plane. Therefore, when tilting a curb "
        "oriented luminaire, the luminaire is actually 'rolled'.",
        "IMPORTANT, before you do anything with this data...",
        "* Check the orientation of the data (this can easily be done using the View or Template tools).",
        "* If the data is not oriented correctly, or if you simply wish to reorient the data, use the Convert Tool "
        "and apply the desired orientation angle (this is typically 270 degrees to bring the luminaire to IES "
        "standards).",
        "* Save the file as an IES file when you are done (so you don't overwrite the original file)!",
    };
    std::string text;
    for (int i = 0; i < 8; ++i) {
        text += paragraphs[i];
        if (i < 7) text += "\r\n";
        if (i < 4) text += "\r\n";
    }
    return text;
}

bool HintEnabled(DialogServices& services, int hintNumber) {
    return dialogs::ReadFlag(services.store, dialog_keys::kHints, std::to_string(hintNumber), true);
}

void CloseHint(DialogServices& services, int hintNumber, bool dontShowAgain) {
    if (!dontShowAgain) return;
    dialogs::WriteFlag(services.store, dialog_keys::kHints, std::to_string(hintNumber), false);
    if (dialogs::ReadFlag(services.store, dialog_keys::kHints, hint_texts::kShowReactivateMsg, true)) {
        services.messages.show({kApplicationTitle, hint_texts::kReactivateReminder, MessageIcon::Information,
                                MessageButtons::Ok, false});
        dialogs::WriteFlag(services.store, dialog_keys::kHints, hint_texts::kShowReactivateMsg, false);
    }
}

frmHint::frmHint(DialogServices& services, QWidget* parent) : QDialog(parent), services_(services) {
    setObjectName("frmHint");
    setWindowTitle(tr("Hint"));
    setModal(false);
    setWindowFlag(Qt::WindowStaysOnTopHint);

    auto* frame = new QGroupBox;
    frame->setObjectName("fraHint");
    auto* frameLayout = new QVBoxLayout(frame);
    text_ = new QPlainTextEdit;
    text_->setObjectName("txtHint");
    text_->setReadOnly(true);
    frameLayout->addWidget(text_);

    dontShowAgain_ = new QCheckBox(tr(hint_texts::kDontShowAgain));
    dontShowAgain_->setObjectName("chkHint");
    auto* close = new QPushButton(tr("Close"));
    close->setObjectName("cmdOk");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &frmHint::accept);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(dontShowAgain_, 1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(bottom);
    resize(620, 440);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void frmHint::setHint(int hintNumber) {
    services_.currentHint = hintNumber;
    dontShowAgain_->setChecked(false);
    // The stored text keeps CR LF; the box shows plain line breaks.
    text_->setPlainText(QString::fromStdString(HintText(hintNumber)).replace("\r\n", "\n"));
}

void frmHint::done(int result) {
    CloseHint(services_, services_.currentHint, dontShowAgain_->isChecked());
    QDialog::done(result);
}

}  // namespace lumibench
