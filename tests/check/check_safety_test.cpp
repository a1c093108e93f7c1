// lumibench-check as a CI step and as another user runs it: real child
// processes on files in folders they cannot write and beside planted links.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "program_run.h"
#include "test_files.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// An account without rights to the test's folders, for runs started as root.
constexpr int kNobody = 65534;

using ProcessRun = testing::ProgramRun;

ProcessRun RunCheck(const std::vector<std::string>& args, const fs::path& dataHome, bool asNobody = false) {
    QStringList arguments;
    QString program = QString::fromStdString(testing::BuiltProgram("lumibench-check"));
    if (asNobody) {
        arguments << "--reuid=65534" << "--regid=65534" << "--clear-groups" << program;
        program = "/usr/bin/setpriv";
    }
    arguments << testing::Arguments(args);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", QString::fromStdString(dataHome.string()));
    return testing::RunProgram(program, arguments, 60000, environment);
}

std::string LfOnlyIes() {
    return "[TEST] ABSOLUTE-LED\nTILT=NONE\n1 1000 1 3 1 1 2 0.5 0.5 0.1\n1 1 100\n0 45 90\n0\n500 400 300\n";
}

TEST(CheckSafety, PlantedLinkIsReplacedAndItsTargetLeftAlone) {
    TempFolder folder;
    const fs::path file = folder.path() / "lum.ies";
    testing::WriteBytes(file, LfOnlyIes());
    ::chmod(file.c_str(), 0600);
    const fs::path victim = folder.path() / "victim.txt";
    testing::WriteBytes(victim, "keep me");
    const fs::path copy = folder.path() / "lum_Repaired.ies";
    fs::create_symlink(victim, copy);

    const ProcessRun run = RunCheck({"--repair", file.string()}, folder.path() / "data");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(testing::ReadBytes(victim), "keep me");
    EXPECT_FALSE(fs::is_symlink(copy));
    EXPECT_EQ(testing::ReadBytes(copy).substr(0, 21), "[TEST] ABSOLUTE-LED\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(copy.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0077, 0U) << "the copy must not be more open than its original";
}

TEST(CheckSafety, FilesInFoldersTheUserCannotWriteAreRepairedIntoTheDataFolder) {
    const bool root = ::geteuid() == 0;
    if (root && ::access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "no setpriv to drop root's rights";
    TempFolder folder;
    ::chmod(folder.path().c_str(), 0755);
    const fs::path data = folder.path() / "home";
    fs::create_directory(data);
    std::vector<fs::path> files;
    for (const char* name : {"catalogue-a", "catalogue-b"}) {
        fs::create_directory(folder.path() / name);
        files.push_back(folder.path() / name / "lum.ies");
        testing::WriteBytes(files.back(), LfOnlyIes());
        ::chmod(files.back().c_str(), 0644);
        ::chmod((folder.path() / name).c_str(), 0555);
    }
    if (root && ::chown(data.c_str(), kNobody, kNobody) != 0) GTEST_SKIP() << "cannot hand the data folder over";

    const ProcessRun run = RunCheck({"--repair", "--json", files[0].string(), files[1].string()}, data, root);
    for (const char* name : {"catalogue-a", "catalogue-b"}) ::chmod((folder.path() / name).c_str(), 0755);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const nlohmann::json doc = nlohmann::json::parse(run.out);
    ASSERT_EQ(doc.size(), 2u);
    std::vector<std::string> copies;
    for (const auto& object : doc) {
        EXPECT_TRUE(object["ok"].get<bool>()) << object["message"];
        const std::string copy = object["path"];
        EXPECT_TRUE(copy.starts_with((data / "Lumibench" / "Repaired").string() + "/")) << copy;
        EXPECT_TRUE(copy.ends_with("/lum_Repaired.ies")) << copy;
        EXPECT_NE(run.err.find(copy), std::string::npos) << "the notice names the copy";
        copies.push_back(copy);
    }
    EXPECT_NE(copies[0], copies[1]) << "equal names from two folders must not collide";
    EXPECT_FALSE(fs::exists(folder.path() / "catalogue-a" / "lum_Repaired.ies"));
    // Notices on standard error carry no raw CR.
    EXPECT_EQ(run.err.find('\r'), std::string::npos);
}

TEST(CheckSafety, JsonGivesEveryArgumentAnObjectInOrderAsPrintedWhole) {
    TempFolder folder;
    const fs::path good = folder.copy(testing::SamplesFolder() / "downlight.ies");
    const fs::path fifo = folder.path() / "pipe.ies";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string missing = (folder.path() / "missing.ldt").string();

    const ProcessRun run = RunCheck({"--json", missing, good.string(), fifo.string()}, folder.path() / "data");
    EXPECT_EQ(run.status, 2);
    // Streamed, yet byte for byte the document a single dump would print.
    const nlohmann::ordered_json doc = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(doc.dump(2) + "\n", run.out);
    ASSERT_EQ(doc.size(), 3u);
    EXPECT_EQ(doc[0]["file"], missing);
    EXPECT_FALSE(doc[0]["ok"].get<bool>());
    EXPECT_EQ(doc[0]["error"], "cannot read '" + missing + "': No such file or directory");
    EXPECT_TRUE(doc[1]["ok"].get<bool>());
    EXPECT_EQ(doc[2]["message"], "Not a regular file (a folder, device or pipe); only regular files can be read.\r\n");
    // Not a terminal: no progress line, only the unreadable argument's line.
    EXPECT_EQ(run.err, "lumibench-check: cannot read '" + missing + "': No such file or directory\n");
    EXPECT_EQ(RunCheck({"--json"}, folder.path()).out, "");
}

TEST(CheckSafety, FixWritesALoadableCopyAndListsItsChanges) {
    TempFolder folder;
    const fs::path file = folder.path() / "exp.ies";
    const std::string original =
        "TILT=NONE\r\n1 1000 1 3 1 1 2 0.5 0.5 0.1 1 1 100\r\n0 45 90\r\n0\r\n5.0E+02 4.0E+02 300\r\n";
    testing::WriteBytes(file, original);

    const ProcessRun plain = RunCheck({"--fix", file.string()}, folder.path() / "data");
    EXPECT_EQ(plain.status, 0) << plain.out << plain.err;
    const std::string copy = (folder.path() / "exp_Repaired.ies").string();
    EXPECT_NE(plain.out.find(file.string() + ":2: fixed: line break inserted after the tenth value of the lamp line (height)\n"),
              std::string::npos)
        << plain.out;
    EXPECT_NE(plain.out.find(file.string() + ":5: fixed: 5.0E+02 written as 500\n"), std::string::npos);
    EXPECT_NE(plain.out.find("fixed copy written: " + copy + "\n" + copy + "\nOK: "), std::string::npos);
    EXPECT_EQ(testing::ReadBytes(file), original);

    const ProcessRun json = RunCheck({"--fix", "--json", file.string()}, folder.path() / "data");
    const nlohmann::json doc = nlohmann::json::parse(json.out);
    EXPECT_FALSE(doc[0]["ok"].get<bool>());
    EXPECT_TRUE(doc[0]["fix"]["possible"].get<bool>());
    EXPECT_EQ(doc[0]["fix"]["copy"], copy);
    EXPECT_TRUE(doc[0]["fix"]["result"]["ok"].get<bool>());
    EXPECT_EQ(doc[0]["fix"]["changes"].size(), 3u);
}

}  // namespace
}  // namespace lumibench
