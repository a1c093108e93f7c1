// Logic of the convert program and the Save and Template tools, without windows:
// command lines, where files go, and the parametric models against known answers.

#include <gtest/gtest.h>

#include "photometry/road.h"

#include <cmath>
#include <filesystem>

#include "convert_options.h"
#include "photometry/photometry.h"
#include "save_plan.h"
#include "template_options.h"
#include "sdk/luminaire_templates.h"
#include "sdk/photometric_writers.h"

namespace lumibench {
namespace {

struct ArgumentsRow {
    std::vector<std::string> args;
    std::string error;
    std::optional<FileFormat> to;
    std::string out;
    bool force = false;
    bool repair = false;
};

TEST(ConvertOptions, CommandLines) {
    const std::vector<ArgumentsRow> rows = {
        {{"--to", "ldt", "a.ies"}, "", FileFormat::Eulumdat, "", false, false},
        {{"--to=ies2019", "--out", "x.ies", "--force", "a.ldt"}, "", FileFormat::Ies2019, "x.ies", true, false},
        {{"--repair", "--to", "TM14", "-o", "dir/", "a", "b"}, "", FileFormat::Tm14, "dir/", false, true},
        {{"--fix", "--to", "ldt", "a"}, "", FileFormat::Eulumdat, "", false, false},
        {{"--to", "ies1995", "--", "--odd.ies"}, "", FileFormat::Ies1995, "", false, false},
        {{"a.ies"}, "--to is required", std::nullopt, "", false, false},
        {{"--to", "pdf", "a.ies"}, "unknown format 'pdf'", std::nullopt, "", false, false},
        {{"--to", "ldt"}, "no FILE given", FileFormat::Eulumdat, "", false, false},
        {{"--to"}, "--to needs a format", std::nullopt, "", false, false},
        {{"--to", "ldt", "--bogus", "a"}, "unknown option '--bogus'", FileFormat::Eulumdat, "", false, false},
    };
    for (const ArgumentsRow& row : rows) {
        const ConvertOptions options = ParseConvertArguments(row.args);
        EXPECT_EQ(options.error, row.error) << row.args.front();
        EXPECT_EQ(options.to, row.to) << row.args.front();
        EXPECT_EQ(options.out, row.out);
        EXPECT_EQ(options.force, row.force);
        EXPECT_EQ(options.repair, row.repair);
        EXPECT_EQ(options.fix, row.args.front() == "--fix");
    }
    EXPECT_TRUE(ParseConvertArguments({"--version"}).error.empty());
}

TEST(ConvertOptions, DataChanges) {
    using namespace photometry;
    ConvertOptions o = ParseConvertArguments({"--to", "ies2002", "--rotate", "-90", "--mirror=c90", "--scale-lumens",
                                              "1200.5", "--absolute", "--units", "feet", "a.ies"});
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.transform.rotateDegrees, -90);
    EXPECT_EQ(o.transform.mirror, MirrorPlane::C90C270);
    EXPECT_EQ(o.transform.lampLumens, 1200.5);
    EXPECT_EQ(o.transform.photometry, PhotometryKind::Absolute);
    EXPECT_EQ(o.transform.units, LengthUnit::Feet);
    o = ParseConvertArguments({"--to", "ldt", "--rotate=270", "--mirror", "c0", "--relative", "--units=metres", "a"});
    EXPECT_EQ(o.transform.rotateDegrees, 270);
    EXPECT_EQ(o.transform.mirror, MirrorPlane::C0C180);
    EXPECT_EQ(o.transform.photometry, PhotometryKind::Relative);
    EXPECT_EQ(o.transform.units, LengthUnit::Metres);
    EXPECT_TRUE(ParseConvertArguments({"--to", "ldt", "a"}).transform == RecordTransform{});
    const std::vector<std::pair<std::vector<std::string>, std::string>> errors = {
        {{"--rotate", "90deg"}, "--rotate needs an angle in degrees, not '90deg'"},
        {{"--rotate", "9,5"}, "--rotate needs an angle in degrees, not '9,5'"},
        {{"--mirror", "c180"}, "--mirror takes c0 or c90, not 'c180'"},
        {{"--scale-lumens", "0"}, "--scale-lumens needs a positive number of lumens, not '0'"},
        {{"--units", "inches"}, "--units takes feet or metres, not 'inches'"},
        {{"a.ies", "--rotate"}, "--rotate needs a value"},
    };
    for (const auto& [args, error] : errors) {
        std::vector<std::string> line = {"--to", "ldt"};
        line.insert(line.end(), args.begin(), args.end());
        if (line.back() != "--rotate") line.push_back("a.ies");
        EXPECT_EQ(ParseConvertArguments(line).error, error);
    }
}

TEST(TemplateOptions, CommandLines) {
    TemplateOptions o = ParseTemplateArguments(
        {"--model", "road", "--second", "70", "--throw", "15", "--lamps", "2", "--feet", "--out", "r.ies"});
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.parameters.model, TemplateModel::Road);
    EXPECT_EQ(o.parameters.secondAngle, 70);
    EXPECT_EQ(o.parameters.throwAngle, 15);
    EXPECT_EQ(o.parameters.lampCount, 2);
    EXPECT_EQ(o.parameters.unitsType, 1);
    EXPECT_EQ(o.out, "r.ies");
    const std::vector<std::pair<std::vector<std::string>, std::string>> errors = {
        {{"--model", "lamp"}, "unknown model 'lamp'"},
        {{"--beam", "wide"}, "--beam needs a number"},
        {{"--beam", "60,5"}, "--beam needs a number"},
        {{"--out"}, "--out needs a value"},
        {{"--colour"}, "unknown option '--colour'"},
        {{"--beam", "nan"}, "--beam needs a finite number within single precision, not 'nan'"},
        {{"--lumens", "-inf"}, "--lumens needs a finite number within single precision, not '-inf'"},
        {{"--watts", "1e39"}, "--watts needs a finite number within single precision, not '1e39'"},
        {{"--width", "1e999"}, "--width needs a finite number within single precision, not '1e999'"},
        {{"--lamps", "40000"}, "--lamps needs a number within the 16-bit range"},
    };
    for (const auto& [args, error] : errors) EXPECT_EQ(ParseTemplateArguments(args).error, error);
}

TEST(ConvertOptions, OutputPaths) {
    EXPECT_EQ(OutputPathFor("/d/a.IES", FileFormat::Eulumdat, "", false), "/d/a.ldt");
    EXPECT_EQ(OutputPathFor("/d/a.b.ldt", FileFormat::Ies2002, "/out", true), "/out/a.b.ies");
    EXPECT_EQ(OutputPathFor("/d/a.ldt", FileFormat::Tm14, "/x/named.cib", false), "/x/named.cib");
    EXPECT_EQ(OutputPathFor("rel/a.cib", FileFormat::Ies2019, "", false), "rel/a.ies");
}

TEST(SavePlan, WhereEachDataSetGoes) {
    const auto folder = std::filesystem::temp_directory_path();
    PhotometricRecord record;
    struct Row {
        std::string filename;
        std::optional<FileFormat> own;
    };
    const std::vector<Row> rows = {
        {(folder / "a.ies").string(), FileFormat::Ies2002},
        {(folder / "b.LDT").string(), FileFormat::Eulumdat},
        {(folder / "c.tml").string(), FileFormat::Tm14},
        {"Template.ies", std::nullopt},                        // made by a tool: no folder
        {(folder / "missing-folder/x.ies").string(), std::nullopt},
        {(folder / "d.txt").string(), std::nullopt},
    };
    for (const Row& row : rows) {
        record.Filename = row.filename;
        const auto own = save_tool::OwnTargetOf(record);
        EXPECT_EQ(own ? std::optional(own->format) : std::nullopt, row.own) << row.filename;
    }
    record.Filename = (folder / "e.ies").string();
    record.Keywords = {"IES:LM-63-2019"};
    EXPECT_EQ(save_tool::OwnTargetOf(record)->format, FileFormat::Ies2019);

    EXPECT_EQ(save_tool::WithExtension("/x/name", FileFormat::Eulumdat), "/x/name.ldt");
    EXPECT_EQ(save_tool::WithExtension("/x/name.LDT", FileFormat::Eulumdat), "/x/name.LDT");
    EXPECT_EQ(save_tool::WithExtension("/x/name.ies", FileFormat::Tm14), "/x/name.ies.cib");
    // A name typed with another format's extension picks that format.
    EXPECT_EQ(save_tool::FormatOfTypedName("/x/R1.ies", FileFormat::Eulumdat), FileFormat::Ies2002);
    EXPECT_EQ(save_tool::FormatOfTypedName("/x/R1.IES", FileFormat::Ies2019), FileFormat::Ies2019);
    EXPECT_EQ(save_tool::FormatOfTypedName("/x/R1.tml", FileFormat::Ies1995), FileFormat::Tm14);
    EXPECT_EQ(save_tool::FormatOfTypedName("/x/R1.v2", FileFormat::Eulumdat), FileFormat::Eulumdat);
    record.Filename = "Template.ies";
    EXPECT_EQ(save_tool::ExportPath(record, "/out", FileFormat::Tm14), "/out/Template.cib");
    for (FileFormat format : AllFileFormats()) {
        EXPECT_EQ(save_tool::FormatOfFilter(save_tool::FilterOf(format)), format);
    }
}

TEST(Templates, NextNames) {
    const std::pair<const char*, const char*> rows[] = {
        {"Template", "Template 2"}, {"Template 2", "Template 3"}, {"Road 9", "Road 10"},
        {"LED2", "LED2 2"}, {"2", "2 2"}, {"", " 2"}, {"A 99999999999", "A 99999999999 2"}};
    for (const auto& [name, next] : rows) EXPECT_EQ(NextTemplateName(name), next) << name;
}

// Each model against what it promises: the flux asked for, its symmetry
// (the EULUMDAT writer folds it), and the beam angle where one is given.
TEST(Templates, ModelsKeepTheirPromises) {
    struct Row {
        TemplateModel model;
        double beam;
        int photometricType;
        float lastHorizontal;
    };
    const std::vector<Row> rows = {
        {TemplateModel::Downlight, 60, 1, 0},   {TemplateModel::Batwing, 70, 1, 0},
        {TemplateModel::WallWasher, 50, 1, 180}, {TemplateModel::Linear, 40, 1, 90},
        {TemplateModel::Road, 60, 1, 180},       {TemplateModel::Floodlight, 30, 2, 90},
    };
    for (const Row& row : rows) {
        TemplateParameters p;
        p.model = row.model;
        p.beamAngle = row.beam;
        p.secondAngle = 20;
        p.lampCount = 2;
        p.lumensPerLamp = 1500;
        p.lightOutputRatio = 0.75;
        const PhotometricRecord r = MakeTemplateRecord(p);
        SCOPED_TRACE(static_cast<int>(row.model));
        EXPECT_EQ(r.PhotometricType, row.photometricType);
        EXPECT_EQ(r.HorAngles.back(), row.lastHorizontal);
        EXPECT_EQ(r.Saved, kFalse);
        const photometry::Summary s = photometry::Summarise(r);
        EXPECT_NEAR(s.luminaireFluxLm, 2250, 2250 * 1e-3);
        ASSERT_TRUE(s.lorPercent);
        EXPECT_NEAR(*s.lorPercent, 75, 0.1);
        // Written and read back by the host's rules: every model is a valid file.
        std::string text;
        EXPECT_TRUE(FormatPhotometricText(r, FileFormat::Ies2002, "t.ies", text).ok);
    }
    // The road model throws toward the street side, C0, as IES data do.
    TemplateParameters road;
    road.model = TemplateModel::Road;
    road.throwAngle = 30;
    road.secondAngle = 65;
    const photometry::IntensityDistribution roadLight(MakeTemplateRecord(road));
    const auto classes = photometry::ClassifyRoadDistribution(roadLight);
    ASSERT_TRUE(classes);
    EXPECT_GT(classes->maxCandelaAcrossMh, 0.5);
    EXPECT_FALSE(photometry::RoadOrientationNote(roadLight, false));
    // cos^n with half intensity at half the beam angle: I(30) = I(0) / 2 for a 60 degree beam.
    TemplateParameters p;
    p.verticalStep = 5;
    const PhotometricRecord downlight = MakeTemplateRecord(p);
    EXPECT_NEAR(downlight.Candela[0][6] / downlight.Candela[0][0], 0.5, 1e-3);
    p.model = TemplateModel::Floodlight;
    p.beamAngle = 40;
    p.secondAngle = 20;
    p.horizontalStep = 5;
    const PhotometricRecord flood = MakeTemplateRecord(p);
    const photometry::IntensityDistribution d(flood);
    EXPECT_NEAR(d.candela({20, 0}) / d.candela({0, 0}), 0.5, 1e-3);
    EXPECT_NEAR(d.candela({0, 10}) / d.candela({0, 0}), 0.5, 1e-3);
}

}  // namespace
}  // namespace lumibench
