// The host's channel and real probe tool processes over one settings store.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>

#include "core/record_tables.h"
#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "probe_harness.h"

namespace lumibench {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

PhotometricRecord Record(const std::string& filename) {
    PhotometricRecord r;
    r.Filename = filename;
    r.LampCount = 1;
    r.LumensPerLamp = 1000;
    r.CandelaMultiplier = 1;
    r.PhotometricType = 1;
    r.UnitsType = 2;
    r.HorAngleCount = 1;
    r.HorAngles = {0};
    r.VertAngleCount = 3;
    r.VertAngles = {0, 45, 90};
    r.Candela = {{300, 200, 0}};
    r.Saved = kTrue;
    r.Checked = kTrue;
    return r;
}

// The start sequence of a tool that takes data: slots, process, then its commands.
std::size_t StartWithData(ProbeHarness& h, const std::string& actName,
                          const std::map<std::string, std::string>& env = {}) {
    CollectCheckedRecords(h.loaded, h.work);
    WriteExchangeRecords(h.store(), ProbeHarness::kSection, h.work, 1, static_cast<int>(h.work.size()), 1,
                         h.messages);
    const std::size_t n = h.startProbe(actName, env);
    EXPECT_TRUE(h.waitUntilStarted(n));
    return n;
}

TEST(ChannelWithTools, HostCommandsReachTheToolInOrderAndQuickly) {
    ProbeHarness h;
    ASSERT_TRUE(h.ready());
    h.loaded = {Record("/data/a.ies"), Record("/data/b.ldt")};
    h.loaded[1].Saved = kFalse;
    const std::size_t n = StartWithData(h, "Tool_ViewPE");
    EXPECT_EQ(h.logged(n, "data"), Strings{"0 2|/data/a.ies|/data/b.ldt"});

    const std::string id = std::to_string(n);
    for (const char* command : {"MoveWin,260,0,-1,-1", "Unsaved", "Start"}) {
        const auto started = std::chrono::steady_clock::now();
        h.channel->SendToolCommand("Tool_ViewPE", id, command);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 1s) << command;
        EXPECT_EQ(h.mailbox(n), "") << command;
    }
    h.channel->BroadcastDataChanged();
    h.channel->TellToolsAboutClosedFiles(false, {"/data/a.ies", "/data/b.ldt"});
    h.channel->start();
    h.control(n, "send REFRESHLOADEDCOUNT\n");
    ASSERT_TRUE(ProbeHarness::waitFor([&] { return h.logged(n, "take").size() == 7; }));
    h.channel->SendToolCommand("Tool_ViewPE", id, "Close");
    EXPECT_TRUE(h.hasExited(n));
    EXPECT_EQ(h.tools.at(n).InstanceId, "-99");
    EXPECT_EQ(h.logged(n, "take"),
              (Strings{"MoveWin,260,0,-1,-1", "Unsaved", "Start", "DataChanged", "DeleteFile,/data/a.ies",
                       "DeleteFile,/data/b.ldt", "LoadedCount,2", "Close"}));
}

TEST(ChannelWithTools, DataVerbsFromToolsKeepTheLoadedListInStep) {
    ProbeHarness h;
    ASSERT_TRUE(h.ready());
    h.loaded = {Record("/data/a.ies"), Record("/data/b.ies")};
    const std::size_t a = StartWithData(h, "Tool_ViewPE");
    const std::size_t b = StartWithData(h, "Tool_ComparePE");
    h.channel->start();

    const auto takenBy = [&](std::size_t n, const std::string& command) {
        const Strings taken = h.logged(n, "take");
        return std::count(taken.begin(), taken.end(), command);
    };

    // New unsaved European data: added, hint shown, nobody told (nothing replaced).
    h.control(a, "filename 1 /new/c.ldt\necho\nvalue Filename2\nsend SENDNEWDATA*\n");
    ASSERT_TRUE(ProbeHarness::waitFor([&] { return h.loaded.size() == 3; }));
    EXPECT_EQ(h.loaded[2].Filename, "/new/c.ldt");
    EXPECT_EQ(h.loaded[2].Saved, kFalse);
    EXPECT_EQ(h.host.hints, 1);

    // New data under a loaded name replaces it, and the other tool hears of it.
    h.control(a, "filename 1 /elsewhere/A.ies\necho\nvalue Filename2\nsend SENDNEWDATA\n");
    ASSERT_TRUE(ProbeHarness::waitFor([&] { return takenBy(b, "DataChanged") == 1; }));
    EXPECT_EQ(h.loaded.size(), 3u);
    EXPECT_EQ(h.host.hints, 1);
    EXPECT_EQ(h.loaded[0].Filename, "/elsewhere/A.ies");
    EXPECT_EQ(takenBy(a, "DataChanged"), 0);

    // Updated data: the matching file takes record 1.
    h.control(a, "echo\nvalue OtherData1 4,1000,1,1,2,0,0,0,1,36\nsend SENDUPDATEDDATA\n");
    ASSERT_TRUE(ProbeHarness::waitFor([&] { return takenBy(b, "DataChanged") == 2; }));
    EXPECT_EQ(h.loaded[0].LampCount, 4);

    // Saved, then renamed.
    h.loaded[2].Saved = kFalse;
    h.control(a, "filename 1 /new/c.ldt\necho\nsend SENDSAVEDDATA\n");
    ASSERT_TRUE(ProbeHarness::waitFor([&] { return h.loaded[2].Saved == kTrue; }));
    // A rename names the file the tool wrote.
    const QTemporaryDir written;
    const std::string renamed = written.filePath(QStringLiteral("d.ldt")).toStdString();
    std::ofstream(renamed) << "x";
    h.control(a, "filename 1 " + renamed + "\necho\nsend SENDRENAMEDDATA,/new/c.ldt\n");
    ASSERT_TRUE(ProbeHarness::waitFor([&] { return h.loaded[2].Filename == renamed; }));

    // REFRESHDATA rewrites the slots with the checked files only.
    h.loaded[0].Checked = kFalse;
    h.loaded[2].Checked = kFalse;
    h.control(b, "send REFRESHDATA\n");
    ASSERT_TRUE(ProbeHarness::waitFor([&] {
        return h.store().read(kExchangeApp, ProbeHarness::kSection, "Filename2").empty();
    }));
    EXPECT_EQ(h.store().read(kExchangeApp, ProbeHarness::kSection, "Filename1"), "/data/b.ies");

    // Data with CLOSE: the tool is closed after its data is taken.
    h.control(a, "echo\nvalue Filename2\nsend SENDNEWDATACLOSE\n");
    EXPECT_TRUE(h.hasExited(a));
    EXPECT_EQ(h.tools.at(a).InstanceId, "-99");
    EXPECT_EQ(h.loaded.size(), 3u);

    // A tool that closes on its own reports it first.
    h.control(b, "closeself\n");
    EXPECT_TRUE(h.hasExited(b));
    ASSERT_TRUE(ProbeHarness::waitFor([&] { return h.tools.at(b).InstanceId == "-99"; }));
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST(ChannelWithTools, AToolThatNeverTakesItsCommandsDelaysTheHostBySecondEach) {
    ProbeHarness h;
    ASSERT_TRUE(h.ready());
    const std::size_t n = h.startProbe("Tool_ViewPE", {{"LUMIBENCH_PROBE_HOLD", "1"}}, false);
    ASSERT_TRUE(h.waitUntilStarted(n));
    for (const char* command : {"MoveWin,260,0,-1,-1", "Start"}) {
        const auto started = std::chrono::steady_clock::now();
        h.channel->SendToolCommand("Tool_ViewPE", std::to_string(n), command);
        const auto waited = std::chrono::steady_clock::now() - started;
        EXPECT_GE(waited, 1s);
        EXPECT_LT(waited, 2s);
    }
    EXPECT_EQ(h.mailbox(n), "Start");
    EXPECT_TRUE(h.logged(n, "take").empty());
    // Released, the tool takes the command that stayed.
    h.control(n, "release\n");
    ASSERT_TRUE(ProbeHarness::waitFor([&] { return h.logged(n, "take") == Strings{"Start"}; }));
}

TEST(ChannelWithTools, CommandsWrittenDuringTheWaitAreHandledInsideIt) {
    ProbeHarness h;
    ASSERT_TRUE(h.ready());
    h.loaded = {Record("/data/a.ies")};
    const std::size_t holder = StartWithData(h, "Tool_ViewPE", {{"LUMIBENCH_PROBE_HOLD", "1"}});
    const std::size_t sender = StartWithData(h, "Tool_ComparePE");
    h.channel->start();

    // The holder asks for the count; the host's answer waits a full second,
    // and the sender's new data arrives during that wait.
    h.control(sender, "sleep 300\nfilename 1 /new/b.ies\necho\nsend SENDNEWDATA\n");
    h.control(holder, "send REFRESHLOADEDCOUNT\n");
    ASSERT_TRUE(ProbeHarness::waitFor([&] { return h.loaded.size() == 2; }));
    ASSERT_EQ(h.host.refreshWaitDepths.size(), 1u);
    EXPECT_EQ(h.host.refreshWaitDepths[0], 1);
    ASSERT_TRUE(ProbeHarness::waitFor([&] { return h.channel->commandWaitDepth() == 0; }));
    EXPECT_EQ(h.mailbox(holder), "LoadedCount,1");
}

// The answer to one tool is still in its mailbox when another tool's data
// replaces a file: the "DataChanged" the replacement broadcasts waits for the
// answer to be taken instead of writing over it.
TEST(ChannelWithTools, ACommandSentInsideAWaitDoesNotReplaceTheOneWaitedFor) {
    ProbeHarness h;
    ASSERT_TRUE(h.ready());
    h.loaded = {Record("/data/a.ies")};
    const std::size_t asker = StartWithData(h, "Tool_ViewPE");
    const std::size_t sender = StartWithData(h, "Tool_ComparePE");
    h.channel->start();

    h.control(sender, "sleep 300\necho\nsend SENDNEWDATA\n");
    h.control(asker, "send REFRESHLOADEDCOUNT\nsleep 800\n");  // takes nothing meanwhile
    ASSERT_TRUE(ProbeHarness::waitFor([&] { return !h.logged(asker, "take").empty() && h.logged(asker, "take").back() == "DataChanged"; }));
    EXPECT_EQ(h.logged(asker, "take"), (Strings{"LoadedCount,1", "DataChanged"}));
    EXPECT_EQ(h.host.refreshWaitDepths, (std::vector<int>{1}));
}

TEST(ChannelWithTools, MalformedCommandsAndSlotsFromAToolAreSurvived) {
    ProbeHarness h;
    ASSERT_TRUE(h.ready());
    h.loaded = {Record("/data/a.ies")};
    const LoadedFileTable before = h.loaded;
    const std::size_t n = StartWithData(h, "Tool_ViewPE");
    h.channel->start();
    const std::string id = std::to_string(n);
    h.control(n,
              "raw ,,,\n"
              "raw SENDNEWDATA\n"
              "raw SENDNEWDATA,Tool_ViewPE\n"
              "raw RETURNCLOSE,Tool_ViewPE," + id + "\\r\\nx\n"
              "raw \\r\\n\\r\\n\n"
              "raw CLOSEREMOVE,nobody,99\n"
              "value OtherData1 1,2,3\n"
              "send SENDNEWDATA\n"
              "echo\n"
              "value Candela1 1,2\n"
              "send SENDUPDATEDDATA\n"
              "value VertAngles1 99999,0\n"
              "send SENDNEWDATACLOSE*\n");
    // The last command still closes the tool although its data could not be read.
    EXPECT_TRUE(h.hasExited(n));
    EXPECT_EQ(h.logged(n, "sent").size(), 9u);
    EXPECT_EQ(h.loaded, before);
    EXPECT_EQ(h.logged(n, "take"), Strings{"Close"});
    EXPECT_EQ(h.host.refreshes, 0);
}

}  // namespace
}  // namespace lumibench
