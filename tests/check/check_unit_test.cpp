// The checker's pieces that need no files: options, JSON forms, the plain block.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "check_options.h"
#include "check_output.h"
#include "formats/eulumdat/eulumdat_reader.h"
#include "formats/ies/ies_reader.h"
#include "formats/load_dispatch.h"
#include "formats/tm14/tm14_reader.h"
#include "record_json.h"

namespace lumibench {
namespace {

TEST(ParseCheckArguments, OptionsFilesAndErrors) {
    struct Row {
        std::vector<std::string> args;
        bool repair, json, help, version;
        std::vector<std::string> files;
        std::string error;
    };
    const std::vector<Row> rows = {
        {{"a.ies"}, false, false, false, false, {"a.ies"}, ""},
        {{"--repair", "--json", "a.ies", "b.ldt"}, true, true, false, false, {"a.ies", "b.ldt"}, ""},
        {{"a.ies", "--json"}, false, true, false, false, {"a.ies"}, ""},
        {{"--", "--json", "-"}, false, false, false, false, {"--json", "-"}, ""},
        {{"--help"}, false, false, true, false, {}, ""},
        {{"-h"}, false, false, true, false, {}, ""},
        {{"--version"}, false, false, false, true, {}, ""},
        {{}, false, false, false, false, {}, "no FILE given"},
        {{"--json"}, false, true, false, false, {}, "no FILE given"},
        {{"--mend", "a.ies"}, false, false, false, false, {"a.ies"}, "unknown option '--mend'"},
        {{"-r", "--bad"}, false, false, false, false, {}, "unknown option '-r'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.args));
        const CheckOptions options = ParseCheckArguments(row.args);
        EXPECT_EQ(options.repair, row.repair);
        EXPECT_EQ(options.json, row.json);
        EXPECT_EQ(options.help, row.help);
        EXPECT_EQ(options.version, row.version);
        EXPECT_EQ(options.files, row.files);
        EXPECT_EQ(options.error, row.error);
    }
}

TEST(ReaderForExtension, PicksTheReaderAndFailureTailByExtension) {
    const std::string tail =
        "Try opening this file from within Lumibench (File-Open) for detailed information about "
        "the problem and possible repair options.";
    const std::vector<std::tuple<std::string, ReaderFunction, std::string>> rows = {
        {".IES", LoadIesFile, ". " + tail},   {".ies", LoadIesFile, ". " + tail},
        {".LDT", LoadEulumdatFile, tail},     {".Exl", LoadEulumdatFile, tail},
        {".CIB", LoadTm14File, tail},         {".tml", LoadTm14File, tail},
        {".C1S", LoadTm14File, tail},         {".cc", LoadTm14File, tail},
    };
    for (const auto& [extension, reader, expectedTail] : rows) {
        const auto choice = ReaderForExtension(extension);
        ASSERT_TRUE(choice) << extension;
        EXPECT_EQ(choice->reader, reader) << extension;
        EXPECT_EQ(choice->failureTail, expectedTail) << extension;
    }
    for (const char* other : {"", ".", ".txt", "IES", ".IES ", ".iess", ".c"}) {
        EXPECT_FALSE(ReaderForExtension(other)) << '"' << other << '"';
    }
}

TEST(FloatToJson, WritesTheFloatNotItsWidenedDouble) {
    const std::vector<std::pair<float, std::string>> rows = {
        {0.1f, "0.1"},         {0.15f, "0.15"},     {-1.0f, "-1.0"},     {1000.0f, "1000.0"},
        {22.5f, "22.5"},       {0.995f, "0.995"},   {3.9f, "3.9"},       {1e-7f, "1e-07"},
        {16777217.0f, "16777216.0"},
        {std::numeric_limits<float>::quiet_NaN(), "null"},
        {std::numeric_limits<float>::infinity(), "null"},
    };
    for (const auto& [value, text] : rows) EXPECT_EQ(FloatToJson(value).dump(), text) << value;
}

TEST(JsonSafeText, KeepsUtf8AndReadsOtherBytesAsWindows1252) {
    EXPECT_EQ(JsonSafeText("plain"), "plain");
    EXPECT_EQ(JsonSafeText("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(JsonSafeText("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(JsonSafeText("\x80"), "\xE2\x82\xAC");
    // Whatever the bytes, the document can be written.
    EXPECT_NO_THROW(nlohmann::json(JsonSafeText("\xFF\xFE\xC3")).dump());
}

PhotometricRecord SmallRecord() {
    PhotometricRecord r;
    r.Filename = "/data/lamp.ies";
    r.Keywords = {"IESNA:LM-63-2002", "[TEST] T1"};
    r.TiltIncl = -1;
    r.TiltPairCount = 2;
    r.TiltAngles = {0.0f, 90.0f};
    r.TiltFactors = {1.0f, 0.9f};
    r.LampCount = 2;
    r.LumensPerLamp = -1;
    r.CandelaMultiplier = 1;
    r.VertAngleCount = 3;
    r.HorAngleCount = 2;
    r.PhotometricType = 1;
    r.Width = 0.1f;
    r.VertAngles = {0, 45, 90};
    r.HorAngles = {0, 90};
    r.Candela = {{500, 400.5, 0}, {500, 300.25, 0}};
    r.MaxCandela = 500;
    return r;
}

TEST(RecordToJson, EveryFieldInDeclarationOrderWithArraysAsArrays) {
    const nlohmann::ordered_json json = RecordToJson(SmallRecord());
    std::vector<std::string> names;
    for (const auto& item : json.items()) names.push_back(item.key());
    const std::vector<std::string> expected = {
        "PictureFilename", "Filename", "Keywords", "OtherKeywordText", "FileDateText",
        "TestKeyword", "DateKeyword", "ManufacKeyword", "LumcatKeyword", "LuminaireKeyword",
        "LampcatKeyword", "LampKeyword", "BallastKeyword", "TiltIncl", "LampGeometry",
        "TiltPairCount", "TiltAngles", "TiltFactors", "LampCount", "LumensPerLamp",
        "CandelaMultiplier", "VertAngleCount", "HorAngleCount", "PhotometricType", "UnitsType",
        "Width", "Length", "Height", "BallastFactor", "InputWatts", "VertAngles", "HorAngles",
        "Candela", "MaxCandela", "MaxCandelaVertAngle", "MaxCandelaHorAngle", "OptionalData",
        "Saved", "Checked"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(json["Keywords"].dump(), R"(["IESNA:LM-63-2002","[TEST] T1"])");
    EXPECT_EQ(json["Candela"].dump(), "[[500.0,400.5,0.0],[500.0,300.25,0.0]]");
    EXPECT_EQ(json["TiltFactors"].dump(), "[1.0,0.9]");
    EXPECT_EQ(json["Width"].dump(), "0.1");
    EXPECT_EQ(json["TiltIncl"].dump(), "-1");
    EXPECT_EQ(json["LumensPerLamp"].dump(), "-1.0");
}

TEST(FormatPlainResult, BlockPerOutcome) {
    FileCheckResult failed;
    failed.file = "in/a.ies";
    failed.path = "in/a_Repaired.ies";
    failed.announcements = {"Head:\rin/a.ies\r\rTail"};
    failed.messages.add("Number of lamps must be >0.", 10);
    failed.messages.add("No line here");
    EXPECT_EQ(FormatPlainResult(failed),
              "in/a.ies\nHead:\nin/a.ies\n\nTail\n"
              "in/a_Repaired.ies:10: Number of lamps must be >0.\n"
              "in/a_Repaired.ies: No line here\n");

    FileCheckResult skipped;
    skipped.file = skipped.path = "notes.txt";
    skipped.skipped = true;
    EXPECT_EQ(FormatPlainResult(skipped), "notes.txt\nskipped: no reader for this extension\n");
}

}  // namespace
}  // namespace lumibench
