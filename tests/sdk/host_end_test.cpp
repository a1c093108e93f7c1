// A host that is killed outright (kill -9) takes its tools with it: the
// parent-death signal ends a tool it started directly, and a tool it reached
// only through a wrapper that forks ends by its SDK's watch on the host.
#include <gtest/gtest.h>

#include <QProcess>

#include <dirent.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <fstream>
#include <set>

#include "exchange/exchange_records.h"
#include "exchange/host_process.h"
#include "platform/sqlite_settings_store.h"
#include "platform/settings_store.h"
#include "sdk/tool_session.h"
#include "process_helpers.h"
#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::TempFolder;

// Every process below `ancestor`, from /proc.
std::set<std::int64_t> Descendants(std::int64_t ancestor) {
    std::map<std::int64_t, std::int64_t> parents;
    if (DIR* proc = ::opendir("/proc")) {
        while (dirent* entry = ::readdir(proc)) {
            std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
            std::string line;
            if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
            std::istringstream rest(line.substr(line.rfind(')') + 1));
            std::string state;
            std::int64_t parent = 0;
            rest >> state >> parent;
            parents[std::atoll(entry->d_name)] = parent;
        }
        ::closedir(proc);
    }
    std::set<std::int64_t> found;
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, parent] : parents) {
            if ((parent == ancestor || found.count(parent)) && found.insert(pid).second) grew = true;
        }
    }
    return found;
}

// Gone or ended-and-waiting: an orphan comes to this test (a subreaper) to be collected.
bool Ended(std::int64_t pid) {
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    return !ProcessAlive(pid, std::nullopt);
}

TEST(HostEnd, NoToolOutlivesAKilledHostByTwoSeconds) {
    // Orphans of the killed host come here instead of to init, so the test
    // can tell an ended tool from one still running.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    TempFolder folder;
    ::setenv("LUMIBENCH_SETTINGS", (folder / "settings.sqlite3").c_str(), 1);
    ::setenv("LUMIBENCH_PYTHON_SDK", (std::string(LUMIBENCH_SOURCE_DIR) + "/sdk/python").c_str(), 1);
    ::setenv("PY_TOOL_LOG", (folder / "py.log").c_str(), 1);
    ::setenv("LUMIBENCH_PROBE_LOG", (folder / "probe.log").c_str(), 1);
    const std::string driver = std::string(LUMIBENCH_SOURCE_DIR) + "/tests/sdk/python/sdk_driver.py";

    struct Row {
        const char* name;
        std::string script;
        const char* readyFile;  // written once the tool runs
    };
    const Row rows[] = {
        {"a program that ignores the host", "touch " + (folder / "plain.ready").string() + "; exec sleep 60",
         "plain.ready"},
        {"the C++ SDK behind a forking wrapper", std::string(LUMIBENCH_PROBE) + " \"$@\"; exit 0", "probe.log"},
        {"the Python SDK behind a forking wrapper", LUMIBENCH_PYTHON " " + driver + " tool \"$@\"; exit 0",
         "py.log"},
    };
    QStringList programs;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        programs << QString::fromStdString(
            folder.write("tool" + std::to_string(i), "#!/bin/sh\n" + rows[i].script + "\n", true).string());
    }
    QProcess host;
    host.start(QStringLiteral(HOST_STAND_IN), programs);
    ASSERT_TRUE(host.waitForStarted(5000));
    for (const Row& row : rows) {
        EXPECT_TRUE(testing::WaitFor([&] { return std::filesystem::exists(folder / row.readyFile); },
                                     std::chrono::seconds(15)))
            << row.name;
    }
    const std::set<std::int64_t> tools = Descendants(host.processId());
    ASSERT_GE(tools.size(), std::size(rows) + 2);  // the two wrappers' children too

    ::kill(static_cast<pid_t>(host.processId()), SIGKILL);
    host.waitForFinished(2000);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::set<std::int64_t> left = tools;
    while (!left.empty() && std::chrono::steady_clock::now() < deadline) {
        std::erase_if(left, [](std::int64_t pid) { return Ended(pid); });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(left.empty()) << left.size() << " tool processes outlived their host by 2 s";
    for (std::int64_t pid : left) ::kill(static_cast<pid_t>(pid), SIGKILL);
    Ended(0);
}

// A tool whose host died while the host key still held a command (so the
// tool's own cannot be written) gives up at once instead of waiting out its
// timeout: nobody will ever empty that key.
TEST(HostEnd, AToolStopsWaitingForTheHostKeyOnceItsHostHasDied) {
    TempFolder folder;
    ::setenv("LUMIBENCH_SETTINGS", (folder / "settings.sqlite3").c_str(), 1);
    const pid_t host = ::fork();
    if (host == 0) {
        ::pause();
        ::_exit(0);
    }
    ASSERT_GT(host, 0);
    const auto start = ProcessStartTicks(host);
    ::kill(host, SIGKILL);
    ::waitpid(host, nullptr, 0);
    ASSERT_TRUE(start);
    ::setenv(std::string(kHostPidVariable).c_str(), std::to_string(host).c_str(), 1);
    ::setenv(std::string(kHostStartVariable).c_str(), std::to_string(*start).c_str(), 1);
    const char* argv[] = {"Tool_ViewPE", " 0,1,LumibenchPE,1,1,Data Exchange"};
    auto session = ToolSession::StartSession(2, argv, "Tool_ViewPE");
    ::unsetenv(std::string(kHostPidVariable).c_str());
    ::unsetenv(std::string(kHostStartVariable).c_str());
    ASSERT_TRUE(session);
    session->store().write("Lumibench_PE", "Data Exchange", "LumibenchPE", "REFRESHDATA,Tool_ComparePE,1");

    constexpr auto kLongTimeout = std::chrono::seconds(60);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(session->sendRawToHost("REFRESHLOADEDCOUNT,Tool_ViewPE,1", kLongTimeout));
    PhotometricRecord record;
    record.Filename = "/data/a.ies";
    ASSERT_EQ(session->writeData({record}), 1);
    EXPECT_FALSE(session->sendToHost("SENDNEWDATA*", {}, kLongTimeout));  // the slots go with the command
    EXPECT_FALSE(session->waitUntilTaken(kLongTimeout));
    EXPECT_LT(std::chrono::steady_clock::now() - started, kLongTimeout / 4);
    EXPECT_EQ(session->store().read("Lumibench_PE", "Data Exchange", "LumibenchPE"), "REFRESHDATA,Tool_ComparePE,1");
}

// A data set too large for the memory a tool may have: the tool says which
// and how large in a message box (and on its error output) and stays up to
// show it, instead of dying of std::bad_alloc.
TEST(HostEnd, AToolThatCannotHoldItsDataSetSaysSoInsteadOfCrashing) {
#ifdef LUMIBENCH_SANITIZED
    GTEST_SKIP() << "a sanitizer needs more address space than the limit leaves";
#endif
    TempFolder folder;
    {
        auto store = SqliteSettingsStore::Open(folder / "settings.sqlite3");
        ASSERT_TRUE(store);
        PhotometricRecord big;
        big.Filename = "/data/big.ies";
        big.HorAngleCount = 2500;
        big.VertAngleCount = 3600;
        for (int i = 0; i < 2500; ++i) big.HorAngles.push_back(static_cast<float>(i * 360.0 / 2499));
        for (int i = 0; i < 3600; ++i) big.VertAngles.push_back(static_cast<float>(i * 180.0 / 3599));
        big.Candela.assign(2500, std::vector<double>(3600, 1234.5));
        SilentMessageSink silent;
        ASSERT_EQ(WriteExchangeRecords(*store, "Data Exchange", {big}, 1, 1, 1, silent), 1);
    }
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LUMIBENCH_SETTINGS", QString::fromStdString((folder / "settings.sqlite3").string()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.remove(QString::fromStdString(std::string(kHostPidVariable)));
    tool.setProcessEnvironment(environment);
    // About 300 MB of address space is the tool's own; the data set needs far more than the rest.
    tool.start("prlimit", {"--as=550000000", TOOL_VIEW, " 0,1,LumibenchPE,1,1,Data Exchange"});
    ASSERT_TRUE(tool.waitForStarted(5000));
    const std::string expected =
        "Tool_ViewPE cannot hold the data set /data/big.ies (2500 \u00d7 3600 candela values, 72 MB): there is not "
        "enough memory. The tool ends.";
    std::string errors;
    testing::WaitFor(
        [&] {
            tool.waitForReadyRead(100);
            errors += tool.readAllStandardError().toStdString();
            return errors.find(expected) != std::string::npos || tool.state() == QProcess::NotRunning;
        },
        std::chrono::seconds(90));
    EXPECT_NE(errors.find(expected), std::string::npos) << errors;
    // Still there with its message, or ended by itself: never by a signal.
    if (tool.state() == QProcess::NotRunning) {
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    }
    tool.kill();
    tool.waitForFinished(5000);
}

// The host's identity a tool checks: its own process, not a later one with the same id.
TEST(HostEnd, ProcessIdentityTellsAReusedIdFromTheHost) {
    const std::int64_t self = ::getpid();
    const auto start = ProcessStartTicks(self);
    ASSERT_TRUE(start);
    EXPECT_TRUE(ProcessAlive(self, start));
    EXPECT_TRUE(ProcessAlive(self, std::nullopt));
    EXPECT_FALSE(ProcessAlive(self, *start + 1));  // same id, another start: not our host
    EXPECT_FALSE(ProcessAlive(0, std::nullopt));
    EXPECT_FALSE(ProcessAlive(-1, std::nullopt));

    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    // Ended but not collected: a zombie counts as gone.
    EXPECT_TRUE(testing::WaitFor([&] { return !ProcessAlive(child, std::nullopt); }, std::chrono::seconds(2)));
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(ProcessAlive(child, std::nullopt));
}

}  // namespace
}  // namespace lumibench
