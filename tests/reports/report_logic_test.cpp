// The report tools' logic without a screen: units and inputs as the settings
// hold them, what each datasheet contains, its pages, and batch file names.
#include <gtest/gtest.h>

#include <QGuiApplication>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <functional>
#include <map>

#include "../photometry/analytic_records.h"
#include "report_document.h"
#include "report_pages.h"

namespace lumibench::reports {
namespace {

struct UnitsRow {
    const char* input;
    const char* output;
    bool feet;
    bool footcandles;
};

class UnitsFromSettingsTest : public ::testing::TestWithParam<UnitsRow> {};

// The settings dialog writes "0"/"2" and "0"/"1"; a store never written reads
// empty, and any other number counts as its non-zero choice.
TEST_P(UnitsFromSettingsTest, ReadsTheHostsChoice) {
    const UnitsRow row = GetParam();
    const ReportUnits units = UnitsFromSettings(row.input, row.output);
    EXPECT_EQ(units.feet, row.feet);
    EXPECT_EQ(units.footcandles, row.footcandles);
    EXPECT_EQ(units.lengthLabel(), row.feet ? "ft" : "m");
    EXPECT_EQ(units.illuminanceLabel(), row.footcandles ? "fc" : "lx");
}

INSTANTIATE_TEST_SUITE_P(Rows, UnitsFromSettingsTest,
                         ::testing::Values(UnitsRow{"", "", true, true}, UnitsRow{"0", "0", true, true},
                                           UnitsRow{"2", "1", false, false}, UnitsRow{" 2", " 1", false, false},
                                           UnitsRow{"1", "0", false, true}, UnitsRow{"0", "7", true, false},
                                           UnitsRow{"metres", "lux", true, true}),
                         [](const auto& row) { return "row" + std::to_string(row.index); });

// 1 fc is 1 lm/ft^2 = 10.7639 lx; 1 ft = 0.3048 m (exact by definition).
TEST(ReportUnits, ConvertsByTheDefinitionsOfFootAndFootcandle) {
    const ReportUnits imperial{true, true};
    EXPECT_NEAR(imperial.illuminanceFromLux(107.639104), 10.0, 1e-6);
    EXPECT_NEAR(imperial.lengthFromMetres(3.048), 10.0, 1e-12);
    EXPECT_NEAR(imperial.lengthToMetres(imperial.lengthFromMetres(7.25)), 7.25, 1e-12);
    const ReportUnits metric{false, false};
    EXPECT_DOUBLE_EQ(metric.illuminanceFromLux(250), 250);
    EXPECT_DOUBLE_EQ(metric.lengthToMetres(4), 4);
}

TEST(ReportInputs, StoredValuesOutsideTheirRangeOrUnreadableTakeTheDefault) {
    const std::map<std::string, std::string> stored{
        {"MountingHeight", "12.5"}, {"Spacing", "1e9"}, {"RoadWidth", "wide"}, {"Lanes", " 3"}, {"Overhang", "-inf"}};
    const InputValues values = ReadInputs(ReportKind::Road, [&](const std::string& key) {
        const auto it = stored.find(key);
        return it == stored.end() ? std::string() : it->second;
    });
    EXPECT_DOUBLE_EQ(values.at("MountingHeight"), 12.5);
    EXPECT_DOUBLE_EQ(values.at("Spacing"), 30);   // out of range
    EXPECT_DOUBLE_EQ(values.at("RoadWidth"), 7);  // no number
    EXPECT_DOUBLE_EQ(values.at("Lanes"), 3);
    EXPECT_DOUBLE_EQ(values.at("Overhang"), 0);
    EXPECT_DOUBLE_EQ(values.at("Arrangement"), 0);  // never written
}

TEST(ReportInputs, WrittenInputsReadBackForEveryKind) {
    for (ReportKind kind : {ReportKind::Indoor, ReportKind::Road, ReportKind::Floodlight}) {
        InputValues values;
        for (const InputField& field : InputFields(kind)) values[field.key] = (field.minimum + field.maximum) / 3;
        std::map<std::string, std::string> store;
        WriteInputs(kind, values, [&](const std::string& key, const std::string& value) { store[key] = value; });
        const InputValues back = ReadInputs(kind, [&](const std::string& key) { return store[key]; });
        for (const InputField& field : InputFields(kind))
            EXPECT_NEAR(back.at(field.key), ClampInput(field, values[field.key]), 1e-9) << ActNameOf(kind) << " " << field.key;
    }
}

TEST(ReportIdentity, TakesTheCompanyAndTheGivenContactLines) {
    const std::map<std::string, std::string> settings{
        {"Lumibench_PE/BannerFilename", "/opt/logo.jpg"},
        {"Startup/UserCompanyName", "  Northlight Ltd "},
        {"Startup/UserName", "A. Reader"},
        {"Startup/UserAddress", "1 Lamp Street\r\n\r\nTown 12\r\n"},
        {"Startup/UserEmail", "a@example.org"}};
    const ReportIdentity identity = IdentityFromSettings([&](const std::string& s, const std::string& k) {
        const auto it = settings.find(s + "/" + k);
        return it == settings.end() ? std::string() : it->second;
    });
    EXPECT_EQ(identity.bannerPath, "/opt/logo.jpg");
    EXPECT_EQ(identity.company, "Northlight Ltd");
    EXPECT_EQ(identity.contact, (std::vector<std::string>{"A. Reader", "1 Lamp Street", "Town 12", "a@example.org"}));
}

struct NameRow {
    std::vector<std::string> files;
    std::vector<std::string> names;
};

class BatchFileNameTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(BatchFileNameTest, OneFreeNamePerDataSet) {
    std::vector<std::string> taken;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < GetParam().files.size(); ++i)
        names.push_back(BatchFileName(GetParam().files[i], static_cast<int>(i), taken));
    EXPECT_EQ(names, GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BatchFileNameTest,
    ::testing::Values(NameRow{{"/d/a.ies", "/d/b.ldt"}, {"a.pdf", "b.pdf"}},
                      // The same name from two folders, or in another case, must not overwrite.
                      NameRow{{"/d/a.ies", "/e/a.ies", "/f/A.IES"}, {"a.pdf", "a-2.pdf", "A-3.pdf"}},
                      NameRow{{"/d/a.ies", "/d/a.ldt"}, {"a.pdf", "a-2.pdf"}},
                      NameRow{{"/d/x.y.ies", "/d/noext"}, {"x.y.pdf", "noext.pdf"}},
                      NameRow{{"/d/a|b?.ies", "", "/d/"}, {"a_b_.pdf", "dataset-2.pdf", "dataset-3.pdf"}}),
    [](const auto& row) { return "row" + std::to_string(row.index); });

TEST(ReportDataSets, DropsAClosedFileAndTakesRefreshedDataInPlace) {
    PhotometricRecord a, b;
    a.Filename = "/d/a.ies";
    b.Filename = "/d/b.ies";
    a.InputWatts = 10;
    ReportDataSets sets;
    sets.set({a, b, a});
    EXPECT_EQ(sets.removeFile("/d/A.ies"), 0u);  // the host's path, exactly
    EXPECT_EQ(sets.removeFile("/d/a.ies"), 2u);
    ASSERT_EQ(sets.records().size(), 1u);
    PhotometricRecord newer = b;
    newer.Filename = "/D/B.IES";
    newer.InputWatts = 42;
    EXPECT_EQ(sets.takeRefreshed({newer}), 1u);
    EXPECT_EQ(sets.records()[0].InputWatts, 42);
    EXPECT_EQ(sets.records()[0].Filename, "/d/b.ies");
}

// --- The datasheets ---------------------------------------------------------

PhotometricRecord Lambertian() {
    // 1000 cd x cos(gamma) below the luminaire: 1000 pi lm downwards, no upward light.
    PhotometricRecord r = testing::AnalyticRecord(1, testing::Layout::Rotational, 5, testing::CosinePower(1, 1000, 1));
    r.Filename = "/data/lambert.ies";
    r.LuminaireKeyword = "Test downlight";
    r.LampCount = 1;
    r.LumensPerLamp = 5000;
    r.InputWatts = 40;
    r.Width = 0.6f;
    r.Length = 0.6f;
    r.UnitsType = 2;
    return r;
}

std::vector<std::string> Headings(const ReportDocument& doc) {
    std::vector<std::string> out;
    for (const ReportBlock& b : doc.blocks)
        if (b.kind == ReportBlock::Kind::Heading) out.push_back(b.text);
    return out;
}

const ReportBlock* FindFacts(const ReportDocument& doc, const std::string& label, std::string* value) {
    std::function<const ReportBlock*(const ReportBlock&)> search = [&](const ReportBlock& b) -> const ReportBlock* {
        for (const auto& [l, v] : b.facts)
            if (l == label) {
                *value = v;
                return &b;
            }
        for (const ReportBlock& c : b.columns)
            if (const ReportBlock* found = search(c)) return found;
        return nullptr;
    };
    for (const ReportBlock& b : doc.blocks)
        if (const ReportBlock* found = search(b)) return found;
    return nullptr;
}

double LeadingNumberOf(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

struct SheetRow {
    ReportKind kind;
    std::vector<std::string> headings;
};

class SheetContentTest : public ::testing::TestWithParam<SheetRow> {};

TEST_P(SheetContentTest, HoldsTheCommonPartThenItsOwnSections) {
    const ReportDocument doc = BuildReport(GetParam().kind, Lambertian(), {}, ReportUnits{false, false});
    EXPECT_EQ(doc.luminaire, "Test downlight");
    std::vector<std::string> expected{"Luminaire and lamp data", "Intensity distribution and zonal lumens"};
    expected.insert(expected.end(), GetParam().headings.begin(), GetParam().headings.end());
    EXPECT_EQ(Headings(doc), expected);
    std::string flux;
    ASSERT_NE(FindFacts(doc, "Luminaire flux", &flux), nullptr);
    EXPECT_NEAR(LeadingNumberOf(flux), 1000 * 3.14159265, 15);  // pi x I0 for a Lambertian emitter
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SheetContentTest,
    ::testing::Values(SheetRow{ReportKind::Indoor,
                               {"Coefficients of utilisation (zonal cavity method)", "UGR table (CIE tabular method)",
                                "Spacing, luminance and the room"}},
                      SheetRow{ReportKind::Road, {"Road classification and BUG rating", "Illuminance on the road"}},
                      SheetRow{ReportKind::Floodlight, {"Beam and field", "Isocandela diagram and the target"}}),
    [](const auto& row) { return ActNameOf(row.param.kind); });

TEST(SheetContent, CuTableHasElevenCavityRatiosAndAFallingFirstColumn) {
    const ReportDocument doc = BuildReport(ReportKind::Indoor, Lambertian(), {}, ReportUnits{});
    const auto it = std::find_if(doc.blocks.begin(), doc.blocks.end(),
                                 [](const ReportBlock& b) { return b.kind == ReportBlock::Kind::Table; });
    ASSERT_NE(it, doc.blocks.end());
    ASSERT_EQ(it->table.rows.size(), 11u);
    EXPECT_EQ(it->table.header.front(), "RCR");
    // RCR 0 under a ceiling of 80 % and a floor of 20 %: floor and ceiling face
    // each other alone, so CU = DLOR / (1 - 0.8 x 0.2) = (pi x 1000 / 5000) / 0.84 = 75 %.
    EXPECT_EQ(it->table.header[1], "80/70");
    EXPECT_EQ(it->table.rows[0][1], "75");
    for (std::size_t r = 1; r < it->table.rows.size(); ++r)
        EXPECT_LE(LeadingNumberOf(it->table.rows[r][1]), LeadingNumberOf(it->table.rows[r - 1][1]));
}

// The user's unit choice changes what is shown, never the physics: the same
// road in feet and footcandles gives the metric figures divided by 10.7639.
TEST(SheetContent, RoadIlluminanceFollowsTheOutputUnits) {
    const InputValues road{{"MountingHeight", 8}, {"Spacing", 24}, {"RoadWidth", 7}, {"Lanes", 2}};
    std::string lux, fc, width;
    ASSERT_NE(FindFacts(BuildReport(ReportKind::Road, Lambertian(), road, {false, false}), "Average illuminance", &lux),
              nullptr);
    const ReportDocument imperial = BuildReport(ReportKind::Road, Lambertian(), road, {true, true});
    ASSERT_NE(FindFacts(imperial, "Average illuminance", &fc), nullptr);
    ASSERT_NE(FindFacts(imperial, "Mounting height", &width), nullptr);
    EXPECT_NE(lux.find(" lx"), std::string::npos);
    EXPECT_NE(fc.find(" fc"), std::string::npos);
    EXPECT_GT(LeadingNumberOf(lux), 0);
    EXPECT_NEAR(LeadingNumberOf(fc), LeadingNumberOf(lux) / 10.7639, 0.02);
    EXPECT_EQ(width, "26.2 ft");  // 8 m
}

// Indoor room: E = N x lamp flux x CU x LLF / area, here 4 x 4 luminaires of 5000 lm.
TEST(SheetContent, RoomIlluminanceIsTheLumenMethodOfItsOwnCu) {
    const InputValues room{{"RoomLength", 10}, {"RoomWidth", 10}, {"MountingHeight", 2.5}, {"Spacing", 2.5},
                           {"CeilingReflectance", 70}, {"WallReflectance", 50}, {"FloorReflectance", 20},
                           {"LightLossFactor", 0.8}};
    const ReportDocument doc = BuildReport(ReportKind::Indoor, Lambertian(), room, {false, false});
    std::string cu, count, lux, rcr;
    ASSERT_NE(FindFacts(doc, "Coefficient of utilisation", &cu), nullptr);
    ASSERT_NE(FindFacts(doc, "Luminaires", &count), nullptr);
    ASSERT_NE(FindFacts(doc, "Average illuminance", &lux), nullptr);
    ASSERT_NE(FindFacts(doc, "Room cavity ratio", &rcr), nullptr);
    EXPECT_EQ(rcr, "2.50");  // 5 x 2.5 x 20 / 100
    EXPECT_EQ(count.substr(0, 10), "4 x 4 = 16");
    EXPECT_NEAR(LeadingNumberOf(lux), 16 * 5000 * LeadingNumberOf(cu) * 0.8 / 100, 0.5);
}

// Data sets handed over by the host carry their header lines only.
TEST(SheetContent, NamesTheLuminaireFromHeaderLinesWhenTheFieldsAreEmpty) {
    PhotometricRecord r = Lambertian();
    r.LuminaireKeyword.clear();
    r.Keywords = {"[TEST] T-1", "[manufac]  Northlight ", "[LUMINAIRE] Wall pack", "[LUMINAIREX] not this"};
    const ReportDocument doc = BuildReport(ReportKind::Road, r, {}, {});
    EXPECT_EQ(doc.luminaire, "Wall pack");
    std::string maker, test;
    ASSERT_NE(FindFacts(doc, "Manufacturer", &maker), nullptr);
    ASSERT_NE(FindFacts(doc, "Test", &test), nullptr);
    EXPECT_EQ(maker, "Northlight");
    EXPECT_EQ(test, "T-1");
    EXPECT_EQ(FindFacts(doc, "Lamp", &test), nullptr);
}

TEST(SheetContent, TypeBRecordGetsANoteInsteadOfRoomFigures) {
    PhotometricRecord b = testing::AnalyticRecord(2, testing::Layout::BFull, 5, testing::CosinePower(2, 1000, 8));
    b.Filename = "/d/flood.ies";
    b.LampCount = 1;
    b.LumensPerLamp = 1000;
    const ReportDocument doc = BuildReport(ReportKind::Indoor, b, {}, {});
    ASSERT_FALSE(doc.blocks.empty());
    EXPECT_EQ(doc.blocks.back().kind, ReportBlock::Kind::Note);
    EXPECT_NE(doc.blocks.back().text.find("type C"), std::string::npos);
    // The floodlight sheet of the same record has its beam table.
    EXPECT_EQ(Headings(BuildReport(ReportKind::Floodlight, b, {}, {}))[2], "Beam and field");
}

std::vector<std::string> Notes(const ReportDocument& doc) {
    std::vector<std::string> out;
    for (const ReportBlock& b : doc.blocks)
        if (b.kind == ReportBlock::Kind::Note) out.push_back(b.text);
    return out;
}

// The road sheet says where the street side is, and what turns a data set
// whose light goes to the house side: here a one-sided spot toward C180.
TEST(SheetContent, RoadSheetStatesTheStreetSideAndNotesTurnedData) {
    auto oneSided = [](double toward) {
        return [toward](double c, double g) {
            const double d = std::cos((c - toward) * 3.14159265358979 / 180);
            return g < 85 && d > 0 ? 1000 * d * std::cos(g * 3.14159265358979 / 360) : 0.0;
        };
    };
    PhotometricRecord house = testing::AnalyticRecord(1, testing::Layout::Full, 5, oneSided(180));
    house.Filename = "/d/house.ies";
    const std::vector<std::string> notes = Notes(BuildReport(ReportKind::Road, house, {}, {}));
    ASSERT_GE(notes.size(), 2u);
    EXPECT_EQ(notes[0], "street side: horizontal angles 270\u2013" "90, toward C0");
    EXPECT_NE(notes[1].find("rotation by 180 degrees"), std::string::npos);
    // The same light measured toward C90 in a EULUMDAT file: a quarter turn back.
    PhotometricRecord curb = testing::AnalyticRecord(1, testing::Layout::Full, 5, oneSided(90));
    curb.Filename = "/d/curb.ldt";
    const std::vector<std::string> curbNotes = Notes(BuildReport(ReportKind::Road, curb, {}, {}));
    ASSERT_GE(curbNotes.size(), 2u);
    EXPECT_NE(curbNotes[1].find("rotation by 270 degrees"), std::string::npos);
    PhotometricRecord street = testing::AnalyticRecord(1, testing::Layout::Full, 5, oneSided(0));
    street.Filename = "/d/street.ies";
    EXPECT_EQ(Notes(BuildReport(ReportKind::Road, street, {}, {})).size(), 1u);
}

// The indoor sheet names the luminaire's length axis, from the file's format
// unless the inputs set it.
TEST(SheetContent, IndoorSheetNamesTheLengthAxisAndTheInputsOverrideIt) {
    std::string text;
    ASSERT_NE(FindFacts(BuildReport(ReportKind::Indoor, Lambertian(), {}, {}), "Luminaire length", &text), nullptr);
    EXPECT_EQ(text, "luminaire length along C0\u2013C180 (as its file format gives it)");
    PhotometricRecord european = Lambertian();
    european.Filename = "/data/lambert.ldt";
    ASSERT_NE(FindFacts(BuildReport(ReportKind::Indoor, european, {}, {}), "Luminaire length", &text), nullptr);
    EXPECT_EQ(text, "luminaire length along C90\u2013C270 (as its file format gives it)");
    ASSERT_NE(FindFacts(BuildReport(ReportKind::Indoor, european, {{"LengthAxis", 1}}, {}), "Luminaire length", &text),
              nullptr);
    EXPECT_EQ(text, "luminaire length along C0\u2013C180 (set in the inputs)");
}

// Type B: zones about the beam axis, up and down about the horizontal plane;
// each figure says which, so "up 50 %" beside an empty 90-180 zone reads right.
TEST(SheetContent, TypeBFiguresNameTheirFrame) {
    PhotometricRecord b = testing::AnalyticRecord(2, testing::Layout::BFull, 5, testing::CosinePower(2, 1000, 8));
    b.Filename = "/d/flood.ies";
    const ReportDocument doc = BuildReport(ReportKind::Floodlight, b, {}, {});
    std::string updown, code;
    ASSERT_NE(FindFacts(doc, "Downward / upward flux", &updown), nullptr);
    ASSERT_NE(FindFacts(doc, "CIE flux code", &code), nullptr);
    EXPECT_NE(updown.find("(about the horizontal plane)"), std::string::npos);
    EXPECT_NE(code.find("(about the luminaire's axis)"), std::string::npos);
    std::string ballast;
    ASSERT_NE(FindFacts(doc, "Ballast factor", &ballast), nullptr);
    EXPECT_NE(ballast.find("applied to no figure"), std::string::npos);
}

TEST(SheetContent, EmptyRecordNeverCrashesAndSaysSo) {
    for (ReportKind kind : {ReportKind::Indoor, ReportKind::Road, ReportKind::Floodlight}) {
        const ReportDocument doc = BuildReport(kind, PhotometricRecord{}, {}, {});
        ASSERT_EQ(doc.blocks.size(), 1u);
        EXPECT_EQ(doc.blocks[0].kind, ReportBlock::Kind::Note);
        EXPECT_EQ(Paginate(doc).size(), 1u);
    }
}

// Pages: every block once, in order, inside the body; a heading is never the
// last thing on a page; an over-tall block stands alone.
TEST(Pagination, KeepsBlocksInOrderInsideTheBodyAndHeadingsWithTheirContent) {
    ReportDocument doc;
    for (int i = 0; i < 12; ++i) {
        ReportBlock heading;
        heading.kind = ReportBlock::Kind::Heading;
        doc.blocks.push_back(heading);
        ReportBlock figure;
        figure.kind = ReportBlock::Kind::Figure;
        figure.height = i == 5 ? 2000 : 100 + 20 * i;
        doc.blocks.push_back(figure);
    }
    const PageLayout layout;
    const auto pages = Paginate(doc, layout);
    std::size_t next = 0;
    for (const ReportPage& page : pages) {
        ASSERT_FALSE(page.empty());
        EXPECT_NE(doc.blocks[page.back().index].kind, ReportBlock::Kind::Heading);
        for (const PlacedBlock& placed : page) {
            EXPECT_EQ(placed.index, next++);
            EXPECT_GE(placed.top, layout.bodyTop());
            if (placed.height < layout.bodyBottom() - layout.bodyTop()) {
                EXPECT_LE(placed.top + placed.height, layout.bodyBottom() + 1e-9);
            }
        }
    }
    EXPECT_EQ(next, doc.blocks.size());
}

}  // namespace
}  // namespace lumibench::reports

int main(int argc, char** argv) {
    // Fonts and painting of the figures need a GUI application, never a screen.
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
