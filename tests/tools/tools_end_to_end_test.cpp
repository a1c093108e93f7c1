// The bundled tools as a user meets them: the real host starts the real tool
// programs, View and Compare draw on a real X server (Xvfb), Open hands files back.
#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

#include "exchange/exchange_records.h"
#include "photometry/photometry.h"
#include "platform/sqlite_settings_store.h"
#include "../toolhost/test_host.h"
#include "screen_capture.h"
#include "shell/frm_lumibench.h"
#include "shell/lumibench_main.h"
#include "shell/tool_host_wiring.h"

namespace fs = std::filesystem;

namespace lumibench {
namespace {

using testing::CaptureScreen;
using testing::XvfbServer;

// Every wait here is for a tool process to start, draw or answer: seconds.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(8)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The host of the tests: a real main window (offscreen) with the real tool
// host, its own store and a catalogue of one bundled tool.
class ToolsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        bin_ = bin;
        root_ = folder_.path().toStdString();
        for (const char* name : {"downlight.ies", "wall_washer.ies"}) {
            fs::copy_file(fs::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples" / name, root_ / name);
        }
        ::setenv("LUMIBENCH_SETTINGS", (root_ / "settings.sqlite3").c_str(), 1);
        store_ = SqliteSettingsStore::Open(root_ / "settings.sqlite3");
        ASSERT_TRUE(store_);
    }
    void TearDown() override {
        if (window_) {
            messages_.scriptedAnswers = {MessageAnswer::Yes};
            window_->findChild<QAction*>("ID_CloseAllTools")->trigger();
        }
        window_.reset();
        session_.reset();
        for (const char* name : {"LUMIBENCH_MACHINE_CONFIG", "LUMIBENCH_VIEW_STATE", "LUMIBENCH_COMPARE_STATE", "LUMIBENCH_OPEN_FILES", "DISPLAY"}) {
            ::unsetenv(name);
        }
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    // Built by this tree (a program left over from another configuration does not count).
    bool installed(const std::string& tool) const {
        for (const char* built : {LUMIBENCH_TOOLS_BUILT}) {
            if (tool == built) return fs::exists(bin_ / tool);
        }
        return false;
    }
    void catalogue(const char* tool, int type) {
        std::ofstream(root_ / "machine.ini") << "[Software\\Quillon\\Lumibench_PE-v1dot7\\Tools]\n"
                                            << "ToolActName1=" << tool << "\nToolPath1=" << bin_.string()
                                            << "\nToolDisplayName1=" << tool << "\nToolType1=" << type
                                            << "\nToolMaxFiles1=25\n";
        ::setenv("LUMIBENCH_MACHINE_CONFIG", (root_ / "machine.ini").c_str(), 1);
    }
    void startHost(const std::string& commandLine) {
        session_ = std::make_unique<HostSession>(*store_, messages_);
        window_ = testing::StartTestHost(*session_, root_, commandLine);
    }
    std::string file(const char* name) const { return (root_ / name).string(); }
    // The host, offscreen, starts a tool (`flag` of its command line) on both
    // sample files; the tool draws on `server`, which `stateVariable` names a
    // state file for.
    void startWithBothFilesOn(const XvfbServer& server, const char* stateVariable, const fs::path& state,
                              const char* flag) {
        ::setenv(stateVariable, state.c_str(), 1);
        ::setenv("DISPLAY", server.display().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        startHost(file("downlight.ies") + "," + file("wall_washer.ies") + "," + flag);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ASSERT_EQ(session_->loaded.size(), 2u);
    }
    // The user closes the second file in the host's list (closing the first
    // would end every tool).
    void closeSecondFile() {
        auto* list = window_->findChild<QListWidget*>("lstLoadedFilesList");
        ASSERT_NE(list, nullptr);
        list->item(0)->setCheckState(Qt::Unchecked);
        messages_.scriptedAnswers = {MessageAnswer::Yes};
        window_->CloseCheckedFiles();
        ASSERT_EQ(session_->loaded.size(), 1u);
    }

    QTemporaryDir folder_;
    fs::path root_;
    fs::path bin_;
    std::unique_ptr<SqliteSettingsStore> store_;
    RecordingMessageSink messages_;
    std::unique_ptr<HostSession> session_;
    std::unique_ptr<frmLumibench> window_;
};

// A tool's state file; empty while there is none.
QJsonObject ReadStateObject(const fs::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// View's own account of what it shows (LUMIBENCH_VIEW_STATE).
struct ViewState {
    std::vector<std::string> files;
    std::vector<double> peaks;
    bool visible = false;
};
ViewState ReadViewState(const fs::path& path) {
    ViewState state;
    const QJsonObject object = ReadStateObject(path);
    for (const auto& d : object.value("datasets").toArray()) {
        state.files.push_back(d.toObject().value("file").toString().toStdString());
        state.peaks.push_back(d.toObject().value("peakCandela").toDouble());
    }
    state.visible = object.value("visible").toBool();
    return state;
}

// Pixels near a colour: the curves of the first and second data set.
std::size_t PixelsLike(const QImage& image, QRgb colour) {
    std::size_t n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += std::abs(qRed(p) - qRed(colour)) < 40 && std::abs(qGreen(p) - qGreen(colour)) < 40 &&
                 std::abs(qBlue(p) - qBlue(colour)) < 40;
        }
    }
    return n;
}

// The screen of `display` shows the curves of both data sets: red for the
// first, blue for the second. The picture is kept in `screen`.
bool BothCurvesOnScreen(const std::string& display, QImage& screen) {
    screen = CaptureScreen(display);
    return !screen.isNull() && PixelsLike(screen, qRgb(0xd0, 0x1c, 0x1c)) > 100 &&
           PixelsLike(screen, qRgb(0x1f, 0x4e, 0xd8)) > 100;
}

TEST_F(ToolsEndToEnd, ViewDrawsTwoCheckedFilesAndDropsAClosedOne) {
    if (!installed("Tool_ViewPE")) GTEST_SKIP() << "Tool_ViewPE is not built";
    XvfbServer server;
    if (server.display().empty()) GTEST_SKIP() << "Xvfb is not available";
    catalogue("Tool_ViewPE", 2);
    const fs::path state = root_ / "view-state.json";
    ASSERT_NO_FATAL_FAILURE(startWithBothFilesOn(server, "LUMIBENCH_VIEW_STATE", state, "/V"));

    ASSERT_TRUE(WaitFor([&] {
        const ViewState s = ReadViewState(state);
        return s.visible && s.files.size() == 2;
    })) << "View never showed both data sets";
    EXPECT_EQ(ReadViewState(state).files, (std::vector<std::string>{file("downlight.ies"), file("wall_washer.ies")}));

    // On the screen: a diagram (many colours), with a red curve for the first
    // data set and a blue one for the second.
    QImage screen;
    ASSERT_TRUE(WaitFor([&] { return BothCurvesOnScreen(server.display(), screen); }))
        << "no curves of both data sets on the screen";
    EXPECT_GT(testing::ColourCount(screen, screen.rect()), 50u);
    screen.save(QString::fromStdString((root_ / "view.png").string()));

    // Another tool updates the first file: the host says "DataChanged" and
    // View fetches the new data through the host.
    WorkRecordTable updated{session_->loaded[0]};
    for (auto& row : updated[0].Candela)
        for (double& v : row) v *= 2;
    const double peak = ReadViewState(state).peaks.at(0);
    ASSERT_EQ(WriteExchangeRecords(*store_, "Data Exchange", updated, 1, 1, 1, messages_), 1);
    store_->write("Lumibench_PE", "Data Exchange", "LumibenchPE", "SENDUPDATEDDATA,Tool_OtherPE,7");
    EXPECT_TRUE(WaitFor([&] {
        const ViewState now = ReadViewState(state);
        return now.peaks.size() == 2 && now.peaks[0] == 2 * peak;
    }))
        << "View did not take the updated data";

    // The user closes the second file: View drops it and keeps the other.
    ASSERT_NO_FATAL_FAILURE(closeSecondFile());
    EXPECT_TRUE(WaitFor([&] { return ReadViewState(state).files == std::vector<std::string>{file("downlight.ies")}; }));
}

// Compare's own account of what it shows (LUMIBENCH_COMPARE_STATE).
struct CompareState {
    std::vector<std::string> files;
    int reference = -1;
    double fluxDifference = 0;  // of the second data set against the reference, in %
    bool visible = false;
};
CompareState ReadCompareState(const fs::path& path) {
    CompareState state;
    const QJsonObject object = ReadStateObject(path);
    for (const auto& d : object.value("datasets").toArray()) {
        state.files.push_back(d.toObject().value("file").toString().toStdString());
    }
    state.reference = object.value("reference").toInt(-1);
    for (const auto& f : object.value("figures").toArray()) {
        if (f.toObject().value("name").toString() == "Luminaire flux") {
            state.fluxDifference = f.toObject().value("differences").toArray().at(1).toDouble();
        }
    }
    state.visible = object.value("visible").toBool();
    return state;
}

TEST_F(ToolsEndToEnd, CompareShowsTwoCheckedFilesAgainstTheFirstAndDropsAClosedOne) {
    if (!installed("Tool_ComparePE")) GTEST_SKIP() << "Tool_ComparePE is not built";
    XvfbServer server;
    if (server.display().empty()) GTEST_SKIP() << "Xvfb is not available";
    catalogue("Tool_ComparePE", 2);
    const fs::path state = root_ / "compare-state.json";
    ASSERT_NO_FATAL_FAILURE(startWithBothFilesOn(server, "LUMIBENCH_COMPARE_STATE", state, "/C"));

    ASSERT_TRUE(WaitFor([&] {
        const CompareState s = ReadCompareState(state);
        return s.visible && s.files.size() == 2;
    })) << "Compare never showed both data sets";
    const CompareState shown = ReadCompareState(state);
    EXPECT_EQ(shown.files, (std::vector<std::string>{file("downlight.ies"), file("wall_washer.ies")}));
    EXPECT_EQ(shown.reference, 0);
    // The figures are the photometry library's, compared as the table shows them.
    const double first = photometry::Summarise(session_->loaded[0]).luminaireFluxLm;
    const double second = photometry::Summarise(session_->loaded[1]).luminaireFluxLm;
    EXPECT_NEAR(shown.fluxDifference, (second - first) / first * 100, 1e-6);

    // Both curves on the screen: red for the first data set, blue for the second.
    QImage screen;
    EXPECT_TRUE(WaitFor([&] { return BothCurvesOnScreen(server.display(), screen); }))
        << "no curves of both data sets on the screen";

    // The user closes the second file: Compare drops it.
    ASSERT_NO_FATAL_FAILURE(closeSecondFile());
    EXPECT_TRUE(WaitFor([&] {
        const CompareState s = ReadCompareState(state);
        return s.files == std::vector<std::string>{file("downlight.ies")} && s.reference == 0;
    })) << "Compare kept the closed file";
}

TEST_F(ToolsEndToEnd, OpenSendsTwoFilesAndTheHostListsThem) {
    if (!installed("Tool_Open")) GTEST_SKIP() << "Tool_Open is not built";
    catalogue("Tool_Open", 0);
    ::setenv("LUMIBENCH_OPEN_FILES", (file("downlight.ies") + "\n" + file("wall_washer.ies")).c_str(), 1);
    startHost("");
    ASSERT_TRUE(session_->loaded.empty());
    QAction* open = window_->findChild<QAction*>("Tool_Open");
    ASSERT_NE(open, nullptr);
    open->trigger();
    ASSERT_TRUE(WaitFor([&] { return session_->loaded.size() == 2; }));
    EXPECT_EQ(session_->loaded[0].Filename, file("downlight.ies"));
    EXPECT_EQ(session_->loaded[1].Filename, file("wall_washer.ies"));
    EXPECT_EQ(session_->loaded[0].Saved, kTrue);
    EXPECT_EQ(session_->loaded[1].Candela.size(), session_->loaded[1].HorAngles.size());
    auto* list = window_->findChild<QListWidget*>("lstLoadedFilesList");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->item(1)->text().contains("wall_washer"));
    // Everything loaded, so Open asked the host to close it.
    EXPECT_TRUE(WaitFor([&] {
        const auto& entries = session_->runningTools.entries();
        return std::all_of(entries.begin(), entries.end(), [](const RunningTool& t) { return t.isClosed(); });
    }));
}

// What a user of the build tree gets on the toolbar: the bundled tools with
// their pictures, never the test probe.
TEST(BuildCatalogue, ListsTheUserToolsWithIconsAndNeverTheProbe) {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    std::ifstream in(fs::path(bin) / "machine.ini");
    ASSERT_TRUE(in) << "no machine.ini in the build";
    std::map<std::string, std::string> values;
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    std::map<std::string, std::string> iconOf;
    for (const auto& [key, value] : values) {
        EXPECT_NE(value, "lumibench_probe");
        if (key.rfind("ToolActName", 0) == 0) iconOf[value] = values["ToolIconFile" + key.substr(11)];
    }
    for (const char* tool : {LUMIBENCH_TOOLS_BUILT}) {
        ASSERT_TRUE(iconOf.count(tool)) << tool << " is not listed";
        EXPECT_TRUE(fs::exists(fs::path(bin) / iconOf[tool])) << tool << " has no picture beside it";
    }
}

}  // namespace
}  // namespace lumibench
