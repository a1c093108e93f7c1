// The Save tool's window with a scripted user and a host stand-in that takes
// every command: where each data set goes, what the host is told, and that an
// existing file is only replaced after the user agreed.

#include <QAbstractButton>
#include <QComboBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/settings_store.h"
#include "save_window.h"
#include "sdk/luminaire_templates.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;

class SaveWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("lumibench-save-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "export");
        line_.hostKey = "LumibenchPE";
        line_.instanceId = "4";
        line_.section = "Data Exchange";
        // The host: takes each command as it arrives, keeping its text.
        QObject::connect(&host_, &QTimer::timeout, [this] {
            const std::string command = store_.read("Lumibench_PE", "Data Exchange", "LumibenchPE");
            if (command.empty()) return;
            commands_.push_back(command);
            slotNames_.push_back(store_.read("Lumibench_PE", "Data Exchange", "Filename1"));
            store_.write("Lumibench_PE", "Data Exchange", "LumibenchPE", "");
        });
        host_.start(5);
    }
    void TearDown() override {
        ::unsetenv("LUMIBENCH_TOOL_SCRIPT");
        fs::remove_all(folder_);
    }
    // Runs `script`'s clicks in a fresh window over `records`.
    void run(const std::string& script, WorkRecordTable records) {
        ::setenv("LUMIBENCH_TOOL_SCRIPT", script.c_str(), 1);
        ToolSession session(store_, line_, "Tool_SaveEXPE");
        save_tool::SaveWindow window(session, std::move(records));
        window.dialogs().runClicks();
        QCoreApplication::processEvents();
    }
    PhotometricRecord made(const std::string& name) {
        TemplateParameters p;
        p.name = name;
        return MakeTemplateRecord(p);
    }
    static std::string Read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path folder_;
    MemorySettingsStore store_;
    ToolCommandLine line_;
    QTimer host_;
    std::vector<std::string> commands_;
    std::vector<std::string> slotNames_;
};

TEST_F(SaveWindowTest, OwnFilesAreSavedInPlaceAndNewDataAsksForAName) {
    PhotometricRecord own = made("own");
    own.Filename = (folder_ / "own.ldt").string();
    const std::string target = (folder_ / "chosen").string();
    run("click cmdSave\nfile " + target + " ies2019", {own, made("New data")});

    EXPECT_TRUE(fs::exists(folder_ / "own.ldt"));
    EXPECT_TRUE(Read(folder_ / "own.ldt").find("\r\n") != std::string::npos);
    EXPECT_TRUE(Read(target + ".ies").starts_with("IES:LM-63-2019\r\n"));
    // A new name is followed by the data as the file holds it.
    ASSERT_EQ(commands_.size(), 3u);
    EXPECT_EQ(commands_[0], "SENDSAVEDDATA,Tool_SaveEXPE,4");
    EXPECT_EQ(slotNames_[0], own.Filename);
    EXPECT_EQ(commands_[1], "SENDRENAMEDDATA,Tool_SaveEXPE,4,New data.ies");
    EXPECT_EQ(slotNames_[1], target + ".ies");
    EXPECT_EQ(commands_[2], "SENDUPDATEDDATA,Tool_SaveEXPE,4");
    EXPECT_EQ(slotNames_[2], target + ".ies");
}

TEST_F(SaveWindowTest, ReplacingAFileAsksFirst) {
    const fs::path existing = folder_ / "kept.ies";
    std::ofstream(existing) << "earlier";
    for (const char* answer : {"no", "yes"}) {
        run("click cmdSaveAs\nfile " + existing.string() + "\n" + answer, {made("x")});
        EXPECT_EQ(Read(existing) == "earlier", std::string(answer) == "no") << answer;
    }
    EXPECT_EQ(commands_.size(), 2u);  // only the file written is reported (renamed, then its data)
}

TEST_F(SaveWindowTest, ExportWritesCopiesAndTellsTheHostNothing) {
    // The export format is IES 2002 until the user picks another.
    std::ofstream(folder_ / "export" / "b.ies") << "earlier";
    run("click cmdExport\nfolder " + (folder_ / "export").string() + "\nno", {made("a"), made("b")});
    EXPECT_FALSE(fs::exists(folder_ / "export" / "a.ies"));  // refused as a whole
    EXPECT_EQ(Read(folder_ / "export" / "b.ies"), "earlier");
    run("click cmdExport\nfolder " + (folder_ / "export").string() + "\nyes", {made("a"), made("b")});
    EXPECT_TRUE(fs::exists(folder_ / "export" / "a.ies"));
    EXPECT_TRUE(Read(folder_ / "export" / "b.ies").starts_with("IESNA:LM-63-2002\r\n"));
    EXPECT_TRUE(commands_.empty());
}

// No export or Save As replaces the file of a data set in the list, even
// when the user agreed to replace existing files, and two data sets of one
// name do not share one exported file.
TEST_F(SaveWindowTest, NoDataSetsFileIsReplacedByAnother) {
    PhotometricRecord own = made("a");
    own.Filename = (folder_ / "export" / "a.ies").string();
    std::ofstream(own.Filename) << "own file";
    run("click cmdExport\nfolder " + (folder_ / "export").string() + "\nyes", {own, made("b"), made("b")});
    EXPECT_EQ(Read(own.Filename), "own file");
    EXPECT_TRUE(Read(folder_ / "export" / "b.ies").starts_with("IESNA:LM-63-2002\r\n"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "export"), {}), 2);

    run("click cmdSaveAs\nfile " + own.Filename + "\nyes", {made("x"), own});
    EXPECT_EQ(Read(own.Filename), "own file");
    EXPECT_TRUE(commands_.empty());
}

TEST_F(SaveWindowTest, AFolderThatIsGoneFailsWithoutTellingTheHost) {
    run("click cmdSaveAs\nfile " + (folder_ / "missing" / "x.ies").string(), {made("x")});
    EXPECT_FALSE(fs::exists(folder_ / "missing"));
    EXPECT_TRUE(commands_.empty());
}

}  // namespace
}  // namespace lumibench
