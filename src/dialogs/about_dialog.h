#pragma once
// The About box: program name, version, picture, the user's details and the
// end-user agreement, with the way to the System Information dialog.

#include <QDialog>

#include <string>

class QLabel;
class QTextEdit;

namespace lumibench {

struct DialogServices;
struct ProgramIdentity;
struct UserDetails;

namespace about_texts {
inline constexpr const char* kCreditsLink = "View Software Credits (online)";
inline constexpr const char* kLicenceLink = "View the End-user License Agreement";
inline constexpr const char* kLicenceCaption = "End-User License Agreement";
}  // namespace about_texts

namespace dialogs {
// "Version: 1.5  Revision: 2".
std::string AboutVersionText(const ProgramIdentity& identity);
// Name, company, address, telephone, e-mail and user number joined by CR LF.
std::string AboutUserInfoText(const UserDetails& user);
// The agreement file as rich text (or plain text when it is not marked up);
// empty when it cannot be read.
QString ReadAgreementText(const std::string& path);
}  // namespace dialogs

class frmAbout : public QDialog {
    Q_OBJECT
public:
    frmAbout(DialogServices& services, QWidget* parent = nullptr);

    void showLicence();
    void showSystemInformation();
    void openCredits();

private:
    DialogServices& services_;
    QTextEdit* agreement_ = nullptr;
};

}  // namespace lumibench
