#include "dialogs/user_information.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialog_buttons.h"
#include "dialogs/dialog_services.h"
#include "dialogs/settings_values.h"

namespace lumibench {
namespace {
constexpr int kHelpTopic = 22;
}

const std::array<UserDetailField, 7> kUserDetailFields = {{
    {"UserName", "txtName", "Name", &UserDetails::name},
    {"UserCompanyName", "txtCompanyName", "Company Name", &UserDetails::companyName},
    {"UserAddress", "txtAddress", "Mailing Address", &UserDetails::address},
    {"UserVoicePhone", "txtVoiceNumber", "Voice Number", &UserDetails::voicePhone},
    {"UserFaxNumber", "txtFaxNumber", "Fax Number", &UserDetails::faxNumber},
    {"UserEmail", "txtEmail", "Email Address", &UserDetails::email},
    {"UserNumber", "txtUserNumber", "QLN User Number", &UserDetails::userNumber},
}};

UserDetails ReadUserDetails(SettingsStore& store) {
    UserDetails details;
    for (const auto& field : kUserDetailFields)
        details.*field.member = dialogs::ReadText(store, dialog_keys::kStartup, field.key);
    return details;
}

void WriteUserDetails(SettingsStore& store, const UserDetails& details) {
    for (const auto& field : kUserDetailFields)
        dialogs::WriteText(store, dialog_keys::kStartup, field.key, details.*field.member);
}

frmLumibenchUserInfo::frmLumibenchUserInfo(DialogServices& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setObjectName("frmLumibenchUserInfo");
    setWindowTitle(QString::fromStdString(services_.identity.title) + " User Information");

    const UserDetails details = ReadUserDetails(services_.store);
    auto* frame = new QGroupBox(tr("User Information"));
    auto* form = new QFormLayout(frame);
    for (std::size_t i = 0; i < kUserDetailFields.size(); ++i) {
        const auto& field = kUserDetailFields[i];
        fields_[i] = new QLineEdit(QString::fromStdString(details.*field.member));
        fields_[i]->setObjectName(field.control);
        fields_[i]->setMinimumWidth(320);
        form->addRow(field.label, fields_[i]);
    }

    auto* note = new QLabel(tr("This information is important, please be complete and accurate."));
    note->setWordWrap(true);

    const HelpCancelOkRow row = MakeHelpCancelOkRow();
    QHBoxLayout* buttons = row.layout;
    QPushButton* help = row.help;
    QPushButton* cancel = row.cancel;
    QPushButton* ok = row.ok;

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(note);
    layout->addLayout(buttons);

    connect(help, &QPushButton::clicked, this, [this] { services_.HelpTopic(kHelpTopic); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &frmLumibenchUserInfo::accept);
}

UserDetails frmLumibenchUserInfo::shownDetails() const {
    UserDetails details;
    for (std::size_t i = 0; i < kUserDetailFields.size(); ++i)
        details.*kUserDetailFields[i].member = fields_[i]->text().toStdString();
    return details;
}

void frmLumibenchUserInfo::accept() {
    WriteUserDetails(services_.store, shownDetails());
    QDialog::accept();
}

}  // namespace lumibench
