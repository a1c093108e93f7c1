#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/app_folders.h"
#include "platform/file_utils.h"
#include "platform/instance_lock.h"
#include "platform/machine_config.h"
#include "platform/pause.h"
#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::TempFolder;

constexpr const char* kTools = "Software\\Quillon\\Lumibench_PE-v1dot7\\Tools";

void WriteFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(MachineConfig, ReadsRegistryPathsAndValuesAsWritten) {
    TempFolder folder;
    const auto file = folder / "machine.ini";
    const std::string longPath = std::string(300, 'p');
    WriteFile(file,
              "; installed tools\n"
              "[Software\\Quillon\\Lumibench_PE-v1dot7\\Tools]\r\n"
              "ToolActName1=Tool_ViewPE\r\n"
              "ToolPath1 = /opt/lumibench/tools \n"
              "ToolTip1=View; compare ; print\n"
              "ToolDisplayName1=\n"
              "  ToolType1=3\n"
              "ToolPath2=" + longPath + "\n"
              "this line is nonsense\n"
              "[Other]\n"
              "ToolActName1=elsewhere\n"
              "[software\\quillon\\lumibench_pe-v1dot7\\tools]\n"
              "ToolMaxFiles1=4\n"
              "toolactname1=Tool_ViewPE2\n");
    const auto config = MachineConfig::Load(file);
    EXPECT_TRUE(config.loaded());
    EXPECT_EQ(config.firstBadLine(), 9);

    struct Row {
        const char* section;
        const char* name;
        std::optional<std::string> expected;
    };
    const Row rows[] = {
        // A section given twice is read twice; the later value wins.
        {kTools, "ToolActName1", "Tool_ViewPE2"},
        {kTools, "TOOLPATH1", "/opt/lumibench/tools"},
        {kTools, "ToolTip1", "View; compare ; print"},
        {kTools, "ToolDisplayName1", ""},
        {kTools, "ToolType1", "3"},
        {kTools, "ToolMaxFiles1", "4"},
        {kTools, "ToolPath2", longPath},
        {kTools, "ToolIconFile1", std::nullopt},
        {"Other", "ToolActName1", "elsewhere"},
        {"Software/Quillon/Lumibench_PE-v1dot7/Tools", "ToolActName1", std::nullopt},
        {"", "ToolActName1", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(config.value(row.section, row.name), row.expected) << row.section << " " << row.name;
    }
}

TEST(MachineConfig, ValueLongerThanTheBufferIsDetected) {
    TempFolder folder;
    const auto file = folder / "machine.ini";
    WriteFile(file, std::string("[K]\n") + "Fits=" + std::string(254, 'a') + "\n" +
                        "TooLong=" + std::string(255, 'b') + "\n" + "Huge=" + std::string(70000, 'c') +
                        "\n" + "Empty=\n");
    const auto config = MachineConfig::Load(file);
    EXPECT_EQ(config.value("K", "Fits", 255), std::string(254, 'a'));
    EXPECT_EQ(config.value("K", "TooLong", 255), std::nullopt);
    EXPECT_EQ(config.value("K", "TooLong", 256), std::string(255, 'b'));
    EXPECT_EQ(config.value("K", "Huge", 255), std::nullopt);
    EXPECT_EQ(config.value("K", "Huge")->size(), 70000u);
    EXPECT_EQ(config.value("K", "Empty", 255), "");
}

TEST(MachineConfig, MissingFileIsEmptyAndDefaultPathFollowsEnvironment) {
    TempFolder folder;
    const auto config = MachineConfig::Load(folder / "absent.ini");
    EXPECT_FALSE(config.loaded());
    EXPECT_EQ(config.value(kTools, "ToolActName1"), std::nullopt);
    {
        ScopedEnv env("LUMIBENCH_MACHINE_CONFIG", (folder / "m.ini").string());
        EXPECT_EQ(DefaultMachineConfigPath(), folder / "m.ini");
    }
    {
        ScopedEnv env("LUMIBENCH_MACHINE_CONFIG", "");
        EXPECT_EQ(DefaultMachineConfigPath(), "/etc/xdg/lumibench/machine.ini");
    }
}

TEST(FileExists, AsTheSystemTestsFiles) {
    TempFolder folder;
    WriteFile(folder / "a.ies", "x");
    WriteFile(folder / ".hidden", "x");
    WriteFile(folder / "with blank ", "x");
    std::filesystem::create_directory(folder / "sub");
    const std::string base = folder.path().string() + "/";
    struct Row {
        std::string path;
        bool exists;
    };
    const Row rows[] = {
        {base + "a.ies", true},
        {base + "A.IES", false},  // names are case-sensitive here
        {base + "sub", true},     // a folder counts
        {base + "sub/", false},   // but not without a base name
        {base + ".hidden", false},
        {base + "missing.ies", false},
        {base + "with blank ", true},
        {"   ", false},
        {"", false},
        {std::string(base + "a.ies") + std::string(1, '\0') + "x", false},
        {base + std::string(5000, 'n'), false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FileExists(row.path), row.exists) << row.path;
    }
}

TEST(AppFolders, ProgramAndUserDataFolders) {
    EXPECT_EQ(ProgramFolder(), std::filesystem::read_symlink("/proc/self/exe").parent_path());
    TempFolder folder;
    ScopedEnv env("XDG_DATA_HOME", (folder / "data").string());
    const auto data = UserDataFolder();
    EXPECT_EQ(data, folder / "data" / "Lumibench");
    EXPECT_TRUE(std::filesystem::is_directory(data));
    {
        // A relative value is ignored, as the base-directory rules say.
        ScopedEnv relative("XDG_DATA_HOME", "relative/data");
        ScopedEnv home("HOME", (folder / "home").string());
        EXPECT_EQ(UserDataFolder(), folder / "home/.local/share/Lumibench");
    }
    EXPECT_EQ(WritableProgramFolder(), ProgramFolder());
}

TEST(InstanceLock, NamesShareALockOnlyWhenEqualWithoutCase) {
    TempFolder folder;
    InstanceLock first(folder / "locks");
    InstanceLock second(folder / "locks");
    const std::string names[] = {
        "Data Exchange", "Data Exchange_1", "../escape", "a/b", "", "%41", "A",
        std::string(400, 'x'), std::string(400, 'x') + "y",
    };
    for (const auto& name : names) {
        EXPECT_TRUE(first.tryAcquire(name)) << name;
        EXPECT_TRUE(first.tryAcquire(name)) << "again: " << name;
    }
    for (const auto& name : names) {
        EXPECT_FALSE(second.tryAcquire(name)) << name;
    }
    EXPECT_FALSE(second.tryAcquire("DATA EXCHANGE"));
    EXPECT_FALSE(second.tryAcquire("a"));
    EXPECT_TRUE(second.tryAcquire("Data Exchange_2"));
    // Every lock file stays inside the folder.
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        EXPECT_EQ(entry.path().filename(), "locks");
    }
    first.release("data exchange");
    EXPECT_FALSE(first.holds("Data Exchange"));
    EXPECT_TRUE(second.tryAcquire("Data Exchange"));
    EXPECT_EQ(InstanceLock::FolderFor("/x/settings.sqlite3"), "/x/settings.sqlite3.locks");
}

TEST(Pause, WaitsLongerThanAskedWhileTimersRun) {
    int argc = 1;
    char name[] = "platform_services_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(10);
    for (const int ms : {0, 1, 120}) {
        QElapsedTimer clock;
        clock.start();
        Pause(ms);
        EXPECT_GT(clock.elapsed(), ms);
        EXPECT_LT(clock.elapsed(), ms + 1000);
    }
    EXPECT_GE(ticks, 5);  // the timer ran inside the 120 ms pause
    QElapsedTimer clock;
    clock.start();
    PauseSeconds(0.05);
    EXPECT_GT(clock.elapsed(), 50);
}

}  // namespace
}  // namespace lumibench
