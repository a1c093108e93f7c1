#include "dialogs/dialogs.h"

#include <QGuiApplication>
#include <QPointer>

#include "dialogs/about_dialog.h"
#include "dialogs/banner_dialog.h"
#include "dialogs/global_settings.h"
#include "dialogs/hint_window.h"
#include "dialogs/report_viewer.h"
#include "dialogs/system_facts.h"
#include "dialogs/system_information_dialog.h"
#include "dialogs/user_information.h"
#include "dialogs/welcome_browser.h"

namespace lumibench {

bool ShowGlobalSystemSettings(QWidget* parent, DialogServices& services) {
    frmGlobalSystemSettings dialog(services, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool ShowUserInformation(QWidget* parent, DialogServices& services) {
    frmLumibenchUserInfo dialog(services, parent);
    return dialog.exec() == QDialog::Accepted;
}

void ShowSystemInformation(QWidget* parent, DialogServices& services) {
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    frmSysInfo dialog(dialogs::CollectSystemFacts(services.programFolder, screen), parent);
    dialog.exec();
}

bool ShowBannerImage(QWidget* parent, DialogServices& services) {
    frmBanner dialog(services, parent);
    return dialog.exec() == QDialog::Accepted;
}

void ShowAbout(QWidget* parent, DialogServices& services) {
    frmAbout dialog(services, parent);
    dialog.exec();
}

void ShowReportViewer(QWidget* parent, DialogServices& services, const QString& caption, const QString& richText) {
    frmReport viewer(services, caption, richText, parent);
    viewer.exec();
}

std::string WelcomePagePath(const DialogServices& services) { return services.ProgramFile(bundled_files::kWelcome); }

frmWelcomeBrowser* ShowWelcome(QWidget* parent, DialogServices& services, const QString& urlName,
                               const QString& urlHomeName) {
    static QPointer<frmWelcomeBrowser> open;
    if (open) {
        open->URLName = urlName;
        open->URLHomeName = urlHomeName;
        open->navigate(urlName);
    } else {
        open = new frmWelcomeBrowser(services, parent);
        open->setAttribute(Qt::WA_DeleteOnClose);
        open->URLName = urlName;
        open->URLHomeName = urlHomeName;
        open->restoreLayout();
    }
    open->show();
    open->raise();
    open->activateWindow();
    return open;
}

frmHint* ShowHint(QWidget* parent, DialogServices& services, int hintNumber) {
    if (HintText(hintNumber).empty() || !HintEnabled(services, hintNumber)) return nullptr;
    static QPointer<frmHint> open;
    if (!open) {
        open = new frmHint(services, parent);
        open->setAttribute(Qt::WA_DeleteOnClose);
    }
    open->setHint(hintNumber);
    open->show();
    open->raise();
    return open;
}

}  // namespace lumibench
