// The dialogs' texts and values that need no window: the support report
// address, the machine facts' texts, stored flags and numbers, the help map,
// picture fitting and the hint.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include "core/message_sink.h"
#include "dialogs/about_dialog.h"
#include "dialogs/dialog_services.h"
#include "dialogs/help_window.h"
#include "dialogs/hint_window.h"
#include "dialogs/image_file.h"
#include "dialogs/settings_values.h"
#include "dialogs/report_viewer.h"
#include "dialogs/support_report.h"
#include "dialogs/system_facts.h"
#include "platform/machine_config.h"
#include "platform/sqlite_settings_store.h"
#include "dialogs/user_information.h"
#include "platform/settings_store.h"

namespace lumibench {
namespace {

using namespace dialogs;

TEST(SupportReport, EmptyDetailsSendEveryKeyInOrder) {
    const std::string address = SupportReportAddress("https://support.example/report", {}, {}, {});
    EXPECT_EQ(address,
              "https://support.example/report?Name=&CompanyName=&Telephone=&Email=&UserNumber="
              "&Product=Valcourt%20Lumibench&Version=Version%3A%201.87%20%20Revision%3A%200"
              "&RAM=0&AvailRam=0&VirtMem=0&AvailVirt=0&FreeSpace=0&Color=&Res=&Font=&OS=&OSVer=&OSBuild="
              "&OSSP=&GraphicsCard=&Processor=");
}

TEST(SupportReport, AddressWithQueryGetsAmpersand) {
    const std::string address = SupportReportAddress("https://support.example/r?lang=en", {}, {}, {});
    EXPECT_EQ(address.rfind("https://support.example/r?lang=en&Name=&CompanyName=", 0), 0u) << address;
}

TEST(SupportReport, ValuesAreEscapedAndCannotAddParameters) {
    UserDetails user;
    user.name = "Ann O'Neil";
    user.companyName = "Smith & Sons";
    user.voicePhone = "+1 555 0100";
    user.email = "x@example.com&UserNumber=999";
    user.userNumber = "Zoë#7";
    SystemFacts facts;
    facts.memory = {16000, 8000, 20000, 9000};
    facts.freeDisk = 123456;
    facts.resolution = "1920 x 1080";
    facts.processor = "AMD EPYC = 64/128 cores";
    facts.build = "Build 6.1.0-18-amd64";
    const std::string address = SupportReportAddress("https://s.example/p", user, {}, facts);

    EXPECT_NE(address.find("?Name=Ann%20O%27Neil&CompanyName=Smith%20%26%20Sons&Telephone=%2B1%20555%200100"
                           "&Email=x%40example.com%26UserNumber%3D999&UserNumber=Zo%C3%AB%237&"),
              std::string::npos)
        << address;
    EXPECT_NE(address.find("&RAM=16000&AvailRam=8000&VirtMem=20000&AvailVirt=9000&FreeSpace=123456&"),
              std::string::npos);
    EXPECT_NE(address.find("&Res=1920%20x%201080&"), std::string::npos);

    // Parsed back, every value arrives whole under its own key.
    const QUrlQuery query(QUrl::fromEncoded(QByteArray::fromStdString(address)));
    const auto items = query.queryItems(QUrl::FullyDecoded);
    ASSERT_EQ(items.size(), 21);
    EXPECT_EQ(items[1].second, "Smith & Sons");
    EXPECT_EQ(items[3].second, "x@example.com&UserNumber=999");
    EXPECT_EQ(items[4].second, QString::fromUtf8("Zoë#7"));
    EXPECT_EQ(items[20].second, "AMD EPYC = 64/128 cores");
}

TEST(VersionTexts, MinorVersionForms) {
    const struct {
        int minor;
        const char* support;
        const char* about;
    } rows[] = {{5, "Version: 1.05  Revision: 3", "Version: 1.5  Revision: 3"},
                {0, "Version: 1.00  Revision: 3", "Version: 1.0  Revision: 3"},
                {12, "Version: 1.12  Revision: 3", "Version: 1.12  Revision: 3"}};
    for (const auto& row : rows) {
        const ProgramIdentity identity{"Valcourt Lumibench", 1, row.minor, 3};
        EXPECT_EQ(SupportVersionText(identity), row.support);
        EXPECT_EQ(AboutVersionText(identity), row.about);
    }
}

TEST(SystemFactTexts, DisplayFacts) {
    const std::pair<int, const char*> colours[] = {{4, "16 Colors"},
                                                   {8, "256 Colors"},
                                                   {16, "High Color (16 bit)"},
                                                   {24, "True Color (24 bit)"},
                                                   {32, "True Color (24 bit)"},
                                                   {15, ""},
                                                   {1, ""}};
    for (const auto& [bits, text] : colours) EXPECT_EQ(ColorTypeText(bits), text) << bits;
    const std::pair<int, const char*> fonts[] = {{96, "Small"}, {120, "Large"}, {144, "Custom"}, {72, "Custom"}};
    for (const auto& [dpi, text] : fonts) EXPECT_EQ(FontTypeText(dpi), text) << dpi;
    EXPECT_EQ(ResolutionText(1024, 768), "1024 x 768");
    EXPECT_EQ(BuildText("6.1.0-18-amd64"), "Build 6.1.0-18-amd64");
}

TEST(SystemFactTexts, DisplayReadFromThePhysicalScreen) {
    // Desktop scaling hands Qt a logical 96 dpi and rounded logical sizes.
    struct Row {
        dialogs::ScreenReading screen;
        std::string font;
        std::string resolution;
    };
    const std::vector<Row> rows = {
        {{1920, 1080, 1.0, 96, std::nullopt}, "Small", "1920 x 1080"},
        {{1536, 960, 1.25, 96, std::nullopt}, "Large", "1920 x 1200"},
        {{1707, 1067, 1.5, 96, std::nullopt}, "Custom", "2560 x 1600"},
        {{1707, 1067, 1.5, 96, std::pair<int, int>(2560, 1600)}, "Custom", "2560 x 1600"},
        {{1280, 800, 1.0, 120, std::nullopt}, "Large", "1280 x 800"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(dialogs::FontTypeText(dialogs::PhysicalDotsPerInch(row.screen)), row.font)
            << row.resolution;
        EXPECT_EQ(dialogs::PhysicalResolutionText(row.screen), row.resolution);
    }
}

TEST(SystemFactTexts, ProcessorName) {
    using namespace std::string_literals;
    const std::pair<std::optional<std::string>, std::string> rows[] = {
        {std::nullopt, "Unknown"},
        {"processor\t: 0\nvendor_id\t: GenuineIntel\n", "Unknown"},
        {"processor\t: 0\nmodel name\t: AMD EPYC 7B13   \nflags\t\t: fpu\n", "AMD EPYC 7B13   "},
        {"model name\t:\nmodel name\t: second\n", ""},
        {"model name\t: Cut\0here\n"s, "Cut"},
    };
    for (const auto& [cpuInfo, name] : rows) EXPECT_EQ(ProcessorFromCpuInfo(cpuInfo), name);
}

TEST(SystemFactTexts, MemoryAndOperatingSystem) {
    const MemoryFacts memory = MemoryFromMemInfo(
        "MemTotal:       16303412 kB\nMemFree:          501234 kB\nMemAvailable:    8151706 kB\n"
        "SwapTotal:       2097148 kB\nSwapFree:        1048574 kB\n");
    EXPECT_EQ(memory.totalPhysical, 15921);  // rounded down
    EXPECT_EQ(memory.availablePhysical, 7960);
    EXPECT_EQ(memory.totalVirtual, 17969);
    EXPECT_EQ(memory.availableVirtual, 8984);
    EXPECT_EQ(MemoryFromMemInfo("MemTotal: 2048 kB\nMemFree: 1024 kB\n").availablePhysical, 1);
    EXPECT_EQ(MemoryFromMemInfo("").totalPhysical, 0);

    const OsFacts debian = OsFromOsRelease("PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"
                                           "NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nVERSION=\"12 (bookworm)\"\n");
    EXPECT_EQ(debian.name, "Debian GNU/Linux");
    EXPECT_EQ(debian.versionNumber, "12");
    const OsFacts rolling = OsFromOsRelease("NAME='Rolling'\nVERSION=2024.1\n");
    EXPECT_EQ(rolling.name, "Rolling");
    EXPECT_EQ(rolling.versionNumber, "2024.1");
}

TEST(StoredValues, FlagsAndNumbersWithDefaults) {
    MemorySettingsStore store;
    const std::pair<const char*, bool> flags[] = {{"True", true}, {"true", true},   {" FALSE ", false},
                                                  {"-1", true},   {"0", false},     {"yes", true},
                                                  {"", true},     {"False", false}};
    for (const auto& [text, expected] : flags) {
        store.write(dialog_keys::kApplication, "S", "Flag", text);
        EXPECT_EQ(ReadFlag(store, "S", "Flag", true), expected) << '"' << text << '"';
    }
    EXPECT_FALSE(ReadFlag(store, "S", "Missing", false));
    WriteFlag(store, "S", "Written", false);
    EXPECT_EQ(store.read(dialog_keys::kApplication, "S", "Written"), "False");

    const std::pair<const char*, int> numbers[] = {{"2", 2}, {" 7 ", 7}, {"1.5", 2}, {"abc", -4}, {"70000", -4}, {"", -4}};
    for (const auto& [text, expected] : numbers) {
        store.write(dialog_keys::kApplication, "S", "Number", text);
        EXPECT_EQ(ReadInt16(store, "S", "Number", -4), expected) << '"' << text << '"';
    }
}

TEST(PictureFitting, KeepsProportions) {
    const struct {
        QSize image, box, fitted;
    } rows[] = {
        {{400, 100}, {300, 150}, {300, 75}},   // wide: the box's width
        {{100, 400}, {300, 150}, {38, 150}},   // tall: the box's height
        {{600, 300}, {300, 150}, {300, 150}},  // same proportions
        {{3000, 1}, {300, 150}, {300, 1}},     // never thinner than a pixel
        {{0, 100}, {300, 150}, {}},
        {{100, 100}, {0, 150}, {}},
    };
    for (const auto& row : rows) EXPECT_EQ(FitImageSize(row.image, row.box), row.fitted) << row.image.width();
}

TEST(HintText, ParagraphsAndBreaks) {
    const std::string text = HintText(kEuropeanDataHint);
    EXPECT_EQ(text.rfind("You have selected and loaded European format photometric data (Eulumdat or CIBSE).", 0), 0u);
    EXPECT_NE(text.find("to apply it correctly:\r\n\r\n* Roadway type"), std::string::npos);
    EXPECT_NE(text.find("actually 'rolled'.\r\n\r\nIMPORTANT, before you do anything with this data...\r\n* Check"),
              std::string::npos);
    EXPECT_NE(text.find("Template tools).\r\n* If the data"), std::string::npos);
    EXPECT_TRUE(text.ends_with("(so you don't overwrite the original file)!"));
    EXPECT_TRUE(HintText(2).empty());
}

TEST(AboutUserInfo, JoinsSixDetailsWithCrLf) {
    EXPECT_EQ(AboutUserInfoText({}), "\r\n\r\n\r\n\r\n\r\n");
    UserDetails user{"Ann", "Lights Ltd", "1 High St", "555", "556", "ann@example.com", "Q-1"};
    EXPECT_EQ(AboutUserInfoText(user), "Ann\r\nLights Ltd\r\n1 High St\r\n555\r\nann@example.com\r\nQ-1");
}

TEST(HelpMap, ContextNumbersToPages) {
    const char* map = "# comment\n1 overview.html\n  7\tindex.html  \r\n13 banner.html # trailing\nbad\n22\n";
    EXPECT_EQ(HelpPageForContext(map, 1), "overview.html");
    EXPECT_EQ(HelpPageForContext(map, 7), "index.html");
    EXPECT_EQ(HelpPageForContext(map, 13), "banner.html");
    EXPECT_EQ(HelpPageForContext(map, 22), "index.html");  // no page: the contents
    EXPECT_EQ(HelpPageForContext("", 11), "index.html");
}

// The shipped help: every context number the program uses has a page of its
// own, and no link between the pages is broken.
TEST(HelpMap, ShippedPagesAreComplete) {
    const QString folder = QString(LUMIBENCH_SOURCE_DIR) + "/data/help/";
    QFile mapFile(folder + "context.map");
    ASSERT_TRUE(mapFile.open(QIODevice::ReadOnly));
    const std::string map = mapFile.readAll().toStdString();
    for (int context : {1, 7, 11, 13, 22, 23}) {
        const std::string page = HelpPageForContext(map, context);
        EXPECT_TRUE(QFile::exists(folder + QString::fromStdString(page))) << context;
        if (context != 7) {
            EXPECT_NE(page, "index.html") << context;
        }
    }
    const QStringList pages = QDir(folder).entryList({"*.html"});
    EXPECT_GE(pages.size(), 9);
    const QRegularExpression link("href=\"([^\"#:]+)(#[^\"]*)?\"");
    for (const QString& page : pages) {
        QFile file(folder + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(html.contains("<title>")) << page.toStdString();
        for (auto match = link.globalMatch(html); match.hasNext();) {
            const QString target = match.next().captured(1);
            EXPECT_TRUE(QFile::exists(folder + target)) << page.toStdString() << " -> " << target.toStdString();
        }
    }
}

}  // namespace
}  // namespace lumibench

namespace lumibench {
namespace {

// Unsets a variable for the life of the object, so defaults show.
class WithoutVariable {
public:
    explicit WithoutVariable(const char* name) : name_(name) {
        if (const char* value = std::getenv(name)) saved_ = value;
        unsetenv(name);
    }
    ~WithoutVariable() {
        if (saved_) setenv(name_, saved_->c_str(), 1);
    }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

QString HelpPage(const char* name) {
    QFile file(QString(LUMIBENCH_SOURCE_DIR) + "/data/help/" + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// What the help pages state about files and settings is what the program does.
TEST(HelpPages, FactsMatchTheProgram) {
    const QString readme = HelpPage("readme.html");
    ASSERT_FALSE(readme.isEmpty());
    EXPECT_TRUE(readme.contains(QString("<tt>%1</tt> in the program's folder when that folder is writable")
                                    .arg(kReportFileName)));

    // The machine configuration: the variable, then beside the program, then the system file.
    const WithoutVariable machine("LUMIBENCH_MACHINE_CONFIG");
    const WithoutVariable settings("LUMIBENCH_SETTINGS");
    const QString systemFile = QString::fromStdString(DefaultMachineConfigPath().string());
    const qsizetype variable = readme.indexOf("<tt>LUMIBENCH_MACHINE_CONFIG</tt>");
    const qsizetype beside = readme.indexOf("<tt>machine.ini</tt> in the program's folder");
    const qsizetype system = readme.indexOf("<tt>" + systemFile + "</tt>");
    EXPECT_TRUE(variable >= 0 && beside > variable && system > beside) << variable << " " << beside << " " << system;

    const QString settingsName = QString::fromStdString(DefaultSettingsPath().filename().string());
    EXPECT_TRUE(readme.contains("/lumibench/" + settingsName + "</tt>")) << settingsName.toStdString();

    // The support report carries the details in the address itself.
    const QString userPage = HelpPage("user-information.html");
    EXPECT_FALSE(userPage.contains("Nothing is sent until"));
    EXPECT_TRUE(userPage.contains("travel in the web address"));
}

}  // namespace
}  // namespace lumibench
