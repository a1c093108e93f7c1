// The report window offscreen: inputs shown in the user's length unit, kept
// in metres in the tool's own settings, and back when the tool opens again.
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <map>

#include "../photometry/analytic_records.h"
#include "report_window.h"

namespace lumibench::reports {
namespace {

struct FakeSettings {
    std::map<std::string, std::string> values;
    ReportSettingsAccess access() {
        return {[this](const std::string& s, const std::string& k) { return values[s + "/" + k]; },
                [this](const std::string& s, const std::string& k, const std::string& v) { values[s + "/" + k] = v; }};
    }
};

PhotometricRecord Downlight(const char* name) {
    PhotometricRecord r = testing::AnalyticRecord(1, testing::Layout::Rotational, 5, testing::CosinePower(1, 1000, 2));
    r.Filename = name;
    r.LampCount = 1;
    r.LumensPerLamp = 3000;
    return r;
}

TEST(ReportWindow, RemembersALengthInMetresWhateverUnitItWasTypedIn) {
    FakeSettings settings;  // InputUnits never written: feet
    ReportDataSets sets;
    sets.set({Downlight("/d/a.ies")});
    {
        ReportWindow window(ReportKind::Road, sets, settings.access(), "Tool_RoadReportPE");
        auto* height = window.findChild<QDoubleSpinBox*>("txtMountingHeight");
        ASSERT_NE(height, nullptr);
        EXPECT_NEAR(height->value(), 10 / 0.3048, 0.01);  // the default 10 m, in feet
        height->setValue(40);                              // feet
    }
    const std::string stored = settings.values["Tool_RoadReportPE/MountingHeight"];
    double metres = 0;
    std::from_chars(stored.data(), stored.data() + stored.size(), metres);
    EXPECT_NEAR(metres, 40 * 0.3048, 1e-6);

    // Metres chosen in the host's settings: the same height, shown in metres.
    settings.values["Lumibench_PE/InputUnits"] = "2";
    ReportWindow again(ReportKind::Road, sets, settings.access(), "Tool_RoadReportPE");
    EXPECT_NEAR(again.findChild<QDoubleSpinBox*>("txtMountingHeight")->value(), 12.19, 0.01);
}

TEST(ReportWindow, DroppedDataSetLeavesTheOtherAndBatchNamesBoth) {
    FakeSettings settings;
    ReportDataSets sets;
    sets.set({Downlight("/d/a.ies"), Downlight("/e/a.ies"), Downlight("/d/b.ies")});
    ReportWindow window(ReportKind::Indoor, sets, settings.access(), "Tool_IndoorReportPE");
    auto* choice = window.findChild<QComboBox*>("cboDataSet");
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->count(), 3);
    sets.removeFile("/d/b.ies");
    window.refresh();
    EXPECT_EQ(choice->count(), 2);
    QTemporaryDir folder;
    const QStringList written = window.writeBatch(folder.path(), false);
    ASSERT_EQ(written.size(), 2);
    EXPECT_TRUE(written[0].endsWith("/a.pdf"));
    EXPECT_TRUE(written[1].endsWith("/a-2.pdf"));
}

}  // namespace
}  // namespace lumibench::reports

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
