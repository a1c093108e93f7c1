#include "toolhost/tool_catalogue.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/machine_config.h"
#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::TempFolder;

struct ToolValues {
    ToolValues(int number, std::string name, std::string folder)
        : k(number), actName(std::move(name)), path(std::move(folder)) {}
    int k;
    std::string actName;
    std::string path;
    std::string toolType = "2";
    std::string maxFiles = "1";
    std::string icon;
    std::string display = "Display";
    std::string tip = "Tip";
};

std::string Section() { return std::string("[") + kToolsKeyPath + "]\n"; }

std::string Values(const ToolValues& v) {
    const std::string n = std::to_string(v.k);
    return "ToolActName" + n + "=" + v.actName + "\nToolPath" + n + "=" + v.path +
           "\nToolDisplayName" + n + "=" + v.display + "\nToolTip" + n + "=" + v.tip +
           "\nToolType" + n + "=" + v.toolType + "\nToolMaxFiles" + n + "=" + v.maxFiles +
           "\nToolIconFile" + n + "=" + v.icon + "\n";
}

class ToolCatalogueTest : public ::testing::Test {
protected:
    // A program file named actName in the tools folder.
    std::string install(const std::string& actName) {
        folder.write("tools/" + actName, "#!/bin/true\n", true);
        return (folder / "tools").string();
    }

    ToolCatalogue load(const std::string& ini) {
        const auto file = folder.write("machine.ini", ini);
        ToolCatalogue catalogue;
        count = LoadToolCatalogue(MachineConfig::Load(file), catalogue);
        return catalogue;
    }

    TempFolder folder;
    std::int16_t count = -1;
};

TEST_F(ToolCatalogueTest, GapsCloseUpAndUnusableEntriesAreSkipped) {
    const std::string tools = install("Tool_A");
    install("Tool_B");
    install("Tool_E");
    install("Tool_Y");
    const ToolCatalogue catalogue = load(
        Section() + Values(ToolValues(1, "Tool_A", tools)) + Values(ToolValues(2, "Tool_B", tools)) +
        Values(ToolValues(5, "Tool_E", tools)) +
        Values(ToolValues(6, "Tool_Missing", tools)) +  // no program file
        Values(ToolValues(7, "", tools)) +               // no ActName
        Values(ToolValues(8, "Tool_Y", "")) +            // no Path
        Values(ToolValues(26, "Tool_A", tools)));        // beyond the numbers read
    ASSERT_EQ(count, 3);
    ASSERT_EQ(catalogue.count(), 3);
    EXPECT_EQ(catalogue.entry(1).ActName, "Tool_A");
    EXPECT_EQ(catalogue.entry(2).ActName, "Tool_B");
    EXPECT_EQ(catalogue.entry(3).ActName, "Tool_E");
    EXPECT_EQ(catalogue.entry(3).programPath(), tools + "/Tool_E");
    EXPECT_EQ(catalogue.indexOf("Tool_E"), 3);
    EXPECT_EQ(catalogue.indexOf("tool_e"), 0);  // exact comparison
}

TEST_F(ToolCatalogueTest, NumberTextsReadTheirLeadingNumber) {
    struct Row {
        std::string text;
        std::int16_t expected;
    };
    const Row rows[] = {{"2", 2}, {"", 0}, {" 4 tools", 4}, {"x", 0}, {"2.5", 2},
                        {"3.5", 4}, {"-1", -1}, {"99999", 0}};
    for (const Row& row : rows) {
        const std::string tools = install("Tool_T");
        ToolValues v(1, "Tool_T", tools);
        v.toolType = row.text;
        v.maxFiles = row.text;
        const ToolCatalogue catalogue = load(Section() + Values(v));
        ASSERT_EQ(catalogue.count(), 1) << row.text;
        EXPECT_EQ(catalogue.entry(1).ToolType, row.expected) << "ToolType " << row.text;
        EXPECT_EQ(catalogue.entry(1).MaxFiles, row.expected) << "MaxFiles " << row.text;
    }
}

TEST_F(ToolCatalogueTest, IconPathOnlyWhenTheIconFileExists) {
    const std::string tools = install("Tool_A");
    install("Tool_B");
    install("Tool_C");
    folder.write("tools/a.png", "png");
    ToolValues a(1, "Tool_A", tools);
    a.icon = "a.png";
    ToolValues b(2, "Tool_B", tools);
    b.icon = "missing.png";
    ToolValues c(3, "Tool_C", tools);  // empty icon value: the folder itself is no icon
    const ToolCatalogue catalogue = load(Section() + Values(a) + Values(b) + Values(c));
    ASSERT_EQ(catalogue.count(), 3);
    EXPECT_EQ(catalogue.entry(1).IconPath, tools + "/a.png");
    EXPECT_EQ(catalogue.entry(2).IconPath, "");
    EXPECT_EQ(catalogue.entry(3).IconPath, "");
}

TEST_F(ToolCatalogueTest, ValuesLongerThanTheBufferReadAsTheDefault) {
    const std::string tools = install("Tool_A");
    const std::string fits(kRegistryValueBufferSize - 1, 'd');
    const std::string tooLong(kRegistryValueBufferSize, 'd');
    ToolValues v(1, "Tool_A", tools);
    v.display = fits;
    v.tip = tooLong;
    const auto file = folder.write("machine.ini", Section() + Values(v));
    const MachineConfig config = MachineConfig::Load(file);
    EXPECT_EQ(ReadRegistryString(config, kToolsKeyPath, "ToolTip1", "def"), "def");
    EXPECT_EQ(ReadRegistryString(config, "Software\\Other", "ToolActName1", "def"), "def");

    ToolCatalogue catalogue;
    ASSERT_EQ(LoadToolCatalogue(config, catalogue), 1);
    EXPECT_EQ(catalogue.entry(1).DisplayName, fits);
    EXPECT_EQ(catalogue.entry(1).ToolTip, "");
}

// The build tree's own catalogue, then the catalogue of the program's prefix
// (wherever that prefix was moved), then the system-wide one.
TEST(ToolCatalogueConfigPath, FollowsWhereTheProgramLives) {
    struct Row {
        const char* layout;
        std::vector<const char*> files;
        const char* expected;  // relative to the temporary folder, or absolute
    };
    const Row rows[] = {
        {"build tree", {"bin/machine.ini", "etc/xdg/lumibench/machine.ini"}, "bin/machine.ini"},
        {"prefix other than /usr", {"etc/xdg/lumibench/machine.ini"}, "etc/xdg/lumibench/machine.ini"},
        {"neither", {"etc/lumibench/machine.ini"}, "/etc/xdg/lumibench/machine.ini"},
    };
    const char* oldDirs = std::getenv("XDG_CONFIG_DIRS");
    const std::string keptDirs = oldDirs ? oldDirs : "";
    ::setenv("XDG_CONFIG_DIRS", "/nonexistent", 1);
    const char* oldConfig = std::getenv("LUMIBENCH_MACHINE_CONFIG");
    const std::string keptConfig = oldConfig ? oldConfig : "";
    ::unsetenv("LUMIBENCH_MACHINE_CONFIG");
    for (const Row& row : rows) {
        TempFolder folder;
        std::filesystem::create_directories(folder / "bin");
        for (const char* file : row.files) folder.write(file, "");
        EXPECT_EQ(ToolCatalogueConfigPathFor(folder / "bin"), folder / row.expected) << row.layout;
    }
    ::setenv("LUMIBENCH_MACHINE_CONFIG", "/chosen/machine.ini", 1);
    EXPECT_EQ(ToolCatalogueConfigPathFor("/usr/bin"), "/chosen/machine.ini");
    oldConfig ? ::setenv("LUMIBENCH_MACHINE_CONFIG", keptConfig.c_str(), 1)
              : ::unsetenv("LUMIBENCH_MACHINE_CONFIG");
    oldDirs ? ::setenv("XDG_CONFIG_DIRS", keptDirs.c_str(), 1) : ::unsetenv("XDG_CONFIG_DIRS");
}

}  // namespace
}  // namespace lumibench
