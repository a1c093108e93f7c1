// The shell's logic without windows: command line, texts, layout rules,
// exchange section choice, closing files and the click rules.

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "platform/settings_store.h"
#include "shell/command_line.h"
#include "shell/exchange_section.h"
#include "shell/frm_file_info.h"
#include "shell/layout_settings.h"
#include "shell/loaded_files.h"
#include "shell/lumibench_main.h"
#include "shell/record_summary.h"
#include "platform/sqlite_settings_store.h"
#include "shell/recovery_file.h"
#include "shell/recovery_keeper.h"
#include "exchange/host_process.h"

#include <csignal>
#include <sys/wait.h>

#include <unistd.h>
#include <filesystem>

namespace lumibench {
namespace {

TEST(CommandLine, ItemsBecomeFilesAndTools) {
    struct Row {
        std::string text;
        std::vector<std::string> files;
        std::vector<std::string> tools;
    };
    const std::vector<Row> rows = {
        {"", {}, {}},
        {"   ", {}, {}},
        {"/V,/data/a.ies", {"/data/a.ies"}, {"Tool_ViewPE"}},
        {"\"/data/my lamp.ies\", \"/data/b.LDT\",/C,/V",
         {"/data/my lamp.ies", "/data/b.LDT"},
         {"Tool_ComparePE", "Tool_ViewPE"}},
        {"/r,/f,/i,/t", {}, {"Tool_RoadReportPE", "Tool_FloodReportPE", "Tool_IndoorReportPE",
                             "Tool_TemplatePE"}},
        {"/X,/view,,a.ies", {"a.ies"}, {}},
        // An absolute path in the root folder is a file, not a switch.
        {"/lamp.ies", {"/lamp.ies"}, {}},
        {"Mixed/Case.Ies", {"Mixed/Case.Ies"}, {}},
    };
    for (const Row& row : rows) {
        const CommandLineItems items = ParseCommandLine(row.text);
        EXPECT_EQ(items.files, row.files) << row.text;
        EXPECT_EQ(items.toolNames, row.tools) << row.text;
    }
    EXPECT_EQ(JoinArguments({"a.ies", "b c.ldt", "/V"}), "a.ies,b c.ldt,/V");
    EXPECT_EQ(JoinArguments({}), "");
}

TEST(CommandLine, ExistingFilesAreWholeAndPathsAbsolute) {
    // A file manager hands over "my lamp, v2.ies" as one argument; only
    // arguments that are not existing files go through the comma rules.
    const std::set<std::string> existing = {"/data/my lamp, v2.ies", "rel/a,b.ies",
                                            "/data/\"quoted\".ies"};
    const auto isFile = [&existing](const std::string& path) { return existing.count(path) > 0; };
    struct Row {
        std::vector<std::string> arguments;
        std::vector<std::string> files;
        std::vector<std::string> tools;
    };
    const std::vector<Row> rows = {
        {{"/data/my lamp, v2.ies", "/V"}, {"/data/my lamp, v2.ies"}, {"Tool_ViewPE"}},
        {{"/data/\"quoted\".ies"}, {"/data/\"quoted\".ies"}, {}},
        {{"rel/a,b.ies"}, {"/home/u/rel/a,b.ies"}, {}},
        {{"x.ies,../y.ldt", "/c"}, {"/home/u/x.ies", "/home/y.ldt"}, {"Tool_ComparePE"}},
        {{"/V,/data/a.ies"}, {"/data/a.ies"}, {"Tool_ViewPE"}},
        {{"\"/data/my lamp, v2.ies\""}, {"/data/my lamp", "/home/u/v2.ies"}, {}},
        {{"", "  "}, {}, {}},
    };
    for (const Row& row : rows) {
        const CommandLineItems items = ParseArguments(row.arguments, "/home/u", isFile);
        EXPECT_EQ(items.files, row.files) << row.arguments.front();
        EXPECT_EQ(items.toolNames, row.tools) << row.arguments.front();
    }
}

TEST(CommandLine, HelpAndVersionAnswerWithoutStarting) {
    EXPECT_EQ(InformationRequest({"a.ies"}, "lumibench"), std::nullopt);
    EXPECT_EQ(InformationRequest({"a.ies", "--version"}, "lumibench"),
              "Valcourt Lumibench v1.87\n");
    const auto help = InformationRequest({"--help"}, "lumibench");
    ASSERT_TRUE(help);
    for (const char* mention : {"Usage: lumibench", "/V", "/R", "--screenshot", "--version"}) {
        EXPECT_NE(help->find(mention), std::string::npos) << mention;
    }
}

TEST(ListClickRules, OnlyALeftClickOnALineTogglesIt) {
    // Steps: 'L' n = left press on line n, 'E' = left press on no line, 'R' n =
    // right press on line n, 'B' = the control toggled a box, 'u' n / 'U' =
    // left release over line n / over no line (the toggled line expected).
    struct Step {
        char what;
        int line;
        std::optional<std::size_t> toggles;
    };
    struct Row {
        const char* name;
        std::vector<Step> steps;
    };
    const std::vector<Row> rows = {
        {"click on text", {{'L', 2, {}}, {'u', 2, 2u}}},
        {"box click does not toggle twice", {{'L', 1, {}}, {'B', 0, {}}, {'u', 1, {}}}},
        {"release elsewhere", {{'L', 1, {}}, {'u', 3, {}}}},
        {"release on empty space", {{'L', 1, {}}, {'U', 0, {}}}},
        {"right-click then empty space", {{'R', 1, {}}, {'E', 0, {}}, {'U', 0, {}}}},
        {"right-click then release", {{'R', 1, {}}, {'u', 1, {}}}},
        {"empty space after a toggle", {{'L', 0, {}}, {'u', 0, 0u}, {'E', 0, {}}, {'U', 0, {}}}},
        {"second click toggles again", {{'L', 0, {}}, {'u', 0, 0u}, {'L', 0, {}}, {'u', 0, 0u}}},
        {"rebuilt between", {{'L', 0, {}}, {'X', 0, {}}, {'u', 0, {}}}},
    };
    for (const Row& row : rows) {
        ListClickRules rules;
        for (const Step& step : row.steps) {
            const auto line = static_cast<std::size_t>(step.line);
            switch (step.what) {
            case 'L': rules.pressed(line, true); break;
            case 'R': rules.pressed(line, false); break;
            case 'E': rules.pressed(std::nullopt, true); break;
            case 'B': rules.checkBoxClicked(); break;
            case 'X': rules.listRebuilt(); break;
            case 'u': EXPECT_EQ(rules.leftButtonReleased(line), step.toggles) << row.name; break;
            case 'U': EXPECT_EQ(rules.leftButtonReleased(std::nullopt), step.toggles) << row.name; break;
            }
        }
    }
}

TEST(LoadedFilesList, PlaceholderAndToolTip) {
    EXPECT_EQ(EmptyListPlaceholder(false), "Drop photometric files here");
    EXPECT_EQ(EmptyListPlaceholder(true), "Drop photometric files here, or use File > Open");
    PhotometricRecord record;
    record.Filename = "/lamps/contentpm__very_long_name_17.ies";
    record.VertAngleCount = 19;
    record.Saved = kTrue;
    const std::string tip = ListLineToolTip(record);
    EXPECT_EQ(tip.rfind(record.Filename + "\n\ncontentpm__very_long_name_17\n", 0), 0u) << tip;
    EXPECT_NE(tip.find("\n#Vert. Angles=19\n"), std::string::npos) << tip;
    EXPECT_EQ(tip.find('\r'), std::string::npos);
}

TEST(Layout, StartingPaneWidthFitsTheFont) {
    struct Row {
        int textPixels;
        int chromePixels;
        double twipsPerPixel;
        int twips;
    };
    const std::vector<Row> rows = {
        {60, 20, 15, 1752},             // a small font keeps the designed width
        {140, 30, 15, 170 * 15 + 120},  // DejaVu at 96 dpi needs more
        {140, 30, 12, 170 * 12 + 120},  // 120 dpi
        {100000, 0, 15, 57600},         // never beyond the stored-width ceiling
        {-5, -5, 15, 1752},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(StartingPaneWidthTwips(row.textPixels, row.chromePixels, row.twipsPerPixel),
                  row.twips)
            << row.textPixels;
    }
}

TEST(RecordSummary, FileDatesShowFourDigitYears) {
    const std::vector<std::pair<QString, QString>> rows = {
        {"M/d/yy", "M/d/yyyy"},          // US English
        {"dd.MM.yy", "dd.MM.yyyy"},
        {"yy-MM-dd", "yyyy-MM-dd"},
        {"dd/MM/yyyy", "dd/MM/yyyy"},    // already four digits
        {"d MMM", "d MMM"},              // no year at all
    };
    for (const auto& [format, expected] : rows) {
        EXPECT_EQ(FourDigitYearFormat(format), expected) << format.toStdString();
    }
}

TEST(RecordSummary, BaseNameAndNumberTexts) {
    EXPECT_EQ(BaseName("/ies/wall.ies"), "wall");
    EXPECT_EQ(BaseName("/a/lamp.old.ies"), "lamp");
    EXPECT_EQ(BaseName("/data.old/lamp"), "lamp");
    EXPECT_EQ(BaseName("noext"), "noext");
    EXPECT_EQ(BaseName("/a/.hidden"), "");

    const std::vector<std::pair<float, std::string>> singles = {
        {0.5f, "0.5"}, {1250.0f, "1250"}, {-1.0f, "-1"}, {0.0f, "0"}, {-0.0f, "0"},
        {1.2f, "1.2"}, {3000.0f, "3000"}, {1234567.0f, "1234567"}, {0.1f, "0.1"},
        {1.5e7f, "1.5E+07"}, {2.5e-5f, "2.5E-05"},
    };
    for (const auto& [value, text] : singles) {
        EXPECT_EQ(SummaryNumber(value), text) << value;
    }
    EXPECT_EQ(SummaryNumber(0.5f, ','), "0,5");
    EXPECT_EQ(SummaryNumber(std::int16_t{-1}), "-1");
}

PhotometricRecord WallRecord() {
    PhotometricRecord r;
    r.Filename = "/ies/wall.ies";
    r.Saved = kTrue;
    r.TiltIncl = 0;
    r.LampCount = 1;
    r.LumensPerLamp = 3000;
    r.CandelaMultiplier = 1;
    r.PhotometricType = 1;
    r.UnitsType = 1;
    r.Width = 0.5f;
    r.Length = 1.2f;
    r.Height = 0;
    r.InputWatts = 36;
    r.VertAngleCount = 37;
    r.HorAngleCount = 5;
    return r;
}

TEST(RecordSummary, SummaryLines) {
    PhotometricRecord r = WallRecord();
    EXPECT_EQ(RecordSummaryText(r),
              "wall\r\nTilt=NONE\r\nLamps=1\r\nLumens=3000\r\nMult.=1\r\n"
              "Photo. Type=Type C\r\nUnits. Type=Feet\r\nWidth=0.5\r\nLength=1.2\r\n"
              "Height=0\r\nWatts=36\r\n#Vert. Angles=37\r\n#Hor. Angles=5\r\n");

    r.Saved = kFalse;
    r.TiltIncl = kTrue;
    r.LampGeometry = 2;
    r.TiltPairCount = 3;
    r.PhotometricType = 3;
    r.UnitsType = 2;
    r.LumensPerLamp = -1;
    r.Filename = "/x/lamp.old.ies";
    EXPECT_EQ(RecordSummaryText(r),
              "*** NOT SAVED ***\r\nlamp\r\nTilt=INCLUDE\r\nLamp Geo.=2\r\n#Tilt Factors=3\r\n"
              "Lamps=1\r\nLumens=-1\r\nMult.=1\r\nPhoto. Type=Type A\r\nUnits. Type=Meters\r\n"
              "Width=0.5\r\nLength=1.2\r\nHeight=0\r\nWatts=36\r\n#Vert. Angles=37\r\n"
              "#Hor. Angles=5\r\n");

    // A tilt file, and types without a line of their own.
    r.Saved = kTrue;
    r.TiltIncl = 1;
    r.PhotometricType = 0;
    r.UnitsType = 7;
    const std::string text = RecordSummaryText(r);
    EXPECT_NE(text.find("\r\nTilt=<Filename>\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Photo. Type"), std::string::npos);
    EXPECT_EQ(text.find("Units. Type"), std::string::npos);
}

TEST(RecordSummary, FileInformationTexts) {
    PhotometricRecord r = WallRecord();
    EXPECT_EQ(FileInformationText(r, std::nullopt),
              "No file information available - Data has not been saved.");
    const FileFacts facts{"07/12/2026 08:02:35", 1431};
    EXPECT_EQ(FileInformationText(r, facts),
              "Filename: /ies/wall.ies\r\nLast Modified: 07/12/2026 08:02:35\r\n"
              "File Size: 1431 bytes");
    r.Saved = kFalse;
    EXPECT_EQ(FileInformationText(r, facts),
              "Filename: /ies/wall.ies\r\nLast Modified: 07/12/2026 08:02:35\r\n"
              "File Size: 1431 bytes\r\nNote: This file has been modified and has not been "
              "saved.\r\nDisplayed File Information is for the saved version of the file.");
}

TEST(Layout, ReadWithDefaultsAndCorrections) {
    struct Row {
        std::vector<std::pair<std::string, std::string>> stored;
        WindowLayout expected;
        WindowPlacement placement;
    };
    const std::vector<Row> rows = {
        {{}, {0, 0, 0, 0, 2, 1752}, WindowPlacement::Maximized},
        {{{"WindowState", "1"}, {"Width", "9000"}, {"Height", "6000"}},
         {9000, 6000, 0, 0, 1, 1752}, WindowPlacement::Maximized},
        {{{"WindowState", "0"}, {"Width", "9000"}, {"Height", "6000"}, {"Top", "40000"},
          {"Left", "-32001"}},
         {9000, 6000, 0, 0, 0, 1752}, WindowPlacement::Normal},
        {{{"WindowState", "0"}, {"Width", "9000"}, {"Height", "0"}, {"Top", "-32000"}},
         {9000, 0, -32000, 0, 0, 1752}, WindowPlacement::Maximized},
        {{{"WindowState", "5"}, {"Width", "12.6"}}, {13, 0, 0, 0, 5, 1752},
         WindowPlacement::Unchanged},
        {{{"DisplayWidth", "3000"}}, {0, 0, 0, 0, 2, 3000}, WindowPlacement::Maximized},
        {{{"DisplayWidth", "60000"}}, {0, 0, 0, 0, 2, kMaxPaneWidthTwips}, WindowPlacement::Maximized},
        {{{"DisplayWidth", "50"}}, {0, 0, 0, 0, 2, 1752}, WindowPlacement::Maximized},
        {{{"DisplayWidth", "-4000"}}, {0, 0, 0, 0, 2, 1752}, WindowPlacement::Maximized},
        {{{"DisplayWidth", "wide"}, {"Width", "lots"}}, {0, 0, 0, 0, 2, 1752},
         WindowPlacement::Maximized},
        {{{"DisplayWidth", "1e12"}, {"Height", "1e12"}}, {0, 0, 0, 0, 2, 1752},
         WindowPlacement::Maximized},
    };
    for (const Row& row : rows) {
        MemorySettingsStore store;
        for (const auto& [key, value] : row.stored) {
            store.write("Lumibench_PE", "Startup", key, value);
        }
        const WindowLayout layout = ReadLayout(store, kDesignedPaneWidthTwips);
        EXPECT_EQ(layout, row.expected) << (row.stored.empty() ? "" : row.stored[0].second);
        EXPECT_EQ(PlacementFor(layout), row.placement);
    }

    MemorySettingsStore store;
    const WindowLayout saved{10000, 7000, -120, 300, 0, 2400};
    SaveLayout(store, saved);
    EXPECT_EQ(store.read("Lumibench_PE", "Startup", "Left"), "300");
    EXPECT_EQ(ReadLayout(store, 1752), saved);
}

TEST(Layout, PaneGeometryAndGrip) {
    EXPECT_EQ(PaneGeometryFor(1048), (PaneGeometry{599, 611, 401}));
    EXPECT_EQ(PaneGeometryFor(48), std::nullopt);
    EXPECT_EQ(PaneGeometryFor(49), (PaneGeometry{1, 13, std::nullopt}));

    struct Row {
        int x;
        bool toolOpen;
        bool button;
        PanePointer pointer;
        std::optional<int> width;
    };
    const int pane = 1800;
    const std::vector<Row> rows = {
        {1679, false, true, PanePointer::Arrow, std::nullopt},
        {1680, false, false, PanePointer::SizeWE, std::nullopt},
        {1752, false, true, PanePointer::SizeWE, std::nullopt},
        {1753, false, true, PanePointer::SizeWE, 1753},
        {2500, false, true, PanePointer::SizeWE, 2500},
        {2500, true, true, PanePointer::Unchanged, std::nullopt},
        {100000, false, true, PanePointer::SizeWE, kMaxPaneWidthTwips},
    };
    for (const Row& row : rows) {
        const PaneMouseResult result = PaneMouseMove(row.x, pane, row.toolOpen, row.button);
        EXPECT_EQ(result.pointer, row.pointer) << row.x;
        EXPECT_EQ(result.newPaneWidth, row.width) << row.x;
    }
    EXPECT_DOUBLE_EQ(TwipsPerPixel(96), 15.0);
}

// Locks as several instances would hold them, in one process.
class FakeLocks : public InstanceLocks {
public:
    bool holdFirstInstance() override { return !firstHeld; }
    bool holdSection(int number) override { return held.insert(number).second; }
    bool firstHeld = true;
    std::set<int> held;
};

TEST(ExchangeSection, ChoiceBetweenInstances) {
    MemorySettingsStore store;
    FakeLocks locks;
    locks.firstHeld = false;
    EXPECT_EQ(ChooseExchangeSection(store, locks), "Data Exchange");
    EXPECT_EQ(store.writeCount, 0u);  // the first instance marks nothing
    ReleaseExchangeSection(store, "Data Exchange");
    EXPECT_EQ(store.read("Lumibench_PE", "Data Exchange", "Active"), "False");

    locks.firstHeld = true;
    EXPECT_EQ(ChooseExchangeSection(store, locks), "Data Exchange_1");
    EXPECT_EQ(store.read("Lumibench_PE", "Data Exchange_1", "Active"), "True");
    EXPECT_EQ(ChooseExchangeSection(store, locks), "Data Exchange_2");

    // Marks left by instances that crashed: nobody holds the lock of 3 and 4.
    store.write("Lumibench_PE", "Data Exchange_3", "Active", "True");
    store.write("Lumibench_PE", "Data Exchange_4", "Active", "True");
    EXPECT_EQ(ChooseExchangeSection(store, locks), "Data Exchange_3");

    for (int n = 1; n <= 25; ++n) {
        locks.held.insert(n);
    }
    EXPECT_EQ(ChooseExchangeSection(store, locks), "");
    const std::size_t writes = store.writeCount;
    ReleaseExchangeSection(store, "");
    EXPECT_EQ(store.writeCount, writes);
}

// A host that ended without a clean exit leaves commands in the mailboxes;
// the next host to take the section starts its instances at 1 again, so they
// would take those commands as their own.
TEST(ExchangeSection, TakingASectionEmptiesTheMailboxesLeftInIt) {
    struct Row {
        const char* name;
        bool firstHeld;
        const char* section;
    };
    const Row rows[] = {{"first instance", false, "Data Exchange"},
                        {"numbered section taken back", true, "Data Exchange_1"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MemorySettingsStore store;
        FakeLocks locks;
        locks.firstHeld = row.firstHeld;
        store.write("Lumibench_PE", row.section, "Active", "True");
        store.write("Lumibench_PE", row.section, "LumibenchPE", "SENDNEWDATA,Tool_ViewPE,1");
        store.write("Lumibench_PE", row.section, "Tool_ViewPE|1", "Close");
        store.write("Lumibench_PE", row.section, "Tool_Open|12", "MoveWin,260,0,-1,-1");
        store.write("Lumibench_PE", row.section, "Filename1", "/data/a.ies");
        store.write("Lumibench_PE", "Data Exchange_2", "Tool_ViewPE|1", "Start");  // another host's
        ASSERT_EQ(ChooseExchangeSection(store, locks), row.section);
        for (const char* key : {"LumibenchPE", "Tool_ViewPE|1", "Tool_Open|12"}) {
            EXPECT_EQ(store.read("Lumibench_PE", row.section, key), "") << key;
        }
        EXPECT_EQ(store.read("Lumibench_PE", row.section, "Filename1"), "/data/a.ies");
        EXPECT_EQ(store.read("Lumibench_PE", "Data Exchange_2", "Tool_ViewPE|1"), "Start");
    }
}

PhotometricRecord Named(const std::string& name, bool checked) {
    PhotometricRecord r = WallRecord();
    r.Filename = "/data/" + name;
    r.Checked = checked ? kTrue : kFalse;
    return r;
}

// Unsaved records of a host ended by the system come back once, at the next
// start, when the user wants them; saved ones are in their files already.
TEST(RecoveryFile, UnsavedRecordsComeBackOnceWhenWanted) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("recovery-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto file = RecoveryFilePath(folder);
    LoadedFileTable loaded = {Named("saved.ies", true), Named("new.ies", false), Named("copy.ldt", false)};
    loaded[0].Saved = kTrue;
    loaded[1].Saved = kFalse;
    loaded[1].OptionalData = "line 1\r\nline 2";
    loaded[2].Saved = kFalse;
    for (PhotometricRecord& record : loaded) {
        record.Candela.assign(static_cast<std::size_t>(record.HorAngleCount),
                              std::vector<double>(static_cast<std::size_t>(record.VertAngleCount), 12.5));
    }

    struct Row {
        const char* name;
        MessageAnswer answer;
        std::size_t added;
    };
    const Row rows[] = {{"No leaves the list as it is", MessageAnswer::No, 0},
                        {"Yes adds them unsaved and checked", MessageAnswer::Yes, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(WriteRecoveryFile(file, "Data Exchange", loaded), 2);
        ASSERT_EQ(WriteRecoveryFile(file, "Data Exchange_3", {loaded[1]}), 1);  // a second host
        RecordingMessageSink messages;
        messages.scriptedAnswers.push_back(row.answer);
        LoadedFileTable next = {Named("other.ies", true)};
        next[0].Saved = kTrue;
        // One question for both hosts' records; the same name from two hosts replaces.
        const bool unattended = false;
        EXPECT_EQ(OfferRecoveredRecords(file, next, messages, unattended), row.added);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, std::string(kRecoveryQuestionStart) + "3" + kRecoveryQuestionEnd);
        if (row.answer == MessageAnswer::Yes) {
            ASSERT_EQ(next.size(), 3u);
            EXPECT_EQ(next[1].Filename, "/data/new.ies");
            EXPECT_EQ(next[1].OptionalData, loaded[1].OptionalData);
            EXPECT_EQ(next[1].Saved, kFalse);
            EXPECT_EQ(next[1].Checked, kTrue);
            EXPECT_EQ(next[1].Candela, loaded[1].Candela);
        }
        // Taken: the next start asks nothing.
        EXPECT_TRUE(TakeRecoveredRecords(file).empty());
        EXPECT_EQ(OfferRecoveredRecords(file, next, messages, unattended), 0u);
        EXPECT_EQ(messages.shown.size(), 1u);
    }
    // A question nobody could answer (the system ended the program meanwhile,
    // or it runs unattended) keeps the records for the start after.
    ASSERT_EQ(WriteRecoveryFile(file, "Data Exchange", loaded), 2);
    RecordingMessageSink nobody;
    LoadedFileTable untouched;
    const bool unattended = true;
    EXPECT_EQ(OfferRecoveredRecords(file, untouched, nobody, unattended), 0u);
    EXPECT_TRUE(untouched.empty());
    EXPECT_EQ(TakeRecoveredRecords(file).size(), 2u);
    EXPECT_EQ(WriteRecoveryFile(file, "Data Exchange", {loaded[0]}), 0);  // nothing unsaved: nothing kept
    std::filesystem::remove_all(folder);
}

TEST(LoadedFilesList, AContainerListsEachPhotometryCheckedAndSaved) {
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    const std::filesystem::path container =
        std::filesystem::path(corpus ? corpus : "") / "gldf" / "gldf-rs__SLV - Tria 2.gldf";
    if (!corpus || !std::filesystem::exists(container)) GTEST_SKIP() << "no corpus";
    MemorySettingsStore store;
    RecordingMessageSink messages;
    HostSession session(store, messages);
    session.loaded.push_back(Named("first.ies", false));
    session.loaded[0].Saved = kTrue;

    EXPECT_EQ(LoadPhotometricFile(session, container.string()), std::optional<std::size_t>(1));
    const std::vector<ListLine> expected = {{"first.ies", false, false},
                                            {"gldf-rs__SLV - Tria 2.gldf \u2013 comb Em - no Em - -", false, true},
                                            {"gldf-rs__SLV - Tria 2.gldf \u2013 middle", false, true},
                                            {"gldf-rs__SLV - Tria 2.gldf \u2013 wide", false, true}};
    EXPECT_EQ(ListLines(session.loaded), expected);
    for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(session.loaded[i].Saved, kTrue);
    // Loading it again replaces its lines in place.
    EXPECT_EQ(LoadPhotometricFile(session, container.string()), std::optional<std::size_t>(1));
    EXPECT_EQ(session.loaded.size(), 4u);
    EXPECT_TRUE(messages.shown.empty());
}

// A question that the user (or a kill) leaves unanswered loses nothing: the
// offered records stay in the file while it is up, the host's own copy is
// written before they go, and a running host's records are never offered.
TEST(RecoveryFile, RecordsStayUntilAnsweredAndRunningHostsKeepTheirOwn) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("recovery-asked-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto file = RecoveryFilePath(folder);
    // A host that has ended: a real process, started and killed.
    const pid_t dead = ::fork();
    if (dead == 0) {
        ::pause();
        ::_exit(0);
    }
    ASSERT_GT(dead, 0);
    const auto deadTicks = ProcessStartTicks(dead);
    ::kill(dead, SIGKILL);
    ::waitpid(dead, nullptr, 0);
    ASSERT_TRUE(deadTicks);
    const std::string deadSection = RecoverySectionFor(dead, *deadTicks);
    const std::string ownSection = OwnRecoverySection();
    EXPECT_TRUE(RecoveryOwnerGone(deadSection));
    EXPECT_FALSE(RecoveryOwnerGone(ownSection));

    LoadedFileTable held = {Named("lost.ies", true), Named("mine.ies", true)};
    for (PhotometricRecord& record : held) record.Saved = kFalse;

    // Scripted like a user: what the file holds while the question is up.
    class WatchingSink : public RecordingMessageSink {
    public:
        std::filesystem::path file;
        std::size_t whileAsked = 0;
        MessageAnswer show(const MessageRequest& request) override {
            whileAsked = ReadRecoveredRecords(file).records.size();
            return RecordingMessageSink::show(request);
        }
    };
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        SCOPED_TRACE(answer == MessageAnswer::Yes ? "Yes" : "No");
        ASSERT_EQ(WriteRecoveryFile(file, deadSection, {held[0]}), 1);
        ASSERT_EQ(WriteRecoveryFile(file, ownSection, {held[1]}), 1);  // a host still running
        WatchingSink messages;
        messages.file = file;
        messages.scriptedAnswers.push_back(answer);
        LoadedFileTable next;
        std::size_t offeredWhenKept = 0;
        const bool unattended = false;
        OfferRecoveredRecords(file, next, messages, unattended, [&](const LoadedFileTable& list) {
            offeredWhenKept = ReadRecoveredRecords(file).records.size();
            WriteRecoveryFile(file, "Host 1 1", list);  // the starting host's own copy
        });
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, std::string(kRecoveryQuestionStart) + "1" + kRecoveryQuestionEnd);
        EXPECT_EQ(messages.whileAsked, 1u);
        EXPECT_EQ(offeredWhenKept, 1u);  // still there when the host keeps its own copy
        EXPECT_EQ(next.size(), answer == MessageAnswer::Yes ? 1u : 0u);
        // Answered: the dead host's records are gone, the running host's stay.
        const RecoveredRecords left = ReadRecoveredRecords(file);
        for (const std::string& section : left.sections) EXPECT_NE(section, deadSection);
        auto store = SqliteSettingsStore::Open(file);
        ASSERT_TRUE(store);
        EXPECT_EQ(store->read("Lumibench_PE", ownSection, "Filename1"), "/data/mine.ies");
        RemoveRecoveredSections(file, {"Host 1 1"});
    }
    std::filesystem::remove_all(folder);
}

// The keeper follows the list: unsaved records in, saved and closed ones out,
// nothing after a deliberate exit.
TEST(RecoveryFile, TheKeeperHoldsExactlyTheUnsavedRecords) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("recovery-kept-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto file = RecoveryFilePath(folder);
    const std::string section = "Host 1 2";  // no such host runs: its records read back
    const auto keptNames = [&] {
        auto store = SqliteSettingsStore::Open(file);
        std::vector<std::string> names;
        for (int slot = 1; store && slot <= 25; ++slot) {
            const std::string name = store->read("Lumibench_PE", section, "Filename" + std::to_string(slot));
            if (!name.empty()) names.push_back(name);
        }
        return names;
    };
    RecoveryKeeper keeper(file, section);
    LoadedFileTable loaded = {Named("a.ies", true), Named("b.ies", true)};
    keeper.keep(loaded);
    EXPECT_FALSE(std::filesystem::exists(file));  // nothing unsaved: no file made for it
    loaded[1].Saved = kFalse;
    keeper.keep(loaded);
    EXPECT_EQ(keptNames(), std::vector<std::string>{"/data/b.ies"});
    loaded[0].Saved = kFalse;
    loaded.push_back(Named("c.ies", false));
    loaded[2].Saved = kFalse;
    keeper.keep(loaded);
    EXPECT_EQ(keptNames(), (std::vector<std::string>{"/data/a.ies", "/data/b.ies", "/data/c.ies"}));
    loaded[1].Saved = kTrue;           // saved by a tool
    loaded.erase(loaded.begin() + 2);  // closed
    keeper.keep(loaded);
    EXPECT_EQ(keptNames(), std::vector<std::string>{"/data/a.ies"});
    keeper.keep({});
    EXPECT_TRUE(keptNames().empty());
    EXPECT_TRUE(ReadRecoveredRecords(file).records.empty());
    std::filesystem::remove_all(folder);
}

TEST(CloseCheckedFiles, QuestionsAndResult) {
    MemorySettingsStore store;
    RecordingMessageSink messages;
    HostSession session(store, messages);
    std::vector<std::string> told;
    int closeAll = 0;
    session.tools.broadcastDeleteFile = [&told](const std::string& f) { told.push_back(f); };
    session.tools.closeAllTools = [&closeAll] { ++closeAll; };
    for (int i = 1; i <= 5; ++i) {
        session.loaded.push_back(Named("f" + std::to_string(i) + ".ies", false));
    }

    EXPECT_FALSE(CloseCheckedFiles(session).closed);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              (MessageRequest{"Close Photometric File(s)",
                              "Please select (check) photometric file(s) to close.",
                              MessageIcon::Exclamation, MessageButtons::Ok, true}));

    session.loaded[1].Checked = kTrue;
    session.loaded[3].Checked = kTrue;
    messages.scriptedAnswers.push_back(MessageAnswer::No);
    EXPECT_FALSE(CloseCheckedFiles(session).closed);
    EXPECT_EQ(messages.shown.back().buttons, MessageButtons::YesNo);
    EXPECT_EQ(session.loaded.size(), 5u);

    const CloseResult result = CloseCheckedFiles(session);
    EXPECT_TRUE(result.closed);
    EXPECT_FALSE(result.closedAllTools);
    EXPECT_EQ(result.closedFiles, (std::vector<std::string>{"/data/f2.ies", "/data/f4.ies"}));
    EXPECT_EQ(told, result.closedFiles);
    ASSERT_EQ(session.loaded.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(session.loaded[i].Filename, "/data/f" + std::to_string(2 * i + 1) + ".ies");
        EXPECT_EQ(session.loaded[i].Checked, kFalse);
    }

    // With the first line closed every tool is ended instead of told.
    told.clear();
    session.loaded[0].Checked = kTrue;
    EXPECT_TRUE(CloseCheckedFiles(session).closedAllTools);
    EXPECT_EQ(closeAll, 1);
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(session.loaded.size(), 2u);
}

}  // namespace
}  // namespace lumibench
