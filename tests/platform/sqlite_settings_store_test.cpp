#include "platform/sqlite_settings_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <fstream>

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
