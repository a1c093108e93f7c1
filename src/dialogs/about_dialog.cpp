#include "dialogs/about_dialog.h"

#include <QFile>
#include <QFont>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "dialogs/dialog_services.h"
#include "dialogs/image_box.h"
#include "dialogs/report_viewer.h"
#include "dialogs/system_information_dialog.h"
#include "dialogs/user_information.h"

namespace lumibench {
namespace {

const QSize kPictureSize(220, 165);

QLabel* Link(const char* caption, const char* name) {
    auto* label = new QLabel(QString("<a href=\"#\">%1</a>").arg(caption));
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    return label;
}

}  // namespace

namespace dialogs {

std::string AboutVersionText(const ProgramIdentity& identity) {
    return "Version: " + std::to_string(identity.major) + "." + std::to_string(identity.minor) +
           "  Revision: " + std::to_string(identity.revision);
}

std::string AboutUserInfoText(const UserDetails& user) {
    return user.name + "\r\n" + user.companyName + "\r\n" + user.address + "\r\n" + user.voicePhone + "\r\n" +
           user.email + "\r\n" + user.userNumber;
}

QString ReadAgreementText(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

}  // namespace dialogs

frmAbout::frmAbout(DialogServices& services, QWidget* parent) : QDialog(parent), services_(services) {
    setObjectName("frmAbout");
    setWindowTitle(QString("About ") + QString::fromStdString(services_.identity.title));

    agreement_ = new QTextEdit;
    agreement_->setObjectName("rtfAbout");
    agreement_->setReadOnly(true);
    const QString agreement = dialogs::ReadAgreementText(services_.ProgramFile(bundled_files::kLicence));
    if (Qt::mightBeRichText(agreement))
        agreement_->setHtml(agreement);
    else
        agreement_->setPlainText(agreement);

    auto* picture = new dialogs::ImageBox("LEAD1", kPictureSize);
    picture->setFrameShape(QFrame::NoFrame);
    picture->showFile(services_.ProgramFile(bundled_files::kSplash), services_.messages);
    picture->setAccessibleName(tr("Program picture"));
    picture->setFocusPolicy(Qt::NoFocus);

    // Names and details are shown as written: "<b>" or "&" in them is text.
    auto* productName = new QLabel(QString::fromStdString(services_.identity.title));
    productName->setTextFormat(Qt::PlainText);
    productName->setObjectName("labProductName");
    QFont large = productName->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    productName->setFont(large);
    auto* version = new QLabel(QString::fromStdString(dialogs::AboutVersionText(services_.identity)));
    version->setObjectName("labVersion");
    version->setTextFormat(Qt::PlainText);
    const std::string userInfo = dialogs::AboutUserInfoText(ReadUserDetails(services_.store));
    auto* user = new QLabel(QString::fromStdString(userInfo).replace("\r\n", "\n"));
    user->setObjectName("labUserInfo");
    user->setTextFormat(Qt::PlainText);
    user->setTextInteractionFlags(Qt::TextSelectableByMouse);
    user->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* credits = Link(about_texts::kCreditsLink, "labCreditsLink");
    auto* licence = Link(about_texts::kLicenceLink, "labLicenseAgreement");
    connect(credits, &QLabel::linkActivated, this, &frmAbout::openCredits);
    // A link that leads nowhere is not offered.
    credits->setVisible(!services_.creditsAddress.empty());
    connect(licence, &QLabel::linkActivated, this, &frmAbout::showLicence);

    auto* systemInfo = new QPushButton(tr("System &Info..."));
    systemInfo->setObjectName("cmdSysInfo");
    auto* close = new QPushButton(tr("&Close"));
    close->setObjectName("cmdOk");
    close->setDefault(true);
    close->setFocus(Qt::OtherFocusReason);
    connect(systemInfo, &QPushButton::clicked, this, &frmAbout::showSystemInformation);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(productName);
    texts->addWidget(version);
    texts->addSpacing(8);
    texts->addWidget(new QLabel(tr("Licensed to:")));
    texts->addWidget(user);
    texts->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* links = new QVBoxLayout;
    links->addWidget(credits);
    links->addWidget(licence);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(links, 1);
    bottom->addWidget(systemInfo, 0, Qt::AlignBottom);
    bottom->addWidget(close, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(agreement_, 1);
    layout->addLayout(bottom);
    resize(640, 520);
}

void frmAbout::showLicence() {
    frmReport viewer(services_, about_texts::kLicenceCaption, agreement_->toHtml(), this);
    viewer.exec();
}

void frmAbout::showSystemInformation() {
    frmSysInfo dialog(dialogs::CollectSystemFacts(services_.programFolder, screen()), this);
    dialog.exec();
}

void frmAbout::openCredits() { services_.OpenAddress(services_.creditsAddress); }

}  // namespace lumibench
