// The Convert tool's window with a host stand-in that takes every command:
// a quarter turn sent back under the data set's own name as unsaved data,
// undone and sent again, a new data set under the user's name, and type B
// data refused with the reason.

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>

#include "analytic_records.h"
#include "convert_window.h"
#include "photometry/photometry.h"
#include "platform/settings_store.h"

namespace lumibench {
namespace {

class ConvertWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        line_.hostKey = "LumibenchPE";
        line_.instanceId = "4";
        line_.section = "Data Exchange";
        QObject::connect(&host_, &QTimer::timeout, [this] {
            const std::string command = store_.read("Lumibench_PE", "Data Exchange", "LumibenchPE");
            if (command.empty()) return;
            commands_.push_back(command);
            ToolSession reader(store_, line_, "host");
            WorkRecordTable records;
            std::string error;
            reader.readData(records, error);
            sent_.push_back(records.empty() ? PhotometricRecord{} : records.front());
            store_.write("Lumibench_PE", "Data Exchange", "LumibenchPE", "");
        });
        host_.start(5);
        // One bright direction, 1000 cd at C30, gamma 60.
        peak_ = testing::AnalyticRecord(1, testing::Layout::Full, 5, [](double c, double g) {
            return std::abs(c - 30) < 0.01 && std::abs(g - 60) < 0.01 ? 1000.0 : 10.0;
        });
        peak_.Filename = "/data/road/peak.ies";
    }
    void click(QWidget& window, const char* name) {
        auto* button = window.findChild<QAbstractButton*>(name);
        ASSERT_TRUE(button) << name;
        button->click();
        QCoreApplication::processEvents();
    }
    // The host stand-in takes a command on its next tick.
    void waitForCommands(std::size_t count) {
        for (int i = 0; i < 200 && commands_.size() < count; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(5);
        }
    }
    static QString Status(QWidget& window) { return window.findChild<QLabel*>("labStatus")->text(); }
    static photometry::Direction Peak(const PhotometricRecord& record) {
        return photometry::Summarise(record).maxIntensityDirection;
    }

    MemorySettingsStore store_;
    ToolCommandLine line_;
    QTimer host_;
    std::vector<std::string> commands_;
    std::vector<PhotometricRecord> sent_;
    PhotometricRecord peak_;
};

TEST_F(ConvertWindowTest, ATurnGoesBackUnderItsOwnNameUnsavedAndUndoes) {
    ToolSession session(store_, line_, "Tool_ConvertPE");
    convert_tool::ConvertWindow window(session, {peak_});
    auto* apply = window.findChild<QAbstractButton*>("cmdApply");
    EXPECT_FALSE(apply->isEnabled());  // nothing changed yet

    click(window, "cmdRotate90");
    EXPECT_TRUE(apply->isEnabled());
    click(window, "cmdApply");
    waitForCommands(1);
    ASSERT_EQ(commands_.size(), 1u);
    EXPECT_EQ(commands_[0], "SENDUPDATEDDATA*,Tool_ConvertPE,4");
    EXPECT_EQ(sent_[0].Filename, peak_.Filename);
    EXPECT_DOUBLE_EQ(Peak(sent_[0]).horizontal, 120);
    EXPECT_EQ(Status(window), "Sent to Lumibench as unsaved data: peak.ies");

    // Undo reaches behind the Apply, and the undone data can be sent again.
    click(window, "cmdUndo");
    click(window, "cmdApply");
    waitForCommands(2);
    ASSERT_EQ(commands_.size(), 2u);
    EXPECT_EQ(sent_[1].Candela, peak_.Candela);
    EXPECT_FALSE(window.findChild<QAbstractButton*>("cmdUndo")->isEnabled());
}

TEST_F(ConvertWindowTest, ApplyAsNewSendsANewDataSetUnderTheGivenName) {
    ToolSession session(store_, line_, "Tool_ConvertPE");
    convert_tool::ConvertWindow window(session, {peak_});
    click(window, "cmdMirrorC0");
    click(window, "cmdApplyNew");
    EXPECT_TRUE(commands_.empty());
    EXPECT_EQ(Status(window), "Type a name for the new data set first.");

    window.findChild<QLineEdit*>("txtNewName")->setText("peak mirrored");
    click(window, "cmdApplyNew");
    waitForCommands(1);
    ASSERT_EQ(commands_.size(), 1u);
    EXPECT_EQ(commands_[0], "SENDNEWDATA*,Tool_ConvertPE,4");
    EXPECT_EQ(sent_[0].Filename, "/data/road/peak mirrored.ies");
    EXPECT_DOUBLE_EQ(Peak(sent_[0]).horizontal, 330);
}

TEST_F(ConvertWindowTest, TypeBDataIsNotTurnedAndTheUserIsToldWhy) {
    PhotometricRecord flood = testing::AnalyticRecord(2, testing::Layout::BFull, 5, testing::CosinePower(2, 1000, 4));
    flood.Filename = "/data/flood.ies";
    ToolSession session(store_, line_, "Tool_ConvertPE");
    convert_tool::ConvertWindow window(session, {flood});
    click(window, "cmdRotate270");
    EXPECT_EQ(Status(window).toStdString(),
              "Turning and mirroring are defined for type C data (C planes about the vertical axis); this data set "
              "is type B.");
    EXPECT_FALSE(window.findChild<QAbstractButton*>("cmdApply")->isEnabled());
    click(window, "cmdFeet");  // defined for type B
    EXPECT_TRUE(window.findChild<QAbstractButton*>("cmdApply")->isEnabled());
}

}  // namespace
}  // namespace lumibench
