// The channel's decisions, with tools that take every command at once.

#include "toolhost/command_channel.h"

#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>

#include <gtest/gtest.h>

#include "core/notice_batch.h"
#include "core/path_text.h"
#include "core/record_tables.h"

#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "toolhost/running_tool_table.h"
#include "toolhost/tool_catalogue.h"
#include "toolhost/window_lookup.h"

namespace lumibench {
namespace {

constexpr std::string_view kSection = "Data Exchange";

// Tools that take a command the moment it is written: the store keeps a log
// of what reached each mailbox and empties it.
class InstantToolsStore : public MemorySettingsStore {
public:
    bool write(std::string_view app, std::string_view section, std::string_view key,
               std::string_view value) override {
        if (key.find('|') != std::string_view::npos && !value.empty()) {
            sent.push_back(std::string(key) + " <- " + std::string(value));
            return MemorySettingsStore::write(app, section, key, "");
        }
        return MemorySettingsStore::write(app, section, key, value);
    }
    std::vector<std::string> sent;
};

class FakeProcess : public ToolProcess {
public:
    explicit FakeProcess(std::int64_t pid) : pid_(pid) {}
    std::int64_t processId() const override { return pid_; }
    bool isRunning() const override { return running; }
    void terminate() override { running = false; }
    bool running = true;

private:
    std::int64_t pid_;
};

class FakeHost : public ChannelHost {
public:
    void refreshLoadedFilesList() override { ++refreshes; }
    void showEuropeanDataHint() override { ++hints; }
    void closeAllTools() override { ++closeAlls; }
    void keepUnsaved(const LoadedFileTable& loadedAfter) override {
        if (onKeep) onKeep(loadedAfter);
    }
    std::function<void(const LoadedFileTable&)> onKeep;
    void selectLoadedLine(std::size_t line) override { selected = line; }
    std::optional<std::size_t> selected;
    int refreshes = 0;
    int hints = 0;
    int closeAlls = 0;
};

PhotometricRecord Record(const std::string& filename, std::int16_t lampCount = 1) {
    PhotometricRecord r;
    r.Filename = filename;
    r.LampCount = lampCount;
    r.HorAngleCount = 1;
    r.HorAngles = {0};
    r.VertAngleCount = 2;
    r.VertAngles = {0, 90};
    r.Candela = {{100, 0}};
    r.Saved = kTrue;
    r.Checked = kTrue;
    return r;
}

// A file a tool might have written, in `folder`; its absolute path.
std::string WriteFile(const QTemporaryDir& folder, const std::string& name) {
    const std::filesystem::path file = std::filesystem::path(folder.path().toStdString()) / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "x";
    return file.string();
}

struct ChannelTest : testing::Test {
    InstantToolsStore store;
    LoadedFileTable loaded;
    WorkRecordTable work;
    RunningToolTable tools;
    ProcessWindowLookup windows{tools};
    RecordingMessageSink messages;
    FakeHost host;
    CommandChannel channel{{store, std::string(kSection), loaded, work, tools, windows, messages, host}};

    // Three running instances of Tool_ViewPE: entries 1, 2 and 3.
    void startTools(int count = 3, const std::string& actName = "Tool_ViewPE") {
        for (int i = 0; i < count; ++i) {
            const std::size_t n = tools.append(actName);
            tools.setStarted(n, std::make_shared<FakeProcess>(1000 + static_cast<std::int64_t>(n)));
        }
    }
    // What a tool does before a data verb: its data sets into the slots.
    void toolWrites(const WorkRecordTable& records) {
        SilentMessageSink silent;
        WriteExchangeRecords(store, kSection, records, 1, static_cast<int>(records.size()), 1, silent);
    }
    std::string hostKey() { return store.read(kExchangeApp, kSection, kHostKey); }
};

TEST_F(ChannelTest, VerbsAreMatchedAfterTrimmingAndUpperCasingWithTheirFieldCounts) {
    struct Case {
        const char* command;
        bool handled;  // a SENDNEWDATA that adds the file
    };
    const Case cases[] = {
        {"sendnewdata,Tool_ViewPE,3", true},
        {"  SendNewData  ,Tool_ViewPE,3", true},
        {"SENDNEWDATA,Tool_ViewPE,3,extra", true},
        {"SENDNEWDATA,Tool_ViewPE", false},
        {"SENDNEWDATA", false},
        // Line 1 is the command, the last line gives the field count.
        {"SENDNEWDATA,Tool_ViewPE,3\r\nx", false},
        {"SENDNEWDATA,Tool_ViewPE\r\n,,", true},
        {"SEND NEWDATA,Tool_ViewPE,3", false},
        {"SENDSAVEDDATA*,Tool_ViewPE,3", false},  // not a verb
        {"", false},
        {"\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        loaded.clear();
        toolWrites({Record("/tool/new.ies")});
        channel.handleCommand(c.command);
        EXPECT_EQ(loaded.size(), c.handled ? 1u : 0u);
    }
}

TEST_F(ChannelTest, NewDataIsAddedWithItsSavedMarkAndTheEuropeanHint) {
    startTools();
    loaded = {Record("/data/a.ies")};
    struct Case {
        const char* command;
        const char* filename;
        const char* hintSetting;  // nullptr: never written
        Flag saved;
        int hints;
        std::size_t loadedCount;
        std::vector<std::string> sent;
    };
    const Case cases[] = {
        {"SENDNEWDATA,Tool_ViewPE,2", "/x/b.ies", nullptr, kTrue, 0, 2, {}},
        {"SENDNEWDATA*,Tool_ViewPE,2", "/x/c.LDT", nullptr, kFalse, 1, 3, {}},
        {"SENDNEWDATA*,Tool_ViewPE,2", "/x/d.tml", "False", kFalse, 0, 4, {}},
        {"SENDNEWDATA*,Tool_ViewPE,2", "/x/e.cib", "True", kFalse, 1, 5, {}},
        // A replaced file tells the other tools.
        {"SENDNEWDATA,Tool_ViewPE,2", "/other/A.IES", nullptr, kTrue, 0, 5,
         {"Tool_ViewPE|1 <- DataChanged", "Tool_ViewPE|3 <- DataChanged"}},
        {"SENDNEWDATACLOSE,Tool_ViewPE,2", "/x/f.ies", nullptr, kTrue, 0, 6, {"Tool_ViewPE|2 <- Close"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + c.filename);
        store.sent.clear();
        host.hints = 0;
        if (c.hintSetting) store.write(kExchangeApp, "Hints", "1", c.hintSetting);
        toolWrites({Record(c.filename)});
        channel.handleCommand(c.command);
        ASSERT_EQ(loaded.size(), c.loadedCount);
        const PhotometricRecord& added = SplitPath(c.filename).baseName == "A" ? loaded[0] : loaded.back();
        EXPECT_EQ(added.Filename, c.filename);
        EXPECT_EQ(added.Saved, c.saved);
        EXPECT_EQ(host.hints, c.hints);
        EXPECT_EQ(store.sent, c.sent);
    }
    EXPECT_EQ(tools.at(2).InstanceId, "-99");
    EXPECT_EQ(host.refreshes, 6);
}

// One batch of the Open tool: its data sets arrive checked, the last one
// selected, as a loaded file does; the limit is said once, naming the data
// sets it kept out.
TEST(ChannelNotices, ABatchArrivesCheckedAndTheLimitIsSaidOnce) {
    InstantToolsStore store;
    LoadedFileTable loaded;
    for (int i = 1; i <= 23; ++i) loaded.push_back(Record("/data/l" + std::to_string(i) + ".ies"));
    loaded[0].Checked = kFalse;
    WorkRecordTable work;
    RunningToolTable tools;
    ProcessWindowLookup windows{tools};
    RecordingMessageSink shown;
    NoticeBatch notices(shown);
    FakeHost host;
    CommandChannel channel{{store, std::string(kSection), loaded, work, tools, windows, notices, host}};
    const WorkRecordTable sent = {Record("/x/n1.ies"), Record("/x/L1.IES"), Record("/x/n2.ies"), Record("/x/n3.ies"),
                                  Record("/x/n4.ldt")};
    WriteExchangeRecords(store, kSection, sent, 1, static_cast<int>(sent.size()), 1, notices);
    channel.handleCommand("SENDNEWDATA,Tool_Open,1");

    ASSERT_EQ(loaded.size(), kMaxLoadedFiles);
    EXPECT_EQ(loaded[0].Filename, "/x/L1.IES") << "a listed name is replaced in place";
    EXPECT_EQ(loaded[0].Checked, kTrue);
    EXPECT_EQ(loaded[23].Filename, "/x/n1.ies");
    EXPECT_EQ(loaded[24].Filename, "/x/n2.ies");
    EXPECT_EQ(loaded[24].Checked, kTrue);
    EXPECT_EQ(host.selected, std::optional<std::size_t>(24));
    ASSERT_EQ(shown.shown.size(), 1u);
    EXPECT_EQ(shown.shown[0].text, std::string(kAddDataLimitText) + kLeftOutHeading + "\r\nn3.ies\r\nn4.ldt");
}

TEST_F(ChannelTest, UpdatedSavedAndRenamedDataChangeTheMatchingFile) {
    startTools(2);
    loaded = {Record("/data/a.ies"), Record("/data/b.ies"), Record("/DATA/A.IES")};
    loaded[2].Checked = kFalse;

    toolWrites({Record("/data/A.ies", 7), Record("/data/b.ies", 9)});
    channel.handleCommand("SENDUPDATEDDATA*,Tool_ViewPE,1");
    // Every file of that name gets record 1; record 2 is ignored; Checked stays.
    EXPECT_EQ(loaded[0].LampCount, 7);
    EXPECT_EQ(loaded[0].Saved, kFalse);
    EXPECT_EQ(loaded[0].Filename, "/data/A.ies");
    EXPECT_EQ(loaded[2].LampCount, 7);
    EXPECT_EQ(loaded[2].Checked, kFalse);
    EXPECT_EQ(loaded[1].LampCount, 1);
    EXPECT_EQ(store.sent, (std::vector<std::string>{"Tool_ViewPE|2 <- DataChanged"}));

    // No file of that name: nothing changes, but the others still hear of it.
    store.sent.clear();
    const LoadedFileTable before = loaded;
    toolWrites({Record("/nowhere/z.ies", 3)});
    channel.handleCommand("SENDUPDATEDDATA,Tool_ViewPE,2");
    EXPECT_EQ(loaded, before);
    EXPECT_EQ(store.sent, (std::vector<std::string>{"Tool_ViewPE|1 <- DataChanged"}));

    toolWrites({Record("/DATA/B.IES")});
    loaded[1].Saved = kFalse;
    channel.handleCommand("SENDSAVEDDATA,Tool_ViewPE,1");
    EXPECT_EQ(loaded[1].Saved, kTrue);

    // A rename names a file the tool has written.
    const QTemporaryDir folder;
    const std::string renamed = WriteFile(folder, "renamed.ies");
    const std::string savedAs = WriteFile(folder, "saved as.ldt");
    loaded[1].Saved = kFalse;
    toolWrites({Record(renamed)});
    channel.handleCommand("SENDRENAMEDDATACLOSE,Tool_ViewPE,1,  /data/B.IES ");
    EXPECT_EQ(loaded[1].Filename, renamed);
    EXPECT_EQ(loaded[1].Saved, kTrue);
    EXPECT_EQ(store.sent.back(), "Tool_ViewPE|1 <- Close");
    EXPECT_EQ(tools.at(1).InstanceId, "-99");

    // A loaded name with commas arrives split over the last fields.
    loaded[0].Filename = "/data/Downlight, 60W, 3000K.ies";
    loaded[0].Saved = kFalse;
    toolWrites({Record(savedAs)});
    channel.handleCommand("SENDRENAMEDDATA,Tool_ViewPE,2,/data/Downlight, 60W, 3000K.ies");
    EXPECT_EQ(loaded[0].Filename, savedAs);
    EXPECT_EQ(loaded[0].Saved, kTrue);
}

TEST_F(ChannelTest, ARenameToAnythingButAnExistingFileByItsPlainPathKeepsTheDataUnsaved) {
    startTools(1);
    const QTemporaryDir folder;
    const std::string base = folder.path().toStdString();
    const std::string file = WriteFile(folder, "sub/saved.ies");
    std::filesystem::create_symlink(file, base + "/link.ies");
    const std::string refused[] = {
        "../../../../etc/passwd", "saved.ies", "sub/saved.ies", base + "//sub/saved.ies",
        base + "/./sub/saved.ies", base + "/sub/../sub/saved.ies", base + "/sub", base + "/link.ies",
        base + "/missing.ies", "",
    };
    for (const std::string& target : refused) {
        SCOPED_TRACE(target);
        loaded = {Record("/data/a.ies")};
        loaded[0].Saved = kFalse;
        PhotometricRecord sent = Record("/data/a.ies");
        sent.Filename = target;
        toolWrites({sent});
        // An empty name leaves no data set in the slots: the read itself fails.
        channel.handleCommand("SENDRENAMEDDATA,Tool_ViewPE,1,/data/a.ies");
        EXPECT_EQ(loaded[0].Filename, "/data/a.ies");
        EXPECT_EQ(loaded[0].Saved, kFalse);
    }
    toolWrites({Record(file)});
    channel.handleCommand("SENDRENAMEDDATA,Tool_ViewPE,1,/data/a.ies");
    EXPECT_EQ(loaded[0].Filename, file);
    EXPECT_EQ(loaded[0].Saved, kTrue);
}

TEST_F(ChannelTest, FailedReadsSkipTheDataButStillClose) {
    startTools(1);
    loaded = {Record("/data/a.ies")};
    const LoadedFileTable before = loaded;
    toolWrites({Record("/data/a.ies", 5)});
    store.write(kExchangeApp, kSection, "OtherData1", "1,2,3");
    for (const char* command : {"SENDNEWDATA,Tool_ViewPE,1", "SENDUPDATEDDATA,Tool_ViewPE,1",
                                "SENDSAVEDDATA,Tool_ViewPE,1", "SENDRENAMEDDATA,Tool_ViewPE,1,/data/a.ies"}) {
        channel.handleCommand(command);
    }
    EXPECT_EQ(loaded, before);
    EXPECT_EQ(host.refreshes, 0);
    EXPECT_TRUE(store.sent.empty());

    channel.handleCommand("SENDUPDATEDDATACLOSE*,Tool_ViewPE,1");
    EXPECT_EQ(loaded, before);
    EXPECT_EQ(store.sent, (std::vector<std::string>{"Tool_ViewPE|1 <- Close"}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ChannelTest, ToolManagementVerbs) {
    startTools(3);
    loaded = {Record("/a.ies"), Record("/b.ies"), Record("/c.ies"), Record("/d.ies")};
    loaded[1].Checked = kFalse;

    channel.handleCommand("REFRESHLOADEDCOUNT,Tool_ViewPE,3");
    channel.handleCommand("RETURNCLOSE,Tool_ViewPE,1");
    channel.handleCommand("CLOSEREMOVE,Tool_ViewPE,3");
    channel.handleCommand("CLOSEREMOVE,tool_viewpe,2");  // exact comparison: no match
    EXPECT_EQ(store.sent, (std::vector<std::string>{"Tool_ViewPE|3 <- LoadedCount,4", "Tool_ViewPE|1 <- Close"}));
    EXPECT_EQ(tools.at(1).InstanceId, "-99");
    EXPECT_EQ(tools.at(2).InstanceId, "2");
    EXPECT_EQ(tools.at(3).InstanceId, "-99");

    // Closed entries never hear a broadcast again; the sender is skipped for DataChanged only.
    store.sent.clear();
    channel.handleCommand("REFRESHLOADEDCOUNT,Tool_ViewPE,2");
    channel.BroadcastDataChanged();
    channel.BroadcastDeleteFile("/b.ies");
    EXPECT_EQ(store.sent,
              (std::vector<std::string>{"Tool_ViewPE|2 <- LoadedCount,4", "Tool_ViewPE|2 <- DeleteFile,/b.ies"}));

    // REFRESHDATA writes the checked files to slots 1 onwards and sends nothing.
    store.sent.clear();
    channel.handleCommand("refreshdata");
    WorkRecordTable written;
    std::string error;
    ASSERT_EQ(ReadExchangeRecords(store, kSection, written, error), kExchangeRead);
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[1].Filename, "/c.ies");
    EXPECT_TRUE(store.sent.empty());
}

TEST_F(ChannelTest, BroadcastsReachOnlyToolsWhoseWindowExists) {
    startTools(2);
    startTools(1, "Tool_ComparePE");
    std::static_pointer_cast<FakeProcess>(tools.at(3).Process)->running = false;
    channel.handleCommand("CLOSEREMOVE,Tool_ViewPE,1");  // sets the sender to instance 1
    channel.BroadcastDataChanged();
    EXPECT_EQ(store.sent, (std::vector<std::string>{"Tool_ViewPE|2 <- DataChanged"}));
}

TEST_F(ChannelTest, ClosingCheckedFilesClosesAllToolsOrTellsThem) {
    startTools(2);
    channel.TellToolsAboutClosedFiles(false, {"/a.ies", "/b.ies"});
    EXPECT_EQ(store.sent, (std::vector<std::string>{"Tool_ViewPE|1 <- DeleteFile,/a.ies",
                                                    "Tool_ViewPE|2 <- DeleteFile,/a.ies",
                                                    "Tool_ViewPE|1 <- DeleteFile,/b.ies",
                                                    "Tool_ViewPE|2 <- DeleteFile,/b.ies"}));
    EXPECT_EQ(host.closeAlls, 0);
    store.sent.clear();
    channel.TellToolsAboutClosedFiles(true, {"/a.ies"});
    EXPECT_EQ(host.closeAlls, 1);
    EXPECT_TRUE(store.sent.empty());
}

TEST_F(ChannelTest, MalformedCommandsNeverCrashOrChangeData) {
    startTools(1);
    loaded = {Record("/a.ies")};
    const LoadedFileTable before = loaded;
    std::string huge(200000, ',');
    const std::string commands[] = {
        ",,,",
        "\xff\xfe\x00garbage",
        huge,
        "SENDNEWDATA" + huge,
        "RETURNCLOSE,,",
        "REFRESHLOADEDCOUNT,,,",
        "CLOSEREMOVE,nobody,99",
        "SENDRENAMEDDATA,Tool_ViewPE,1",
        "\n\n\n",
        "*,*,*",
        std::string("SENDNEWDATA\0,Tool_ViewPE,1", 26),
    };
    // Slots that a broken tool might leave.
    store.write(kExchangeApp, kSection, "Filename1", "/z.ies");
    store.write(kExchangeApp, kSection, "OtherData1", "x,y,z,1,2,3,4,5,6,7,8");
    store.write(kExchangeApp, kSection, "VertAngles1", "32767,1");
    for (const std::string& command : commands) channel.handleCommand(command);
    EXPECT_EQ(loaded, before);
    EXPECT_EQ(tools.at(1).InstanceId, "1");
}

TEST_F(ChannelTest, PollingTakesTheCommandAndEmptiesTheHostKey) {
    toolWrites({Record("/p.ies")});
    store.write(kExchangeApp, kSection, kHostKey, "SENDNEWDATA,Tool_ViewPE,1");
    channel.pollHostKey();
    EXPECT_EQ(hostKey(), "");
    EXPECT_EQ(channel.lastCommand(), "SENDNEWDATA,Tool_ViewPE,1");
    EXPECT_EQ(loaded.size(), 1u);
    EXPECT_EQ(channel.tmrDataExchange()->objectName(), "tmrDataExchange");
    EXPECT_EQ(channel.tmrDataExchange()->interval(), 100);
}

// Data that arrives unsaved is handed over for keeping while the command
// still waits in the host key: a host killed once the tool has its answer
// has kept it. Saved data and other verbs hand nothing over.
TEST_F(ChannelTest, UnsavedDataIsKeptBeforeTheToolIsAnswered) {
    startTools(1);
    loaded = {Record("/data/a.ies"), Record("/data/b.ies")};
    std::vector<std::pair<std::string, LoadedFileTable>> kept;  // host key then, list to keep
    host.onKeep = [&](const LoadedFileTable& after) { kept.emplace_back(hostKey(), after); };

    toolWrites({Record("/data/A.IES", 5), Record("/data/new.ies", 6)});
    store.write(kExchangeApp, kSection, kHostKey, "SENDNEWDATA*,Tool_ViewPE,1");
    channel.pollHostKey();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].first, "SENDNEWDATA*,Tool_ViewPE,1");
    ASSERT_EQ(kept[0].second.size(), 3u);
    EXPECT_EQ(kept[0].second[0].LampCount, 5);
    EXPECT_EQ(kept[0].second[0].Saved, kFalse);
    EXPECT_EQ(kept[0].second[1].Saved, kTrue);
    EXPECT_EQ(kept[0].second[2].Filename, "/data/new.ies");
    // What the data step then made of the list; the step also ticks what
    // arrived, which the keeper does not keep.
    LoadedFileTable unticked = loaded;
    for (PhotometricRecord& record : unticked) record.Checked = kept[0].second[&record - unticked.data()].Checked;
    EXPECT_EQ(kept[0].second, unticked);

    toolWrites({Record("/data/b.ies", 8)});
    store.write(kExchangeApp, kSection, kHostKey, "SENDUPDATEDDATACLOSE*,Tool_ViewPE,1");
    channel.pollHostKey();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1].first, "SENDUPDATEDDATACLOSE*,Tool_ViewPE,1");
    EXPECT_EQ(kept[1].second[1].LampCount, 8);
    EXPECT_EQ(kept[1].second[1].Saved, kFalse);

    startTools(1);
    for (const char* command : {"SENDNEWDATA,Tool_ViewPE,2", "SENDUPDATEDDATA,Tool_ViewPE,2",
                                "SENDSAVEDDATA,Tool_ViewPE,2", "REFRESHLOADEDCOUNT,Tool_ViewPE,2"}) {
        store.write(kExchangeApp, kSection, kHostKey, command);
        channel.pollHostKey();
    }
    EXPECT_EQ(kept.size(), 2u);
}

// Only the host's own instances (or catalogue names) are answered: a sender
// named like a slot value or the host's mailbox gets nothing written.
TEST_F(ChannelTest, CommandsFromUnknownSendersAreNeverAnswered) {
    startTools(2);
    tools.markClosed("Tool_ViewPE", "2");
    struct Row {
        const char* command;
        std::vector<std::string> sent;
    };
    const Row rows[] = {
        {"RETURNCLOSE,Tool_ViewPE,1", {"Tool_ViewPE|1 <- Close"}},
        {"REFRESHLOADEDCOUNT,Tool_ViewPE,2", {}},  // closed
        {"REFRESHLOADEDCOUNT,Tool_ViewPE,7", {}},
        {"RETURNCLOSE,Candela1,", {}},
        {"REFRESHLOADEDCOUNT,LumibenchPE,", {}},
        {"SENDNEWDATACLOSE,Tool_Other,1", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        store.sent.clear();
        toolWrites({Record("/tool/x.ies")});
        const std::string candela = store.read(kExchangeApp, kSection, "Candela1");
        channel.handleCommand(row.command);
        EXPECT_EQ(store.sent, row.sent);
        EXPECT_EQ(store.read(kExchangeApp, kSection, "Candela1"), candela);
        EXPECT_EQ(hostKey(), "");
    }
    // A catalogue name counts as a sender of this host's.
    ToolCatalogue catalogue;
    ToolEntry entry;
    entry.ActName = "Tool_Other";
    catalogue.append(entry);
    CommandChannel withCatalogue{{store, std::string(kSection), loaded, work, tools, windows, messages, host, &catalogue}};
    store.sent.clear();
    withCatalogue.handleCommand("RETURNCLOSE,Tool_Other,1");
    EXPECT_EQ(store.sent, (std::vector<std::string>{"Tool_Other|1 <- Close"}));
}

// A text of tens of thousands of lines and commas costs what its length
// costs: only line 1 and the last line's count are looked at.
TEST_F(ChannelTest, LongManyLineCommandsAreHandledByTheirFirstLine) {
    startTools(1);
    std::string lines;
    for (int i = 0; i < 40000; ++i) lines += ",\r\n";
    struct Row {
        std::string command;
        std::vector<std::string> sent;
    };
    const Row rows[] = {
        {"REFRESHLOADEDCOUNT,Tool_ViewPE,1\r\n" + lines + std::string(40000, ','), {"Tool_ViewPE|1 <- LoadedCount,0"}},
        {"REFRESHLOADEDCOUNT,Tool_ViewPE,1\r\n" + lines + "x", {}},  // the last line has one field
    };
    for (const Row& row : rows) {
        store.sent.clear();
        channel.handleCommand(row.command);
        EXPECT_EQ(store.sent, row.sent);
    }
}

// A store that fails unexpectedly while a command is handled.
class ThrowingStore : public InstantToolsStore {
public:
    std::string read(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view defaultValue = {}) override {
        if (armed && key == "Filename1") throw std::runtime_error("store exploded");
        return InstantToolsStore::read(app, section, key, defaultValue);
    }
    bool armed = false;
};

TEST(ChannelFailures, AnythingThrownIsCaughtAtTheTimerReportedOnceAndTheHostGoesOn) {
    ThrowingStore store;
    LoadedFileTable loaded;
    WorkRecordTable work;
    RunningToolTable tools;
    ProcessWindowLookup windows{tools};
    RecordingMessageSink messages;
    FakeHost host;
    CommandChannel channel{{store, std::string(kSection), loaded, work, tools, windows, messages, host}};
    store.armed = true;
    for (int i = 0; i < 3; ++i) {
        store.write(kExchangeApp, kSection, kHostKey, "SENDNEWDATA,Tool_ViewPE,1");
        EXPECT_NO_THROW(channel.pollHostKey());
        EXPECT_EQ(store.read(kExchangeApp, kSection, kHostKey), "") << "not handled again";
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, std::string(kChannelFailureText) + "store exploded.");
    store.armed = false;
    store.write(kExchangeApp, kSection, "Filename1", "/fine.ies");
    store.write(kExchangeApp, kSection, "OtherData1", "1,1,1,1,1,1,1,1,1,1");
    store.write(kExchangeApp, kSection, "HorAngles1", "0,");
    store.write(kExchangeApp, kSection, "VertAngles1", "0,");
    store.write(kExchangeApp, kSection, kHostKey, "SENDNEWDATA,Tool_ViewPE,1");
    channel.pollHostKey();
    EXPECT_EQ(loaded.size(), 1u);
}

// What the store sees, in order: batches, slot reads and writes, the host key.
class StepLogStore : public MemorySettingsStore {
public:
    std::string read(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view defaultValue = {}) override {
        if (key.starts_with("Candela")) steps.push_back("read " + std::string(key));
        return MemorySettingsStore::read(app, section, key, defaultValue);
    }
    bool write(std::string_view app, std::string_view section, std::string_view key,
               std::string_view value) override {
        if (key == kHostKey || (key.starts_with("Candela") && !value.empty())) {
            steps.push_back("write " + std::string(key) + "=" + std::string(value.substr(0, 12)));
        }
        return MemorySettingsStore::write(app, section, key, value);
    }
    bool beginBatch() override {
        steps.push_back("begin");
        return true;
    }
    bool endBatch() override {
        steps.push_back("end");
        return true;
    }
    std::vector<std::string> steps;
};

// The host's mailbox empties only once the command's slot work is done, in
// the same batch: a tool waiting for it always finds what it asked for.
TEST(ChannelOrder, TheHostKeyIsEmptiedAfterTheSlotWorkInTheSameBatch) {
    struct Row {
        const char* command;
        std::vector<std::string> steps;
    };
    const Row rows[] = {
        {"REFRESHDATA",
         {"begin", "write Candela1=100,0", "write LumibenchPE=", "end"}},
        {"SENDUPDATEDDATA,Tool_ViewPE,1",
         {"begin", "read Candela1", "write LumibenchPE=", "end"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        StepLogStore store;
        LoadedFileTable loaded = {Record("/a.ies")};
        WorkRecordTable work;
        RunningToolTable tools;
        ProcessWindowLookup windows{tools};
        RecordingMessageSink messages;
        FakeHost host;
        CommandChannel channel{{store, std::string(kSection), loaded, work, tools, windows, messages, host}};
        SilentMessageSink silent;
        WriteExchangeRecords(store, kSection, {Record("/a.ies")}, 1, 1, 1, silent);
        store.write(kExchangeApp, kSection, kHostKey, row.command);
        store.steps.clear();
        channel.pollHostKey();
        EXPECT_EQ(store.steps, row.steps);
    }
}

TEST(RunningToolTable, NumbersEntriesAndForgetsReusedProcessIds) {
    RunningToolTable tools;
    ProcessWindowLookup windows(tools);
    const auto first = std::make_shared<FakeProcess>(4242);
    tools.setStarted(tools.append("Tool_ViewPE"), first);
    first->running = false;
    const auto second = std::make_shared<FakeProcess>(4242);  // the id came round again
    tools.setStarted(tools.append("Tool_ComparePE"), second);
    EXPECT_EQ(tools.append("Tool_SaveEXPE"), 3u);  // a start that failed: no instance id yet

    EXPECT_EQ(tools.at(1).ProcessId, 0);
    EXPECT_EQ(tools.at(2).ProcessId, 4242);
    EXPECT_EQ(tools.at(2).InstanceId, "2");
    EXPECT_EQ(tools.at(3).InstanceId, "");
    EXPECT_EQ(ToolMailboxKey("Tool_ViewPE", "2"), "Tool_ViewPE|2");
    EXPECT_EQ(ToolMailboxKey("Tool_ViewPE", ""), "Tool_ViewPE");

    // Without X11: a window exists while a started tool of that name runs.
    EXPECT_FALSE(windows.windowExists("Tool_ViewPE"));
    EXPECT_TRUE(windows.windowExists("Tool_ComparePE"));
    EXPECT_FALSE(windows.windowExists("Tool_SaveEXPE"));
    EXPECT_TRUE(windows.bringProcessToFront(4242));
    EXPECT_FALSE(windows.bringProcessToFront(0));
    EXPECT_TRUE(tools.markClosed("Tool_ComparePE", "2"));
    EXPECT_FALSE(tools.markClosed("Tool_ComparePE", "2"));
    EXPECT_TRUE(windows.windowExists("Tool_ComparePE"));  // closed entries still count while they run
    second->running = false;
    EXPECT_FALSE(windows.bringProcessToFront(4242));

    tools.clear();
    EXPECT_EQ(tools.append("Tool_ViewPE"), 1u);
}

}  // namespace
}  // namespace lumibench
