// The main window driven through its controls, offscreen, with real files.

#include <QAction>
#include <QDir>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/notice_batch.h"
#include "core/record_tables.h"
#include "platform/instance_lock.h"
#include "platform/settings_store.h"
#include "platform/sqlite_settings_store.h"
#include "shell/frm_file_info.h"
#include "shell/frm_lumibench.h"
#include "shell/list_pane.h"
#include "shell/loaded_files_list_widget.h"
#include "shell/lumibench_main.h"
#include "shell/record_summary.h"
#include "shell/tool_host_wiring.h"

namespace fs = std::filesystem;

namespace lumibench {
namespace {

fs::path SamplesFolder() { return fs::path(LUMIBENCH_SOURCE_DIR) / "data" / "samples"; }

fs::path CorpusFolder() {
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    return corpus ? fs::path(corpus) : fs::path(LUMIBENCH_SOURCE_DIR) / ".." / "shared" / "corpus";
}

class ShellWindow : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        root_ = fs::path(folder_.path().toStdString());
        window_ = std::make_unique<frmLumibench>(session_);
        window_->resize(900, 600);
        window_->show();
        list_ = window_->findChild<LoadedFilesListWidget*>("lstLoadedFilesList");
        summary_ = window_->findChild<QPlainTextEdit*>("txtLumData");
        ASSERT_NE(list_, nullptr);
        ASSERT_NE(summary_, nullptr);
    }

    // A copy of a bundled sample under another name, in the test's own folder
    // (a badly delimited file gets its repaired copy beside it).
    std::string sample(const std::string& name, const std::string& as = {},
                       const std::string& sub = {}) {
        const fs::path folder = root_ / sub;
        fs::create_directories(folder);
        const fs::path target = folder / (as.empty() ? name : as);
        fs::copy_file(SamplesFolder() / name, target, fs::copy_options::overwrite_existing);
        return target.string();
    }
    std::string textFile(const std::string& name, const std::string& content) {
        const fs::path target = root_ / name;
        std::ofstream(target, std::ios::binary) << content;
        return target.string();
    }

    void drop(const std::vector<std::string>& paths) {
        auto* mime = new QMimeData;
        QList<QUrl> urls;
        for (const std::string& path : paths) {
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
        }
        mime->setUrls(urls);
        const QPoint at = list_->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list_->viewport(), &enter);
        QDropEvent dropEvent(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list_->viewport(), &dropEvent);
        delete mime;
    }

    std::vector<std::string> lines() const {
        std::vector<std::string> texts;
        for (int i = 0; i < list_->count(); ++i) {
            texts.push_back(list_->item(i)->text().toStdString());
        }
        return texts;
    }
    bool checked(int row) const { return list_->item(row)->checkState() == Qt::Checked; }
    void select(std::initializer_list<int> rows) {
        list_->clearSelection();
        for (int row : rows) {
            list_->item(row)->setSelected(true);
        }
    }
    std::string summaryText() const { return summary_->toPlainText().toStdString(); }

    QTemporaryDir folder_;
    fs::path root_;
    MemorySettingsStore store_;
    RecordingMessageSink messages_;
    HostSession session_{store_, messages_};
    std::unique_ptr<frmLumibench> window_;
    LoadedFilesListWidget* list_ = nullptr;
    QPlainTextEdit* summary_ = nullptr;
};

TEST_F(ShellWindow, DropLoadsInOrderAndReportsEachFailure) {
    const std::string broken = textFile("broken.ies", "IESNA:LM-63-2002\r\nTILT=NONE\r\nnot numbers\r\n");
    drop({broken, sample("wall_washer.ies"), textFile("notes.txt", "x"), sample("downlight_isym1.ldt", "down.LDT"),
          sample("downlight.ies")});
    EXPECT_EQ(lines(), (std::vector<std::string>{"wall_washer.ies", "down.LDT", "downlight.ies"}));
    ASSERT_EQ(messages_.shown.size(), 1u);
    const MessageRequest& shown = messages_.shown[0];
    EXPECT_EQ(shown.title, "Lumibench");
    EXPECT_FALSE(shown.systemModal);
    EXPECT_EQ(shown.text.rfind("Problem loading selected photometric file (" + broken + "): ", 0), 0u);
    EXPECT_TRUE(shown.text.ends_with(
        "\r\n. Try opening this file from within Lumibench (File-Open) for detailed information "
        "about the problem and possible repair options."));
    for (int i = 0; i < list_->count(); ++i) {
        EXPECT_TRUE(checked(i));
        EXPECT_TRUE(list_->item(i)->icon().isNull());
    }
}

TEST_F(ShellWindow, RealCorpusFilesEitherListOrExplain) {
    std::vector<std::string> paths;
    for (const char* name : {"ies/3d-demo-data__007cfb11e343e2f42e3b476be4ab684e.ies",
                             "ies/cl-ies__test.ies", "ies/contentpm__140.ies",
                             "malformed/ies/luxera__fail_bad_counts.ies",
                             "malformed/ies/ies-rescale__Truncated Profile - 01.IES"}) {
        const fs::path from = CorpusFolder() / name;
        if (!fs::exists(from)) {
            GTEST_SKIP() << "corpus not found at " << CorpusFolder();
        }
        const fs::path to = root_ / from.filename();
        fs::copy_file(from, to);
        paths.push_back(to.string());
    }
    drop(paths);
    std::size_t failures = 0;
    for (const MessageRequest& shown : messages_.shown) {
        failures += shown.text.starts_with("Problem loading selected photometric file (");
    }
    EXPECT_EQ(static_cast<std::size_t>(list_->count()) + failures, paths.size());
    EXPECT_GE(messages_.shown.size(), 1u);
}

TEST_F(ShellWindow, DropStopsAt24AndTheCommandLineReaches25) {
    std::vector<std::string> first;
    for (int i = 1; i <= 22; ++i) {
        first.push_back(sample("downlight.ies", "lamp" + std::to_string(i) + ".ies"));
    }
    drop(first);
    ASSERT_EQ(list_->count(), 22);
    drop({sample("downlight.ies", "x1.ies"), sample("downlight.ies", "x2.ies"),
          sample("downlight.ies", "x3.ies"), sample("downlight.ies", "x4.ies")});
    EXPECT_EQ(list_->count(), 24);
    EXPECT_TRUE(messages_.shown.empty());
    // A drop of a name already listed stops too: the count is the test.
    drop({sample("downlight.ies", "lamp1.ies")});
    EXPECT_TRUE(messages_.shown.empty());

    ProcessCommandLine(*window_, sample("downlight.ies", "x3.ies") + "," +
                                     sample("downlight.ies", "x4.ies"));
    EXPECT_EQ(list_->count(), 25);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].title, "Add Data");
    // At the limit a listed name still replaces its line.
    ProcessCommandLine(*window_, sample("wall_washer.ies", "lamp2.ies", "other"));
    EXPECT_EQ(list_->count(), 25);
    EXPECT_EQ(session_.loaded[1].Filename, (root_ / "other" / "lamp2.ies").string());
}

TEST_F(ShellWindow, ReloadReplacesTheLineInPlaceSavedAndChecked) {
    drop({sample("downlight.ies"), sample("wall_washer.ies")});
    list_->item(0)->setCheckState(Qt::Unchecked);
    session_.loaded[0].Saved = kFalse;
    window_->RefreshLoadedFilesList();
    EXPECT_FALSE(list_->item(0)->icon().isNull());
    EXPECT_FALSE(checked(0));

    drop({sample("street_light_absolute.ies", "DOWNLIGHT.IES", "again")});
    EXPECT_EQ(lines(), (std::vector<std::string>{"DOWNLIGHT.IES", "wall_washer.ies"}));
    EXPECT_TRUE(checked(0));
    EXPECT_TRUE(list_->item(0)->icon().isNull());
    EXPECT_EQ(session_.loaded[0].Saved, kTrue);
}

TEST_F(ShellWindow, ClicksOnTextAndBoxToggleOnce) {
    drop({sample("downlight.ies"), sample("wall_washer.ies")});
    const QRect line = list_->visualItemRect(list_->item(1));
    const QPoint text(line.left() + 60, line.center().y());
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, text);
    EXPECT_FALSE(checked(1));
    EXPECT_EQ(session_.loaded[1].Checked, kFalse);
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, text);
    EXPECT_TRUE(checked(1));

    // The box: the control toggles it, the release must not toggle it back.
    const int indicator = list_->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, list_);
    const QPoint box(line.left() + 3 + indicator / 2, line.center().y());
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, box);
    EXPECT_FALSE(checked(1));
    EXPECT_EQ(list_->selectedItems().size(), 1);
    EXPECT_EQ(list_->currentRow(), 1);
    // A release over the empty part of the list toggles nothing.
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, list_->viewport()->rect().bottomRight() - QPoint(5, 5));
    EXPECT_FALSE(checked(1));
    EXPECT_TRUE(checked(0));

    window_->UncheckAllFiles();
    EXPECT_FALSE(checked(0));
    EXPECT_EQ(session_.loaded[0].Checked, kFalse);
    window_->CheckAllFiles();
    EXPECT_TRUE(checked(0) && checked(1));
}

TEST_F(ShellWindow, SummaryFollowsTheSingleSelectedLine) {
    drop({sample("downlight.ies"), sample("linear_tilt_include.ies", "lin.ear.ies")});
    select({0});
    EXPECT_EQ(summaryText().rfind("downlight\n", 0), 0u);
    select({1});
    std::string expected = RecordSummaryText(session_.loaded[1]);
    std::erase(expected, '\r');
    expected.pop_back();
    EXPECT_EQ(summaryText(), expected);
    EXPECT_EQ(summaryText().rfind("lin\nTilt=INCLUDE\nLamp Geo.=", 0), 0u);
    select({0, 1});
    EXPECT_EQ(summaryText(), "");

    // Clicks and drops leave the work table alone: a tool start may still be
    // sending from it while they are handled.
    session_.work = {session_.loaded[0]};
    select({1});
    drop({sample("wall_washer.ies")});
    EXPECT_EQ(list_->count(), 3);
    EXPECT_EQ(session_.work.size(), 1u);
    EXPECT_EQ(session_.work[0].Filename, session_.loaded[0].Filename);
}

TEST_F(ShellWindow, CloseCheckedLinesKeepsTheRestInOrder) {
    std::vector<std::string> paths;
    for (int i = 1; i <= 5; ++i) {
        paths.push_back(sample("downlight.ies", "f" + std::to_string(i) + ".ies"));
    }
    drop(paths);
    window_->UncheckAllFiles();
    list_->item(1)->setCheckState(Qt::Checked);
    list_->item(3)->setCheckState(Qt::Checked);
    std::vector<std::string> told;
    session_.tools.broadcastDeleteFile = [&told](const std::string& f) { told.push_back(f); };

    window_->CloseCheckedFiles();
    EXPECT_EQ(lines(), (std::vector<std::string>{"f1.ies", "f3.ies", "f5.ies"}));
    EXPECT_FALSE(checked(0) || checked(1) || checked(2));
    EXPECT_EQ(told, (std::vector<std::string>{paths[1], paths[3]}));

}

// Runs `inspect` on the File Information dialog once it is shown, then closes it.
void WhenDialogShown(const std::function<void(frmFileInfo&)>& inspect) {
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<frmFileInfo*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        inspect(*dialog);
        QTest::mouseClick(dialog->findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
    });
}

TEST_F(ShellWindow, FileInformationTexts) {
    const std::string path = sample("downlight.ies");
    drop({path, sample("wall_washer.ies")});

    list_->clearSelection();
    window_->ShowFileInformation();
    select({0, 1});
    window_->ShowFileInformation();
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[0].title, "File Information");
    EXPECT_EQ(messages_.shown[0].text,
              "Please select a file from the loaded photometric files list (if there are any) "
              "and try again.");
    EXPECT_EQ(messages_.shown[1].text,
              "Please select a 'single' file from the loaded photometric files list and try "
              "again.");

    session_.loaded[0].Saved = kFalse;
    select({0});
    std::string shown;
    WhenDialogShown([&shown](frmFileInfo& dialog) {
        shown = dialog.findChild<QPlainTextEdit*>("txtFileInfo")->toPlainText().toStdString();
    });
    window_->ShowFileInformation();
    EXPECT_EQ(shown.rfind("Filename: " + path + "\nLast Modified: ", 0), 0u) << shown;
    EXPECT_NE(shown.find("\nFile Size: " + std::to_string(fs::file_size(path)) + " bytes\n"
                         "Note: This file has been modified and has not been saved.\n"
                         "Displayed File Information is for the saved version of the file."),
              std::string::npos)
        << shown;

    fs::remove(path);
    WhenDialogShown([&shown](frmFileInfo& dialog) {
        shown = dialog.findChild<QPlainTextEdit*>("txtFileInfo")->toPlainText().toStdString();
    });
    window_->ShowFileInformation();
    EXPECT_EQ(shown, "No file information available - Data has not been saved.");
}

// A frame remembered on a larger screen or at another scale is moved and
// shrunk into the available area (offscreen: 15 twips a pixel).
TEST_F(ShellWindow, ARememberedFrameThatNoLongerFitsIsBroughtOnScreen) {
    store_.write("Lumibench_PE", "Startup", "WindowState", "0");
    store_.write("Lumibench_PE", "Startup", "Width", std::to_string(1960 * 15));
    store_.write("Lumibench_PE", "Startup", "Height", std::to_string(1280 * 15));
    store_.write("Lumibench_PE", "Startup", "Top", "0");
    store_.write("Lumibench_PE", "Startup", "Left", std::to_string(310 * 15));
    frmLumibench window(session_);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.frameGeometry(), window.screen()->availableGeometry());
    EXPECT_LT(window.frameGeometry().width(), 1960);
}

TEST_F(ShellWindow, LayoutRoundTripAndGripDrag) {
    // 15 twips a pixel offscreen; the frame fits the offscreen screen.
    store_.write("Lumibench_PE", "Startup", "WindowState", "0");
    store_.write("Lumibench_PE", "Startup", "Width", "10500");
    store_.write("Lumibench_PE", "Startup", "Height", "7500");
    store_.write("Lumibench_PE", "Startup", "Top", "300");
    store_.write("Lumibench_PE", "Startup", "Left", "450");
    store_.write("Lumibench_PE", "Startup", "DisplayWidth", "2400");
    frmLumibench window(session_);
    window.show();
    QApplication::processEvents();
    ListPane* pane = window.pane();
    // The stored place and size are the window's frame.
    EXPECT_EQ(window.frameGeometry(), QRect(30, 20, 700, 500));
    EXPECT_EQ(pane->width(), 160);
    EXPECT_EQ(window.paneWidthPixels(), 160);
    auto* list = pane->findChild<QWidget*>("lstLoadedFilesList");
    EXPECT_EQ(list->width(), 152);
    EXPECT_EQ(list->height(), static_cast<int>(std::floor((pane->height() * 15 - 48) * 0.599 + 0.5) / 15.0 + 0.5));

    window.SaveLayout();
    EXPECT_EQ(ReadLayout(store_, 0), (WindowLayout{10500, 7500, 300, 450, 0, 2400}));

    // A drag on the grip widens the pane and saves when the button goes up.
    store_.write("Lumibench_PE", "Startup", "DisplayWidth", "0");
    const auto send = [pane](QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(x, 50), pane->mapToGlobal(QPointF(x, 50)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(pane, &event);
    };
    send(QEvent::MouseButtonPress, 156, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, 158, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, 200, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(pane->widthTwips(), 3000);
    EXPECT_EQ(pane->cursor().shape(), Qt::SizeHorCursor);
    send(QEvent::MouseButtonRelease, 200, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(store_.read("Lumibench_PE", "Startup", "DisplayWidth"), "3000");

    // With a tool window open the grip neither shows its pointer nor drags.
    session_.tools.anyToolWindowOpen = [] { return true; };
    send(QEvent::MouseMove, 10, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(pane->cursor().shape(), Qt::ArrowCursor);
    send(QEvent::MouseButtonPress, 196, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, 240, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, 240, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(pane->widthTwips(), 3000);
    EXPECT_EQ(pane->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ShellWindow, UnsavedFilesQuestionAtExit) {
    drop({sample("downlight.ies")});
    session_.loaded[0].Saved = kFalse;
    session_.exchangeSection = "Data Exchange_1";
    int toolsClosed = 0;
    session_.tools.closeAllTools = [&toolsClosed] { ++toolsClosed; };

    messages_.scriptedAnswers = {MessageAnswer::No};
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(window_->isVisible());
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0],
              (MessageRequest{"LumibenchPE",
                              "You have unsaved files in your loaded files list. Do you still "
                              "want to exit?",
                              MessageIcon::Exclamation, MessageButtons::YesNo, true}));
    // Enter alone keeps the unsaved data.
    EXPECT_EQ(messages_.defaultAnswers[0], MessageAnswer::No);
    EXPECT_EQ(store_.read("Lumibench_PE", "Startup", "WindowState", "unset"), "unset");
    EXPECT_EQ(toolsClosed, 0);

    messages_.scriptedAnswers = {MessageAnswer::Yes};
    EXPECT_TRUE(window_->close());
    EXPECT_NE(store_.read("Lumibench_PE", "Startup", "WindowState", "unset"), "unset");
    EXPECT_EQ(toolsClosed, 1);
    EXPECT_EQ(store_.read("Lumibench_PE", "Data Exchange_1", "Active"), "False");
}

TEST_F(ShellWindow, TheLineLoadedLastIsSelectedAndDescribed) {
    EXPECT_EQ(list_->placeholderText().toStdString(), "Drop photometric files here");
    session_.catalogue.append(ToolEntry{"Tool_Open", "/opt/tools", "Open", "", 0, 25, ""});
    window_->updatePlaceholder();
    EXPECT_EQ(list_->placeholderText().toStdString(),
              "Drop photometric files here, or use File > Open");

    const std::string wall = sample("wall_washer.ies");
    drop({sample("downlight.ies"), wall});
    ASSERT_EQ(list_->selectedItems().size(), 1);
    EXPECT_EQ(list_->currentRow(), 1);
    EXPECT_EQ(summaryText().rfind("wall_washer\n", 0), 0u) << summaryText();
    EXPECT_EQ(list_->item(1)->toolTip().toStdString().rfind(wall + "\n\nwall_washer\n", 0), 0u);

    // A replaced line is selected in its place; so is a line from the command line.
    drop({sample("street_light_absolute.ies", "downlight.ies", "again")});
    EXPECT_EQ(list_->currentRow(), 0);
    EXPECT_EQ(list_->selectedItems().size(), 1);
    ProcessCommandLine(*window_, sample("floodlight_type_b.ies"));
    EXPECT_EQ(list_->currentRow(), 2);

    session_.loaded[2].Saved = kFalse;
    window_->RefreshLoadedFilesList();
    EXPECT_FALSE(list_->item(2)->icon().isNull());
    EXPECT_EQ(list_->item(2)->toolTip().split('\n').front().toStdString(), "Modified, not saved");
}

TEST_F(ShellWindow, ArgumentsThatNameFilesAreWholeFiles) {
    const std::string comma = sample("downlight.ies", "my lamp, v2.ies");
    sample("wall_washer.ies", "rel,ative.ies", "sub");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(root_.string())));
    ProcessCommandLine(*window_, std::vector<std::string>{comma, "sub/rel,ative.ies"});
    QDir::setCurrent(previous);
    EXPECT_TRUE(messages_.shown.empty()) << messages_.shown.front().text;
    EXPECT_EQ(lines(), (std::vector<std::string>{"my lamp, v2.ies", "rel,ative.ies"}));
    // Filename travels to tools: always a full path.
    EXPECT_EQ(session_.loaded[1].Filename, (root_ / "sub" / "rel,ative.ies").string());
}

TEST_F(ShellWindow, NormalGeometryIsSavedWhateverTheState) {
    // 15 twips a pixel offscreen; the stored values are the frame's.
    const WindowLayout normal{700 * 15, 500 * 15, 30 * 15, 40 * 15, 0, 2400};
    SaveLayout(store_, normal);
    window_ = std::make_unique<frmLumibench>(session_);
    window_->show();
    QApplication::processEvents();
    const QRect frame(40, 30, 700, 500);
    EXPECT_EQ(window_->frameGeometry(), frame);
    window_->SaveLayout();
    EXPECT_EQ(ReadLayout(store_, 0), normal);

    // Maximized or minimized, the normal size and place are what is kept.
    window_->showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(window_->isMaximized());
    window_->SaveLayout();
    WindowLayout expected = normal;
    expected.windowState = 2;
    EXPECT_EQ(ReadLayout(store_, 0), expected);
    window_->showMinimized();
    QApplication::processEvents();
    window_->SaveLayout();
    expected.windowState = 1;
    EXPECT_EQ(ReadLayout(store_, 0), expected);

    // Restored maximized, the window still knows where to go back to.
    frmLumibench again(session_);
    again.show();
    QApplication::processEvents();
    EXPECT_TRUE(again.isMaximized());
    again.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(again.frameGeometry(), frame);
}

TEST_F(ShellWindow, WithNoStoredWidthThePaneFitsTheSummary) {
    const QFontMetrics metrics(summary_->font());
    EXPECT_GE(summary_->viewport()->width(), metrics.horizontalAdvance("#Vert. Angles=181"));
    EXPECT_GE(window_->pane()->widthTwips(), kDesignedPaneWidthTwips);
    // A stored width is the user's and stays.
    store_.write("Lumibench_PE", "Startup", "DisplayWidth", "1800");
    frmLumibench again(session_);
    EXPECT_EQ(again.pane()->widthTwips(), 1800);
}

// Start-up as the program runs it, over a real store and real instance locks.
class ShellStartup : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        root_ = fs::path(folder_.path().toStdString());
        store_ = SqliteSettingsStore::Open(root_ / "settings.sqlite3");
        ASSERT_NE(store_, nullptr);
    }
    StartupFolders folders() const { return {root_ / "program", root_ / "data" / "Lumibench"}; }

    QTemporaryDir folder_;
    fs::path root_;
    std::unique_ptr<SqliteSettingsStore> store_;
};

class LockAdapter : public InstanceLocks {
public:
    explicit LockAdapter(const fs::path& folder) : lock(folder) {}
    bool holdFirstInstance() override { return lock.tryAcquire("instance"); }
    bool holdSection(int n) override { return lock.tryAcquire("section-" + std::to_string(n)); }
    InstanceLock lock;
};

TEST_F(ShellStartup, SettingsWrittenBackAndSectionsBetweenInstances) {
    RecordingMessageSink messages;
    LockAdapter first(root_ / "locks");
    HostSession one(*store_, messages);
    PrepareHostSession(one, first, folders());
    EXPECT_EQ(one.exchangeSection, "Data Exchange");
    EXPECT_EQ(store_->read("Lumibench_PE", "Data Exchange", "Active", "unset"), "unset");
    EXPECT_EQ(store_->read("Lumibench_PE", "Lumibench_PE", "SleepIntervalDE"), "0.3");
    EXPECT_EQ(store_->read("Lumibench_PE", "Lumibench_PE", "BannerFilename"),
              (root_ / "program" / "Lumibench_PE-Banner.jpg").string());
    EXPECT_EQ(store_->read("Lumibench_PE", "Lumibench_PE", "AppCaption"), "Valcourt Lumibench v1.87");
    EXPECT_TRUE(fs::is_directory(root_ / "data" / "Lumibench"));

    {
        LockAdapter second(root_ / "locks");
        HostSession two(*store_, messages);
        PrepareHostSession(two, second, folders());
        EXPECT_EQ(two.exchangeSection, "Data Exchange_1");
        EXPECT_EQ(store_->read("Lumibench_PE", "Data Exchange_1", "Active"), "True");
        // The second instance "crashes": its lock goes, its mark stays.
    }
    LockAdapter third(root_ / "locks");
    HostSession three(*store_, messages);
    PrepareHostSession(three, third, folders());
    EXPECT_EQ(three.exchangeSection, "Data Exchange_1");

    frmLumibench window(three);
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(store_->read("Lumibench_PE", "Data Exchange_1", "Active"), "False");
}

TEST_F(ShellStartup, UpdateNoticeOnceAndCommandLineFiles) {
    store_->write("Lumibench_PE", "Startup", "UpdateInstalled", "1");
    store_->write("Lumibench_PE", "Lumibench_PE", "SleepIntervalDE", "fast");
    RecordingMessageSink messages;
    messages.scriptedAnswers = {MessageAnswer::Yes};
    LockAdapter locks(root_ / "locks");
    HostSession session(*store_, messages);
    std::vector<int> topics;
    PrepareHostSession(session, locks, folders());
    EXPECT_FLOAT_EQ(session.pauseIntervalSeconds, 0.3f);
    ShellExtensions extensions;
    extensions.showHelpTopic = [&topics](std::int32_t topic) { topics.push_back(topic); };
    std::vector<std::string> started;
    extensions.buildToolHost = [&started](frmLumibench& window) {
        window.session().tools.startCommandLineTools = [&started](const std::vector<std::string>& names) {
            started = names;
        };
    };
    const std::string a = (SamplesFolder() / "wall_washer.ies").string();
    auto window = StartLumibench(session, extensions, "\"" + a + "\",/v,/C");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Update Installed");
    EXPECT_EQ(topics, std::vector<int>{11});
    EXPECT_EQ(store_->read("Lumibench_PE", "Startup", "UpdateInstalled"), "0");
    EXPECT_EQ(started, (std::vector<std::string>{"Tool_ViewPE", "Tool_ComparePE"}));
    EXPECT_EQ(window->windowTitle().toStdString(), "Valcourt Lumibench v1.87");
    auto* list = window->findChild<QListWidget*>("lstLoadedFilesList");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text().toStdString(), "wall_washer.ies");
    window->close();

    auto again = StartLumibench(session, {}, "   ");
    EXPECT_EQ(messages.shown.size(), 1u);
    again->close();
}

TEST_F(ShellStartup, EmptyBannerStaysAndToolsWithoutASectionSayWhy) {
    store_->write("Lumibench_PE", "Lumibench_PE", "BannerFilename", "");
    store_->write("Lumibench_PE", "Startup", "WelcomeForm", "False");
    RecordingMessageSink messages;
    LockAdapter locks(root_ / "locks");
    HostSession session(*store_, messages);
    PrepareHostSession(session, locks, folders());
    EXPECT_EQ(session.bannerFilename, "");
    EXPECT_EQ(store_->read("Lumibench_PE", "Lumibench_PE", "BannerFilename", "unset"), "");
    // A named banner that has gone still falls back to the default.
    store_->write("Lumibench_PE", "Lumibench_PE", "BannerFilename", (root_ / "gone.jpg").string());
    HostSession other(*store_, messages);
    PrepareHostSession(other, locks, folders());
    EXPECT_EQ(other.bannerFilename, (root_ / "program" / "Lumibench_PE-Banner.jpg").string());

    session.exchangeSection.clear();
    auto window = StartLumibench(session, StandardShellExtensions(), std::vector<std::string>{"/V", "/C"});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kNoSectionToolText);
    for (std::int16_t i = 1; i <= session.catalogue.count(); ++i) {
        if (auto* action = window->findChild<QAction*>(QString::fromStdString(session.catalogue.entry(i).ActName))) {
            action->trigger();
            EXPECT_EQ(messages.shown.size(), 2u);
            EXPECT_EQ(messages.shown.back().text, kNoSectionToolText);
            break;
        }
    }
    window->close();
}

TEST_F(ShellStartup, ToolbarAndMenusReachTheWindow) {
    RecordingMessageSink messages;
    LockAdapter locks(root_ / "locks");
    HostSession session(*store_, messages);
    store_->write("Lumibench_PE", "Startup", "WelcomeForm", "False");
    PrepareHostSession(session, locks, folders());
    const std::string a = (SamplesFolder() / "wall_washer.ies").string();
    const std::string b = (SamplesFolder() / "downlight.ies").string();
    auto window = StartLumibench(session, StandardShellExtensions(), a + "," + b);
    auto* list = window->findChild<QListWidget*>("lstLoadedFilesList");
    const auto trigger = [&window](const char* id) {
        auto* action = window->findChild<QAction*>(id);
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
    };
    trigger("ID_UncheckAll");
    EXPECT_EQ(session.loaded[0].Checked, kFalse);
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
    trigger("ID_CheckAll");
    EXPECT_EQ(session.loaded[1].Checked, kTrue);
    list->item(0)->setCheckState(Qt::Unchecked);
    trigger("ID_ClosePhotoFile");  // the recording sink answers Yes
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text().toStdString(), "wall_washer.ies");
    trigger("ID_Info");
    EXPECT_EQ(messages.shown.back().title, "File Information");
    const std::vector<std::pair<const char*, QKeySequence>> keys = {
        {"ID_Exit", QKeySequence::Quit},         {"ID_Contents", QKeySequence::HelpContents},
        {"ID_ClosePhotoFile", QKeySequence::Delete}, {"ID_CheckAll", QKeySequence::SelectAll},
        {"ID_UncheckAll", QKeySequence::Deselect},  {"ID_Info", QKeySequence(Qt::ALT | Qt::Key_Return)}};
    for (const auto& [id, key] : keys) {
        auto* action = window->findChild<QAction*>(id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_EQ(action->shortcut(), key) << id;
        EXPECT_TRUE(window->actions().contains(action)) << id;
    }
    EXPECT_FALSE(window->windowIcon().isNull());
    QSignalSpy closed(window.get(), &frmLumibench::closed);
    trigger("ID_Exit");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(store_->read("Lumibench_PE", "Data Exchange", "Active"), "False");
}

}  // namespace
}  // namespace lumibench

namespace lumibench {
namespace {

// A file copied with its CR LF line ends made LF alone: the load repairs it
// into a "_Repaired" copy and says so.
std::string LfCopy(const fs::path& folder, const std::string& name) {
    std::ifstream in(SamplesFolder() / "downlight.ies", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::erase(text, '\r');
    const fs::path target = folder / name;
    std::ofstream(target, std::ios::binary) << text;
    return target.string();
}

// One load action, one notice: the repairs of three LF files and a refusal
// come together in order, each text whole; 30 files at once name the five
// the limit kept out in one limit notice.
TEST(ShellNotices, OneLoadActionRaisesOneNotice) {
    QTemporaryDir folder;
    const fs::path root(folder.path().toStdString());
    MemorySettingsStore store;
    RecordingMessageSink shown;
    NoticeBatch notices(shown);
    HostSession session(store, notices);
    frmLumibench window(session);

    const std::string broken = (root / "broken.ies").string();
    std::ofstream(broken, std::ios::binary) << "IESNA:LM-63-2002\r\nTILT=NONE\r\nnot numbers\r\n";
    const std::vector<std::string> files = {LfCopy(root, "a.ies"), LfCopy(root, "b.ies"), broken, LfCopy(root, "c.ies")};
    ProcessCommandLine(window, files);
    ASSERT_EQ(shown.shown.size(), 1u);
    const std::string& text = shown.shown[0].text;
    std::size_t at = 0;
    for (const char* piece : {"a.ies", "automagically repaired", "b.ies", "automagically repaired", "broken.ies",
                              "c.ies", "automagically repaired"}) {
        at = text.find(piece, at);
        ASSERT_NE(at, std::string::npos) << piece << " missing or out of order in:\n" << text;
    }
    EXPECT_EQ(session.loaded.size(), 3u);

    shown.shown.clear();
    std::vector<std::string> many;
    for (int i = 1; i <= 27; ++i) {
        many.push_back((root / ("lamp" + std::to_string(i) + ".ies")).string());
        fs::copy_file(SamplesFolder() / "downlight.ies", many.back(), fs::copy_options::overwrite_existing);
    }
    ProcessCommandLine(window, many);
    EXPECT_EQ(session.loaded.size(), kMaxLoadedFiles);
    ASSERT_EQ(shown.shown.size(), 1u);
    EXPECT_EQ(shown.shown[0].title, kAddDataTitle);
    EXPECT_EQ(shown.shown[0].text, std::string(kAddDataLimitText) + kLeftOutHeading +
                                       "\r\nlamp23.ies\r\nlamp24.ies\r\nlamp25.ies\r\nlamp26.ies\r\nlamp27.ies");
}

}  // namespace
}  // namespace lumibench
