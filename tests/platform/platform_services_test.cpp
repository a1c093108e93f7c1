#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <fstream>

#include "platform/app_folders.h"
#include "platform/file_utils.h"
#include "platform/instance_lock.h"
#include "platform/machine_config.h"
#include "platform/pause.h"
#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::ScopedEnv;
using testing::TempFolder;

constexpr const char* kTools = "Software\\Quillon\\Lumibench_PE-v1dot7\\Tools";

void WriteFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

TEST(MachineConfig, ReadsRegistryPathsAndValuesAsWritten) {
    TempFolder folder;
    const auto file = folder / "machine.ini";
    WriteFile(file,
              "; installed tools\n"
              "[Software\\Quillon\\Lumibench_PE-v1dot7\\Tools]\r\n"
              "ToolActName1=Tool_ViewPE\r\n"
              "ToolPath1 = /opt/lumibench/tools \n"
              "ToolTip1=View; compare ; print\n"
              "  ToolType1=3\n"
              "ToolPath2=" +
                  std::string(300, 'p') +
                  "\n"
                  "this line is nonsense\n"
                  "ToolDisplayName1=\n"
                  "[software\\quillon\\lumibench_pe-v1dot7\\tools]\n"
                  "toolactname1=Tool_ViewPE2\n");
    const auto config = MachineConfig::Load(file);
    EXPECT_TRUE(config.loaded());
    EXPECT_EQ(config.firstBadLine(), 8);
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"ToolActName1", "Tool_ViewPE2"},  // a section given twice: the later value wins
        {"TOOLPATH1", "/opt/lumibench/tools"},
        {"ToolTip1", "View; compare ; print"},
        {"ToolType1", "3"},
        {"ToolPath2", std::string(300, 'p')},
        {"ToolDisplayName1", ""},
        {"ToolIconFile1", std::nullopt},
    };
    for (const auto& [name, expected] : rows) {
        EXPECT_EQ(config.value(kTools, name), expected) << name;
    }
    EXPECT_EQ(config.value("Software/Quillon/Lumibench_PE-v1dot7/Tools", "ToolActName1"),
              std::nullopt);

    const auto missing = MachineConfig::Load(folder / "absent.ini");
    EXPECT_FALSE(missing.loaded());
    EXPECT_EQ(missing.value(kTools, "ToolActName1"), std::nullopt);
}

TEST(MachineConfig, ValueLongerThanTheBufferIsDetected) {
    TempFolder folder;
    const auto file = folder / "machine.ini";
    WriteFile(file, "[K]\nFits=" + std::string(254, 'a') + "\nTooLong=" + std::string(255, 'b') +
                        "\nHuge=" + std::string(70000, 'c') + "\n");
    const auto config = MachineConfig::Load(file);
    EXPECT_EQ(config.value("K", "Fits", 255), std::string(254, 'a'));
    EXPECT_EQ(config.value("K", "TooLong", 255), std::nullopt);
    EXPECT_EQ(config.value("K", "TooLong", 256), std::string(255, 'b'));
    EXPECT_EQ(config.value("K", "Huge", 255), std::nullopt);
    EXPECT_EQ(config.value("K", "Huge")->size(), 70000u);
}

TEST(FileExists, AsTheSystemTestsFiles) {
    TempFolder folder;
    WriteFile(folder / "a.ies", "x");
    WriteFile(folder / ".hidden", "x");
    std::filesystem::create_directory(folder / "sub");
    const std::string base = folder.path().string() + "/";
    const std::pair<std::string, bool> rows[] = {
        {base + "a.ies", true},
        {base + "A.IES", false},  // names are case-sensitive here
        {base + "sub", true},     // a folder counts
        {base + "sub/", false},   // but not without a base name
        {base + ".hidden", false},
        {base + "missing.ies", false},
        {"   ", false},
        {base + "a.ies" + std::string(1, '\0') + "x", false},
        {base + std::string(5000, 'n'), false},
    };
    for (const auto& [path, exists] : rows) {
        EXPECT_EQ(FileExists(path), exists) << path;
    }
}

TEST(AppFolders, UserDataFolderIsCreatedUnderTheDataHome) {
    EXPECT_EQ(ProgramFolder(), std::filesystem::read_symlink("/proc/self/exe").parent_path());
    TempFolder folder;
    ScopedEnv data("XDG_DATA_HOME", (folder / "data").string());
    EXPECT_EQ(UserDataFolder(), folder / "data/Lumibench");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "data/Lumibench"));
    // A relative value is ignored, as the base-directory rules say.
    ScopedEnv relative("XDG_DATA_HOME", "relative/data");
    ScopedEnv home("HOME", (folder / "home").string());
    EXPECT_EQ(UserDataFolder(), folder / "home/.local/share/Lumibench");
}

TEST(InstanceLock, NamesShareALockOnlyWhenEqualWithoutCase) {
    TempFolder folder;
    InstanceLock first(folder / "locks");
    InstanceLock second(folder / "locks");
    const std::string names[] = {"Data Exchange",
                                 "../escape",
                                 "",
                                 "%41",
                                 "A",
                                 std::string(400, 'x'),
                                 std::string(400, 'x') + "y"};
    for (const auto& name : names) {
        EXPECT_TRUE(first.tryAcquire(name)) << name;
        EXPECT_TRUE(first.tryAcquire(name)) << "again: " << name;
        EXPECT_FALSE(second.tryAcquire(name)) << name;
    }
    EXPECT_FALSE(second.tryAcquire("DATA EXCHANGE"));
    EXPECT_TRUE(second.tryAcquire("Data Exchange_2"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    first.release("data exchange");
    EXPECT_TRUE(second.tryAcquire("Data Exchange"));
}

TEST(Pause, WaitsLongerThanAskedWhileTimersRun) {
    int argc = 1;
    char name[] = "platform_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(10);
    for (const int ms : {0, 120}) {
        QElapsedTimer clock;
        clock.start();
        Pause(ms);
        EXPECT_GT(clock.elapsed(), ms);
        EXPECT_LT(clock.elapsed(), ms + 1000);
    }
    EXPECT_GE(ticks, 5);  // the timer ran inside the pause
}

}  // namespace
}  // namespace lumibench
