// Global System Settings, hints, User Information and System Information,
// driven through their controls.

#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>

#include "dialogs/banner_dialog.h"
#include "dialogs/dialogs.h"
#include "dialogs/global_settings.h"
#include "dialogs/hint_window.h"
#include "dialogs/image_box.h"
#include "dialogs/image_file.h"
#include "dialogs/support_report.h"
#include "dialogs/system_information_dialog.h"
#include "dialogs/user_information.h"
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

void Click(QWidget* parent, const char* name) {
    if (auto* button = Child<QPushButton>(parent, name)) button->click();
}

using GlobalSettingsTest = DialogsTest;

TEST_F(GlobalSettingsTest, DefaultsOpenAndStoreBack) {
    frmGlobalSystemSettings dialog(services);
    EXPECT_EQ(dialog.windowTitle(), "Global System Settings");
    EXPECT_TRUE(Child<QRadioButton>(&dialog, "optFt")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(&dialog, "optFc")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(&dialog, "chkOpenSuppressWarnings")->isChecked());
    EXPECT_TRUE(dialog.bannerBox()->hasImage()) << "the bundled banner is shown";
    Click(&dialog, "cmdOk");

    EXPECT_EQ(Stored("Tool_Open", "IgnoreWarnings"), "False");
    EXPECT_EQ(Stored("Lumibench_PE", "InputUnits"), "0");
    EXPECT_EQ(Stored("Lumibench_PE", "OutputUnits"), "0");
    EXPECT_EQ(Stored("Lumibench_PE", "BannerFilename"), services.programFolder + "/Lumibench_PE-Banner.jpg");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(GlobalSettingsTest, StoredValuesOpenAndAreStoredInTheirForm) {
    const struct {
        const char* input;
        const char* output;
        const char* ignore;
        const char* inputOption;
        const char* outputOption;
        const char* inputStored;
        const char* outputStored;
        const char* ignoreStored;
    } rows[] = {
        {"1", "1", "True", "optMeters", "optLux", "2", "1", "True"},
        {"2", "0", "False", "optMeters", "optFc", "2", "0", "False"},
        {"-3", "7", "-1", "optMeters", "optLux", "2", "1", "True"},
        {"0", "x", "nonsense", "optFt", "optFc", "0", "0", "False"},
    };
    for (const auto& row : rows) {
        store.write("Lumibench_PE", "Lumibench_PE", "InputUnits", row.input);
        store.write("Lumibench_PE", "Lumibench_PE", "OutputUnits", row.output);
        store.write("Lumibench_PE", "Tool_Open", "IgnoreWarnings", row.ignore);
        frmGlobalSystemSettings dialog(services);
        EXPECT_TRUE(Child<QRadioButton>(&dialog, row.inputOption)->isChecked()) << row.input;
        EXPECT_TRUE(Child<QRadioButton>(&dialog, row.outputOption)->isChecked()) << row.output;
        Click(&dialog, "cmdOk");
        EXPECT_EQ(Stored("Lumibench_PE", "InputUnits"), row.inputStored);
        EXPECT_EQ(Stored("Lumibench_PE", "OutputUnits"), row.outputStored);
        EXPECT_EQ(Stored("Tool_Open", "IgnoreWarnings"), row.ignoreStored);
    }
}

TEST_F(GlobalSettingsTest, ClosingFromTheTitleBarStoresNothing) {
    frmGlobalSystemSettings dialog(services);
    Child<QRadioButton>(&dialog, "optMeters")->setChecked(true);
    Child<QCheckBox>(&dialog, "chkOpenSuppressWarnings")->setChecked(true);
    dialog.close();
    EXPECT_EQ(store.writeCount, 0u);
}

// The banner box opens the Banner Image dialog; what it chose is stored only
// by the settings dialog's OK.
TEST_F(GlobalSettingsTest, BannerChangeIsStoredOnlyWithOk) {
    const std::string first = test::WritePicture(scratch, "first.bmp", {300, 100}, "BMP");
    const std::string second = test::WritePicture(scratch, "second.jpg", {100, 300}, "JPG");
    for (const bool ok : {false, true}) {
        store.write("Lumibench_PE", "Lumibench_PE", "BannerFilename", first);
        services.bannerPath = "program-wide before";
        frmGlobalSystemSettings dialog(services);
        services.hooks.chooseImageFile = [&](QWidget*) { return second; };
        WhenModal([](QWidget* banner) {
            ASSERT_EQ(banner->objectName(), "frmBanner");
            Click(banner, "cmdImport");
            Click(banner, "cmdOk");
        });
        dialog.changeBanner();
        EXPECT_EQ(services.bannerPath, second);
        EXPECT_EQ(dialog.bannerBox()->shownSize(), dialogs::FitImageSize({100, 300}, dialog.bannerBox()->innerSize()));

        Click(&dialog, ok ? "cmdOk" : "cmdCancel");
        EXPECT_EQ(Stored("Lumibench_PE", "BannerFilename"), ok ? second : first);
        if (!ok) {
            EXPECT_EQ(services.bannerPath, "program-wide before");
        }
    }
}

TEST_F(GlobalSettingsTest, ClearedBannerStoresEmptyPath) {
    frmGlobalSystemSettings dialog(services);
    WhenModal([](QWidget* banner) {
        Click(banner, "cmdClear");
        Click(banner, "cmdOk");
    });
    dialog.changeBanner();
    EXPECT_FALSE(dialog.bannerBox()->hasImage());
    Click(&dialog, "cmdOk");
    EXPECT_EQ(Stored("Lumibench_PE", "BannerFilename"), "");
}

TEST_F(GlobalSettingsTest, CancelledBannerDialogLeavesTheBox) {
    frmGlobalSystemSettings dialog(services);
    WhenModal([](QWidget* banner) {
        Click(banner, "cmdClear");
        Click(banner, "cmdCancel");
    });
    dialog.changeBanner();
    EXPECT_TRUE(services.bannerCancelled);
    EXPECT_TRUE(dialog.bannerBox()->hasImage());
    Click(&dialog, "cmdOk");
    EXPECT_FALSE(services.bannerCancelled);
    EXPECT_EQ(Stored("Lumibench_PE", "BannerFilename"), services.DefaultBannerPath());
}

TEST_F(GlobalSettingsTest, HelpButtonsOpenTheirTopics) {
    {
        frmGlobalSystemSettings dialog(services);
        Click(&dialog, "cmdHelp");
    }
    {
        frmLumibenchUserInfo dialog(services);
        Click(&dialog, "cmdHelp");
    }
    {
        frmBanner dialog(services);
        Click(&dialog, "cmdHelp");
    }
    EXPECT_EQ(helpTopics, (std::vector<int>{23, 22, 13}));
}

using HintTest = DialogsTest;

TEST_F(HintTest, ActivateHintsKeepsTheReminderFlag) {
    store.write("Lumibench_PE", "Hints", "1", "False");
    store.write("Lumibench_PE", "Hints", "ShowReactivateMsg", "False");
    frmGlobalSystemSettings dialog(services);
    Click(&dialog, "cmdActivateHints");
    EXPECT_EQ(Stored("Hints", "1"), "True");
    EXPECT_EQ(Stored("Hints", "ShowReactivateMsg"), "False");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Hints");
    EXPECT_EQ(messages.shown[0].text, "All hints have been activated.");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);
}

TEST_F(HintTest, SwitchedOffTwiceRemindsOnce) {
    QWidget owner;
    frmHint* hint = ShowHint(&owner, services, kEuropeanDataHint);
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_FALSE(hint->isModal());
    EXPECT_TRUE(hint->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(hint->windowTitle(), "Hint");
    EXPECT_EQ(Child<QPlainTextEdit>(hint, "txtHint")->toPlainText().toStdString(),
              QString::fromStdString(HintText(1)).replace("\r\n", "\n").toStdString());
    Child<QCheckBox>(hint, "chkHint")->setChecked(true);
    Click(hint, "cmdOk");
    QApplication::processEvents();
    EXPECT_EQ(Stored("Hints", "1"), "False");
    EXPECT_EQ(Stored("Hints", "ShowReactivateMsg"), "False");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, hint_texts::kReactivateReminder);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Information);

    EXPECT_EQ(ShowHint(&owner, services, kEuropeanDataHint), nullptr) << "switched off";

    store.write("Lumibench_PE", "Hints", "1", "True");
    hint = ShowHint(&owner, services, kEuropeanDataHint);
    ASSERT_NE(hint, nullptr);
    Child<QCheckBox>(hint, "chkHint")->setChecked(true);
    hint->close();  // from the title bar
    EXPECT_EQ(Stored("Hints", "1"), "False");
    EXPECT_EQ(messages.shown.size(), 1u) << "the reminder comes once only";
}

TEST_F(HintTest, ClosingWithoutTickStoresNothing) {
    QWidget owner;
    frmHint* hint = ShowHint(&owner, services, kEuropeanDataHint);
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(ShowHint(&owner, services, kEuropeanDataHint), hint) << "one hint window at a time";
    Click(hint, "cmdOk");
    EXPECT_EQ(store.writeCount, 0u);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ShowHint(&owner, services, 5), nullptr);
}

using UserInformationTest = DialogsTest;

TEST_F(UserInformationTest, FieldsRoundTrip) {
    store.write("Lumibench_PE", "Startup", "UserName", "Ann Lee");
    store.write("Lumibench_PE", "Startup", "UserFaxNumber", "555-0101");
    {
        frmLumibenchUserInfo dialog(services);
        EXPECT_EQ(dialog.windowTitle(), "Valcourt Lumibench User Information");
        EXPECT_EQ(Child<QLineEdit>(&dialog, "txtName")->text(), "Ann Lee");
        EXPECT_EQ(Child<QLineEdit>(&dialog, "txtFaxNumber")->text(), "555-0101");
        Child<QLineEdit>(&dialog, "txtName")->setText("Changed");
        Click(&dialog, "cmdCancel");
        EXPECT_EQ(store.writeCount, 2u) << "Cancel writes nothing";
    }
    frmLumibenchUserInfo dialog(services);
    const char* controls[] = {"txtName", "txtCompanyName", "txtAddress", "txtVoiceNumber",
                              "txtFaxNumber", "txtEmail", "txtUserNumber"};
    for (const char* control : controls) Child<QLineEdit>(&dialog, control)->setText(QString(" %1 & co ").arg(control));
    Click(&dialog, "cmdOk");
    const UserDetails stored = ReadUserDetails(store);
    EXPECT_EQ(stored.name, " txtName & co ");
    EXPECT_EQ(stored.companyName, " txtCompanyName & co ");
    EXPECT_EQ(stored.address, " txtAddress & co ");
    EXPECT_EQ(stored.voicePhone, " txtVoiceNumber & co ");
    EXPECT_EQ(stored.faxNumber, " txtFaxNumber & co ");
    EXPECT_EQ(stored.email, " txtEmail & co ");
    EXPECT_EQ(stored.userNumber, " txtUserNumber & co ");
}

using SystemInformationTest = DialogsTest;

TEST_F(SystemInformationTest, ThisMachinesFacts) {
    const dialogs::SystemFacts facts =
        dialogs::CollectSystemFacts(services.programFolder, QGuiApplication::primaryScreen());
    EXPECT_GT(facts.memory.totalPhysical, 0);
    EXPECT_GT(facts.memory.availablePhysical, 0);
    EXPECT_GE(facts.memory.totalVirtual, facts.memory.totalPhysical);
    EXPECT_GT(facts.freeDisk, 0);
    EXPECT_FALSE(facts.processor.empty());
    EXPECT_FALSE(facts.osName.empty());
    EXPECT_EQ(facts.build.rfind("Build ", 0), 0u);
    EXPECT_EQ(facts.servicePack, "None");
    EXPECT_FALSE(facts.videoCard.empty());
    EXPECT_TRUE(QRegularExpression("^\\d+ x \\d+$").match(QString::fromStdString(facts.resolution)).hasMatch())
        << facts.resolution;
    EXPECT_FALSE(facts.fontType.empty());

    frmSysInfo dialog(facts);
    EXPECT_EQ(dialog.windowTitle(), "System Information");
    EXPECT_EQ(Child<QLineEdit>(&dialog, "txtTotalPhysMem")->text(), QString::number(facts.memory.totalPhysical));
    EXPECT_EQ(Child<QLineEdit>(&dialog, "txtDiskSpace")->text(), QString::number(facts.freeDisk));
    EXPECT_EQ(Child<QLineEdit>(&dialog, "txtProcessor")->text().toStdString(), facts.processor);
    EXPECT_EQ(Child<QLineEdit>(&dialog, "txtResolution")->text().toStdString(), facts.resolution);
    EXPECT_EQ(Child<QLineEdit>(&dialog, "txtVideoCard")->text().toStdString(), facts.videoCard);
    for (const char* control : {"txtAvailPhysMem", "txtTotalVirtMem", "txtAvailVirtMem", "txtOS", "txtVerNo",
                                "txtBuild", "txtSP", "txtColorType", "txtFontType"})
        EXPECT_NE(Child<QLineEdit>(&dialog, control), nullptr);
    Click(&dialog, "cmdClose");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(SystemInformationTest, SupportReportOpensTheEscapedAddress) {
    store.write("Lumibench_PE", "Startup", "UserName", "Smith & Sons");
    store.write("Lumibench_PE", "Startup", "UserAddress", "not sent");
    ASSERT_TRUE(SubmitSupportReport(services));
    ASSERT_EQ(openedAddresses.size(), 1u);
    const std::string& address = openedAddresses[0];
    EXPECT_EQ(address.rfind("https://support.example/report?Name=Smith%20%26%20Sons&CompanyName=&", 0), 0u);
    EXPECT_EQ(address.find("not%20sent"), std::string::npos);
    EXPECT_NE(address.find("&OSSP=None&GraphicsCard="), std::string::npos);
}

}  // namespace
}  // namespace lumibench
