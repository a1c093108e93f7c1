#include <gtest/gtest.h>

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

    WorkRecordTable records(30);
    for (std::size_t i = 0; i < records.size(); ++i) records[i].Filename = "/f" + std::to_string(i);
    EXPECT_EQ(session.writeData(records), 25);
    WorkRecordTable back;
    std::string error;
    EXPECT_EQ(session.readData(back, error), 0);
    EXPECT_EQ(back.size(), 25u);
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
