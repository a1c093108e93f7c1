#include "formats/ies/ies_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::TempFolder;

const std::string kLampLine = "1 1000 1 3 1 1 1 0.5 0.5 0.1\r\n";
const std::string kBallastLine = "1 1 100\r\n";
const std::string kAngles = "0 45 90\r\n0\r\n";
const std::string kSmallFile = "TILT=NONE\r\n" + kLampLine + kBallastLine + kAngles + "500 400 300\r\n";

const std::string kReadFailure =
    "Premature end of file. Check file format, data may not be delimited properly (Last value read - ";

struct Loaded {
    ReaderMessages message;
    PhotometricRecord record;
    std::string path;
    std::vector<MessageRequest> shown;
};

Loaded Load(const std::string& text, bool noRepair = false) {
    TempFolder folder;
    Loaded loaded;
    loaded.path = folder.write("lum.ies", text);
    WorkRecordTable work;
    RecordingMessageSink sink;
    ReaderContext context{work, sink, {}};
    LoadIesFile(loaded.path, loaded.message, noRepair, context);
    if (!work.empty()) loaded.record = work.front();
    loaded.shown = sink.shown;
    return loaded;
}

std::string Lines(std::initializer_list<std::string> messages) {
    std::string text;
    for (const std::string& m : messages) text += m + "\r\n";
    return text;
}

TEST(LoadIesFile, ReadsTheSmallestFile) {
    const Loaded loaded = Load(kSmallFile);
    EXPECT_EQ(loaded.message.text(), "");
    const PhotometricRecord& r = loaded.record;
    EXPECT_EQ(r.Filename, loaded.path);
    EXPECT_TRUE(r.Keywords.empty());
    EXPECT_EQ(r.OtherKeywordText, "");
    EXPECT_EQ(r.TiltIncl, kFalse);
    EXPECT_EQ(r.LampCount, 1);
    EXPECT_EQ(r.LumensPerLamp, 1000.0F);
    EXPECT_EQ(r.PhotometricType, 1);
    EXPECT_EQ(r.Height, 0.1F);
    EXPECT_EQ(r.BallastFactor, 1.0F);
    EXPECT_EQ(r.InputWatts, 100.0F);
    EXPECT_EQ(r.VertAngles, (std::vector<float>{0, 45, 90}));
    EXPECT_EQ(r.HorAngles, (std::vector<float>{0}));
    EXPECT_EQ(r.Candela, (std::vector<std::vector<double>>{{500, 400, 300}}));
    EXPECT_EQ(r.MaxCandela, 500.0);
    EXPECT_EQ(r.MaxCandelaVertAngle, 0.0F);
    EXPECT_EQ(r.MaxCandelaHorAngle, 0.0F);
    EXPECT_EQ(r.Saved, kFalse);
    EXPECT_EQ(r.Checked, kFalse);
}

struct FileCase {
    const char* name;
    std::string text;
    std::string message;
};

TEST(LoadIesFile, ChecksAndMessages) {
    const std::string tiltNone = "TILT=NONE\r\n";
    const std::string ballastAndAngles = kBallastLine + kAngles;
    const std::vector<FileCase> cases = {
        {"candela split over lines", tiltNone + kLampLine + ballastAndAngles + "500 400\r\n300\r\n", ""},
        {"height on a line of its own",
         tiltNone + "1 1000 1 3 1 1 1 0.5 0.5\r\n0.1\r\n" + ballastAndAngles + "500 400 300\r\n", ""},
        {"eleventh lamp value", tiltNone + "1 1000 1 3 1 1 1 0.5 0.5 0.1 7\r\n" + ballastAndAngles + "1 2 3\r\n",
         Lines({kReadFailure + "0.1 7)."})},
        {"absolute photometry", tiltNone + "1 -1 1 3 1 1 1 0.5 0.5 0.1\r\n" + ballastAndAngles + "5 4 3\r\n", ""},
        {"lumens -2", tiltNone + "1 -2 1 3 1 1 1 0.5 0.5 0.1\r\n" + ballastAndAngles + "5 4 3\r\n",
         Lines({"Lumens must be > 0 or = -1 (absolute photometry)."})},
        {"lumens 0", tiltNone + "1 0 1 3 1 1 1 0.5 0.5 0.1\r\n" + ballastAndAngles + "5 4 3\r\n",
         Lines({"Lumens must be > 0 or = -1 (absolute photometry)."})},
        {"no lamps, no multiplier", tiltNone + "0 1000 0 3 1 1 1 0.5 0.5 0.1\r\n" + ballastAndAngles + "5 4 3\r\n",
         Lines({"Number of lamps must be >0.", "Multiplier must be >0."})},
        {"ballast 0", tiltNone + kLampLine + "0 1 100\r\n" + kAngles + "5 4 3\r\n", Lines({"Ballast must be >0."})},
        {"fractional lamp count rounds", tiltNone + "0.5 1000 1 3 1 1 1 0.5 0.5 0.1\r\n" + ballastAndAngles + "5 4 3\r\n",
         Lines({"Number of lamps must be >0."})},
        {"lamp count beyond 16 bits", tiltNone + "70000 1000 1 3 1 1 1 0.5 0.5 0.1\r\n",
         Lines({kReadFailure + "70000)."})},
        {"type A still read, then refused", tiltNone + "1 1000 1 3 1 3 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "-10 0 -20\r\n5\r\n5 4 3\r\n", Lines({"Photometric type must be type C or type B.",
                                               "Vertical angles are not in ascending order"})},
        {"equal vertical angles", tiltNone + "1 1000 1 4 1 1 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "0 5 5 90\r\n0\r\n1 1 1 1\r\n", Lines({"Vertical angles are not in ascending order"})},
        {"two descents", tiltNone + "1 1000 1 5 1 1 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "0 50 40 30 90\r\n0\r\n1 1 1 1 1\r\n",
         Lines({"Vertical angles are not in ascending order", "Vertical angles are not in ascending order"})},
        {"type C vertical ends", tiltNone + kLampLine + kBallastLine + "10 45 100\r\n0\r\n1 1 1\r\n",
         Lines({"First vertical must be 0 or 90.", "Last vertical angle must be 90 or 180."})},
        {"type B vertical ends", tiltNone + "1 1000 1 3 1 2 1 0.5 0.5 0.1\r\n" + kBallastLine + "10 45 100\r\n0\r\n1 1 1\r\n",
         Lines({"First vertical angle must be 0 or -90.", "Last vertical angle must be 90."})},
        {"type C horizontal 0 to 345", tiltNone + "1 1000 1 3 2 1 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "0 45 90\r\n0 345\r\n5 4 3\r\n5 4 3\r\n",
         Lines({"Last horizontal angle must be 0, 90, 180, or 360 when first horizontal angle = 0."})},
        {"type C horizontal 90 to 270", tiltNone + "1 1000 1 3 2 1 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "0 45 90\r\n90 270\r\n5 4 3\r\n5 4 3\r\n", ""},
        {"type C horizontal 90 to 180", tiltNone + "1 1000 1 3 2 1 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "0 45 90\r\n90 180\r\n5 4 3\r\n5 4 3\r\n",
         Lines({"Last horizontal must be 270 when first horizontal angles = 90."})},
        {"type C horizontal from 10", tiltNone + "1 1000 1 3 2 1 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "0 45 90\r\n10 10\r\n5 4 3\r\n5 4 3\r\n",
         Lines({"Horizontal angles are not in ascending order", "First horizontal angle must be 0 or 90."})},
        {"type B horizontal -90 to 90", tiltNone + "1 1000 1 3 2 2 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "0 45 90\r\n-90 90\r\n5 4 3\r\n5 4 3\r\n", ""},
        {"type B horizontal from 10", tiltNone + "1 1000 1 3 2 2 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "0 45 90\r\n10 90\r\n5 4 3\r\n5 4 3\r\n", Lines({"First horizontal angle must be 0 or -90."})},
        {"nadir values differ", tiltNone + "1 1000 1 3 2 1 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "0 45 90\r\n0 90\r\n500 4 3\r\n499 4 3\r\n", Lines({"Nadir candela values are not equal."})},
        {"pole is the last row from 90", tiltNone + "1 1000 1 3 2 1 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "90 135 180\r\n0 90\r\n1 2 500\r\n3 4 500\r\n", ""},
        {"pole differs in the last row", tiltNone + "1 1000 1 3 2 1 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "90 135 180\r\n0 90\r\n1 2 500\r\n1 2 400\r\n", Lines({"Nadir candela values are not equal."})},
        {"negative candela stops", tiltNone + "0 1000 1 3 1 1 1 0.5 0.5 0.1\r\n" + ballastAndAngles + "500 -1 300\r\n",
         Lines({"Number of lamps must be >0.", "File contains one or more negative candela values."})},
        {"two angles' values on one line", tiltNone + "1 1000 1 3 2 1 1 0.5 0.5 0.1\r\n" + kBallastLine +
         "0 45 90\r\n0 90\r\n5 4 3 5 4 3\r\n", Lines({kReadFailure + "3 5 4 3)."})},
        {"ends in the vertical angles", tiltNone + kLampLine + kBallastLine,
         Lines({"End of file reading vertical angles"})},
        {"ends in the horizontal angles", tiltNone + kLampLine + kBallastLine + "0 45 90\r\n",
         Lines({"End of file reading horizontal angles"})},
        {"ends in the candela values", tiltNone + kLampLine + ballastAndAngles + "500 400\r\n",
         Lines({"End of file reading candela values."})},
        {"blank line left at the end", tiltNone + kLampLine + ballastAndAngles + "500 400\r\n\r\n",
         Lines({kReadFailure + ")."})},
        {"zero vertical angles, type C", tiltNone + "1 1000 1 0 1 1 1 0.5 0.5 0.1\r\n" + kBallastLine + "0\r\n",
         Lines({kReadFailure + "100)."})},
        {"negative angle count", tiltNone + "1 1000 1 -3 1 1 1 0.5 0.5 0.1\r\n" + kBallastLine,
         Lines({kReadFailure + "100)."})},
        {"not a number", tiltNone + "1 1000 x 3 1 1 1 0.5 0.5 0.1\r\n", Lines({kReadFailure + "x)."})},
        {"capital exponent", tiltNone + kLampLine + ballastAndAngles + "500 4E+02 300\r\n",
         Lines({"File contains exponential data which is not allowed (for example: 3.14E-02). You will have "
                "to manually edit this file and replaced all exponential numbers with real numbers (for "
                "example: 3.14E-02 = 0.0314)."})},
        {"lower-case exponent is read", tiltNone + kLampLine + ballastAndAngles + "500 4e+02 300\r\n", ""},
        {"exponent in the header passes", "[TEST] 1E-3\r\n" + kSmallFile, ""},
        {"external tilt file", "TILT=lamp.tlt\r\n" + kLampLine + ballastAndAngles + "5 4 3\r\n",
         Lines({"References an external tilt file (not allowed)."})},
        {"blank before NONE", "TILT= NONE\r\n" + kLampLine + ballastAndAngles + "5 4 3\r\n",
         Lines({"References an external tilt file (not allowed)."})},
        {"text after NONE", "TILT=NONEXYZ\r\n" + kLampLine + ballastAndAngles + "5 4 3\r\n", ""},
        {"lower-case tilt line", "tilt=NONE\r\n" + kLampLine + ballastAndAngles + "5 4 3\r\n",
         Lines({kReadFailure + ")."})},
        {"tilt block", "TILT=INCLUDE extra\r\n1\r\n2\r\n0 90\r\n1 0.5\r\n" + kLampLine + ballastAndAngles + "5 4 3\r\n", ""},
        {"tilt block cut short", "TILT=INCLUDE\r\n1\r\n3\r\n0 90\r\n", Lines({kReadFailure + "3)."})},
        {"pipe in known keywords", "[MANUFAC] a|b\r\n[MANUFAC] c|d\r\n[FOO] e|f\r\n[LUMINAIRE] x\r\n[MORE] y|z\r\n" + kSmallFile,
         Lines({"[MANUFAC] keyword text contains a pipe (|) character. This is not allowed (it has special "
                "meaning when performing database queries).",
                "[MANUFAC] keyword text contains a pipe (|) character. This is not allowed (it has special "
                "meaning when performing database queries).",
                "[LUMINAIRE] keyword text contains a pipe (|) character. This is not allowed (it has special "
                "meaning when performing database queries)."})},
    };
    for (const FileCase& c : cases) {
        EXPECT_EQ(Load(c.text).message.text(), c.message) << c.name;
    }
}

TEST(LoadIesFile, MessagesCarryTheirPhysicalLine) {
    const std::string text =
        "IESNA:LM-63-2002\r\n[MANUFAC] a|b\nrest\r\nTILT=NONE\r\n0 1000 1 3 2 1 1 0.5 0.5\r\n0.1\r\n" +
        kBallastLine + "0 45 90\r\n0 90\r\n500 4 3\r\n499 4 3\r\n";
    // The first line end is sound, so the lone LF stays inside header line 2 but still counts.
    const Loaded loaded = Load(text);
    std::vector<std::pair<std::string, int>> got;
    for (const LocatedMessage& m : loaded.message.located()) got.emplace_back(m.text.substr(0, 12), m.line);
    const std::vector<std::pair<std::string, int>> expected = {
        {"[MANUFAC] ke", 2}, {"Number of la", 5}, {"Nadir candel", 11}};
    EXPECT_EQ(got, expected);

    const Loaded cut = Load("TILT=NONE\r\n1 1000 1 3 1 1 1 0.5 0.5 0.1\r\n1 x 100\r\n");
    ASSERT_EQ(cut.message.located().size(), 1U);
    EXPECT_EQ(cut.message.located()[0].line, 3);
    const Loaded exponent = Load("[TEST] E+\r\nTILT=NONE\r\n1 1000 1 3 1 1 1 0.5 0.5 0.1\r\n1 1 1E+2\r\n");
    ASSERT_EQ(exponent.message.located().size(), 1U);
    EXPECT_EQ(exponent.message.located()[0].line, 4);
}

TEST(LoadIesFile, KeywordLines) {
    const std::string longValue(140, 'v');
    std::string accents;
    for (int k = 0; k < 140; ++k) accents += "\xC3\xA9";  // é, two bytes each
    const std::string text = "IESNA91 revision\r\n[MORE] orphan\r\n[LUMINAIRE] A\r\n[MORE] B\r\nfree text\r\n"
                             "[MORE] C\r\n[FOO] x\r\n[MORE] y\r\n[DATE] 1\r\n[ISSUEDATE]  2  \r\n [TEST] z\r\n"
                             "[LAMP]" + longValue + "\r\n[LAMPCAT] " + accents + "\r\n[BALLAST] " + longValue +
                             "\r\n[MORE] " + longValue + "\r\n" + kSmallFile;
    const Loaded loaded = Load(text);
    EXPECT_EQ(loaded.message.text(), "");
    const PhotometricRecord& r = loaded.record;
    EXPECT_EQ(r.Keywords.size(), 15U);
    EXPECT_EQ(r.Keywords[0], "IESNA91 revision");
    EXPECT_EQ(r.LuminaireKeyword, "A B C");
    EXPECT_EQ(r.DateKeyword, "2");
    EXPECT_EQ(r.TestKeyword, "");
    EXPECT_EQ(r.LampKeyword, std::string(132, 'v'));
    EXPECT_EQ(r.LampcatKeyword.size(), 262U);  // 132 characters with the blank, not bytes
    EXPECT_EQ(r.BallastKeyword, std::string(131, 'v') + " " + std::string(123, 'v'));
    EXPECT_EQ(r.OtherKeywordText,
              "IESNA91 revision\r\n[MORE] orphan\r\nfree text\r\n[FOO] x\r\n[MORE] y\r\n [TEST] z");
    EXPECT_EQ(r.TiltIncl, kFalse);
}

TEST(LoadIesFile, TiltBlockFillsItsLists) {
    const Loaded loaded =
        Load("TILT=INCLUDE\r\n1\r\n3\r\n0 45\r\n90\r\n1 .8 .6\r\n" + kLampLine + kBallastLine + kAngles + "5 4 3\r\n");
    EXPECT_EQ(loaded.message.text(), "");
    EXPECT_EQ(loaded.record.TiltIncl, kTrue);
    EXPECT_EQ(loaded.record.LampGeometry, 1);
    EXPECT_EQ(loaded.record.TiltAngles, (std::vector<float>{0, 45, 90}));
    EXPECT_EQ(loaded.record.TiltFactors, (std::vector<float>{1, 0.8F, 0.6F}));
}

TEST(LoadIesFile, BadLineEndsAreRepairedOrRefused) {
    std::string lfOnly = kSmallFile;
    for (std::size_t at; (at = lfOnly.find("\r\n")) != std::string::npos;) lfOnly.erase(at, 1);

    const Loaded repaired = Load(lfOnly);
    EXPECT_EQ(repaired.message.text(), "");
    EXPECT_EQ(repaired.shown.size(), 1U);
    EXPECT_TRUE(repaired.record.Filename.ends_with("/lum_Repaired.ies"));
    EXPECT_EQ(repaired.record.Candela, (std::vector<std::vector<double>>{{500, 400, 300}}));

    const Loaded refused = Load(lfOnly, true);
    EXPECT_EQ(refused.message.text(),
              "File does not contain proper delimiter (carriage return + line feed). Opening and saving "
              "the file using Lumibench may correct the problem.\r\n");
    EXPECT_TRUE(refused.shown.empty());
}

}  // namespace
}  // namespace lumibench
