// Tool_ViewPE's decisions without a window: which data sets host commands
// drop or refresh, the unit of overlays, and the length unit of the settings.
#include <gtest/gtest.h>

#include "view_model.h"

namespace lumibench::view {
namespace {

PhotometricRecord Record(const std::string& path, float lumensPerLamp, double candela = 100) {
    PhotometricRecord r;
    r.Filename = path;
    r.LampCount = 1;
    r.LumensPerLamp = lumensPerLamp;
    r.CandelaMultiplier = 1;
    r.PhotometricType = 1;
    r.UnitsType = 2;
    r.VertAngles = {0, 90};
    r.HorAngles = {0};
    r.VertAngleCount = 2;
    r.HorAngleCount = 1;
    r.Candela = {{candela, 0}};
    return r;
}

TEST(ViewModel, HostCommandsDropAndRefreshOnlyTheirOwnFiles) {
    ViewModel model;
    model.setDataSets({Record("/d/a.ies", 1000), Record("/d/b.ies", 1000), Record("/d/a.ies", 1000, 50)});
    model.markFirstUnsaved();
    EXPECT_EQ(DataSetLabel(model.dataSets()[0]), "a.ies (unsaved)");
    EXPECT_EQ(DataSetLabel(model.dataSets()[1]), "b.ies");

    // DeleteFile names a path exactly; another case is another file here.
    EXPECT_EQ(model.removeFile("/d/A.ies"), 0u);
    EXPECT_EQ(model.removeFile("/d/b.ies,x"), 0u);
    EXPECT_EQ(model.removeFile("/d/a.ies"), 2u);  // every data set of that file
    ASSERT_EQ(model.dataSets().size(), 1u);
    EXPECT_EQ(model.dataSets()[0].record.Filename, "/d/b.ies");

    // DataChanged: the refreshed slots hold the host's checked files; only
    // ours take new data, matched as the host matches (case ignored), and
    // keep the name we know them by.
    model.setDataSets({Record("/d/a.ies", 1000), Record("/d/b.ies", 1000)});
    const std::size_t changed = model.takeRefreshed({Record("/d/B.IES", 1000, 400), Record("/d/c.ies", 1000, 9)});
    EXPECT_EQ(changed, 1u);
    ASSERT_EQ(model.dataSets().size(), 2u);
    EXPECT_EQ(model.dataSets()[0].record.Candela[0][0], 100);
    EXPECT_EQ(model.dataSets()[1].record.Candela[0][0], 400);
    EXPECT_EQ(model.dataSets()[1].record.Filename, "/d/b.ies");
    EXPECT_EQ(model.takeRefreshed({Record("/d/b.ies", 1000, 400)}), 0u);  // nothing new
}

TEST(ViewModel, OverlaysOfDifferentFluxesCompareInCandelaPerKilolumen) {
    using diagrams::IntensityUnit;
    struct Row {
        std::vector<float> lumens;
        std::vector<bool> shown;
        UnitChoice choice;
        IntensityUnit unit;
    };
    const Row rows[] = {
        {{1000}, {true}, UnitChoice::Automatic, IntensityUnit::Candela},
        {{1000, 1000}, {true, true}, UnitChoice::Automatic, IntensityUnit::Candela},
        {{1000, 3000}, {true, true}, UnitChoice::Automatic, IntensityUnit::CandelaPerKilolumen},
        {{1000, 3000}, {true, false}, UnitChoice::Automatic, IntensityUnit::Candela},  // one drawn
        {{1000, 1002}, {true, true}, UnitChoice::Automatic, IntensityUnit::Candela},   // within half a per cent
        {{1000, 3000}, {true, true}, UnitChoice::Candela, IntensityUnit::Candela},     // the user's choice wins
        {{1000}, {true}, UnitChoice::CandelaPerKilolumen, IntensityUnit::CandelaPerKilolumen},
    };
    for (const Row& row : rows) {
        ViewModel model;
        WorkRecordTable records;
        for (float lm : row.lumens) records.push_back(Record("/x/" + std::to_string(records.size()) + ".ies", lm));
        model.setDataSets(records);
        for (std::size_t i = 0; i < row.shown.size(); ++i) model.setShown(i, row.shown[i]);
        EXPECT_EQ(model.unitFor(row.choice), row.unit) << row.lumens.size() << " " << row.lumens.back();
        const auto series = model.shownSeries(model.unitFor(row.choice));
        EXPECT_EQ(series.size(), static_cast<std::size_t>(std::count(row.shown.begin(), row.shown.end(), true)));
        // cd/klm scales by the lamps' flux: 1000 lm lamps keep their values.
        if (model.unitFor(row.choice) == IntensityUnit::CandelaPerKilolumen) {
            EXPECT_DOUBLE_EQ(series[0].factor, 1.0);
        }
    }
}

TEST(ViewModel, LengthsInTheUnitsTheSettingsName) {
    struct Row {
        const char* setting;
        const char* label;
        double perMetre;
    };
    const Row rows[] = {{"", "ft", 1 / 0.3048}, {"0", "ft", 1 / 0.3048}, {" 0", "ft", 1 / 0.3048},
                        {"2", "m", 1},         {"1", "m", 1}};
    for (const Row& row : rows) {
        const LengthUnit unit = LengthUnitFromSetting(row.setting);
        EXPECT_EQ(unit.label, row.label) << '"' << row.setting << '"';
        EXPECT_DOUBLE_EQ(unit.unitsPerMetre, row.perMetre);
    }
}

}  // namespace
}  // namespace lumibench::view
