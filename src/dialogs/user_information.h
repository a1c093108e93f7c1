#pragma once
// The user's contact details (section "Startup"), shown in the About box and
// sent with the support report.

#include <QDialog>

#include <array>
#include <string>

class QLineEdit;

namespace lumibench {

struct DialogServices;
class SettingsStore;

struct UserDetails {
    std::string name;
    std::string companyName;
    std::string address;
    std::string voicePhone;
    std::string faxNumber;
    std::string email;
    std::string userNumber;

    bool operator==(const UserDetails&) const = default;
};

// One row per detail: settings key, field name and label.
struct UserDetailField {
    const char* key;
    const char* control;
    const char* label;
    std::string UserDetails::*member;
};
extern const std::array<UserDetailField, 7> kUserDetailFields;

UserDetails ReadUserDetails(SettingsStore& store);
void WriteUserDetails(SettingsStore& store, const UserDetails& details);

class frmLumibenchUserInfo : public QDialog {
    Q_OBJECT
public:
    frmLumibenchUserInfo(DialogServices& services, QWidget* parent = nullptr);

    UserDetails shownDetails() const;
    void accept() override;

private:
    DialogServices& services_;
    std::array<QLineEdit*, 7> fields_{};
};

}  // namespace lumibench
