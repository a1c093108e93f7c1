// The report tools as users and scripts meet them: the real programs write
// PDFs from real sample files, alone (--pdf, --batch) and started by the real
// host with a window on an X server of the test's own. The PDFs are read back
// with pdftotext and pdfinfo, as a person would read the pages.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/sqlite_settings_store.h"
#include "../toolhost/test_host.h"
#include "screen_capture.h"
#include "shell/frm_lumibench.h"
#include "shell/lumibench_main.h"
#include "shell/tool_host_wiring.h"

namespace fs = std::filesystem;

namespace lumibench {
namespace {

fs::path BinDir() {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    return bin ? fs::path(bin) : fs::path();
}

fs::path Sample(const char* name) { return fs::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples" / name; }

bool HavePoppler() {
    QProcess p;
    p.start("pdftotext", {"-v"});
    return p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit;
}

// The PDF's text, layout kept so table rows stay on one line.
std::string PdfText(const fs::path& pdf) {
    QProcess p;
    p.start("pdftotext", {"-layout", QString::fromStdString(pdf.string()), "-"});
    if (!p.waitForFinished(10000)) return {};
    return p.readAllStandardOutput().toStdString();
}

int PdfPages(const fs::path& pdf) {
    QProcess p;
    p.start("pdfinfo", {QString::fromStdString(pdf.string())});
    if (!p.waitForFinished(10000)) return -1;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    return -1;
}

struct ToolRow {
    const char* tool;
    const char* sample;
    std::vector<const char*> texts;  // what the sheet must say
};

std::ostream& operator<<(std::ostream& out, const ToolRow& row) { return out << row.tool; }

const std::vector<ToolRow> kTools{
    {"Tool_IndoorReportPE", "downlight.ies",
     {"Indoor Report", "Coefficients of utilisation", "UGR table", "Zonal lumen summary", "Polar diagram",
      "Spacing criterion C0-C180", "Northlight Lighting Ltd", "Recessed downlight 150 mm"}},
    {"Tool_RoadReportPE", "street_light_absolute.ies",
     {"Road Report", "Lateral type", "BUG rating", "Front very high (FVH)", "Isolux plot of the road grid",
      "Uniformity min/avg", "Northlight Lighting Ltd", "Street lantern, type II wide"}},
    {"Tool_FloodReportPE", "floodlight_type_b.ies",
     {"Floodlight Report", "Beam (50 %)", "NEMA type", "Isocandela lines (cd) over H and V",
      "Illuminance on the target plane", "Northlight Lighting Ltd", "Floodlight, narrow beam"}},
};

class ReportTools : public ::testing::TestWithParam<ToolRow> {
protected:
    void SetUp() override {
        if (!fs::exists(BinDir() / GetParam().tool)) GTEST_SKIP() << GetParam().tool << " is not built";
        if (!HavePoppler()) GTEST_SKIP() << "pdftotext is not installed";
        root_ = folder_.path().toStdString();
        ::setenv("LUMIBENCH_SETTINGS", (root_ / "settings.sqlite3").c_str(), 1);
        store_ = SqliteSettingsStore::Open(root_ / "settings.sqlite3");
        ASSERT_TRUE(store_);
        store_->write("Lumibench_PE", "Startup", "UserCompanyName", "Northlight Lighting Ltd");
    }
    void TearDown() override { ::unsetenv("LUMIBENCH_REPORT_BATCH_DIR"); }

    int run(const QStringList& arguments, std::string* out = nullptr, std::string* err = nullptr) {
        QProcess p;
        p.start(QString::fromStdString((BinDir() / GetParam().tool).string()), arguments);
        if (!p.waitForFinished(20000)) return -1;
        if (out) *out = p.readAllStandardOutput().toStdString();
        if (err) *err = p.readAllStandardError().toStdString();
        return p.exitCode();
    }

    QTemporaryDir folder_;
    fs::path root_;
    std::unique_ptr<SqliteSettingsStore> store_;
};

TEST_P(ReportTools, WritesAPdfWithItsFiguresFromTheCommandLine) {
    const fs::path pdf = root_ / "sheet.pdf";
    ASSERT_EQ(run({"--pdf", QString::fromStdString(pdf.string()), QString::fromStdString(Sample(GetParam().sample).string())}), 0);
    EXPECT_GE(PdfPages(pdf), 1);
    const std::string text = PdfText(pdf);
    for (const char* expected : GetParam().texts) EXPECT_NE(text.find(expected), std::string::npos) << expected;
    EXPECT_NE(text.find("Page 1 of"), std::string::npos);
}

// Every figure of the sheet is there for scripts too, as JSON.
TEST_P(ReportTools, JsonHoldsTheSheetsFiguresAndIsWellFormed) {
    std::string out;
    ASSERT_EQ(run({"--json", QString::fromStdString(Sample(GetParam().sample).string())}, &out), 0);
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_EQ(json.array().size(), 1);
    const QJsonObject sheet = json.array()[0].toObject();
    EXPECT_EQ(sheet.value("title").toString().toStdString(), GetParam().texts.front());
    EXPECT_GE(sheet.value("sections").toArray().size(), 4);
    for (const char* expected : GetParam().texts) {
        if (std::string(expected) == "Northlight Lighting Ltd") continue;  // the page head, not a figure
        EXPECT_NE(out.find(expected), std::string::npos) << expected;
    }
}

// Global System Settings writes the units; the next report shows them.
TEST_P(ReportTools, UnitsOfTheHostsSettingsShowInTheNextReport) {
    const QString sample = QString::fromStdString(Sample(GetParam().sample).string());
    const fs::path imperial = root_ / "imperial.pdf", metric = root_ / "metric.pdf";
    ASSERT_EQ(run({"--pdf", QString::fromStdString(imperial.string()), sample}), 0);
    store_->write("Lumibench_PE", "Lumibench_PE", "InputUnits", "2");
    store_->write("Lumibench_PE", "Lumibench_PE", "OutputUnits", "1");
    ASSERT_EQ(run({"--pdf", QString::fromStdString(metric.string()), sample}), 0);
    const std::string before = PdfText(imperial), after = PdfText(metric);
    EXPECT_NE(before.find(" ft"), std::string::npos);
    EXPECT_EQ(after.find(" ft"), std::string::npos);
    EXPECT_NE(after.find(" m"), std::string::npos);
    EXPECT_NE(before.find(" fc"), std::string::npos);
    EXPECT_NE(after.find(" lx"), std::string::npos);
    EXPECT_EQ(after.find(" fc"), std::string::npos);
}

TEST_P(ReportTools, BatchWritesOnePdfPerFileAndReportsAFileThatDoesNotLoad) {
    const fs::path out = root_ / "out";
    fs::create_directories(out);
    std::ofstream(root_ / "broken.ies") << "IESNA:LM-63-2002\r\nTILT=NONE\r\n1 1000\r\n";
    std::string output, errors;
    EXPECT_EQ(run({"--batch", QString::fromStdString(out.string()), QString::fromStdString(Sample(GetParam().sample).string()),
                   QString::fromStdString((root_ / "broken.ies").string()), QString::fromStdString(Sample("wall_washer.ies").string())},
                  &output, &errors),
              1)
        << errors;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(out)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string first = GetParam().sample;
    first = first.substr(0, first.find('.')) + ".pdf";
    EXPECT_EQ(names, (std::vector<std::string>{first, "wall_washer.pdf"}));
    EXPECT_NE(errors.find("broken.ies"), std::string::npos);
    EXPECT_NE(output.find("wall_washer.pdf"), std::string::npos);  // what was written, one per line

    // A file with bad line ends: refused unless --repair, which reads it
    // through a repaired copy beside it, as the host does.
    const fs::path lf = root_ / "lf.ies";
    fs::copy_file(Sample("downlight_lf_line_ends.ies"), lf);
    const QString lfPdf = QString::fromStdString((root_ / "lf.pdf").string());
    EXPECT_EQ(run({"--pdf", lfPdf, QString::fromStdString(lf.string())}), 1);
    EXPECT_FALSE(fs::exists(root_ / "lf_Repaired.ies"));
    EXPECT_EQ(run({"--pdf", lfPdf, "--repair", QString::fromStdString(lf.string())}), 0);
    EXPECT_TRUE(fs::exists(root_ / "lf_Repaired.ies"));
    EXPECT_TRUE(fs::exists(root_ / "lf.pdf"));
}

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A PDF never replaces a FILE of the run nor another PDF of it; an existing
// PDF only with --force. The refused report is named with its reason.
TEST_P(ReportTools, NoReportReplacesAnInputAndExistingPdfsNeedForce) {
    const fs::path same = root_ / "same.ies";
    fs::copy_file(Sample(GetParam().sample), same);
    const std::string original = FileBytes(same);
    const QString sameName = QString::fromStdString(same.string());
    std::string errors;
    EXPECT_EQ(run({"--pdf", sameName, "--force", sameName}, nullptr, &errors), 1);
    EXPECT_NE(errors.find("not written: " + same.string() + ": it is a file this run reads"), std::string::npos)
        << errors;
    EXPECT_EQ(FileBytes(same), original);

    const fs::path old = root_ / "old.pdf";
    std::ofstream(old) << "kept";
    const QString oldName = QString::fromStdString(old.string());
    EXPECT_EQ(run({"--pdf", oldName, sameName}, nullptr, &errors), 1);
    EXPECT_NE(errors.find("File exists (--force replaces it)"), std::string::npos) << errors;
    EXPECT_EQ(FileBytes(old), "kept");
    EXPECT_EQ(run({"--pdf", oldName, sameName, "--force"}), 0);
    EXPECT_TRUE(FileBytes(old).starts_with("%PDF"));

    const fs::path out = root_ / "out";
    fs::create_directories(out);
    std::ofstream(out / "same.pdf") << "kept";
    EXPECT_EQ(run({"--batch", QString::fromStdString(out.string()), sameName}), 1);
    EXPECT_EQ(FileBytes(out / "same.pdf"), "kept");
    EXPECT_EQ(run({"--batch", QString::fromStdString(out.string()), "--force", sameName}), 0);
    EXPECT_TRUE(FileBytes(out / "same.pdf").starts_with("%PDF"));
}

// Names kept as bytes: a PDF name that is not UTF-8 is written as given; and
// a settings store that cannot be opened gives the defaults and one notice.
TEST_P(ReportTools, NamesAsBytesAndNoSettingsStore) {
    const std::string oddName = (root_ / "r\xe9sum\xe9.pdf").string();
    QProcess shell;
    shell.start("/bin/sh", {"-c", "exec \"$0\" --pdf \"$1$(printf '\\351')sum$(printf '\\351').pdf\" \"$2\"",
                            QString::fromStdString((BinDir() / GetParam().tool).string()),
                            QString::fromStdString((root_ / "r").string()),
                            QString::fromStdString(Sample(GetParam().sample).string())});
    ASSERT_TRUE(shell.waitForFinished(20000));
    EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();
    EXPECT_TRUE(fs::exists(oddName));

    ::setenv("LUMIBENCH_SETTINGS", root_.c_str(), 1);  // a folder: no store opens there
    std::string errors;
    const fs::path pdf = root_ / "defaults.pdf";
    EXPECT_EQ(run({"--pdf", QString::fromStdString(pdf.string()), QString::fromStdString(Sample(GetParam().sample).string())},
                  nullptr, &errors),
              0);
    ::setenv("LUMIBENCH_SETTINGS", (root_ / "settings.sqlite3").c_str(), 1);
    EXPECT_TRUE(fs::exists(pdf));
    EXPECT_NE(errors.find("settings store " + root_.string() + " could not be read"), std::string::npos) << errors;
}

// Started by the real host (/I, /R, /F on its command line) with a sample
// file checked, the tool shows its window on the X server and, told to by
// LUMIBENCH_REPORT_BATCH_DIR, writes the PDF of its data set.
TEST_P(ReportTools, StartedByTheHostWritesThePdfOfItsDataSet) {
    testing::XvfbServer server;
    if (server.display().empty()) GTEST_SKIP() << "Xvfb is not available";
    const fs::path file = root_ / GetParam().sample;
    fs::copy_file(Sample(GetParam().sample), file);
    std::ofstream(root_ / "machine.ini") << "[Software\\Quillon\\Lumibench_PE-v1dot7\\Tools]\nToolActName1="
                                         << GetParam().tool << "\nToolPath1=" << BinDir().string()
                                         << "\nToolDisplayName1=Report\nToolType1=3\nToolMaxFiles1=25\n";
    ::setenv("LUMIBENCH_MACHINE_CONFIG", (root_ / "machine.ini").c_str(), 1);
    const fs::path out = root_ / "batch";
    fs::create_directories(out);
    ::setenv("LUMIBENCH_REPORT_BATCH_DIR", out.c_str(), 1);

    RecordingMessageSink messages;
    HostSession session(*store_, messages);
    const std::string tool = GetParam().tool;
    const char* letter = tool == "Tool_IndoorReportPE" ? "/I" : tool == "Tool_RoadReportPE" ? "/R" : "/F";
    // The tool process draws on the X server; this host stays offscreen.
    ::setenv("DISPLAY", server.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    auto window = testing::StartTestHost(session, root_, file.string() + "," + letter);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Whatever fails below, the tool process ends with the test.
    struct CloseTools {
        std::unique_ptr<frmLumibench>& window;
        RecordingMessageSink& messages;
        ~CloseTools() {
            if (!window) return;
            messages.scriptedAnswers = {MessageAnswer::Yes};
            window->findChild<QAction*>("ID_CloseAllTools")->trigger();
            window.reset();
            ::unsetenv("DISPLAY");
            ::unsetenv("LUMIBENCH_MACHINE_CONFIG");
        }
    } closeTools{window, messages};
    ASSERT_EQ(session.loaded.size(), 1u);

    std::string name = GetParam().sample;
    const fs::path pdf = out / (name.substr(0, name.find('.')) + ".pdf");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!fs::exists(pdf) && std::chrono::steady_clock::now() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(fs::exists(pdf)) << "the tool wrote no PDF";
    const std::string text = PdfText(pdf);
    for (const char* expected : GetParam().texts) EXPECT_NE(text.find(expected), std::string::npos) << expected;
    EXPECT_GE(PdfPages(pdf), 1);
    // Its window is on the screen too: a page preview has many colours.
    const QImage screen = testing::CaptureScreen(server.display());
    ASSERT_FALSE(screen.isNull());
    EXPECT_GT(testing::ColourCount(screen, screen.rect()), 50u);
    // For a look at the window: LUMIBENCH_SCREENSHOT_DIR keeps the picture.
    if (const char* keep = std::getenv("LUMIBENCH_SCREENSHOT_DIR"))
        screen.save(QString::fromStdString((fs::path(keep) / (tool + ".png")).string()));
}

INSTANTIATE_TEST_SUITE_P(Tools, ReportTools, ::testing::ValuesIn(kTools),
                         [](const auto& row) { return std::string(row.param.tool); });

}  // namespace
}  // namespace lumibench
