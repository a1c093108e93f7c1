#include "dialogs/dialogs.h"

#include <QGuiApplication>

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
    // The window belongs to its parent and is hidden, not destroyed, when
    // closed; without a parent it goes when closed.
    frmWelcomeBrowser* browser =
        parent ? parent->findChild<frmWelcomeBrowser*>("frmWelcomeBrowser", Qt::FindDirectChildrenOnly) : nullptr;
    if (!browser) {
        browser = new frmWelcomeBrowser(services, parent);
        if (!parent) browser->setAttribute(Qt::WA_DeleteOnClose);
    }
    browser->URLName = urlName;
    browser->URLHomeName = urlHomeName;
    if (browser->isVisible()) {
        browser->navigate(urlName);
    } else {
        browser->restoreLayout();
        browser->show();
    }
    browser->raise();
    browser->activateWindow();
    return browser;
}

frmHint* ShowHint(QWidget* parent, DialogServices& services, int hintNumber) {
    if (HintText(hintNumber).empty() || !HintEnabled(services, hintNumber)) return nullptr;
    frmHint* hint = parent ? parent->findChild<frmHint*>("frmHint", Qt::FindDirectChildrenOnly) : nullptr;
    if (!hint) {
        hint = new frmHint(services, parent);
        if (!parent) hint->setAttribute(Qt::WA_DeleteOnClose);
    }
    hint->setHint(hintNumber);
    hint->show();
    hint->raise();
    return hint;
}

}  // namespace lumibench
