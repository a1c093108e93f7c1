// The settings store and the instance locks as several real processes use
// them: the host, tool programs and lumibench-settings at the same moment.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QProcess>
#include <QStringList>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "platform/instance_lock.h"
#include "platform/sqlite_settings_store.h"
#include "temp_folder.h"
#include "value_pattern.h"

namespace lumibench {
namespace {

using testing::PatternKey;
using testing::PatternSection;
using testing::PatternValue;
using testing::TempFolder;

constexpr int kWaitMs = 30000;

std::filesystem::path TestFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

QString Helper() {
    return QString::fromStdString((TestFolder() / "platform_test_helper").string());
}

QString SettingsProgram() {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    const auto folder =
        bin != nullptr ? std::filesystem::path(bin) : TestFolder().parent_path() / "bin";
    return QString::fromStdString((folder / "lumibench-settings").string());
}

QStringList Args(std::initializer_list<std::string> parts) {
    QStringList list;
    for (const auto& part : parts) {
        list << QString::fromStdString(part);
    }
    return list;
}

struct Finished {
    int exitCode = -1;
    QByteArray out;
};

// Runs a program to its end, feeding it `input`.
Finished RunProgram(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess process;
    process.start(program, args);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(kWaitMs) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "did not finish: " << program.toStdString();
        return {};
    }
    return {process.exitCode(), process.readAllStandardOutput()};
}

// Starts a helper and waits for its first line ("ready", "held", "busy").
std::unique_ptr<QProcess> StartHelper(const QStringList& args, QByteArray* firstLine) {
    auto process = std::make_unique<QProcess>();
    process->start(Helper(), args);
    for (int i = 0;
         i < kWaitMs / 100 && !process->canReadLine() && process->state() != QProcess::NotRunning;
         ++i) {
        process->waitForReadyRead(100);
    }
    *firstLine = process->readLine().trimmed();
    return process;
}

void Kill(QProcess& process) {
    process.kill();
    process.waitForFinished(kWaitMs);
}

std::string IntegrityCheck(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void* out, int, char** values, char**) {
                *static_cast<std::string*>(out) = values[0] != nullptr ? values[0] : "";
                return 0;
            },
            &result, nullptr);
    }
    sqlite3_close(db);
    return result;
}

// lumibench-settings --file STORE ARGS..., fed with `input`.
Finished Cli(const std::filesystem::path& store, const std::vector<std::string>& args,
             const QByteArray& input = {}) {
    QStringList list = Args({"--file", store.string()});
    for (const auto& arg : args) {
        list << QString::fromStdString(arg);
    }
    return RunProgram(SettingsProgram(), list, input);
}

TEST(SettingsProcesses, AWriteIsSeenByTheNextReadOfAnotherProcess) {
    TempFolder folder;
    const auto file = folder / "settings.sqlite3";
    // The host's connection stays open, as it does while it polls a mailbox.
    auto store = SqliteSettingsStore::Open(file);
    ASSERT_NE(store, nullptr);
    for (int i = 0; i < 20; ++i) {
        const std::string command = "Command " + std::to_string(i) + ",1,2";
        ASSERT_EQ(
            Cli(file, {"set", "Lumibench_PE", "Data Exchange", "LumibenchPE", command}).exitCode,
            0);
        EXPECT_EQ(store->read("Lumibench_PE", "Data Exchange", "LumibenchPE"), command);
        const std::string reply = "Reply " + std::to_string(i);
        ASSERT_TRUE(store->write("Lumibench_PE", "Data Exchange", "Tool_ViewPE1", reply));
        EXPECT_EQ(Cli(file, {"get", "lumibench_pe", "DATA EXCHANGE", "tool_viewpe1"}).out,
                  reply.c_str());
    }
}

TEST(SettingsProcesses, CommandLineProgramReadsWritesAndLists) {
    TempFolder folder;
    const auto file = folder / "s.sqlite3";
    // A value through standard input keeps every byte, CR LF included.
    const QByteArray lines("line 1\r\nline 2\r\n\r\n");
    ASSERT_EQ(Cli(file, {"set", "A", "S", "K"}, lines).exitCode, 0);
    EXPECT_EQ(Cli(file, {"get", "A", "S", "K"}).out, lines);
    const std::pair<std::vector<std::string>, Finished> rows[] = {
        {{"get", "A", "S", "X"}, {1, ""}},
        {{"get", "A", "S", "X", "fallback"}, {0, "fallback"}},
        {{"set", "A", "Data Exchange", "Name1", "C:\\a.ies\r\n"}, {0, ""}},
        {{"set", "B", "S", "K", "v"}, {0, ""}},
        {{"list", "a"},
         {0,
          "[Data Exchange]\nName1=C:\\\\a.ies\\r\\n\n\n[S]\nK=line 1\\r\\nline 2\\r\\n\\r\\n\n"}},
        {{"list", "A", "s"}, {0, "[S]\nK=line 1\\r\\nline 2\\r\\n\\r\\n\n"}},
        {{"dump"},
         {0,
          "== A ==\n[Data Exchange]\nName1=C:\\\\a.ies\\r\\n\n\n[S]\nK=line 1\\r\\nline "
          "2\\r\\n\\r\\n\n"
          "\n== B ==\n[S]\nK=v\n"}},
        {{"get", "A", "S"}, {2, ""}},
        {{"list"}, {2, ""}},
    };
    for (const auto& [args, expected] : rows) {
        const auto result = Cli(file, args);
        EXPECT_EQ(result.exitCode, expected.exitCode) << args[0];
        EXPECT_EQ(result.out, expected.out) << args[0];
    }
    // A file that is not a store is reported, not damaged.
    const auto text = folder / "notes.txt";
    std::ofstream(text) << "[Startup]\nLeft=1\n";
    EXPECT_EQ(Cli(text, {"dump"}).exitCode, 3);
    EXPECT_EQ(std::filesystem::file_size(text), 17u);
}

TEST(SettingsProcesses, WritersOfDifferentKeysAtOnceLoseNothing) {
    constexpr int kWriters = 6;
    constexpr int kValues = 150;
    constexpr std::size_t kSize = 300;
    // A fresh file each round: the writers also race to create the store.
    for (int round = 0; round < 3; ++round) {
        TempFolder folder;
        const auto file = folder / "settings.sqlite3";
        std::vector<std::unique_ptr<QProcess>> writers;
        for (int w = 0; w < kWriters; ++w) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->start(Helper(), Args({"write", file.string(), std::to_string(w),
                                                  std::to_string(kValues), std::to_string(kSize)}));
        }
        for (auto& writer : writers) {
            ASSERT_TRUE(writer->waitForFinished(kWaitMs));
            EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().toStdString();
        }
        auto store = SqliteSettingsStore::Open(file);
        ASSERT_NE(store, nullptr);
        int wrong = 0;
        for (int w = 0; w < kWriters; ++w) {
            for (int i = 0; i < kValues; ++i) {
                wrong += store->read("Test", PatternSection(w), PatternKey(i)) !=
                         PatternValue(w, i, kSize);
            }
        }
        EXPECT_EQ(wrong, 0) << "round " << round;
        EXPECT_EQ(store->dump().size(), static_cast<std::size_t>(kWriters * kValues));
    }
}

// A mailbox taken while another process keeps writing into it: the take
// reads and empties in one transaction, so no value written between the two
// steps is emptied unseen. Every value ends up exactly once: taken here,
// replaced by the writer before anyone took it, or left at the end.
TEST(SettingsProcesses, ATakeRacingAWriterNeverLosesOrRepeatsAValue) {
    constexpr int kValues = 4000;
    TempFolder folder;
    const auto file = folder / "settings.sqlite3";
    auto store = SqliteSettingsStore::Open(file);
    ASSERT_NE(store, nullptr);
    QByteArray first;
    auto writer = StartHelper(Args({"post", file.string(), std::to_string(kValues)}), &first);
    ASSERT_EQ(first, "ready");
    std::multiset<int> seen;
    std::set<int> taken;
    while (writer->state() != QProcess::NotRunning) {
        if (const auto value = store->take("Test", "Mailbox", "Host"); value && !value->empty()) {
            seen.insert(std::stoi(*value));
            taken.insert(std::stoi(*value));
        }
        writer->waitForFinished(0);
    }
    ASSERT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().toStdString();
    int repeated = 0;
    for (const QByteArray& line : writer->readAllStandardOutput().split('\n')) {
        if (line.isEmpty()) continue;
        seen.insert(line.toInt());
        repeated += taken.count(line.toInt()) > 0 ? 1 : 0;
    }
    if (const std::string left = store->read("Test", "Mailbox", "Host"); !left.empty()) seen.insert(std::stoi(left));
    EXPECT_EQ(repeated, 0) << "values both taken and replaced";
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(kValues)) << "values lost or repeated";
    EXPECT_EQ(std::set<int>(seen.begin(), seen.end()).size(), seen.size());
    EXPECT_GT(taken.size(), 0u);
}

TEST(SettingsProcesses, AWriterKilledMidWriteNeverBreaksTheStore) {
    constexpr int kRounds = 25;
    constexpr std::size_t kSize = 20000;
    TempFolder folder;
    const auto file = folder / "settings.sqlite3";
    std::mt19937 random(20261207);
    std::map<int, int> written;  // round -> values that got in
    for (int round = 0; round < kRounds; ++round) {
        QByteArray line;
        auto writer = StartHelper(
            Args({"write", file.string(), std::to_string(round), "1000000", std::to_string(kSize)}),
            &line);
        ASSERT_EQ(line, "ready");
        // Later each round, so the kill lands in ever other steps of a write.
        std::this_thread::sleep_for(
            std::chrono::microseconds(200 + (round * 1500) % 30000 + random() % 500));
        Kill(*writer);

        ASSERT_EQ(IntegrityCheck(file), "ok") << "round " << round;
        auto store = SqliteSettingsStore::Open(file);
        ASSERT_NE(store, nullptr) << "round " << round;
        // Writes are sequential: a whole prefix of them is there, each value
        // complete, and nothing after it.
        int count = 0;
        while (auto value = store->find("Test", PatternSection(round), PatternKey(count))) {
            ASSERT_EQ(*value, PatternValue(round, count, kSize)) << "round " << round;
            ++count;
        }
        EXPECT_FALSE(store->find("Test", PatternSection(round), PatternKey(count + 1)));
        written[round] = count;
        ASSERT_TRUE(store->write("Test", "After", "Round", std::to_string(round)));
    }
    // Nothing an earlier round got in was lost later.
    auto store = SqliteSettingsStore::Open(file);
    ASSERT_NE(store, nullptr);
    for (const auto& [round, count] : written) {
        const auto section = store->list("Test", PatternSection(round));
        EXPECT_EQ(section.size(), static_cast<std::size_t>(count)) << "round " << round;
    }
    EXPECT_EQ(store->read("Test", "After", "Round"), std::to_string(kRounds - 1));
}

TEST(SettingsProcesses, ALockIsHeldUntilItsProcessEndsEvenByKill) {
    TempFolder folder;
    const std::string locks = (folder / "locks").string();
    InstanceLock mine(locks);

    QByteArray line;
    auto first = StartHelper(Args({"lock", locks, "Data Exchange_1"}), &line);
    ASSERT_EQ(line, "held");
    EXPECT_FALSE(mine.tryAcquire("data exchange_1"));
    auto second = StartHelper(Args({"lock", locks, "DATA EXCHANGE_1"}), &line);
    EXPECT_EQ(line, "busy");
    second->waitForFinished(kWaitMs);
    // Another name is free all along.
    EXPECT_TRUE(mine.tryAcquire("Data Exchange_2"));

    // A crashed holder gives its lock back.
    Kill(*first);
    EXPECT_TRUE(mine.tryAcquire("Data Exchange_1"));

    // And a holder that ends normally gives it back too.
    mine.release("Data Exchange_1");
    auto fourth = StartHelper(Args({"lock", locks, "Data Exchange_1"}), &line);
    ASSERT_EQ(line, "held");
    EXPECT_FALSE(mine.tryAcquire("Data Exchange_1"));
    fourth->closeWriteChannel();
    ASSERT_TRUE(fourth->waitForFinished(kWaitMs));
    EXPECT_EQ(fourth->exitCode(), 0);
    EXPECT_TRUE(mine.tryAcquire("Data Exchange_1"));
}

TEST(SettingsProcesses, ProgramsStartedByAHolderDoNotKeepItsLock) {
    TempFolder folder;
    const std::string locks = (folder / "locks").string();
    QByteArray line;
    std::unique_ptr<QProcess> tool;
    {
        InstanceLock host(locks);
        ASSERT_TRUE(host.tryAcquire("Lumibench_PE"));
        // A tool the host starts outlives the host here.
        tool = StartHelper(Args({"lock", locks, "tool"}), &line);
        ASSERT_EQ(line, "held");
    }
    auto next = StartHelper(Args({"lock", locks, "Lumibench_PE"}), &line);
    EXPECT_EQ(line, "held");
    next->closeWriteChannel();
    next->waitForFinished(kWaitMs);
    tool->closeWriteChannel();
    tool->waitForFinished(kWaitMs);
}

}  // namespace
}  // namespace lumibench
