#include "platform/sqlite_settings_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::TempFolder;

TEST(SqliteSettingsStore, ValuesSurviveByteForByteAcrossReopen) {
    TempFolder folder;
    const auto file = folder / "settings.sqlite3";
    const std::string values[] = {
        "",
        "plain",
        "line one\r\nline two\r\n",
        std::string("nul\0inside", 10),
        "\xff\xfe not UTF-8 \x80",
        " leading and trailing blanks ",
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
            << "value " << i;
    }
}

TEST(SqliteSettingsStore, NamesCompareWithoutCaseAndMissingGivesDefault) {
    TempFolder folder;
    auto store = SqliteSettingsStore::Open(folder / "s.sqlite3");
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->read("Lumibench_PE", "Startup", "Left", "7"), "7");
    ASSERT_TRUE(store->write("Lumibench_PE", "Data Exchange", "Active", "True"));
    EXPECT_EQ(store->read("LUMIBENCH_pe", "data exchange", "ACTIVE", "False"), "True");
    ASSERT_TRUE(store->write("lumibench_pe", "DATA EXCHANGE", "active", "False"));
    EXPECT_EQ(store->read("Lumibench_PE", "Data Exchange", "Active"), "False");
    // Still one value, under the spelling it was first written with.
    const auto all = store->dump();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0], (SettingsEntry{"Lumibench_PE", "Data Exchange", "Active", "False"}));
    // Blanks and empty names are names like any other.
    EXPECT_EQ(store->read("Lumibench_PE", "Data Exchange ", "Active", "none"), "none");
    ASSERT_TRUE(store->write("", "", "", "empty names"));
    EXPECT_EQ(store->read("", "", ""), "empty names");
}

TEST(SqliteSettingsStore, ListsOneApplicationOrOneSectionInOrder) {
    TempFolder folder;
    auto store = SqliteSettingsStore::Open(folder / "s.sqlite3");
    ASSERT_NE(store, nullptr);
    store->write("A", "s2", "b", "1");
    store->write("A", "S1", "z", "2");
    store->write("A", "s1", "a", "3");
    store->write("B", "s1", "a", "4");
    const auto app = store->list("a");
    ASSERT_EQ(app.size(), 3u);
    EXPECT_EQ(app[0].key, "a");
    EXPECT_EQ(app[1].key, "z");
    EXPECT_EQ(app[2].section, "s2");
    const auto section = store->list("A", "S1");
    ASSERT_EQ(section.size(), 2u);
    EXPECT_EQ(section[0].value, "3");
    EXPECT_EQ(store->dump().size(), 4u);
}

TEST(SqliteSettingsStore, FileIsPrivateToTheUser) {
    TempFolder folder;
    const auto file = folder / "new" / "s.sqlite3";
    auto store = SqliteSettingsStore::Open(file);
    ASSERT_NE(store, nullptr);
    ASSERT_TRUE(store->write("A", "S", "K", "V"));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((file.string() + "-wal").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0u);
}

TEST(SqliteSettingsStore, BrokenFilesAreRefusedAndLeftAlone) {
    TempFolder folder;
    struct Case {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"text", "[Startup]\nLeft=1\n"},
        {"garbage", std::string(8192, '\x5a')},
        {"truncated header", std::string("SQLite format 3\0", 16) + std::string(50, '\0')},
    };
    for (const auto& c : cases) {
        const auto file = folder / c.name;
        std::ofstream(file, std::ios::binary) << c.content;
        std::string error;
        auto store = SqliteSettingsStore::Open(file, &error);
        EXPECT_EQ(store, nullptr) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        std::ifstream in(file, std::ios::binary);
        const std::string after((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(after, c.content) << c.name;
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

TEST(DefaultSettingsPath, FollowsEnvironmentAndCreatesTheFolder) {
    TempFolder folder;
    const char* savedSettings = std::getenv("LUMIBENCH_SETTINGS");
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string keepSettings = savedSettings ? savedSettings : "";
    const std::string keepConfig = savedConfig ? savedConfig : "";

    ::setenv("LUMIBENCH_SETTINGS", (folder / "explicit/store.db").c_str(), 1);
    EXPECT_EQ(DefaultSettingsPath(), folder / "explicit/store.db");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "explicit"));

    ::unsetenv("LUMIBENCH_SETTINGS");
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    EXPECT_EQ(DefaultSettingsPath(), folder / "config/lumibench/settings.sqlite3");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "config/lumibench"));

    savedSettings ? ::setenv("LUMIBENCH_SETTINGS", keepSettings.c_str(), 1)
                  : ::unsetenv("LUMIBENCH_SETTINGS");
    savedConfig ? ::setenv("XDG_CONFIG_HOME", keepConfig.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace lumibench
