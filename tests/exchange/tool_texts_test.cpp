#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>

#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "platform/sqlite_settings_store.h"

#include "exchange/tool_command_line.h"
#include "sdk/tool_command.h"
#include "platform/settings_store.h"
#include "sdk/tool_session.h"

namespace lumibench {
namespace {

TEST(ToolCommandLine, FormatsAndReadsTheSixFields) {
    const ToolCommandLine line{3342910, true, "LumibenchPE", "3", 4, "Data Exchange"};
    EXPECT_EQ(FormatToolArguments(line), " 3342910,1,LumibenchPE,3,4,Data Exchange");
    EXPECT_EQ(ParseToolArguments(FormatToolArguments(line)), line);

    // The section keeps its blanks and any further commas.
    const auto odd = ParseToolArguments(" 0,0,LumibenchPE,12,0,Data Exchange_2, x");
    ASSERT_TRUE(odd);
    EXPECT_FALSE(odd->takesData);
    EXPECT_EQ(odd->instanceId, "12");
    EXPECT_EQ(odd->section, "Data Exchange_2, x");

    EXPECT_FALSE(ParseToolArguments(""));
    EXPECT_FALSE(ParseToolArguments("1,1,LumibenchPE,3,4"));
}

TEST(ToolCommand, ParsesEveryCommandTheHostSends) {
    using Kind = ToolCommand::Kind;
    struct Case {
        const char* text;
        Kind kind;
        int x, y;
        const char* path;
        int count;
    };
    const Case cases[] = {
        {"MoveWin,260,0,-1,-1", Kind::MoveWin, 260, 0, "", 0},
        {"MoveWin, 260, 30,-1,-1", Kind::MoveWin, 260, 30, "", 0},
        {"movewin,-5", Kind::MoveWin, -5, 0, "", 0},
        {"Start", Kind::Start, 0, 0, "", 0},
        {" unsaved ", Kind::Unsaved, 0, 0, "", 0},
        {"Close", Kind::Close, 0, 0, "", 0},
        {"DataChanged", Kind::DataChanged, 0, 0, "", 0},
        {"DeleteFile,/data/a,b.ies", Kind::DeleteFile, 0, 0, "/data/a,b.ies", 0},
        {"LoadedCount,4", Kind::LoadedCount, 0, 0, "", 4},
        {"Dance,1", Kind::Unknown, 0, 0, "", 0},
        {"", Kind::Unknown, 0, 0, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ToolCommand command = ParseToolCommand(c.text);
        EXPECT_EQ(command.kind, c.kind);
        EXPECT_EQ(command.text, c.text);
        EXPECT_EQ(command.x, c.x);
        EXPECT_EQ(command.y, c.y);
        EXPECT_EQ(command.path, c.path);
        EXPECT_EQ(command.loadedCount, c.count);
    }
}

TEST(ToolSession, UsesItsMailboxAndWaitsForAnEmptyHostKey) {
    MemorySettingsStore store;
    ToolSession session(store, {0, true, "LumibenchPE", "7", 0, "Data Exchange_1"}, "Tool_ViewPE");
    EXPECT_EQ(session.mailboxKey(), "Tool_ViewPE|7");
    EXPECT_FALSE(session.takeCommand());

    store.write("Lumibench_PE", "Data Exchange_1", "Tool_ViewPE|7", "LoadedCount,2");
    const auto command = session.takeCommand();
    ASSERT_TRUE(command);
    EXPECT_EQ(command->loadedCount, 2);
    EXPECT_EQ(store.read("Lumibench_PE", "Data Exchange_1", "Tool_ViewPE|7"), "");

    EXPECT_TRUE(session.sendToHost("SENDRENAMEDDATA", "/old.ies"));
    EXPECT_EQ(store.read("Lumibench_PE", "Data Exchange_1", "LumibenchPE"), "SENDRENAMEDDATA,Tool_ViewPE,7,/old.ies");
    // The host has not taken it yet: a second command must not overwrite it.
    EXPECT_FALSE(session.sendToHost("REFRESHDATA", {}, std::chrono::milliseconds(30)));
    EXPECT_EQ(store.read("Lumibench_PE", "Data Exchange_1", "LumibenchPE"), "SENDRENAMEDDATA,Tool_ViewPE,7,/old.ies");

    store.write("Lumibench_PE", "Data Exchange_1", "LumibenchPE", "");  // the host takes it
    WorkRecordTable records(30);
    for (std::size_t i = 0; i < records.size(); ++i) records[i].Filename = "/f" + std::to_string(i);
    EXPECT_EQ(session.writeData(records), 25);
    WorkRecordTable back;
    std::string error;
    EXPECT_EQ(session.readData(back, error), 0);
    EXPECT_EQ(back.size(), 25u);
}

// Two tools of one host sending data at once: each command reaches the host
// with the data sets its own tool wrote, whatever the other wrote meanwhile.
TEST(ToolSession, EachSendCarriesTheDataItsToolWrote) {
    std::string pattern = (std::filesystem::temp_directory_path() / "sdk-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path folder = pattern;
    const auto file = folder / "s.sqlite3";
    auto store = SqliteSettingsStore::Open(file);
    ASSERT_NE(store, nullptr);
    const std::string section = "Data Exchange";
    // Each tool has a connection of its own, as separate processes do.
    auto storeA = SqliteSettingsStore::Open(file);
    auto storeB = SqliteSettingsStore::Open(file);
    ToolSession a(*storeA, {0, true, "LumibenchPE", "1", 0, section}, "Tool_A");
    ToolSession b(*storeB, {0, true, "LumibenchPE", "2", 0, section}, "Tool_B");
    const auto records = [](const std::string& name) {
        WorkRecordTable table(1);
        table[0].Filename = name;
        return table;
    };
    // What the host does on a tick: the command and its slots in one step.
    const auto hostTakes = [&] {
        SettingsBatch batch(*store);
        std::string command = store->read(kExchangeApp, section, kHostKey);
        WorkRecordTable read;
        std::string error;
        ReadExchangeRecords(*store, section, read, error);
        store->write(kExchangeApp, section, kHostKey, "");
        return command + " " + (read.empty() ? "" : read[0].Filename);
    };
    EXPECT_EQ(a.writeData(records("/a1.ies")), 1);
    EXPECT_EQ(b.writeData(records("/b1.ies")), 1);  // overwrites a's slots
    ASSERT_TRUE(a.sendToHost("SENDNEWDATA"));
    EXPECT_EQ(b.writeData(records("/b2.ies")), 1);  // a's command waits: the slots stay a's
    EXPECT_FALSE(b.sendToHost("SENDNEWDATA", {}, std::chrono::milliseconds(20)));
    EXPECT_EQ(hostTakes(), "SENDNEWDATA,Tool_A,1 /a1.ies");
    ASSERT_TRUE(b.sendToHost("SENDNEWDATA*"));
    EXPECT_EQ(hostTakes(), "SENDNEWDATA*,Tool_B,2 /b2.ies");
    // Commands without data leave the slots alone.
    ASSERT_TRUE(a.sendToHost("REFRESHLOADEDCOUNT"));
    EXPECT_EQ(hostTakes(), "REFRESHLOADEDCOUNT,Tool_A,1 /b2.ies");

    // A store that refuses the slots: writeData says so.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TRIGGER full BEFORE UPDATE ON settings WHEN NEW.key = 'Filename1' "
                           "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(a.writeData(records("/a3.ies")), -1);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace lumibench

namespace lumibench {
namespace {

// A store whose batches start and then, at the end, are dropped or kept.
class BatchingStore : public MemorySettingsStore {
public:
    bool beginBatch() override { return true; }
    bool endBatch() override { return keep; }
    bool keep = true;
};

// A tool is told when its data sets did not reach the slots, so that it sends
// the host nothing that would make it read the previous data.
TEST(ToolSession, WriteDataReportsADroppedBatch) {
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep);
        BatchingStore store;
        store.keep = keep;
        ToolSession session(store, {0, true, "LumibenchPE", "1", 0, "Data Exchange"}, "Tool_ViewPE");
        WorkRecordTable records(2);
        records[0].Filename = "/a.ies";
        records[1].Filename = "/b.ies";
        EXPECT_EQ(session.writeData(records), keep ? 2 : -1);
        EXPECT_EQ(session.lastError().empty(), keep);
    }
}

}  // namespace
}  // namespace lumibench
