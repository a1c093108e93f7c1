#include "formats/eulumdat/eulumdat_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <regex>

#include "core/message_sink.h"
#include "formats/reader_errors.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;

// A small EULUMDAT file, line by line; tests change single lines or the tail.
struct EulumdatText {
    std::vector<std::string> header = {
        "Maker", "1", "0", "4", "90", "3", "45", "Report 7", "Downlight", "DL-1", "dl1.ldt",
        "2024-01-02 / me",
        "600", "200", "80",           // luminaire size, mm
        "300", "100", "10",           // luminous area, mm
        "11", "12", "13", "100", "85", "1.0", "0",
    };
    std::vector<std::string> lampSets = {"1", "2", "LED", "1000", "830", "1B", "12.5"};
    std::string directRatios = ".1 .2 .3 .4 .5 .6 .7 .8 .9 1";
    std::string cAngles = "0 90 180 270";
    std::string gammas = "0 45 90";
    std::vector<std::string> intensities = {"100 80 10", "100 70 20", "100 60 30", "100 50 40"};

    std::string text(const char* lineEnd = "\r\n") const {
        std::string out;
        for (const auto& line : header) out += line + lineEnd;
        for (const auto& line : lampSets) out += line + lineEnd;
        out += directRatios + lineEnd + cAngles + lineEnd + gammas + lineEnd;
        for (const auto& line : intensities) out += line + lineEnd;
        return out;
    }
};

class EulumdatReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("eulumdat_test_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string write(const std::string& text, const std::string& name = "lum.ldt") {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // Loads the text and returns the message text.
    std::string load(const std::string& text, bool noRepair = false) {
        path_ = write(text);
        ReaderContext context{work_, sink_, folder_};
        LoadEulumdatFile(path_, messages_, noRepair, context);
        return messages_.text();
    }
    const PhotometricRecord& record() const { return work_.at(0); }

    fs::path folder_;
    std::string path_;
    WorkRecordTable work_;
    RecordingMessageSink sink_;
    ReaderMessages messages_;
};

TEST_F(EulumdatReaderTest, FullFileConvertsToTypeCRecord) {
    EulumdatText file;
    ASSERT_EQ(load(file.text()), "");
    const PhotometricRecord& r = record();
    EXPECT_EQ(r.Filename, path_);
    EXPECT_TRUE(std::regex_match(r.FileDateText,
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
        << r.FileDateText;
    const std::vector<std::string> keywords = {
        "EULUMDAT", "[MANUFAC] Maker", "[_EULUMDAT_ITYP] 1", "[_EULUMDAT_HDIST] 90",
        "[_EULUMD_VDIST] 45", "[TEST] Report 7", "[LUMINAIRE] Downlight", "[LUMCAT] DL-1",
        "[_EULUM_FILENAME] dl1.ldt", "[ISSUEDATE] 2024-01-02 / me", "[_EULUM_AREALENGTH] 300",
        "[_EULUM_AREAWIDTH] 100", "[_EULUM_C0_LUM] 10", "[_EULUM_C90_LUM] 11",
        "[_EULUM_C180_LUM] 12", "[_EULUM_C270_LUM] 13", "[_EULUM_DOWN_FLUX] 100",
        "[_EULUM_EFFICIENCY] 85", "[_EULUM_CONV] 1.0", "[_EULUM_TILT] 0",
        "[_EULUM_LAMP_1_NUM] 2", "[_EULUM_LAMP_1_TYPE] LED", "[_EULUM_LAMP_1_FLUX] 1000",
        "[_EULUM_LAMP_1_COLOR] 830", "[_EULUM_LAMP_1_CRG] 1B", "[_EULUM_LAMP_1_WATTS] 12.5",
        "[LAMP] LED", "[_EULUM_DR_0] 0.1", "[_EULUM_DR_1] 0.2", "[_EULUM_DR_2] 0.3",
        "[_EULUM_DR_3] 0.4", "[_EULUM_DR_4] 0.5", "[_EULUM_DR_5] 0.6", "[_EULUM_DR_6] 0.7",
        "[_EULUM_DR_7] 0.8", "[_EULUM_DR_8] 0.9", "[_EULUM_DR_9] 1",
    };
    EXPECT_EQ(r.Keywords, keywords);
    std::string other;
    for (const auto& line : keywords) {
        if (!line.starts_with("[_")) continue;
        if (!other.empty()) other += "\r\n";
        other += line;
    }
    EXPECT_EQ(r.OtherKeywordText, other);
    EXPECT_EQ(r.ManufacKeyword, "Maker");
    EXPECT_EQ(r.TestKeyword, "Report 7");
    EXPECT_EQ(r.LuminaireKeyword, "Downlight");
    EXPECT_EQ(r.LumcatKeyword, "DL-1");
    EXPECT_EQ(r.DateKeyword, "2024-01-02 / me");
    EXPECT_EQ(r.LampKeyword, "LED");

    EXPECT_EQ(r.PhotometricType, 1);
    EXPECT_EQ(r.UnitsType, 2);
    EXPECT_EQ(r.TiltIncl, 0);
    EXPECT_FLOAT_EQ(r.BallastFactor, 1);
    EXPECT_EQ(r.LampCount, 2);
    EXPECT_FLOAT_EQ(r.LumensPerLamp, 500);
    EXPECT_FLOAT_EQ(r.InputWatts, 12.5f);
    EXPECT_FLOAT_EQ(r.CandelaMultiplier, 1);
    EXPECT_FLOAT_EQ(r.Length, 0.3f);
    EXPECT_FLOAT_EQ(r.Width, 0.1f);
    EXPECT_FLOAT_EQ(r.Height, 0.01f);

    // Four C-planes up to 270 gain a closing 360 plane equal to the 0 plane.
    EXPECT_EQ(r.HorAngles, (std::vector<float>{0, 90, 180, 270, 360}));
    EXPECT_EQ(r.HorAngleCount, 5);
    EXPECT_EQ(r.VertAngles, (std::vector<float>{0, 45, 90}));
    EXPECT_EQ(r.VertAngleCount, 3);
    ASSERT_EQ(r.Candela.size(), 5u);
    EXPECT_EQ(r.Candela[1], (std::vector<double>{100, 70, 20}));
    EXPECT_EQ(r.Candela[4], r.Candela[0]);
    // Equal largest values: the first in plane-then-gamma order wins.
    EXPECT_EQ(r.MaxCandela, 100);
    EXPECT_EQ(r.MaxCandelaHorAngle, 0);
    EXPECT_EQ(r.MaxCandelaVertAngle, 0);
}

TEST_F(EulumdatReaderTest, PhotometryScalingAndLampSets) {
    struct Row {
        const char* name;
        std::vector<std::string> lampSets;
        std::int16_t lampCount;
        float lumensPerLamp;
        double firstCandela;  // file value 100 cd/klm
        std::string lampKeyword;
    };
    const Row rows[] = {
        {"relative", {"1", "2", "LED", "1000", "830", "1B", "12.5"}, 2, 500, 100, "[LAMP] LED"},
        {"absolute", {"1", "-1", "LED", "3000", "830", "1B", "30"}, 1, -1, 300, "[LAMP] LED"},
        {"no sets", {"0"}, 0, -1, 0, "[LAMP] "},
        {"two sets, first counts",
         {"2", "1", "T5", "2000", "840", "1A", "28", "1", "T8", "9999", "840", "1A", "58"},
         1, 2000, 200, "[LAMP] T5"},
    };
    for (const Row& row : rows) {
        EulumdatText file;
        file.lampSets = row.lampSets;
        const std::string message = load(file.text());
        if (row.lampSets[0] == "0") {
            // Without a flux every candela value would be 0: refused, not loaded dark.
            EXPECT_EQ(message,
                      "The lamp data give no luminous flux, so the intensities (cd/klm) cannot "
                      "be converted into candela values.\r\n");
        } else {
            ASSERT_EQ(message, "") << row.name;
            EXPECT_EQ(record().Candela[0][0], row.firstCandela) << row.name;
        }
        EXPECT_EQ(record().LampCount, row.lampCount) << row.name;
        EXPECT_FLOAT_EQ(record().LumensPerLamp, row.lumensPerLamp) << row.name;
        const auto& keywords = record().Keywords;
        EXPECT_NE(std::find(keywords.begin(), keywords.end(), row.lampKeyword), keywords.end())
            << row.name;
    }
    EulumdatText twoSets;
    twoSets.lampSets = rows[3].lampSets;
    ASSERT_EQ(load(twoSets.text()), "");
    EXPECT_NE(std::find(record().Keywords.begin(), record().Keywords.end(),
                        "[_EULUM_LAMP_2_WATTS] 58"),
              record().Keywords.end());
    // The first set's wattage, not the last set's.
    EXPECT_FLOAT_EQ(record().InputWatts, 28);
}

TEST_F(EulumdatReaderTest, RoundAreaAndSymmetryThroughTheFile) {
    EulumdatText round;
    round.header[16] = "0";  // luminous area width 0: a round area of diameter 300 mm
    ASSERT_EQ(load(round.text()), "");
    EXPECT_FLOAT_EQ(record().Width, -0.3f);
    EXPECT_FLOAT_EQ(record().Length, -0.3f);

    EulumdatText isym1;
    isym1.header[2] = "1";
    isym1.cAngles = "15 90 180 270";  // the single plane lies at 0 whatever the list says
    isym1.intensities = {"100 80 10"};
    ASSERT_EQ(load(isym1.text()), "");
    EXPECT_EQ(record().HorAngles, (std::vector<float>{0}));
}

TEST_F(EulumdatReaderTest, PoleCheckUsesTheRightRow) {
    EulumdatText nadir;
    nadir.intensities[2] = "99 60 30";
    EXPECT_EQ(load(nadir.text()), "Nadir candela values are not equal.\r\n");

    // Gammas from 90: the pole is the last angle, so unequal first values pass.
    EulumdatText upward;
    upward.gammas = "90 135 180";
    upward.intensities = {"1 2 5", "2 3 5", "3 4 5", "4 5 5"};
    EXPECT_EQ(load(upward.text()), "");
    upward.intensities[3] = "4 5 6";
    EXPECT_EQ(load(upward.text()), "Nadir candela values are not equal.\r\n");
}

TEST_F(EulumdatReaderTest, EveryFailureKindReachesTheMessage) {
    struct Row {
        const char* name;
        std::function<void(EulumdatText&)> change;
        std::string message;
        int line;  // of the first message
    };
    const Row rows[] = {
        {"file ends in the lamp sets", [](EulumdatText& f) { f.lampSets.resize(4);
             f.directRatios = "830"; f.cAngles = "1B"; f.gammas = "12.5"; f.intensities.clear(); },
         "Input past end of file: the file ends before all of its values were read.\r\n", 0},
        {"text for a count", [](EulumdatText& f) { f.header[3] = "four"; },
         "Type mismatch: a value that must be a number is not a number.\r\n", 4},
        {"empty size line", [](EulumdatText& f) { f.header[12] = ""; },
         "Type mismatch: a value that must be a number is not a number.\r\n", 13},
        {"count beyond 16 bits", [](EulumdatText& f) { f.header[2] = "70000"; },
         "Overflow: a number is too large for its field.\r\n", 3},
        {"first set without lamps", [](EulumdatText& f) { f.lampSets[1] = "0"; },
         "Division by zero: the first lamp set has 0 lamps.\r\n", 29},
        {"more planes than C angles", [](EulumdatText& f) {
             f.header[2] = "2"; f.header[3] = "1"; f.cAngles = "0";
             f.intensities = {"100 80 10", "100 70 20"}; },
         "Subscript out of range: the counts in the file do not match its data.\r\n", 0},
        {"end in C angles", [](EulumdatText& f) { f.cAngles = "0 90"; f.gammas.clear();
             f.intensities.clear(); },
         "End of file reading horizontal angles\r\n", 0},
        {"end in gammas", [](EulumdatText& f) { f.gammas = "0 45"; f.intensities.clear(); },
         "End of file reading vertical angles\r\n", 0},
        {"end in intensities", [](EulumdatText& f) { f.intensities.pop_back(); },
         "End of file reading candela values.\r\n", 0},
        {"last gamma then short", [](EulumdatText& f) { f.gammas = "0 45 60";
             f.intensities.pop_back(); },
         "Last vertical angle must be 90 or 180.\r\nEnd of file reading candela values.\r\n", 35},
        {"negative intensity", [](EulumdatText& f) { f.intensities[1] = "100 -1 20"; },
         "File contains one or more negative candela values.\r\n", 37},
        {"all zero", [](EulumdatText& f) { f.intensities = {"0 0 0", "0 0 0", "0 0 0", "0 0 0"}; },
         "All candela values are = 0 (i.e. This luminaire produces no light!)\r\n", 0},
    };
    for (const Row& row : rows) {
        EulumdatText file;
        row.change(file);
        EXPECT_EQ(load(file.text()), row.message) << row.name;
        if (row.line > 0 && !messages_.located().empty()) {
            EXPECT_EQ(messages_.located().front().line, row.line) << row.name;
        }
    }
}

// Values that cannot be right are refused at their line, never converted:
// datasheets would print negative fluxes, planes would be mixed up.
TEST_F(EulumdatReaderTest, ImpossibleSymmetryAnglesAndFluxAreRefused) {
    struct Row {
        const char* name;
        std::function<void(EulumdatText&)> change;
        std::string message;
        int line;
    };
    const Row rows[] = {
        {"symmetry 5", [](EulumdatText& f) { f.header[2] = "5"; }, "Symmetry indicator must be 0, 1, 2, 3 or 4.", 3},
        {"symmetry -1", [](EulumdatText& f) { f.header[2] = "-1"; }, "Symmetry indicator must be 0, 1, 2, 3 or 4.", 3},
        {"C angles unsorted", [](EulumdatText& f) { f.cAngles = "0 180 90 270"; },
         "C-plane angles are not in ascending order", 34},
        {"C angle repeated", [](EulumdatText& f) { f.cAngles = "0 90 90 270"; },
         "C-plane angles are not in ascending order", 34},
        {"negative C angle", [](EulumdatText& f) { f.cAngles = "-90 0 90 180"; }, "C-plane angles must be >= 0.", 34},
        {"negative lamp flux", [](EulumdatText& f) { f.lampSets[3] = "-1000"; }, "Lamp flux must not be negative.", 29},
    };
    for (const Row& row : rows) {
        EulumdatText file;
        row.change(file);
        load(file.text());
        ASSERT_FALSE(messages_.located().empty()) << row.name;
        EXPECT_EQ(messages_.located().front(), (LocatedMessage{row.message, row.line})) << row.name;
    }
    // Limits on the sound side: the four symmetries that go round, and C angles from 0 upwards.
    for (const char* symmetry : {"0", "4"}) {
        EulumdatText file;
        file.header[2] = symmetry;
        EXPECT_EQ(load(file.text()), "") << symmetry;
    }
}

TEST_F(EulumdatReaderTest, CheckedBeforeReading) {
    EulumdatText file;
    // LF line ends: read from a repaired copy, announced once.
    ASSERT_EQ(load(file.text("\n")), "");
    EXPECT_TRUE(path_.ends_with("lum_Repaired.ldt")) << path_;
    EXPECT_EQ(record().Filename, path_);
    EXPECT_EQ(sink_.shown.size(), 1u);

    EXPECT_EQ(load(file.text("\n"), true),
              "File does not contain proper delimiter (carriage return + line feed). Opening and "
              "saving the file using Lumibench may correct the problem.\r\n");

    // Exponents in the numbers are read, not refused: there is no "TILT=" line to check.
    file.intensities[0] = "1.0E+02 80 10";
    EXPECT_EQ(load(file.text()), "");
    EXPECT_EQ(record().Candela[0][0], 100);
}

}  // namespace
}  // namespace lumibench
