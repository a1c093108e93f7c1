// The Python tool SDK against the host's own code: real python3 processes on
// a real SQLite store, slots compared byte for byte with what the host writes
// and reads, commands from several senders at once, and a Python tool started
// and answered by the real launcher and command channel.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <cmath>
#include <filesystem>
#include <set>

#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "platform/sqlite_settings_store.h"
#include "process_helpers.h"
#include "formats/load_dispatch.h"
#include "temp_folder.h"
#include "toolhost/command_channel.h"
#include "toolhost/tool_launcher.h"
#include "toolhost/window_lookup.h"

namespace lumibench {
namespace {

using testing::TempFolder;
using testing::WaitFor;

const std::string kDriver = std::string(LUMIBENCH_SOURCE_DIR) + "/tests/sdk/python/sdk_driver.py";

// Runs the driver to its end and gives its output.
std::string Driver(const QStringList& arguments, int* status = nullptr) {
    QProcess python;
    python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    python.start(QStringLiteral(LUMIBENCH_PYTHON), QStringList{QString::fromStdString(kDriver)} + arguments);
    python.waitForFinished(30000);
    if (status) *status = python.exitCode();
    return python.readAllStandardOutput().trimmed().toStdString();
}

class PythonSdk : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("LUMIBENCH_PYTHON_SDK", (std::string(LUMIBENCH_SOURCE_DIR) + "/sdk/python").c_str(), 1);
        store = SqliteSettingsStore::Open(storeFile);
        ASSERT_TRUE(store);
    }
    QString storePath() const { return QString::fromStdString(storeFile.string()); }

    TempFolder folder;
    std::filesystem::path storeFile = folder / "settings.sqlite3";
    std::unique_ptr<SqliteSettingsStore> store;
};

PhotometricRecord Sample(const std::string& name, const std::filesystem::path& dataFolder) {
    std::string path = std::string(LUMIBENCH_SOURCE_DIR) + "/data/samples/" + name;
    const auto choice = ReaderForExtension(std::filesystem::path(path).extension().string());
    WorkRecordTable work;
    RecordingMessageSink messages;
    ReaderMessages message;
    ReaderContext context{work, messages, dataFolder};
    if (choice && choice->reader) choice->reader(path, message, true, context);
    return work.empty() ? PhotometricRecord{} : work.front();
}

// Every sample file's record (tilt, EULUMDAT and TM14 conversions, absolute
// photometry) and hand-made values at the edges of the number forms go
// through Python and back; every one of the 275 values must be the host's bytes.
TEST_F(PythonSdk, SlotsWrittenByPythonAreTheHostsBytes) {
    WorkRecordTable records;
    for (const char* name : {"downlight.ies", "linear_tilt_include.ies", "street_light_absolute.ies",
                             "floodlight_type_b.ies", "wall_washer_isym2.ldt", "street_light.cib"}) {
        records.push_back(Sample(name, folder.path()));
        ASSERT_FALSE(records.back().Filename.empty()) << name;
    }
    PhotometricRecord edges;
    edges.Filename = "/data/caf\xe9 \xff.ies";  // not UTF-8: bytes travel as they are
    edges.Keywords = {"[TEST] a, b", "[MORE] \"quoted\""};
    edges.TiltIncl = kTrue;
    edges.LampGeometry = 1;
    edges.TiltPairCount = 2;
    edges.TiltAngles = {0.1f, 1e-5f};
    edges.TiltFactors = {1.5e7f, -0.25f};
    edges.LampCount = -3;
    edges.LumensPerLamp = -1;
    edges.CandelaMultiplier = 3.14159265f;
    edges.PhotometricType = 1;
    edges.UnitsType = 2;
    edges.Width = 1e-4f;
    edges.Length = 123456.7f;
    edges.Height = 9.999999e8f;
    edges.BallastFactor = 0.95f;
    edges.InputWatts = 36;
    edges.HorAngleCount = 2;
    edges.HorAngles = {0, 90};
    edges.VertAngleCount = 3;
    edges.VertAngles = {0, 45.5f, 90};
    edges.Candela = {{1234.5678912345, 0.5, 1e-5}, {1e15, 123456789012345.6, -0.000123456789012345}};
    edges.OptionalData = "line 1\r\nline 2, with comma";
    edges.PictureFilename = "/pictures/a.bmp";
    records.push_back(edges);

    SilentMessageSink silent;
    ASSERT_EQ(WriteExchangeRecords(*store, "Host", records, 1, static_cast<int>(records.size()), 1, silent),
              static_cast<int>(records.size()));
    ASSERT_EQ(Driver({"copy", storePath(), "Host", "Python"}), std::to_string(records.size()));
    for (int slot = 1; slot <= kExchangeSlotCount; ++slot) {
        for (std::string_view field : kSlotFieldNames) {
            const std::string key = SlotKey(field, slot);
            EXPECT_EQ(store->read(kExchangeApp, "Python", key), store->read(kExchangeApp, "Host", key)) << key;
        }
    }
}

// A slot the host refuses is refused by Python with the same status and text.
TEST_F(PythonSdk, RefusesWhatTheHostRefusesWithTheSameText) {
    struct Row {
        const char* name;
        std::vector<std::pair<const char*, const char*>> values;
    };
    const std::vector<std::pair<const char*, const char*>> good = {
        {"Filename1", "/d/a.ies"}, {"Keywords1", " 0"},        {"TiltIncl1", " 0"},
        {"OtherData1", "1,1000,1,1,2,.6,1.2,0,1,36"}, {"HorAngles1", "2,0,90"},
        {"VertAngles1", "3,0,45,90"}, {"Candela1", "100,80,20,100,75,15"}};
    const Row rows[] = {
        {"accepted", {}},
        {"nine other fields", {{"OtherData1", "1,1000,1,1,2,.6,1.2,0,1"}}},
        {"tilt without data", {{"TiltIncl1", " 1"}, {"TiltData1", ""}}},
        {"no vertical angles", {{"VertAngles1", ""}}},
        {"no horizontal angles", {{"HorAngles1", ""}}},
        {"short candela list", {{"Candela1", "100,80,20,100,75"}}},
        {"count beyond 16 bits", {{"VertAngles1", "32768,0"}}},
        {"negative count", {{"HorAngles1", "-2,0,90"}}},
        {"angle list shorter than its count", {{"HorAngles1", "3,0,90"}}},
        {"tilt pairs missing", {{"TiltIncl1", " 1"}, {"TiltData1", "1,3,0,90"}}},
        {"number beyond float", {{"OtherData1", "1,1E39,1,1,2,.6,1.2,0,1,36"}}},
        {"two-line value counts the last line's fields", {{"OtherData1", "1,1000,1,1,2,.6,1.2,0,1,36\r\nx"}}},
        {"nothing at all", {{"Filename1", ""}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const auto& [key, value] : good) store->write(kExchangeApp, "S", key, value);
        store->write(kExchangeApp, "S", "TiltData1", "");
        for (const auto& [key, value] : row.values) store->write(kExchangeApp, "S", key, value);
        WorkRecordTable work;
        std::string errorText;
        const std::int16_t code = ReadExchangeRecords(*store, "S", work, errorText);
        EXPECT_EQ(Driver({"read", storePath(), "S"}), std::to_string(code) + "|" + errorText);
    }
}

// Three Python tools send at once while the host takes: each command must
// arrive once, none overwritten by another sender's.
TEST_F(PythonSdk, CommandsOfSeveralSendersAreNeverLost) {
    constexpr int kSenders = 3;
    constexpr int kEach = 30;
    std::vector<std::unique_ptr<QProcess>> senders;
    for (int s = 0; s < kSenders; ++s) {
        auto& p = senders.emplace_back(std::make_unique<QProcess>());
        p->start(QStringLiteral(LUMIBENCH_PYTHON), {QString::fromStdString(kDriver), "send", storePath(), "S",
                                                    QStringLiteral("Tool_Py%1").arg(s), QString::number(kEach)});
    }
    std::multiset<std::string> received;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (received.size() < kSenders * kEach && std::chrono::steady_clock::now() < end) {
        // The host's take: read, then empty. Senders write only into an empty
        // key, so nothing can land between the two.
        const std::string command = store->read(kExchangeApp, "S", kHostKey);
        if (command.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        store->write(kExchangeApp, "S", kHostKey, "");
        received.insert(command);
    }
    for (auto& p : senders) {
        p->waitForFinished(10000);
        EXPECT_EQ(p->exitCode(), 0);
    }
    EXPECT_EQ(received.size(), static_cast<std::size_t>(kSenders * kEach));
    EXPECT_EQ(std::set<std::string>(received.begin(), received.end()).size(), received.size());
    EXPECT_TRUE(store->read(kExchangeApp, "S", kHostKey).empty());
}

class NullChannelHost : public ChannelHost {
public:
    void refreshLoadedFilesList() override {}
    void showEuropeanDataHint() override {}
    void closeAllTools() override {}
};

// The real launcher starts a Python tool with two data sets; the real
// command channel takes the tool's data back; closing all tools ends it.
TEST_F(PythonSdk, ToolStartedByTheHostReadsItsDataAndSendsItBack) {
    const auto program = folder.write("Tool_PyHeadless",
                                      "#!/bin/sh\nexec " LUMIBENCH_PYTHON " " + kDriver + " tool \"$@\"\n", true);
    ::setenv("LUMIBENCH_SETTINGS", storeFile.c_str(), 1);
    ::setenv("PY_TOOL_LOG", (folder / "tool.log").c_str(), 1);

    ToolCatalogue catalogue;
    ToolEntry entry;
    entry.ActName = "Tool_PyHeadless";
    entry.Path = folder.path().string();
    entry.ToolType = 2;
    entry.MaxFiles = 25;
    catalogue.append(entry);
    LoadedFileTable loaded(2);
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        loaded[i].Filename = "/d/f" + std::to_string(i + 1) + ".ies";
        loaded[i].Checked = kTrue;
        loaded[i].Saved = kTrue;
        loaded[i].HorAngleCount = 1;
        loaded[i].HorAngles = {0};
        loaded[i].VertAngleCount = 2;
        loaded[i].VertAngles = {0, 90};
        loaded[i].Candela = {{100.5, 0}};
    }
    WorkRecordTable work;
    RunningToolTable tools;
    ProcessWindowLookup windows(tools);
    RecordingMessageSink messages;
    NullChannelHost host;
    CommandChannel channel({*store, "Data Exchange", loaded, work, tools, windows, messages, host});
    channel.start();
    ToolLauncher launcher({catalogue, tools, windows, *store, messages, SenderFor(channel), "Data Exchange",
                           "LumibenchPE", std::chrono::milliseconds(50), std::chrono::milliseconds(5000),
                           ProcessEventsFor});
    launcher.gsbToolClick("Tool_PyHeadless", 1, loaded, work, {0, 120, 0});
    ASSERT_EQ(tools.count(), 1u);
    const std::int64_t pid = tools.at(1).ProcessId;

    EXPECT_TRUE(WaitFor([&] { return loaded.size() == 4; }, std::chrono::seconds(15)));
    ASSERT_EQ(loaded.size(), 4u);
    EXPECT_EQ(loaded[2].Filename, "/d/f1_py.ies");
    EXPECT_EQ(loaded[3].Filename, "/d/f2_py.ies");
    EXPECT_EQ(loaded[3].Saved, kFalse);
    EXPECT_EQ(loaded[3].Candela, loaded[1].Candela);
    const std::string log = TempFolder::read(folder / "tool.log");
    EXPECT_NE(log.find("data\t/d/f1.ies;/d/f2.ies\n"), std::string::npos) << log;
    // (A "MoveWin" the tool took longer than the host's wait to start for is
    // overwritten by "Start": the host then goes on without it.)
    EXPECT_NE(log.find("take\tStart\n"), std::string::npos) << log;

    launcher.CloseAllTools();
    EXPECT_TRUE(WaitFor([&] { return testing::ProcessGone(pid); }, std::chrono::seconds(2)));
}

}  // namespace
}  // namespace lumibench
