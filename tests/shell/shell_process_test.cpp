// The real program as separate processes: under Xvfb with files on its
// command line, and several instances sharing one settings store.

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/sqlite_settings_store.h"

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

}  // namespace
}  // namespace lumibench
