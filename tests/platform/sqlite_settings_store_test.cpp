#include "platform/sqlite_settings_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <thread>

#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::ScopedEnv;
using testing::TempFolder;

TEST(SqliteSettingsStore, ValuesSurviveByteForByteInAPrivateFile) {
    TempFolder folder;
    const auto file = folder / "new/settings.sqlite3";
    const std::string values[] = {
        "",
        "line one\r\nline two\r\n",
        std::string("nul\0inside", 10),
        "\xff\xfe not UTF-8 \x80",
        " blanks ",
        std::string(100000, 'x'),
    };
    {
        auto store = SqliteSettingsStore::Open(file);
        ASSERT_NE(store, nullptr);
        for (std::size_t i = 0; i < std::size(values); ++i) {
            ASSERT_TRUE(store->write("App", "Section", "Key" + std::to_string(i), values[i]));
        }
    }
    auto store = SqliteSettingsStore::Open(file);
    ASSERT_NE(store, nullptr);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        EXPECT_EQ(store->read("App", "Section", "Key" + std::to_string(i), "default"), values[i])
            << i;
    }
    for (const char* suffix : {"", "-wal"}) {
        struct stat info {};
        ASSERT_EQ(::stat((file.string() + suffix).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0077, 0u) << suffix;
    }
}

TEST(SqliteSettingsStore, NamesCompareWithoutCaseAndMissingGivesDefault) {
    TempFolder folder;
    auto store = SqliteSettingsStore::Open(folder / "s.sqlite3");
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->read("Lumibench_PE", "Startup", "Left", "7"), "7");
    EXPECT_EQ(store->find("Lumibench_PE", "Startup", "Left"), std::nullopt);
    ASSERT_TRUE(store->write("Lumibench_PE", "Data Exchange", "Active", "True"));
    ASSERT_TRUE(store->write("lumibench_pe", "DATA EXCHANGE", "active", "False"));
    EXPECT_EQ(store->read("LUMIBENCH_pe", "data exchange", "ACTIVE"), "False");
    EXPECT_EQ(store->read("Lumibench_PE", "Data Exchange ", "Active", "none"), "none");
    // One value, under the spelling it was first written with.
    EXPECT_EQ(store->dump(),
              (std::vector<SettingsEntry>{{"Lumibench_PE", "Data Exchange", "Active", "False"}}));
}

TEST(SqliteSettingsStore, ABatchReachesOtherConnectionsWholeOrNotAtAll) {
    TempFolder folder;
    const auto file = folder / "s.sqlite3";
    auto writer = SqliteSettingsStore::Open(file);
    auto other = SqliteSettingsStore::Open(file);
    ASSERT_NE(writer, nullptr);
    ASSERT_NE(other, nullptr);
    const auto values = [&] {
        return other->read("App", "S", "A") + "," + other->read("App", "S", "B");
    };
    ASSERT_TRUE(writer->write("App", "S", "A", "old"));
    ASSERT_TRUE(writer->write("App", "S", "B", "old"));
    {
        SettingsBatch batch(*writer);
        ASSERT_TRUE(writer->write("App", "S", "A", "new"));
        {
            SettingsBatch inner(*writer);  // nested: only the outermost commits
            ASSERT_TRUE(writer->write("App", "S", "B", "new"));
        }
        EXPECT_EQ(values(), "old,old");
        EXPECT_EQ(writer->read("App", "S", "A"), "new");
        EXPECT_TRUE(batch.end());
        EXPECT_TRUE(batch.end());  // a second end does nothing
    }
    EXPECT_EQ(values(), "new,new");
    // A writer that goes away inside a batch, as a killed process would, leaves
    // the store as it was and readable.
    writer->beginBatch();
    ASSERT_TRUE(writer->write("App", "S", "A", "lost"));
    writer.reset();
    EXPECT_EQ(values(), "new,new");
    ASSERT_TRUE(other->write("App", "S", "B", "after"));
    EXPECT_EQ(values(), "new,after");
}

TEST(SqliteSettingsStore, BrokenFilesAreRefusedAndLeftAlone) {
    TempFolder folder;
    const std::string contents[] = {
        "[Startup]\nLeft=1\n",
        std::string(8192, 'Z'),
        std::string("SQLite format 3\0", 16) + std::string(50, '\0'),
    };
    for (const auto& content : contents) {
        const auto file = folder / "broken";
        std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
        std::string error;
        EXPECT_EQ(SqliteSettingsStore::Open(file, &error), nullptr) << content.substr(0, 20);
        EXPECT_FALSE(error.empty());
        std::ifstream in(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
    }
    // A database whose "settings" table has another shape is not ours either.
    const auto other = folder / "other.sqlite3";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(other.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE settings (name TEXT)", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(SqliteSettingsStore::Open(other), nullptr);
}

TEST(SqliteSettingsStore, DefaultPathFollowsEnvironmentAndCreatesTheFolder) {
    TempFolder folder;
    {
        ScopedEnv settings("LUMIBENCH_SETTINGS", (folder / "explicit/store.db").string());
        EXPECT_EQ(DefaultSettingsPath(), folder / "explicit/store.db");
        EXPECT_TRUE(std::filesystem::is_directory(folder / "explicit"));
    }
    ScopedEnv settings("LUMIBENCH_SETTINGS", "");
    ScopedEnv config("XDG_CONFIG_HOME", (folder / "config").string());
    EXPECT_EQ(DefaultSettingsPath(), folder / "config/lumibench/settings.sqlite3");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "config/lumibench"));
}

}  // namespace
}  // namespace lumibench

namespace lumibench {
namespace {

using testing::TempFolder;

TEST(SqliteSettingsStore, MailboxStepsWriteOnlyWhenEmptyAndTakeWhatWasThere) {
    TempFolder folder;
    auto store = SqliteSettingsStore::Open(folder / "s.sqlite3");
    ASSERT_NE(store, nullptr);
    struct Row {
        const char* step;
        const char* value;
        bool written;                // writeIfEmpty's answer
        const char* taken;           // take's answer ("" when empty)
        const char* after;           // the mailbox afterwards
    };
    const Row rows[] = {
        {"write into a mailbox never written", "SENDNEWDATA,T,1", true, nullptr, "SENDNEWDATA,T,1"},
        {"a second sender finds it full", "RETURNCLOSE,U,2", false, nullptr, "SENDNEWDATA,T,1"},
        {"take", nullptr, false, "SENDNEWDATA,T,1", ""},
        {"take of the empty mailbox", nullptr, false, "", ""},
        {"write into an emptied mailbox", "RETURNCLOSE,U,2", true, nullptr, "RETURNCLOSE,U,2"},
    };
    for (const Row& row : rows) {
        if (row.value != nullptr) {
            EXPECT_EQ(store->writeIfEmpty("App", "S", "Box", row.value), row.written) << row.step;
        } else {
            EXPECT_EQ(store->take("App", "S", "box"), std::optional<std::string>(row.taken)) << row.step;
        }
        EXPECT_EQ(store->read("App", "S", "Box"), row.after) << row.step;
    }
}

// Several senders and one taker on their own connections, as tools and the
// host are: every command a sender was told it wrote is taken exactly once.
TEST(SqliteSettingsStore, SendersAndATakerAtOnceLoseNoCommand) {
    TempFolder folder;
    const auto file = folder / "s.sqlite3";
    ASSERT_NE(SqliteSettingsStore::Open(file), nullptr);
    constexpr int kSenders = 3;
    constexpr int kCommands = 30;
    std::atomic<int> sendersDone = 0;
    std::vector<std::vector<std::string>> sent(kSenders);
    std::vector<std::string> taken;
    std::vector<std::thread> threads;
    for (int s = 0; s < kSenders; ++s) {
        threads.emplace_back([&, s] {
            auto store = SqliteSettingsStore::Open(file);
            for (int c = 0; c < kCommands; ++c) {
                const std::string command = "C," + std::to_string(s) + "," + std::to_string(c);
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                while (!store->writeIfEmpty("App", "S", "Box", command)) {
                    if (std::chrono::steady_clock::now() > deadline) return;
                    std::this_thread::yield();
                }
                sent[static_cast<std::size_t>(s)].push_back(command);
            }
            ++sendersDone;
        });
    }
    {
        auto store = SqliteSettingsStore::Open(file);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            const bool last = sendersDone == kSenders;
            if (auto command = store->take("App", "S", "Box"); command && !command->empty()) {
                taken.push_back(*command);
            } else if (last) {
                break;
            }
        }
    }
    for (std::thread& thread : threads) thread.join();
    std::vector<std::string> all;
    for (const auto& commands : sent) all.insert(all.end(), commands.begin(), commands.end());
    EXPECT_EQ(all.size(), std::size_t{kSenders * kCommands});
    std::sort(all.begin(), all.end());
    std::sort(taken.begin(), taken.end());
    EXPECT_EQ(taken, all);
}

TEST(SqliteSettingsStore, AReadScopeSeesOneStateWhateverCommitsMeanwhile) {
    TempFolder folder;
    const auto file = folder / "s.sqlite3";
    auto reader = SqliteSettingsStore::Open(file);
    auto writer = SqliteSettingsStore::Open(file);
    ASSERT_TRUE(writer->write("App", "S", "A", "1"));
    ASSERT_TRUE(writer->write("App", "S", "B", "1"));
    {
        SettingsReadScope scope(*reader);
        ASSERT_TRUE(scope.consistent());
        EXPECT_EQ(reader->read("App", "S", "A"), "1");
        SettingsBatch batch(*writer);
        ASSERT_TRUE(batch.grouped()) << "a reader never blocks the writer";
        writer->write("App", "S", "A", "2");
        writer->write("App", "S", "B", "2");
        ASSERT_TRUE(batch.end());
        EXPECT_EQ(reader->read("App", "S", "B"), "1");
    }
    EXPECT_EQ(reader->read("App", "S", "B"), "2");
}

// Another process holding the store: the open waits visibly, and not forever.
TEST(SqliteSettingsStore, OpeningWhileAnotherHoldsTheStoreGivesUpInBoundedTime) {
    TempFolder folder;
    const auto file = folder / "s.sqlite3";
    ASSERT_NE(SqliteSettingsStore::Open(file), nullptr);
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    SettingsOpenOptions options;
    options.giveUpAfter = std::chrono::milliseconds(1200);
    options.noticeAfter = std::chrono::milliseconds(300);
    int notices = 0;
    options.waiting = [&] { ++notices; };
    std::string error;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(SqliteSettingsStore::Open(file, &error, options), nullptr);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(1100));
    EXPECT_LT(waited, std::chrono::seconds(4));
    EXPECT_GT(notices, 0);
    EXPECT_NE(error.find("locked"), std::string::npos) << error;

    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    notices = 0;
    EXPECT_NE(SqliteSettingsStore::Open(file, &error, options), nullptr);
    EXPECT_EQ(notices, 0) << "a free store opens without a notice";
}

}  // namespace
}  // namespace lumibench
