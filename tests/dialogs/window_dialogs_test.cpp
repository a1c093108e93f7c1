// The welcome browser, the About box, the report viewer and the help window.

#include <QAction>
#include <QCheckBox>
#include <QTest>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextEdit>

#include "dialogs/about_dialog.h"
#include "dialogs/dialogs.h"
#include "dialogs/help_window.h"
#include "dialogs/image_box.h"
#include "dialogs/report_viewer.h"
#include "dialogs/welcome_browser.h"
#include "dialogs_fixture.h"

namespace lumibench {
namespace {

using test::DialogsTest;

template <typename T>
T* Child(QWidget* parent, const char* name) {
    T* child = parent->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

using WelcomeBrowserTest = DialogsTest;

TEST_F(WelcomeBrowserTest, ShowsTheWelcomePageAndNavigates) {
    QWidget owner;
    frmWelcomeBrowser* browser = ShowWelcome(&owner, services, QString::fromStdString(WelcomePagePath(services)),
                                             "https://home.example/");
    ASSERT_NE(browser, nullptr);
    QTextBrowser* page = browser->browser();
    EXPECT_EQ(page->objectName(), "WebBrowser1");
    EXPECT_EQ(page->documentTitle(), "Welcome to Lumibench");
    EXPECT_FALSE(Child<QWidget>(browser, "pgbDownload")->isVisible()) << "hidden once loaded";
    EXPECT_EQ(Child<QCheckBox>(browser, "chkWelcomeForm")->text(),
              "Show this Welcome Browser the next time you start the program");

    // A link into the help pages opens inside; Back returns.
    emit page->anchorClicked(QUrl("help/overview.html"));
    EXPECT_EQ(page->documentTitle(), "Overview");
    Child<QAction>(browser, "Tool_Back")->trigger();
    EXPECT_EQ(page->documentTitle(), "Welcome to Lumibench");
    Child<QAction>(browser, "Tool_Forward")->trigger();
    EXPECT_EQ(page->documentTitle(), "Overview");
    Child<QAction>(browser, "Tool_Refresh")->trigger();
    EXPECT_EQ(page->documentTitle(), "Overview");

    // A web address goes to the web browser.
    Child<QAction>(browser, "Tool_Home")->trigger();
    EXPECT_EQ(openedAddresses, (std::vector<std::string>{"https://home.example/"}));
    EXPECT_EQ(ShowWelcome(&owner, services, browser->URLName, browser->URLHomeName), browser) << "one at a time";
    browser->close();
}

TEST_F(WelcomeBrowserTest, StateAndPlaceAreRemembered) {
    QWidget owner;
    const QString page = QString::fromStdString(WelcomePagePath(services));
    frmWelcomeBrowser* browser = ShowWelcome(&owner, services, page, page);
    const double twips = 1440.0 / browser->logicalDpiX();
    browser->move(40, 60);
    browser->resize(500, 400);
    browser->close();
    EXPECT_EQ(Stored("Startup", "BrowserWindowState"), "0");
    EXPECT_EQ(Stored("Startup", "BrowserLeft"), std::to_string(std::lround(40 * twips)));
    EXPECT_EQ(Stored("Startup", "BrowserTop"), std::to_string(std::lround(60 * twips)));
    EXPECT_EQ(Stored("Startup", "BrowserWidth"), std::to_string(std::lround(500 * twips)));
    EXPECT_EQ(Stored("Startup", "BrowserHeight"), std::to_string(std::lround(400 * twips)));
    EXPECT_EQ(Stored("Startup", "WelcomeForm"), "True");

    // Closed maximised: the state only, the normal place stays.
    browser = ShowWelcome(&owner, services, page, page);
    EXPECT_EQ(browser->pos(), QPoint(40, 60));
    EXPECT_EQ(browser->size(), QSize(500, 400));
    browser->showMaximized();
    ASSERT_TRUE(browser->isMaximized());
    store.write("Lumibench_PE", "Startup", "BrowserLeft", "1234");
    browser->close();
    EXPECT_EQ(Stored("Startup", "BrowserWindowState"), "2");
    EXPECT_EQ(Stored("Startup", "BrowserLeft"), "1234");
    store.write("Lumibench_PE", "Startup", "BrowserLeft", std::to_string(std::lround(40 * twips)));

    browser = ShowWelcome(&owner, services, page, page);
    EXPECT_TRUE(browser->isMaximized());
    EXPECT_EQ(browser->normalGeometry().size(), QSize(500, 400))
        << "restored maximised, it keeps its normal size to return to";
    browser->close();
    store.write("Lumibench_PE", "Startup", "BrowserWindowState", "0");
    browser = ShowWelcome(&owner, services, page, page);
    EXPECT_FALSE(browser->isMaximized());
    EXPECT_EQ(browser->pos(), QPoint(40, 60)) << "the place stored before the maximised close";

    Child<QCheckBox>(browser, "chkWelcomeForm")->setChecked(false);
    browser->close();
    EXPECT_EQ(Stored("Startup", "WelcomeForm"), "False");
    EXPECT_FALSE(services.welcomeFlag);
}

// Escape closes the welcome window as it closes a dialog, and the close
// stores the check box as any close does.
TEST_F(WelcomeBrowserTest, EscapeCloses) {
    QWidget owner;
    const QString page = QString::fromStdString(WelcomePagePath(services));
    frmWelcomeBrowser* browser = ShowWelcome(&owner, services, page, page);
    browser->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(browser, 2000));
    Child<QCheckBox>(browser, "chkWelcomeForm")->setChecked(false);
    QTest::keyClick(browser, Qt::Key_Escape);
    EXPECT_FALSE(browser->isVisible());
    EXPECT_EQ(Stored("Startup", "WelcomeForm"), "False");
}

using AboutTest = DialogsTest;

TEST_F(AboutTest, NoUserDetails) {
    frmAbout about(services);
    EXPECT_EQ(about.windowTitle(), "About Valcourt Lumibench");
    EXPECT_EQ(Child<QLabel>(&about, "labProductName")->text(), "Valcourt Lumibench");
    EXPECT_EQ(Child<QLabel>(&about, "labVersion")->text(), "Version: 1.87  Revision: 0");
    EXPECT_EQ(Child<QLabel>(&about, "labUserInfo")->text(), "\n\n\n\n\n");
    EXPECT_TRUE(Child<dialogs::ImageBox>(&about, "LEAD1")->hasImage()) << "the bundled picture";
    EXPECT_TRUE(Child<QTextEdit>(&about, "rtfAbout")->toPlainText().contains("License Agreement"));
    // The captions carry access keys now; the texts shown are unchanged.
    EXPECT_EQ(Child<QPushButton>(&about, "cmdOk")->text().remove('&'), "Close");
    EXPECT_EQ(Child<QPushButton>(&about, "cmdSysInfo")->text().remove('&'), "System Info...");
    EXPECT_FALSE(Child<QLabel>(&about, "labCreditsLink")->isVisibleTo(&about)) << "no credits address";
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(AboutTest, UserDetailsAreShownAsWritten) {
    const std::vector<std::pair<const char*, const char*>> details = {
        {"UserName", "<b>Ann</b> & Co"}, {"UserCompanyName", "A&amp;B <i>Lights</i>"},
        {"UserEmail", "<script>x</script>"}};
    for (const auto& [key, value] : details) store.write("Lumibench_PE", "Startup", key, value);
    frmAbout about(services);
    auto* user = Child<QLabel>(&about, "labUserInfo");
    EXPECT_EQ(user->textFormat(), Qt::PlainText);
    EXPECT_EQ(user->text(), "<b>Ann</b> & Co\nA&amp;B <i>Lights</i>\n\n\n<script>x</script>\n");
}

TEST_F(AboutTest, LinksAndSystemInformation) {
    store.write("Lumibench_PE", "Startup", "UserName", "Ann");
    store.write("Lumibench_PE", "Startup", "UserNumber", "Q-7");
    services.creditsAddress = "https://credits.example/";
    services.programFolder = scratch.path().toStdString();  // the report viewer writes here
    QFile::copy(QString::fromStdString(test::ProgramFolder() + "/Lumibench_PE-License.rtf"),
                scratch.filePath("Lumibench_PE-License.rtf"));
    frmAbout about(services);
    EXPECT_EQ(Child<QLabel>(&about, "labUserInfo")->text(), "Ann\n\n\n\n\nQ-7");
    EXPECT_FALSE(Child<dialogs::ImageBox>(&about, "LEAD1")->hasImage()) << "no picture in this folder";

    about.openCredits();
    EXPECT_EQ(openedAddresses, (std::vector<std::string>{"https://credits.example/"}));

    QString caption, shown;
    WhenModal([&](QWidget* viewer) {
        caption = viewer->windowTitle();
        shown = viewer->findChild<QTextEdit*>("rtfReport")->toPlainText();
    });
    about.showLicence();
    EXPECT_EQ(caption, "End-User License Agreement");
    EXPECT_EQ(shown, Child<QTextEdit>(&about, "rtfAbout")->toPlainText());
    EXPECT_TRUE(QFile::exists(scratch.filePath("report.txt")));

    QString sysInfo;
    QString focused;
    WhenModal([&](QWidget* dialog) {
        sysInfo = dialog->objectName();
        dialog->activateWindow();
        QApplication::processEvents();
        if (QWidget* focus = dialog->focusWidget()) focused = focus->objectName();
    });
    about.showSystemInformation();
    EXPECT_EQ(sysInfo, "frmSysInfo");
    EXPECT_EQ(focused, "cmdClose") << "the facts are read-only; Close takes the focus";
}

using ReportViewerTest = DialogsTest;

TEST_F(ReportViewerTest, IndentPrintAndSavedCopy) {
    services.programFolder = scratch.path().toStdString();
    frmReport viewer(services, "Caption", "<p>First paragraph</p><p>Second &amp; last</p>");
    EXPECT_EQ(viewer.windowTitle(), "Caption");
    viewer.show();
    auto* text = Child<QTextEdit>(&viewer, "rtfReport");
    const double quarterInch = 0.25 * text->logicalDpiX();
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next())
        EXPECT_DOUBLE_EQ(block.blockFormat().leftMargin(), quarterInch);

    const QString pdf = scratch.filePath("report.pdf");
    services.hooks.choosePrinter = [&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    Child<QPushButton>(&viewer, "cmdPrint")->click();
    QFile printed(pdf);
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(printed.read(5) == "%PDF-");

    QFile(scratch.filePath("report.txt")).open(QIODevice::WriteOnly);  // an older copy is replaced
    viewer.close();
    EXPECT_EQ(viewer.savedPath(), scratch.filePath("report.txt").toStdString());
    QFile saved(scratch.filePath("report.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(saved.readAll());
    EXPECT_TRUE(html.contains("Second &amp; last"));
    EXPECT_TRUE(Qt::mightBeRichText(html));
}

TEST_F(ReportViewerTest, UnwritableProgramFolderSavesInDataFolder) {
    services.programFolder = scratch.filePath("no/such/folder").toStdString();
    frmReport viewer(services, "Caption", "plain text");
    Child<QPushButton>(&viewer, "cmdOk")->click();
    EXPECT_EQ(viewer.savedPath(), services.userDataFolder + "/report.txt");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(viewer.savedPath())));
}

TEST(HelpWindow, OpensEveryUsedTopicAtItsPage) {
    const struct {
        int context;
        const char* page;
        const char* title;
    } rows[] = {{1, "overview.html", "Overview"},
                {7, "index.html", "Contents"},
                {11, "readme.html", "Readme"},
                {13, "banner.html", "The banner image"},
                {22, "user-information.html", "User information"},
                {23, "global-settings.html", "Global System Settings"},
                {999, "index.html", "Contents"}};
    frmHelp* window = nullptr;
    for (const auto& row : rows) {
        frmHelp* shown = ShowHelpTopicIn(test::ProgramFolder(), row.context);
        ASSERT_NE(shown, nullptr);
        if (window) {
            EXPECT_EQ(shown, window) << "one help window";
        }
        window = shown;
        EXPECT_EQ(QFileInfo(shown->browser()->source().toLocalFile()).fileName(), row.page) << row.context;
        EXPECT_EQ(shown->browser()->documentTitle(), row.title);
        EXPECT_GT(shown->browser()->toPlainText().size(), 400) << "real content";
        EXPECT_TRUE(shown->windowTitle().endsWith(row.title));
    }
    window->close();
}

TEST(HelpWindow, MissingHelpSaysSo) {
    frmHelp* window = ShowHelpTopicIn("/nonexistent", 1);
    EXPECT_TRUE(window->browser()->toPlainText().contains("Help is not available"));
    window->close();
}

}  // namespace
}  // namespace lumibench
