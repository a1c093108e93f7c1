// The real program as separate processes: under Xvfb with files on its
// command line, and several instances sharing one settings store.

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <filesystem>
#include <set>
#include <thread>

#include "exchange/host_process.h"
#include "platform/sqlite_settings_store.h"
#include "shell/recovery_file.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace lumibench {
namespace {

QString Program() {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    return QString::fromStdString((bin ? fs::path(bin) : fs::path("bin")) / "lumibench");
}

class ShellProcess : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        root_ = fs::path(folder_.path().toStdString());
        if (!fs::exists(Program().toStdString())) {
            GTEST_SKIP() << "lumibench is not built";
        }
        for (const char* name : {"downlight.ies", "wall_washer.ies"}) {
            fs::copy_file(fs::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples" / name, root_ / name);
        }
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert("LUMIBENCH_SETTINGS", QString::fromStdString(settingsFile()));
        environment_.insert("XDG_DATA_HOME", QString::fromStdString(root_ / "data"));
    }

    std::string settingsFile() const { return (root_ / "settings.sqlite3").string(); }
    std::string read(const char* section, const char* key) {
        auto store = SqliteSettingsStore::Open(settingsFile());
        return store ? store->read("Lumibench_PE", section, key, "unset") : "no store";
    }
    // Waits up to ten seconds for a value to appear.
    bool waitFor(const char* section, const char* key, const std::string& value) {
        for (int i = 0; i < 200; ++i) {
            if (fs::exists(settingsFile()) && read(section, key) == value) {
                return true;
            }
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }
    void start(QProcess& process, const QString& program, const QStringList& arguments,
               const char* platform) {
        QProcessEnvironment environment = environment_;
        environment.insert("QT_QPA_PLATFORM", platform);
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }
    QString file(const char* name) const { return QString::fromStdString(root_ / name); }

    QTemporaryDir folder_;
    fs::path root_;
    QProcessEnvironment environment_;
};

TEST_F(ShellProcess, UnderXvfbTheWindowListsBothFiles) {
    if (!fs::exists("/usr/bin/xvfb-run")) {
        GTEST_SKIP() << "xvfb-run is not installed";
    }
    const QString shot = QString::fromStdString(root_ / "shot.png");
    QProcess process;
    start(process, "/usr/bin/xvfb-run",
          {"-a", "-s", "-screen 0 1280x800x24", Program(), "--screenshot", shot,
           file("downlight.ies"), file("wall_washer.ies")},
          "xcb");
    ASSERT_TRUE(process.waitForFinished(60000));
    const std::string output = process.readAllStandardOutput().toStdString();
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(output, "listed: downlight.ies\nlisted: wall_washer.ies\n");

    // Not blank: the list, the summary and the frame give many colours.
    const QImage image(shot);
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 800);
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width() / 4; x += 2) {
            colours.insert(image.pixel(x, y));
        }
    }
    EXPECT_GT(colours.size(), 20u);

    // A clean exit saved the layout and released the section.
    EXPECT_EQ(read("Data Exchange", "Active"), "False");
    EXPECT_NE(read("Startup", "DisplayWidth"), "unset");
    EXPECT_EQ(read("Lumibench_PE", "AppCaption"), "Valcourt Lumibench v1.87");
}

TEST_F(ShellProcess, HelpAndVersionPrintAndExitWithoutAWindow) {
    const std::vector<std::pair<QString, std::string>> rows = {
        {"--help", "Usage: lumibench "}, {"--version", "Valcourt Lumibench v1.87\n"}};
    for (const auto& [option, start] : rows) {
        QProcess process;
        // No display at all: the answer must not need one.
        QProcessEnvironment environment = environment_;
        environment.remove("DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(environment);
        process.start(Program(), {option});
        ASSERT_TRUE(process.waitForFinished(10000)) << option.toStdString();
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(process.readAllStandardOutput().toStdString().rfind(start, 0), 0u) << option.toStdString();
        EXPECT_FALSE(fs::exists(settingsFile())) << "nothing started";
    }
}

TEST_F(ShellProcess, AKilledInstanceLeavesNoSectionStuck) {
    QProcess first;
    start(first, Program(), {}, "offscreen");
    ASSERT_TRUE(waitFor("Lumibench_PE", "AppCaption", "Valcourt Lumibench v1.87"));

    QProcess second;
    start(second, Program(), {file("downlight.ies")}, "offscreen");
    ASSERT_TRUE(waitFor("Data Exchange_1", "Active", "True"));
    second.kill();
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(read("Data Exchange_1", "Active"), "True");

    // Two more: the one that stays takes back the section the killed one left
    // marked, so the next one gets "Data Exchange_2" and gives it back at its
    // clean exit.
    // Start-up rewrites "0.250" as "0.25" after it has chosen its section.
    SqliteSettingsStore::Open(settingsFile())->write("Lumibench_PE", "Lumibench_PE",
                                                     "SleepIntervalDE", "0.250");
    QProcess third;
    start(third, Program(), {file("wall_washer.ies")}, "offscreen");
    ASSERT_TRUE(waitFor("Lumibench_PE", "SleepIntervalDE", "0.25"));
    QProcess fourth;
    start(fourth, Program(), {"--screenshot", QString::fromStdString(root_ / "fourth.png")},
          "offscreen");
    ASSERT_TRUE(fourth.waitForFinished(30000));
    EXPECT_EQ(fourth.exitCode(), 0);
    EXPECT_EQ(read("Data Exchange_2", "Active"), "False");
    EXPECT_EQ(read("Data Exchange_3", "Active"), "unset");
    third.kill();
    ASSERT_TRUE(third.waitForFinished(10000));

    // Once the third is gone too, its section is free for the next instance.
    QProcess fifth;
    start(fifth, Program(), {"--screenshot", QString::fromStdString(root_ / "fifth.png")},
          "offscreen");
    ASSERT_TRUE(fifth.waitForFinished(30000));
    EXPECT_EQ(read("Data Exchange_1", "Active"), "False");

    first.kill();
    first.waitForFinished(10000);
}

// Processes whose parent is `parent`.
std::set<std::int64_t> ChildrenOf(std::int64_t parent) {
    std::set<std::int64_t> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        std::string state;
        std::int64_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent && state != "Z") children.insert(std::atoll(entry.path().filename().c_str()));
    }
    return children;
}

// A display that cannot be reached is waited for a few seconds (a fresh Xvfb
// comes up meanwhile) and is then reported, never an abort with a core dump.
TEST_F(ShellProcess, ADisplayThatIsNotThereYetIsWaitedForThenReported) {
    if (!fs::exists("/usr/bin/Xvfb")) GTEST_SKIP() << "no Xvfb";
    int number = 4700 + static_cast<int>(::getpid() % 200);
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
    const QString display = ":" + QString::number(number);
    environment_.insert("DISPLAY", display);

    QProcess never;
    start(never, Program(), {file("downlight.ies")}, "xcb");
    ASSERT_TRUE(never.waitForFinished(30000));
    EXPECT_EQ(never.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(never.exitCode(), 1);
    EXPECT_NE(never.readAllStandardError().toStdString().find("cannot connect to the X display " +
                                                               display.toStdString()),
              std::string::npos);

    QProcess host;
    start(host, Program(), {file("downlight.ies")}, "xcb");
    std::this_thread::sleep_for(1s);
    QProcess server;
    server.start("/usr/bin/Xvfb", {display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    ASSERT_TRUE(server.waitForStarted(5000));
    // Up and running (its caption written for the tools): it ends on SIGTERM like any host.
    for (int i = 0; i < 300 && read("Lumibench_PE", "AppCaption") == "unset"; ++i) std::this_thread::sleep_for(50ms);
    EXPECT_NE(read("Lumibench_PE", "AppCaption"), "unset");
    std::this_thread::sleep_for(1s);
    ::kill(static_cast<pid_t>(host.processId()), SIGTERM);
    EXPECT_TRUE(host.waitForFinished(15000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 0);
    server.terminate();
    server.waitForFinished(5000);
}

// Logout, kill and a closed terminal end the host as a close of its window
// does, without the unsaved question: layout saved, tools ended, and the
// record a tool sent as unsaved kept for the next start. A host killed
// outright cannot do any of that, but its tool still ends with it, and the
// record was kept the moment it arrived.
TEST_F(ShellProcess, SystemSignalsEndTheHostLikeAClose) {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    const fs::path probe = fs::path(bin ? bin : "bin") / "lumibench_probe";
    if (!fs::exists(probe)) GTEST_SKIP() << "no probe tool";
    // The probe answers to the view tool's name, so "/V" starts it.
    fs::create_symlink(probe, root_ / "Tool_ViewPE");
    std::ofstream(root_ / "machine.ini") << "[Software\\Quillon\\Lumibench_PE-v1dot7\\Tools]\n"
                                         << "ToolActName1=Tool_ViewPE\nToolPath1=" << root_.string()
                                         << "\nToolDisplayName1=View\nToolType1=2\nToolMaxFiles1=25\n";
    const std::string copy = (root_ / "downlight_copy.ies").string();
    environment_.insert("LUMIBENCH_MACHINE_CONFIG", QString::fromStdString(root_ / "machine.ini"));
    environment_.insert("LUMIBENCH_PROBE_LOG", QString::fromStdString(root_ / "probe.log"));
    environment_.insert("LUMIBENCH_PROBE_SCRIPT",
                        QString::fromStdString("filename 1 " + copy + "\necho\nsend SENDNEWDATA*"));
    const fs::path recovery = root_ / "data" / "Lumibench" / "recovery.sqlite3";

    struct Row {
        const char* name;
        int signal;
        bool closes;
    };
    const Row rows[] = {{"SIGTERM", SIGTERM, true},
                        {"SIGINT", SIGINT, true},
                        {"SIGHUP", SIGHUP, true},
                        {"SIGKILL", SIGKILL, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const char* name : {"settings.sqlite3", "settings.sqlite3-wal", "settings.sqlite3-shm", "probe.log"}) {
            fs::remove(root_ / name);
        }
        fs::remove_all(root_ / "data");
        QProcess host;
        start(host, Program(), {file("downlight.ies"), "/V"}, "offscreen");
        // The probe sent its data back and the host took it.
        const auto sent = [&] {
            std::ifstream log(root_ / "probe.log");
            return std::string(std::istreambuf_iterator<char>(log), {}).find("\tsent\t") != std::string::npos;
        };
        for (int i = 0; i < 300 && !sent(); ++i) std::this_thread::sleep_for(50ms);
        ASSERT_TRUE(sent());
        ASSERT_TRUE(waitFor("Data Exchange", "LumibenchPE", ""));
        std::this_thread::sleep_for(300ms);
        const std::set<std::int64_t> tools = ChildrenOf(host.processId());
        ASSERT_EQ(tools.size(), 1u);

        ::kill(static_cast<pid_t>(host.processId()), row.signal);
        ASSERT_TRUE(host.waitForFinished(15000));
        // A zombie no parent collects yet counts as gone.
        const auto toolGone = [&] { return !ProcessAlive(*tools.begin(), std::nullopt); };
        for (int i = 0; i < 40 && !toolGone(); ++i) std::this_thread::sleep_for(50ms);
        EXPECT_TRUE(toolGone()) << "the tool outlived its host by two seconds";
        if (row.closes) {
            EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(host.exitCode(), 0);
            EXPECT_NE(read("Startup", "DisplayWidth"), "unset");
        } else {
            EXPECT_EQ(host.exitStatus(), QProcess::CrashExit);
        }
        // Kept as it arrived, whether or not the host had a chance to end.
        const RecoveredRecords kept = ReadRecoveredRecords(recovery);
        ASSERT_EQ(kept.records.size(), 1u);
        EXPECT_EQ(kept.records[0].Filename, copy);
    }
}

}  // namespace
}  // namespace lumibench
