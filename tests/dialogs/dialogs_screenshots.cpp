// Saves a picture of every dialog into a folder, for people to look at.
// Usage: dialogs_screenshots <output folder>; it sits in the program folder.

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>

#include "core/message_sink.h"
#include "dialogs/about_dialog.h"
#include "dialogs/banner_dialog.h"
#include "dialogs/dialogs.h"
#include "dialogs/global_settings.h"
#include "dialogs/help_window.h"
#include "dialogs/hint_window.h"
#include "dialogs/report_viewer.h"
#include "dialogs/system_information_dialog.h"
#include "dialogs/user_information.h"
#include "dialogs/welcome_browser.h"
#include "platform/settings_store.h"

using namespace lumibench;

namespace {

// Without a window manager there are no title bars, so the picture gets a
// strip with the window's caption drawn above it.
QImage WithCaption(QWidget& window) {
    const QPixmap body = window.grab();
    const int strip = 28;
    QImage shot(body.width(), body.height() + strip, QImage::Format_RGB32);
    shot.fill(QColor(52, 66, 86));
    QPainter painter(&shot);
    QFont font = window.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(10, 0, body.width() - 20, strip), Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    painter.drawPixmap(0, strip, body);
    return shot;
}

bool Save(QWidget& window, const QString& folder, const char* name) {
    window.show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    const QString path = folder + "/" + name + ".png";
    const bool saved = WithCaption(window).save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    window.hide();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    MemorySettingsStore store;
    SilentMessageSink messages;
    DialogServices services(store, messages);
    services.programFolder = QCoreApplication::applicationDirPath().toStdString();
    services.userDataFolder = QDir::tempPath().toStdString() + "/lumibench-screenshots";
    services.bannerPath = services.DefaultBannerPath();
    const UserDetails user{"Ann Lee", "Northlight Lighting Design", "12 Harbour Road, Leith", "+44 131 555 0100",
                           "+44 131 555 0101", "ann.lee@northlight.example", "QLN-20417"};
    WriteUserDetails(store, user);
    store.write("Lumibench_PE", "Lumibench_PE", "InputUnits", "2");
    store.write("Lumibench_PE", "Lumibench_PE", "OutputUnits", "1");

    bool ok = true;
    {
        frmGlobalSystemSettings dialog(services);
        ok &= Save(dialog, out, "frmGlobalSystemSettings");
    }
    {
        frmBanner dialog(services);
        ok &= Save(dialog, out, "frmBanner");
    }
    {
        frmHint hint(services);
        hint.setHint(kEuropeanDataHint);
        ok &= Save(hint, out, "frmHint");
    }
    {
        frmLumibenchUserInfo dialog(services);
        ok &= Save(dialog, out, "frmLumibenchUserInfo");
    }
    {
        frmSysInfo dialog(dialogs::CollectSystemFacts(services.programFolder, QGuiApplication::primaryScreen()));
        ok &= Save(dialog, out, "frmSysInfo");
    }
    {
        frmAbout dialog(services);
        ok &= Save(dialog, out, "frmAbout");
    }
    {
        frmReport viewer(services, about_texts::kLicenceCaption,
                         dialogs::ReadAgreementText(services.ProgramFile(bundled_files::kLicence)));
        services.programFolder = services.userDataFolder;  // keep report.txt out of the program folder
        ok &= Save(viewer, out, "frmReport");
    }
    services.programFolder = QCoreApplication::applicationDirPath().toStdString();
    {
        QWidget owner;
        frmWelcomeBrowser* browser = ShowWelcome(&owner, services, QString::fromStdString(WelcomePagePath(services)),
                                                 "https://www.example.com/");
        browser->hide();
        ok &= Save(*browser, out, "frmWelcomeBrowser");
    }
    for (const auto& [topic, name] : {std::pair{1, "frmHelp-1-overview"}, std::pair{23, "frmHelp-23-settings"}}) {
        frmHelp* help = ShowHelpTopicIn(services.programFolder, topic);
        help->hide();
        ok &= Save(*help, out, name);
        help->close();
    }
    return ok ? 0 : 1;
}
