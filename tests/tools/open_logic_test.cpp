// Tool_Open's decisions without a window: batches of at most 25 data sets
// that never overwrite slots the host has not read, recent files, folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "open_logic.h"

namespace lumibench::open {
namespace {

// Records what the tool would do to the host, in order.
class FakeHost : public HostLink {
public:
    int write(const WorkRecordTable& records) override {
        log.push_back("write " + std::to_string(records.size()) + " from " + records.front().Filename);
        return static_cast<int>(records.size());
    }
    bool send(std::string_view verb) override {
        log.push_back(std::string(verb));
        return sendsLeft-- > 0;
    }
    std::optional<int> awaitLoadedCount() override {
        log.push_back("await");
        if (!answers) return std::nullopt;
        return ++loaded;
    }
    std::vector<std::string> log;
    int sendsLeft = 100;
    bool answers = true;
    int loaded = 0;
};

WorkRecordTable Records(std::size_t n) {
    WorkRecordTable records(n);
    for (std::size_t i = 0; i < n; ++i) records[i].Filename = std::to_string(i + 1);
    return records;
}

TEST(OpenBatches, TwentyFiveAtATimeAndTheHostReadsEachBeforeTheNext) {
    struct Row {
        std::size_t count;
        bool close;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {1, true, {"write 1 from 1", "SENDNEWDATACLOSE"}},
        {25, false, {"write 25 from 1", "SENDNEWDATA"}},
        {26, true, {"write 25 from 1", "SENDNEWDATA", "REFRESHLOADEDCOUNT", "await", "write 1 from 26", "SENDNEWDATACLOSE"}},
        {51, false,
         {"write 25 from 1", "SENDNEWDATA", "REFRESHLOADEDCOUNT", "await", "write 25 from 26", "SENDNEWDATA",
          "REFRESHLOADEDCOUNT", "await", "write 1 from 51", "SENDNEWDATA"}},
    };
    for (const Row& row : rows) {
        FakeHost host;
        const SendReport report = SendInBatches(host, Records(row.count), row.close);
        EXPECT_EQ(host.log, row.log) << row.count;
        EXPECT_TRUE(report.complete);
        EXPECT_EQ(report.sent, row.count);
    }
    FakeHost idle;
    EXPECT_TRUE(SendInBatches(idle, {}, true).complete);
    EXPECT_TRUE(idle.log.empty());  // nothing to send, nothing sent (and no Close asked for)
}

TEST(OpenBatches, AHostThatDoesNotAnswerStopsTheSlotsFromBeingOverwritten) {
    FakeHost silent;
    silent.answers = false;
    const SendReport unanswered = SendInBatches(silent, Records(30), true);
    EXPECT_FALSE(unanswered.complete);
    EXPECT_EQ(unanswered.sent, 25u);
    EXPECT_EQ(silent.log.back(), "await");  // no second write

    FakeHost busy;
    busy.sendsLeft = 0;  // the host mailbox never empties
    const SendReport refused = SendInBatches(busy, Records(3), true);
    EXPECT_FALSE(refused.complete);
    EXPECT_EQ(refused.sent, 0u);
}

TEST(OpenFiles, ExtensionsRecentFilesAndStatus) {
    const std::vector<std::string> extensions{".ies", "LDT", ".cib"};
    struct Row {
        const char* path;
        bool matches;
    };
    const Row rows[] = {{"/a/b.ies", true}, {"/a/B.IES", true},  {"/a/b.ldt", true}, {"/a/b.Cib", true},
                        {"/a/b.ies.txt", false}, {"/a/ies", false}, {"/a/.ies", false}, {"/a.ies/b", false}};
    for (const Row& row : rows) EXPECT_EQ(HasExtension(row.path, extensions), row.matches) << row.path;
    EXPECT_EQ(NameFilter({".ies", "ldt"}), "*.ies *.IES *.ldt *.LDT");

    EXPECT_EQ(PushRecent({"b", "a", ""}, {"a", "c"}), (std::vector<std::string>{"c", "a", "b"}));
    std::vector<std::string> many;
    for (int i = 0; i < 12; ++i) many.push_back(std::to_string(i));
    const auto recent = PushRecent({"x"}, many);
    ASSERT_EQ(recent.size(), kRecentFiles);
    EXPECT_EQ(recent.front(), "11");

    EXPECT_EQ(StatusLine(3, 1, 2), "3 files ready, 1 refused, 2 notices not shown");
    EXPECT_EQ(StatusLine(1, 0, 1), "1 file ready, 1 notice not shown");
    EXPECT_EQ(StatusLine(0, 0, 0), "0 files ready");

    for (const char* text : {"True", "true", " TRUE "}) EXPECT_TRUE(ParseFlag(text)) << text;
    for (const char* text : {"False", "", "-1", "yes"}) EXPECT_FALSE(ParseFlag(text)) << text;
}

TEST(OpenFiles, AFolderOffersItsPhotometricFilesInNameOrder) {
    const auto folder = std::filesystem::temp_directory_path() / ("lumibench-open-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / "sub.ies");
    for (const char* name : {"b.LDT", "a.ies", "notes.txt", "c.ies"}) std::ofstream(folder / name) << "x";
    const auto files = FolderFiles(folder.string(), {".ies", ".ldt"});
    EXPECT_EQ(files, (std::vector<std::string>{(folder / "a.ies").string(), (folder / "b.LDT").string(),
                                               (folder / "c.ies").string()}));
    EXPECT_TRUE(FolderFiles((folder / "missing").string(), {".ies"}).empty());
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace lumibench::open
