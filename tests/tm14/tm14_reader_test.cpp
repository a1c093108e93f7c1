#include "formats/tm14/tm14_reader.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "core/message_sink.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;

std::string Joined(const std::vector<float>& values) {
    std::string out;
    for (float v : values) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(v));
        out += (out.empty() ? "" : " ") + std::string(buffer);
    }
    return out;
}

std::vector<float> Range(float first, float last, float step) {
    std::vector<float> values;
    for (float v = first; v <= last + 1e-3f; v += step) values.push_back(v);
    return values;
}

// A TM14 file; plane i holds (i + 1) * 10 + j at vertical angle j unless set.
struct Tm14Text {
    std::vector<std::string> texts = {"CIBSE/1", "Test 12", "CAT-9", "Wall washer", "LED 20W",
                                      "more text", "", ""};
    std::string lamps = "1";
    int type = 1;
    std::string dimensions = "0.6 0.2 0.1 1 22";
    std::string extras = "25 30";  // VA, design angle
    std::vector<float> vertical = {0, 45, 90};
    std::vector<float> horizontal = {0, 90, 180, 270};
    std::vector<std::string> planes;  // empty: generated
    std::string closing = "1 2 3 4";

    std::string text() const {
        std::string out;
        for (const auto& line : texts) out += line + "\r\n";
        out += lamps + " " + std::to_string(type) + " " + dimensions + " " + extras + "\r\n";
        out += std::to_string(vertical.size()) + " " + std::to_string(horizontal.size()) + "\r\n";
        out += Joined(vertical) + "\r\n" + Joined(horizontal) + "\r\n";
        if (planes.empty()) {
            for (std::size_t i = 0; i < horizontal.size(); ++i) {
                std::vector<float> values;
                for (std::size_t j = 0; j < vertical.size(); ++j) {
                    // Equal pole values at vertical 0 keep type C files free of the pole message.
                    values.push_back(j == 0 ? 5.0f : static_cast<float>((i + 1) * 10 + j));
                }
                out += Joined(values) + "\r\n";
            }
        } else {
            for (const auto& line : planes) out += line + "\r\n";
        }
        if (!closing.empty()) out += closing + "\r\n";
        return out;
    }
};

class Tm14ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("tm14_test_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
        dataFolder_ = folder_ / "data" / "Lumibench";  // made by the reader when missing
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string load(const std::string& text) {
        path_ = (folder_ / "lum.cib").string();
        std::ofstream(path_, std::ios::binary) << text;
        ReaderContext context{work_, sink_, dataFolder_};
        LoadTm14File(path_, messages_, false, context);
        return messages_.text();
    }
    const PhotometricRecord& record() const { return work_.at(0); }

    fs::path folder_;
    fs::path dataFolder_;
    std::string path_;
    WorkRecordTable work_;
    RecordingMessageSink sink_;
    ReaderMessages messages_;
};

TEST_F(Tm14ReaderTest, TypeCFileWithHeaderItemsAndLampScaling) {
    Tm14Text file;
    file.texts[0] = "  CIBSE/1  ";
    file.texts[6] = "seven";
    file.lamps = "3";
    ASSERT_EQ(load(file.text()), "");
    const PhotometricRecord& r = record();
    EXPECT_EQ(r.Keywords, (std::vector<std::string>{
                              "CIBSE/1", "[TEST] Test 12", "[LUMCAT] CAT-9",
                              "[LUMINAIRE] Wall washer", "[LAMP] LED 20W", "[MORE] more text",
                              "[OTHER] seven", "[_TM14_VA] 25", "[_TM14_DESIGNANGLE] 30",
                              "[_TM14_GSC] 1", "[_TM14_LUMBASE] 2", "[_TM14_LUMSIDE] 3",
                              "[_TM14_LUMEND] 4"}));
    EXPECT_EQ(r.OtherKeywordText,
              "more text\r\nseven\r\n[_TM14_VA] 25\r\n[_TM14_DESIGNANGLE] 30");
    EXPECT_EQ(r.TestKeyword, "Test 12");
    EXPECT_EQ(r.LumcatKeyword, "CAT-9");
    EXPECT_EQ(r.LuminaireKeyword, "Wall washer");
    EXPECT_EQ(r.LampKeyword, "LED 20W");
    EXPECT_FALSE(r.FileDateText.empty());
    EXPECT_EQ(r.PhotometricType, 1);
    EXPECT_EQ(r.UnitsType, 2);
    EXPECT_EQ(r.LampCount, 3);
    EXPECT_FLOAT_EQ(r.LumensPerLamp, 1000);
    // The values carry the lamp count; the multiplier must not count it again.
    EXPECT_FLOAT_EQ(r.CandelaMultiplier, 1);
    EXPECT_FLOAT_EQ(r.Length, 0.6f);
    EXPECT_FLOAT_EQ(r.Width, 0.2f);
    EXPECT_FLOAT_EQ(r.Height, 0.1f);
    EXPECT_FLOAT_EQ(r.InputWatts, 22);
    // Every value three times the file's; the circle 0..270 closes with a copy of plane 0.
    EXPECT_EQ(r.HorAngles, (std::vector<float>{0, 90, 180, 270, 360}));
    EXPECT_EQ(r.Candela[1], (std::vector<double>{15, 63, 66}));
    EXPECT_EQ(r.Candela[4], r.Candela[0]);
    EXPECT_EQ(r.MaxCandela, 126);
    EXPECT_EQ(r.MaxCandelaHorAngle, 270);
    EXPECT_EQ(r.MaxCandelaVertAngle, 90);
}

TEST_F(Tm14ReaderTest, HorizontalCompletionsOfTypeC) {
    struct Row { std::vector<float> file; std::vector<float> loaded; };
    const Row rows[] = {
        {Range(0, 345, 15), [] { auto a = Range(0, 345, 15); a.push_back(360); return a; }()},
        {Range(0, 360, 15), Range(0, 360, 15)},
        {Range(0, 180, 15), Range(0, 180, 15)},
        {Range(90, 270, 15), Range(90, 270, 15)},
    };
    for (const Row& row : rows) {
        Tm14Text file;
        file.horizontal = row.file;
        ASSERT_EQ(load(file.text()), "") << Joined(row.file);
        EXPECT_EQ(record().HorAngles, row.loaded) << Joined(row.file);
        EXPECT_EQ(record().HorAngleCount, static_cast<std::int16_t>(row.loaded.size()));
        EXPECT_EQ(record().Candela.size(), row.loaded.size());
        if (row.loaded.size() > row.file.size()) {
            EXPECT_EQ(record().Candela.back(), record().Candela.front());
        }
    }
}

TEST_F(Tm14ReaderTest, DataStartingAt270IsReorientedThroughTheTemporaryTable) {
    // 270, 285, ..., 345, 0, 15, ..., 90: thirteen planes that become 0 .. 180.
    Tm14Text file;
    file.horizontal = Range(270, 345, 15);
    for (float a : Range(0, 90, 15)) file.horizontal.push_back(a);
    file.vertical = {0, 45, 90};
    ASSERT_EQ(load(file.text()), "");
    const PhotometricRecord& r = record();
    EXPECT_EQ(r.HorAngles, Range(0, 180, 15));
    // The file's 90 plane (the last, number 13) comes first; its 270 plane (number 1) last.
    EXPECT_EQ(r.Candela.front(), (std::vector<double>{5, 131, 132}));
    EXPECT_EQ(r.Candela.back(), (std::vector<double>{5, 11, 12}));
    // The maximum names the angle as it stood in the file.
    EXPECT_EQ(r.MaxCandelaHorAngle, 90);

    // The table is left behind, with the values as the re-sort saw them.
    const fs::path database = dataFolder_ / "TM14.tmp";
    ASSERT_TRUE(fs::exists(database));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* count = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT COUNT(*), MIN(HorAngle), MAX(HorAngle) FROM Photo",
                                 -1, &count, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(count, 0), 13 * 3);
    EXPECT_EQ(sqlite3_column_double(count, 1), 0);
    EXPECT_EQ(sqlite3_column_double(count, 2), 180);
    sqlite3_finalize(count);
    sqlite3_close(db);

    // A whole circle from 270 turns into 0 .. 345 and is closed at 360.
    Tm14Text circle;
    circle.horizontal = Range(270, 345, 15);
    for (float a : Range(0, 255, 15)) circle.horizontal.push_back(a);
    // A link planted at the table's name is replaced, not written through.
    const fs::path victim = folder_ / "victim.txt";
    std::ofstream(victim) << "keep me";
    fs::remove(database);
    fs::create_symlink(victim, database);
    ASSERT_EQ(load(circle.text()), "");
    EXPECT_FALSE(fs::is_symlink(database));
    std::ifstream kept(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");
    EXPECT_EQ(std::distance(fs::directory_iterator(dataFolder_), fs::directory_iterator()), 1);
    auto expected = Range(0, 345, 15);
    expected.push_back(360);
    EXPECT_EQ(record().HorAngles, expected);
    EXPECT_EQ(record().Candela.back(), record().Candela.front());
}

TEST_F(Tm14ReaderTest, ReorientationFailureIsReported) {
    // A folder in the way of the temporary file: it can be neither removed nor opened.
    fs::create_directories(dataFolder_ / "TM14.tmp" / "occupied");
    Tm14Text file;
    file.horizontal = {270, 0, 90};
    const std::string message = load(file.text());
    EXPECT_TRUE(message.starts_with("Temporary database error: ")) << message;
}

TEST_F(Tm14ReaderTest, TypeBCompletions) {
    struct Row {
        std::vector<float> vertical, horizontal;
        std::vector<float> loadedVertical, loadedHorizontal;
    };
    const Row rows[] = {
        {Range(10, 80, 10), Range(0, 90, 30), Range(0, 90, 10), Range(0, 90, 30)},
        {Range(-80, 90, 10), Range(-90, 90, 30),
         [] { auto a = Range(-80, 90, 10); a.insert(a.begin(), -90); return a; }(),
         Range(-90, 90, 30)},
        // A horizontal range that starts elsewhere is closed with a dark plane at 90 ...
        {Range(0, 90, 45), {10, 40, 70}, Range(0, 90, 45), {10, 40, 70, 90}},
        // ... unless it already ends there.
        {Range(0, 90, 45), {10, 50, 90}, Range(0, 90, 45), {10, 50, 90}},
    };
    for (const Row& row : rows) {
        Tm14Text file;
        file.type = 2;
        file.vertical = row.vertical;
        file.horizontal = row.horizontal;
        ASSERT_EQ(load(file.text()), "") << Joined(row.vertical) << " / " << Joined(row.horizontal);
        const PhotometricRecord& r = record();
        EXPECT_EQ(r.VertAngles, row.loadedVertical);
        EXPECT_EQ(r.HorAngles, row.loadedHorizontal);
        EXPECT_EQ(r.VertAngleCount, static_cast<std::int16_t>(row.loadedVertical.size()));
        EXPECT_EQ(r.HorAngleCount, static_cast<std::int16_t>(row.loadedHorizontal.size()));
        ASSERT_EQ(r.Candela.size(), row.loadedHorizontal.size());
        for (const auto& plane : r.Candela) ASSERT_EQ(plane.size(), row.loadedVertical.size());
    }
    // Added cells are dark; the file's first value moved one place up.
    Tm14Text file;
    file.type = 2;
    file.vertical = Range(10, 80, 10);
    file.horizontal = {10, 40};
    ASSERT_EQ(load(file.text()), "");
    EXPECT_EQ(record().Candela[0].front(), 0);
    EXPECT_EQ(record().Candela[0][1], 5);
    EXPECT_EQ(record().Candela[0].back(), 0);
    EXPECT_EQ(record().Candela.back(), std::vector<double>(10, 0.0));
}

TEST_F(Tm14ReaderTest, MessagesAndFailureKinds) {
    struct Row {
        const char* name;
        std::function<void(Tm14Text&)> change;
        std::string message;
    };
    const Row rows[] = {
        {"not TM14", [](Tm14Text& f) { f.texts[0] = "CIBSE/2"; }, "Not CIBSE (TM14/1) format.\r\n"},
        {"no vertical angles", [](Tm14Text& f) { f.vertical.clear(); },
         "Number of vertical angles must be > 0.\r\n"},
        {"no horizontal angles", [](Tm14Text& f) { f.horizontal.clear(); },
         "Number of horizontal angles must be > 0.\r\n"},
        {"not ascending twice", [](Tm14Text& f) { f.vertical = {0, 10, 5, 4, 90}; },
         "Vertical angles are not in ascending order\r\n"
         "Vertical angles are not in ascending order\r\n"},
        {"type C angle checks", [](Tm14Text& f) { f.vertical = {10, 45, 100}; f.horizontal = {45, 90}; },
         "First vertical must be 0 or 90.\r\nLast vertical angle must be 90 or 180.\r\n"
         "First horizontal angle must be 0, 90, or 270.\r\n"},
        {"type C from 90", [](Tm14Text& f) { f.horizontal = {90, 180}; },
         "Last horizontal must be 270 when first horizontal angles = 90.\r\n"},
        {"type B bounds", [](Tm14Text& f) { f.type = 2; f.vertical = {-100, 100};
             f.horizontal = {-100, 100}; },
         "First vertical angle must be >= -90.\r\nLast vertical angle must be <= 90.\r\n"
         "First horizontal angle must be >= -90.\r\nLast horizontal angle must be <= 90.\r\n"},
        {"pole", [](Tm14Text& f) { f.planes = {"5 1 1", "6 1 1", "5 1 1", "5 1 1"}; },
         "Nadir candela values are not equal.\r\n"},
        {"all zero", [](Tm14Text& f) { f.planes = {"0 0 0", "0 0 0", "0 0 0", "0 0 0"}; },
         "All candela values are = 0 (i.e. This luminaire produces no light!)\r\n"},
        {"negative values pass", [](Tm14Text& f) { f.planes = {"5 -1 1", "5 1 1", "5 1 1", "5 1 1"}; },
         ""},
        {"end in candela values", [](Tm14Text& f) { f.planes = {"5 1 1"}; f.closing.clear(); },
         "End of file reading candela values.\r\n"},
        {"item 23 missing", [](Tm14Text& f) { f.closing = "1 2"; },
         "Input past end of file: the file ends before all of its values were read.\r\n"},
        {"text for a number", [](Tm14Text& f) { f.lamps = "two"; },
         "Type mismatch: a value that must be a number is not a number.\r\n"},
        {"count too large", [](Tm14Text& f) { f.lamps = "40000"; },
         "Overflow: a number is too large for its field.\r\n"},
        {"photometric type 7", [](Tm14Text& f) { f.type = 7; },
         "Photometric type must be 1 (type C) or 2 (type B).\r\n"},
        {"horizontal angle repeated", [](Tm14Text& f) { f.horizontal = {0, 90, 90, 180}; },
         "Horizontal angles are not in ascending order\r\n"},
        {"horizontal angles unsorted", [](Tm14Text& f) { f.horizontal = {0, 180, 90, 270}; },
         "Horizontal angles are not in ascending order\r\n"},
        {"from 270 round the circle", [](Tm14Text& f) { f.horizontal = {270, 315, 0, 45}; }, ""},
        {"from 270 with 0 and 360", [](Tm14Text& f) { f.horizontal = {270, 0, 90, 360}; },
         "Horizontal angles are not in ascending order\r\n"},
        {"scaled beyond single precision", [](Tm14Text& f) { f.lamps = "10";
             f.planes = {"5 1 1", "5 1 1", "5 1 1", "5 1 3.4e38"}; },
         "Overflow: a number is too large for its field.\r\n"},
    };
    for (const Row& row : rows) {
        Tm14Text file;
        row.change(file);
        EXPECT_EQ(load(file.text()), row.message) << row.name;
    }
}

TEST_F(Tm14ReaderTest, NewRefusalsPointAtTheirLine) {
    Tm14Text file;
    file.type = 7;
    load(file.text());
    ASSERT_FALSE(messages_.located().empty());
    EXPECT_EQ(messages_.located().front().line, 9);
    file.type = 1;
    file.horizontal = {0, 90, 90, 180};
    load(file.text());
    ASSERT_FALSE(messages_.located().empty());
    EXPECT_EQ(messages_.located().front().line, 12);
}

TEST_F(Tm14ReaderTest, ShortFilesAndLampMinimum) {
    // The counts promise more angles than the file holds.
    const std::string head =
        "CIBSE/1\r\nt\r\nc\r\nl\r\nm\r\nx\r\n\r\n\r\n0 1 .5 .5 .1 1 20 0 0\r\n";
    EXPECT_EQ(load(head + "3 2\r\n0 45\r\n"), "End of file reading vertical angles\r\n");
    EXPECT_EQ(messages_.located().front().line, 12);
    EXPECT_EQ(load(head + "3 2\r\n0 45 90\r\n0\r\n"), "End of file reading horizontal angles\r\n");
    // Counts far beyond the data cost no more than the data.
    EXPECT_EQ(load(head + "32767 32767\r\n" + Joined(Range(0, 32766, 1)) + "\r\n0 1\r\n"),
              "Last vertical angle must be 90 or 180.\r\nEnd of file reading horizontal angles\r\n");
    EXPECT_EQ(load(head + "2 32767\r\n0 90\r\n" + Joined(Range(0, 32766, 1)) + "\r\n1 2\r\n"),
              "End of file reading candela values.\r\n");
    EXPECT_EQ(load(head), "Input past end of file: the file ends before all of its values were read.\r\n");
    EXPECT_EQ(record().LampCount, 1);  // 0 lamps count as 1
    EXPECT_FLOAT_EQ(record().CandelaMultiplier, 1);
}

}  // namespace
}  // namespace lumibench

namespace lumibench {
namespace {

// The angle bounds of type B data, on and just beyond each bound.
TEST_F(Tm14ReaderTest, TypeBAngleBoundsAreInclusive) {
    struct Row {
        std::vector<float> vertical, horizontal;
        std::string message;
    };
    const Row rows[] = {
        {{-90, 0, 90}, {-90, 0, 90}, ""},
        {{-90.01f, 0, 90}, {0, 90}, "First vertical angle must be >= -90.\r\n"},
        {{-90, 0, 90.01f}, {0, 90}, "Last vertical angle must be <= 90.\r\n"},
        {{0, 90}, {-90.01f, 0, 90}, "First horizontal angle must be >= -90.\r\n"},
        {{0, 90}, {-90, 0, 90.01f}, "Last horizontal angle must be <= 90.\r\n"},
    };
    for (const Row& row : rows) {
        Tm14Text file;
        file.type = 2;
        file.vertical = row.vertical;
        file.horizontal = row.horizontal;
        EXPECT_EQ(load(file.text()), row.message) << Joined(row.vertical) << " / " << Joined(row.horizontal);
    }
}

// Lamps count once: candela times the multiplier is the luminaire's intensity.
TEST_F(Tm14ReaderTest, LampCountScalesTheValuesOnceAndLeavesTheMultiplierAtOne) {
    for (const std::string lamps : {"0", "1", "3"}) {
        Tm14Text file;
        file.lamps = lamps;
        ASSERT_EQ(load(file.text()), "") << lamps;
        const double count = lamps == "3" ? 3 : 1;
        EXPECT_FLOAT_EQ(record().CandelaMultiplier, 1) << lamps;
        EXPECT_EQ(record().Candela[1][2] * record().CandelaMultiplier, 22 * count) << lamps;
    }
}

}  // namespace
}  // namespace lumibench
