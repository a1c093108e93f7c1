// Where an installed or relocated Lumibench finds its files: the bundled data
// relative to the program, the machine config in the XDG folders, and the
// drop-in files that other packages add beside it.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/app_folders.h"
#include "platform/machine_config.h"
#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::ScopedEnv;
using testing::TempFolder;

constexpr const char* kTools = "Software\\Quillon\\Lumibench_PE-v1dot7\\Tools";

void WriteFile(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string Tools(const std::string& values) { return std::string("[") + kTools + "]\n" + values; }

TEST(MachineConfigDropIns, ReadInNameOrderOverTheMainFile) {
    TempFolder folder;
    const auto main = folder / "machine.ini";
    WriteFile(main, Tools("ToolActName1=Tool_Main\nToolActName2=Tool_Hidden\nToolTip1=main\n"));
    const auto dropIns = folder / "machine.d";
    // "9-" sorts after "20-": names compare byte by byte, as run-parts does.
    WriteFile(dropIns / "9-last.ini", Tools("ToolTip3=from 9\n"));
    WriteFile(dropIns / "20-vendor.ini", Tools("ToolActName3=Tool_Vendor\nToolTip3=from 20\n"));
    WriteFile(dropIns / "10-admin.ini", Tools("ToolActName2=\nToolTip1=admin\n"));
    WriteFile(dropIns / "15-other-section.ini", "[Elsewhere]\nToolTip1=not a tool value\n");
    // Left out: other extensions, hidden files, editor copies, folders.
    WriteFile(dropIns / "30-notes.txt", Tools("ToolTip1=txt\n"));
    WriteFile(dropIns / ".40-hidden.ini", Tools("ToolTip1=hidden\n"));
    WriteFile(dropIns / "50-copy.ini~", Tools("ToolTip1=backup\n"));
    std::filesystem::create_directories(dropIns / "60-folder.ini");
    std::filesystem::create_symlink(folder / "nowhere.ini", dropIns / "70-dangling.ini");

    std::vector<std::string> names;
    for (const auto& file : DropInFiles(main)) names.push_back(file.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"10-admin.ini", "15-other-section.ini",
                                               "20-vendor.ini", "9-last.ini"}));

    const auto config = MachineConfig::LoadWithDropIns(main);
    EXPECT_TRUE(config.loaded());
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"ToolActName1", "Tool_Main"},  // untouched by the drop-ins
        {"ToolTip1", "admin"},          // replaced by one value of a drop-in
        {"ToolActName2", ""},           // an administrator hides a bundled tool
        {"ToolActName3", "Tool_Vendor"},
        {"ToolTip3", "from 9"},         // the later file wins
    };
    for (const auto& [name, expected] : rows) {
        EXPECT_EQ(config.value(kTools, name), expected) << name;
    }
    // The plain reading of the main file is unchanged.
    EXPECT_EQ(MachineConfig::Load(main).value(kTools, "ToolTip1"), "main");
}

TEST(MachineConfigDropIns, WorkWithoutTheMainFileAndWithoutTheFolder) {
    TempFolder folder;
    const auto main = folder / "machine.ini";
    EXPECT_FALSE(MachineConfig::LoadWithDropIns(main).loaded());

    WriteFile(folder / "machine.d" / "50-tool.ini", Tools("ToolActName7=Tool_Only\n"));
    const auto onlyDropIn = MachineConfig::LoadWithDropIns(main);
    EXPECT_TRUE(onlyDropIn.loaded());
    EXPECT_EQ(onlyDropIn.value(kTools, "ToolActName7"), "Tool_Only");

    // A bad line of a drop-in does not count against the main file's lines.
    WriteFile(main, Tools("ToolActName1=Tool_Main\n"));
    WriteFile(folder / "machine.d" / "60-bad.ini", "not a value\n");
    const auto withBadDropIn = MachineConfig::LoadWithDropIns(main);
    EXPECT_EQ(withBadDropIn.firstBadLine(), 0);
    EXPECT_EQ(withBadDropIn.value(kTools, "ToolActName7"), "Tool_Only");
}

TEST(MachineConfigPath, SearchesTheXdgConfigFolders) {
    TempFolder folder;
    WriteFile(folder / "second/lumibench/machine.ini", "");
    WriteFile(folder / "third/lumibench/machine.ini", "");
    ScopedEnv noOverride("LUMIBENCH_MACHINE_CONFIG", "");
    const std::string first = (folder / "first").string();  // has no config
    const std::string second = (folder / "second").string();
    const std::string third = (folder / "third").string();
    const std::pair<std::string, std::filesystem::path> rows[] = {
        {first + ":" + second + ":" + third, folder / "second/lumibench/machine.ini"},
        {"second:" + third, folder / "third/lumibench/machine.ini"},  // relative: ignored
        {"::" + third + ":", folder / "third/lumibench/machine.ini"},
        {first, "/etc/xdg/lumibench/machine.ini"},
        {"", "/etc/xdg/lumibench/machine.ini"},
    };
    for (const auto& [dirs, expected] : rows) {
        ScopedEnv configDirs("XDG_CONFIG_DIRS", dirs);
        EXPECT_EQ(DefaultMachineConfigPath(), expected) << dirs;
    }
    ScopedEnv chosen("LUMIBENCH_MACHINE_CONFIG", "/somewhere/else.ini");
    EXPECT_EQ(DefaultMachineConfigPath(), "/somewhere/else.ini");
}

TEST(ProgramDataFolder, BesideTheProgramOrInTheSharedFolderOfItsPrefix) {
    struct Row {
        const char* layout;
        std::vector<const char*> files;
        const char* expected;  // relative to the temporary folder
    };
    const Row rows[] = {
        {"build tree", {"bin/Lumibench_PE-License.rtf"}, "bin"},
        {"installed prefix", {"share/lumibench/Lumibench_PE-License.rtf"}, "share/lumibench"},
        {"both: the program's own copy wins",
         {"bin/Lumibench_PE-License.rtf", "share/lumibench/Lumibench_PE-License.rtf"},
         "bin"},
        {"an empty share folder is not enough", {"share/lumibench/help/index.html"}, "bin"},
        {"nothing anywhere", {}, "bin"},
    };
    for (const Row& row : rows) {
        TempFolder folder;
        std::filesystem::create_directories(folder / "bin");
        for (const char* file : row.files) WriteFile(folder / file, "x");
        EXPECT_EQ(ProgramDataFolderFor(folder / "bin"), folder / row.expected) << row.layout;
    }
}

}  // namespace
}  // namespace lumibench
