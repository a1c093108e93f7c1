// lumibench-check as a user runs it: a real child process, its exit status,
// its plain output and its JSON.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/path_text.h"
#include "formats/load_dispatch.h"
#include "program_run.h"
#include "test_files.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

using CheckRun = testing::ProgramRun;

CheckRun RunCheck(const std::vector<std::string>& args) {
    return testing::RunProgram(QString::fromStdString(testing::BuiltProgram("lumibench-check")), testing::Arguments(args),
                               120000);
}

bool HasReader(const std::string& name) {
    return ReaderForExtension(SplitPath(name).extension).has_value();
}

constexpr const char* kBadDelimiter =
    "File does not contain proper delimiter (carriage return + line feed). Opening and saving the "
    "file using Lumibench may correct the problem.";

TEST(CheckCli, ExitStatusAndUsage) {
    struct Row {
        std::vector<std::string> args;
        int status;
        std::string outContains;
        std::string errContains;
    };
    const std::string sample = (testing::SamplesFolder() / "downlight.ies").string();
    const std::vector<Row> rows = {
        {{"--help"}, 0, "Usage: lumibench-check [--repair] [--fix] [--json] FILE...", ""},
        {{"--version"}, 0, std::string("lumibench-check ") + LUMIBENCH_VERSION + "\n", ""},
        {{}, 2, "", "lumibench-check: no FILE given"},
        {{"--mend", sample}, 2, "", "unknown option '--mend'"},
        {{"/no/such/file.ies"}, 2, "", "cannot read '/no/such/file.ies'"},
        // The readable file is still checked beside the unreadable one.
        {{"/no/such/file.ies", sample}, 2, sample + "\n", "cannot read"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        const CheckRun run = RunCheck(row.args);
        EXPECT_EQ(run.status, row.status);
        EXPECT_NE(run.out.find(row.outContains), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(row.errContains), std::string::npos) << run.err;
    }
}

TEST(CheckCli, FolderIsCheckedInNameOrderAndUnknownExtensionsAreSkipped) {
    if (!HasReader("x.ies")) GTEST_SKIP() << "no IES reader yet";
    TempFolder folder;
    folder.copy(testing::SamplesFolder() / "downlight.ies", "b.ies");
    folder.copy(testing::SamplesFolder() / "wall_washer.ies", "a.IES");
    testing::WriteBytes(folder.path() / "c.txt", "notes\r\n");
    testing::WriteBytes(folder.path() / ".hidden.ies", "not a photometric file\r\n");
    fs::create_directory(folder.path() / "sub");

    const std::string dir = folder.path().string() + "/";
    const CheckRun run = RunCheck({dir});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out,
              dir + "a.IES\n"
                    "OK: type C, 1 lamp, 2400 lm per lamp, multiplier 1, 19 vertical x 13 "
                    "horizontal angles, maximum 469.3 cd at vertical 20, horizontal 0\n\n" +
                  dir + "b.ies\n"
                        "OK: type C, 1 lamp, 1200 lm per lamp, multiplier 1, 19 vertical x 1 "
                        "horizontal angles, maximum 820 cd at vertical 0, horizontal 0\n\n" +
                  dir + "c.txt\nskipped: no reader for this extension\n");
}

// A name that is not UTF-8 comes back losslessly: readable text under
// "file", the exact bytes in base64 under "file_bytes" (none for UTF-8 names).
TEST(CheckCli, JsonKeepsFileNamesThatAreNotUtf8) {
    TempFolder folder;
    folder.copy(testing::SamplesFolder() / "downlight.ies", "r\xe9sum\xe9.ies");
    folder.copy(testing::SamplesFolder() / "downlight.ies", "plain.ies");
    const CheckRun run = RunCheck({"--json", folder.path().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = nlohmann::json::parse(run.out);
    ASSERT_EQ(json.size(), 2U);
    EXPECT_FALSE(json[0].contains("file_bytes"));
    const std::string odd = (folder.path() / "r\xe9sum\xe9.ies").string();
    const QByteArray decoded = QByteArray::fromBase64(QByteArray::fromStdString(json[1]["file_bytes"].get<std::string>()));
    EXPECT_EQ(decoded.toStdString(), odd);
    EXPECT_NE(json[1]["file"].get<std::string>().find("r\u00e9sum\u00e9.ies"), std::string::npos);
}

// --repair never writes its copy over another file of the run.
TEST(CheckCli, RepairedCopyNeverReplacesAnotherInput) {
    TempFolder folder;
    std::string lf = testing::ReadBytes(testing::SamplesFolder() / "downlight.ies");
    std::erase(lf, '\r');
    testing::WriteBytes(folder.path() / "lf.ies", lf);
    folder.copy(testing::SamplesFolder() / "wall_washer.ies", "lf_Repaired.ies");
    const std::string washer = testing::ReadBytes(folder.path() / "lf_Repaired.ies");
    const CheckRun run = RunCheck({"--repair", folder.path().string()});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("no repaired copy written: " + (folder.path() / "lf_Repaired.ies").string() +
                           ": it is a file this run reads"), std::string::npos) << run.out;
    EXPECT_EQ(testing::ReadBytes(folder.path() / "lf_Repaired.ies"), washer);

    // The copy an earlier run made is read as it stands: a second run over the folder loads.
    fs::remove(folder.path() / "lf_Repaired.ies");
    ASSERT_EQ(RunCheck({"--repair", folder.path().string()}).status, 0);
    const CheckRun again = RunCheck({"--repair", folder.path().string()});
    EXPECT_EQ(again.status, 0) << again.out;
}

TEST(CheckCli, BadlyDelimitedFileIsRefusedWithoutRepairAndNothingIsWritten) {
    if (!HasReader("x.ies")) GTEST_SKIP() << "no IES reader yet";
    TempFolder folder;
    const std::string file =
        folder.copy(testing::SamplesFolder() / "downlight_lf_line_ends.ies", "lf.ies").string();

    const CheckRun plain = RunCheck({file});
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.out.rfind(file + "\n" + file + ":", 0), 0u) << plain.out;
    EXPECT_NE(plain.out.find(std::string(": ") + kBadDelimiter + "\n"), std::string::npos);

    const CheckRun json = RunCheck({"--json", file});
    EXPECT_EQ(json.status, 1);
    const nlohmann::json doc = nlohmann::json::parse(json.out);
    ASSERT_EQ(doc.size(), 1u);
    EXPECT_EQ(doc[0]["file"], file);
    EXPECT_EQ(doc[0]["path"], file);
    EXPECT_FALSE(doc[0]["ok"].get<bool>());
    EXPECT_EQ(doc[0]["message"], std::string(kBadDelimiter) + "\r\n");
    EXPECT_EQ(doc[0]["messages"][0]["text"], kBadDelimiter);
    // Refused before the file was opened: the record holds nothing yet.
    ASSERT_TRUE(doc[0]["record"].is_object());
    EXPECT_EQ(doc[0]["record"]["Filename"], "");

    EXPECT_FALSE(fs::exists(folder.path() / "lf_Repaired.ies"));
}

TEST(CheckCli, RepairWritesTheCopyReadsItAndPrintsTheNotice) {
    if (!HasReader("x.ies")) GTEST_SKIP() << "no IES reader yet";
    TempFolder folder;
    const std::string file =
        folder.copy(testing::SamplesFolder() / "downlight_lf_line_ends.ies", "lf.ies").string();
    const std::string original = testing::ReadBytes(file);
    const std::string repaired = (folder.path() / "lf_Repaired.ies").string();

    const CheckRun plain = RunCheck({"--repair", file});
    EXPECT_EQ(plain.status, 0) << plain.out;
    EXPECT_NE(plain.out.find("This file has been automagically repaired and saved as: \n" + repaired),
              std::string::npos)
        << plain.out;
    EXPECT_NE(plain.out.find("\nOK: type C, 1 lamp, 600 lm per lamp"), std::string::npos);
    ASSERT_TRUE(fs::exists(repaired));
    EXPECT_EQ(testing::ReadBytes(file), original);
    EXPECT_EQ(testing::ReadBytes(repaired).find("\r\n"), original.find('\n'));

    // The notice stays off standard output, which holds the JSON alone.
    const CheckRun json = RunCheck({"--json", "--repair", file});
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.err.find("automagically repaired"), std::string::npos);
    const nlohmann::json doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc[0]["file"], file);
    EXPECT_EQ(doc[0]["path"], repaired);
    EXPECT_TRUE(doc[0]["ok"].get<bool>());
    EXPECT_EQ(doc[0]["record"]["Filename"], repaired);
}

// Message texts keep CR LF for dialogs and JSON; on a terminal and in a log
// every program breaks their lines with LF alone (a bare CR would let the
// next line overwrite the one before).
TEST(CheckCli, EveryProgramPrintsMessagesWithLineFeeds) {
    TempFolder folder;
    const std::vector<std::vector<std::string>> runs = {
        {"lumibench-check", "--repair"},
        {"lumibench-convert", "--repair", "--to", "ldt", "--out", folder.path().string() + "/"},
        {"lumibench-photometry", "--repair"}};
    int n = 0;
    for (std::vector<std::string> run : runs) {
        const std::string program = run.front();
        run.erase(run.begin());
        const std::string name = "lf" + std::to_string(++n) + ".ies";
        run.push_back(folder.copy(testing::SamplesFolder() / "downlight_lf_line_ends.ies", name).string());
        const CheckRun done = testing::RunProgram(QString::fromStdString(testing::BuiltProgram(program)),
                                                  testing::Arguments(run), 120000);
        const std::string printed = done.out + done.err;
        EXPECT_EQ(done.status, 0) << program << "\n" << printed;
        EXPECT_EQ(printed.find('\r'), std::string::npos) << program;
        EXPECT_NE(printed.find("(CR+LF):\n"), std::string::npos) << program << "\n" << printed;
        EXPECT_NE(printed.find("automagically repaired and saved as: \n"), std::string::npos) << program;
    }
}

TEST(CheckCli, JsonCarriesTheWholeRecord) {
    if (!HasReader("x.ies")) GTEST_SKIP() << "no IES reader yet";
    TempFolder folder;
    const std::string tilt = folder.copy(testing::SamplesFolder() / "linear_tilt_include.ies").string();
    const std::string notes = (folder.path() / "notes.txt").string();
    testing::WriteBytes(notes, "x");

    const CheckRun run = RunCheck({"--json", tilt, notes});
    EXPECT_EQ(run.status, 0) << run.err;
    // Floats appear as the floats they are.
    EXPECT_NE(run.out.find("\"TiltFactors\": [\n        1.0,\n        0.995,"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"Width\": 0.98,"), std::string::npos);

    const nlohmann::json doc = nlohmann::json::parse(run.out);
    ASSERT_EQ(doc.size(), 2u);
    const nlohmann::json& record = doc[0]["record"];
    EXPECT_TRUE(doc[0]["ok"].get<bool>());
    EXPECT_EQ(doc[0]["message"], "");
    EXPECT_EQ(doc[0]["messages"], nlohmann::json::array());
    EXPECT_EQ(record["Filename"], tilt);
    EXPECT_EQ(record["TiltIncl"], -1);
    EXPECT_EQ(record["TiltPairCount"], 7);
    EXPECT_EQ(record["LampCount"], 2);
    EXPECT_EQ(record["UnitsType"], 1);
    EXPECT_EQ(record["BallastKeyword"], "Electronic 2 x 28 W");
    EXPECT_EQ(record["Keywords"].size(), 9u);
    EXPECT_EQ(record["Keywords"][0], "IESNA:LM-63-2002");
    ASSERT_EQ(record["Candela"].size(), 5u);
    for (const auto& row : record["Candela"]) EXPECT_EQ(row.size(), 10u);
    EXPECT_EQ(record["Candela"][4][0], 1180.0);
    EXPECT_EQ(record["HorAngles"].dump(), "[0.0,22.5,45.0,67.5,90.0]");

    EXPECT_EQ(doc[1]["file"], notes);
    EXPECT_TRUE(doc[1]["skipped"].get<bool>());
    EXPECT_TRUE(doc[1]["record"].is_null());
}

TEST(CheckCli, JsonGivesEachPhotometryOfAContainerItsObject) {
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    if (!corpus || !fs::is_directory(corpus)) GTEST_SKIP() << "no corpus";
    const std::string tria = (fs::path(corpus) / "gldf" / "gldf-rs__SLV - Tria 2.gldf").string();
    const std::string empty = (fs::path(corpus) / "malformed" / "gldf" / "gldf-net__GldfWithMissingProduct.gldf").string();

    const CheckRun run = RunCheck({"--json", tria, empty});
    EXPECT_EQ(run.status, 1) << run.err;
    const nlohmann::json doc = nlohmann::json::parse(run.out);
    ASSERT_EQ(doc.size(), 4u);
    const std::vector<std::string> members = {"ldc/narrow.ldt", "ldc/middle.ldt", "ldc/wide.ldt"};
    for (std::size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(doc[i]["container"], tria);
        EXPECT_EQ(doc[i]["member"], members[i]);
        EXPECT_TRUE(doc[i]["ok"].get<bool>()) << doc[i]["message"];
        EXPECT_EQ(doc[i]["record"]["Filename"], doc[i]["file"]);
    }
    EXPECT_EQ(doc[1]["file"], tria + " \u2013 middle");
    EXPECT_EQ(doc[3]["container"], empty);
    EXPECT_FALSE(doc[3]["ok"].get<bool>());
    EXPECT_EQ(doc[3]["message"], "The container holds no product.xml, so it describes no product; nothing was loaded.\r\n");
}

}  // namespace
}  // namespace lumibench
