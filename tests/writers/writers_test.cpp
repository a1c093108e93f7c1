// The writers on made-up data whose answer is known: the EULUMDAT symmetry
// choice on analytic distributions, the C0 orientation on an asymmetric one,
// each IES edition's required keywords, and safe writing of the file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <cmath>
#include <functional>

#include "file_size_limit.h"
#include "read_back.h"
#include "without_root.h"
#include "formats/atomic_file.h"
#include "formats/photometric_writer.h"
#include "formats/eulumdat/eulumdat_writer.h"
#include "formats/ies/ies_writer.h"
#include "formats/tm14/tm14_writer.h"

namespace lumibench {
namespace {

using testing::ReadText;

std::vector<float> Steps(float from, float to, float step) {
    std::vector<float> angles;
    for (float a = from; a <= to + 1e-3f; a += step) angles.push_back(a);
    return angles;
}

PhotometricRecord Analytic(std::vector<float> h, std::vector<float> v, const std::function<double(double, double)>& f) {
    PhotometricRecord r;
    r.Keywords = {"IESNA:LM-63-2002", "[TEST] T1", "[TESTLAB] Lab", "[ISSUEDATE] 2024-01-01", "[MANUFAC] Maker"};
    r.LampCount = 2;
    r.LumensPerLamp = 1500;
    r.CandelaMultiplier = 1;
    r.PhotometricType = 1;
    r.UnitsType = 2;
    r.Width = 0.25f;
    r.Length = 0.6f;
    r.Height = 0.05f;
    r.BallastFactor = 1;
    r.InputWatts = 40;
    r.HorAngles = std::move(h);
    r.VertAngles = std::move(v);
    r.HorAngleCount = static_cast<std::int16_t>(r.HorAngles.size());
    r.VertAngleCount = static_cast<std::int16_t>(r.VertAngles.size());
    for (float ha : r.HorAngles) {
        r.Candela.emplace_back();
        // The pole is one direction: every plane holds the same value there.
        for (float va : r.VertAngles) r.Candela.back().push_back(va == 0 ? 300 : f(ha, va));
    }
    return r;
}

// Angular distance of C from the axis through `axis` and axis + 180, 0..90.
double FromAxis(double c, double axis) {
    const double d = std::fmod(std::fabs(c - axis), 180.0);
    return std::min(d, 180.0 - d);
}

// Plain decimals with the fewest digits that read back the same value.
TEST(PlainNumber, FewestDigitsNeverAnExponent) {
    const std::vector<std::pair<double, std::string>> rows = {
        {0.05, "0.05"}, {-1, "-1"}, {26500.326, "26500.326"}, {0.6f, "0.6"}, {33.333332f, "33.333332"},
        {1e-7, "0.0000001"}, {123456789012.5, "123456789012.5"}, {-0.0, "0"}, {std::nan(""), "0"},
        {1e20, "100000000000000000000"}, {0.1 + 0.2, "0.30000000000000004"}, {-2.5e-3, "-0.0025"},
    };
    for (const auto& [value, text] : rows) EXPECT_EQ(PlainNumber(value), text) << text;
}

// The quick path for singles must give the general conversion's text byte for
// byte: every 97th bit pattern over the magnitudes photometric files hold,
// both signs, and the awkward neighbours of powers of two and of ten.
TEST(PlainNumber, SinglesMatchTheGeneralConversion) {
    auto expect = [](float value) {
        char general[400];
        char quick[400];
        const char* generalEnd = std::to_chars(general, general + sizeof general, value, std::chars_format::fixed).ptr;
        const char* quickEnd = WriteShortestSingle(quick, value);
        return std::string_view(general, generalEnd) == std::string_view(quick, quickEnd);
    };
    auto fromBits = [](std::uint32_t bits) {
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    };
    std::size_t mismatches = 0;
    const std::uint32_t first = std::bit_cast<std::uint32_t>(1e-8f);
    const std::uint32_t last = std::bit_cast<std::uint32_t>(2e7f);
    for (std::uint32_t bits = first; bits < last && mismatches < 5; bits += 97) {
        for (const std::uint32_t sign : {0u, 0x80000000u}) {
            if (!expect(fromBits(bits | sign))) {
                ADD_FAILURE() << "bits " << (bits | sign);
                ++mismatches;
            }
        }
    }
    for (double anchor = 1e-8; anchor < 1e8; anchor *= 10) {
        for (const float centre : {static_cast<float>(anchor), static_cast<float>(anchor * 1.024)}) {
            const std::uint32_t bits = std::bit_cast<std::uint32_t>(centre);
            for (std::uint32_t near = bits - 64; near < bits + 64; ++near) {
                EXPECT_TRUE(expect(fromBits(near))) << "bits " << near;
            }
        }
    }
    for (int exponent = -30; exponent < 26; ++exponent) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(std::ldexp(1.0f, exponent));
        for (std::uint32_t near = bits - 8; near < bits + 8; ++near) EXPECT_TRUE(expect(fromBits(near))) << "bits " << near;
    }
}

// Doubles that are no singles (candela values read from text, products of
// the EULUMDAT scaling) must also give the general conversion's shortest
// text: decimals of every length and any bit pattern, up to the magnitude
// where more than one shortest text can read back (there the nearest is not
// always the one written).
TEST(PlainNumber, DoublesMatchTheGeneralConversion) {
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    auto next = [&state] {  // xorshift: the same values on every run
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    constexpr auto kPowers = [] {
        std::array<std::uint64_t, 17> powers{1};
        for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
        return powers;
    }();
    std::size_t mismatches = 0;
    auto check = [&](double value) {
        if (!std::isfinite(value) || value == 0 || static_cast<double>(static_cast<float>(value)) == value) return;
        char general[400];
        const char* end = std::to_chars(general, general + sizeof general, value, std::chars_format::fixed).ptr;
        const std::string written = PlainNumber(value);
        if (written != std::string_view(general, end) && ++mismatches < 5) {
            ADD_FAILURE() << std::bit_cast<std::uint64_t>(value) << ": " << written;
        }
    };
    for (int i = 0; i < 400000; ++i) {
        const std::uint64_t r = next();
        const int decimals = static_cast<int>(r % 9);
        const int magnitude = static_cast<int>((r >> 4) % 8);  // up to 10^7 before the point
        const std::uint64_t limit = kPowers[std::min(magnitude + decimals, 16)];
        const double scaled = static_cast<double>((r >> 8) % limit);
        const double value = scaled / std::pow(10.0, decimals);
        check(value);
        check(-value);
        check(std::nextafter(value, 0.0));
        check(std::nextafter(value, 1e300));
        // Any bit pattern from 2^-30 to 2^26.
        const std::uint64_t exponent = 1023 - 30 + (r >> 20) % 56;
        check(std::bit_cast<double>((exponent << 52) | (next() >> 12)));
    }
    for (double edge : {67108864.0, 1e-6, 1e-7}) {
        for (double v = std::nextafter(edge, 0.0), k = 0; k < 3; ++k, v = std::nextafter(v, 1e300)) check(v);
        check(edge * 0.9);
    }
}

struct SymmetryRow {
    const char* name;
    std::vector<float> hor;
    std::function<double(double, double)> f;
    int expected;
};

TEST(EulumdatSymmetry, LargestSymmetryTheValuesAllow) {
    const auto full = Steps(0, 360, 15);
    const std::vector<SymmetryRow> rows = {
        {"single plane", {0}, [](double, double v) { return 300 - v; }, 1},
        {"equal planes over the full circle", full, [](double, double v) { return 300 - v; }, 1},
        {"quadrant layout", Steps(0, 90, 15), [](double c, double v) { return 200 + c - v; }, 4},
        {"both planes within a full circle", full, [](double c, double v) { return 200 + FromAxis(c, 0) - v; }, 4},
        {"C0-C180 plane", full, [](double c, double v) { return 200 + std::min(c, 360 - c) - v; }, 2},
        {"C90-C270 plane", full,
         [](double c, double v) { return 200 + std::min(std::fabs(c - 90), 360 - std::fabs(c - 90)) - v; }, 3},
        {"no symmetry", full, [](double c, double v) { return 200 + (c == 30 ? 50 : 0) + FromAxis(c, 0) - v; }, 0},
        {"half layout 0-180", Steps(0, 180, 15), [](double c, double v) { return 200 + c - v; }, 2},
        {"half layout 90-270", Steps(90, 270, 15), [](double c, double v) { return 200 + c - v; }, 3},
        {"half layout whose values are rotational", Steps(0, 180, 15), [](double, double v) { return 300 - v; }, 1},
        {"uneven planes", {0, 10, 45, 180, 200, 360}, [](double c, double v) { return 200 + std::min(c, 360 - c) - v; }, 0},
        {"difference below single precision", full,
         [](double c, double v) { return 200 + std::min(c, 360 - c) - v + (c < 180 ? 1e-9 : 0); }, 2},
    };
    for (const SymmetryRow& row : rows) {
        const PhotometricRecord record = Analytic(row.hor, Steps(0, 180, 10), row.f);
        EXPECT_EQ(ChooseEulumdatSymmetry(record), row.expected) << row.name;
        // The file says the same, and our reader gives back the full distribution.
        const WrittenText ldt = WriteEulumdatText(record, "sym.ldt");
        ASSERT_TRUE(ldt.ok()) << row.name << ": " << ldt.error;
        const std::size_t third = ldt.text.find("\r\n", ldt.text.find("\r\n") + 2) + 2;
        EXPECT_EQ(ldt.text.substr(third, 1), std::to_string(row.expected)) << row.name;
        const auto back = ReadText(ldt.text, ".ldt");
        ASSERT_EQ(back.message, "") << row.name;
        for (std::size_t i = 0; i < record.HorAngles.size(); ++i) {
            const auto at = std::find(back.record.HorAngles.begin(), back.record.HorAngles.end(), record.HorAngles[i]);
            if (at == back.record.HorAngles.end()) continue;  // folded away by a larger symmetry
            const std::size_t k = static_cast<std::size_t>(at - back.record.HorAngles.begin());
            for (std::size_t j = 0; j < record.VertAngles.size(); ++j) {
                EXPECT_TRUE(testing::SameSingle(testing::Absolute(back.record, k, j), record.Candela[i][j]))
                    << row.name << " C" << record.HorAngles[i] << " g" << record.VertAngles[j];
            }
        }
    }
}

// Lines of a written file, without their CR LF.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// One bright direction at C30: it must stay at C30 in EULUMDAT (counted the
// same way round from the same C0) and come back at horizontal angle 30.
TEST(EulumdatOrientation, AsymmetricPeakKeepsItsCPlane) {
    const PhotometricRecord record =
        Analytic(Steps(0, 360, 15), Steps(0, 90, 10), [](double c, double v) { return c == 30 && v == 40 ? 900 : 100; });
    const WrittenText ldt = WriteEulumdatText(record, "peak.ldt");
    ASSERT_TRUE(ldt.ok()) << ldt.error;
    const auto lines = Lines(ldt.text);
    ASSERT_EQ(lines[2], "0");   // no symmetry
    ASSERT_EQ(lines[3], "24");  // C planes 0 to 345
    const std::size_t cStart = 25 + 1 + 6 + 10;  // header, set count, one lamp set, direct ratios
    const std::size_t gammaStart = cStart + 24;
    const std::size_t valuesStart = gammaStart + 10;
    ASSERT_EQ(lines[cStart + 2], "30");
    ASSERT_EQ(lines[gammaStart + 4], "40");
    // cd/klm of 3000 lamp lumens: 900 cd is 300 cd/klm.
    EXPECT_EQ(lines[valuesStart + 2 * 10 + 4], "300");
    EXPECT_EQ(lines[valuesStart + 4], "33.333332");

    const auto back = ReadText(ldt.text, ".ldt");
    ASSERT_EQ(back.message, "");
    EXPECT_EQ(back.record.MaxCandelaHorAngle, 30);
    EXPECT_EQ(back.record.MaxCandelaVertAngle, 40);
    EXPECT_EQ(back.record.Length, 0.6f);  // length along C0-C180 in both formats
    EXPECT_EQ(back.record.Width, 0.25f);
    const auto ies = ReadText(WriteIesText(back.record, IesEdition::Lm63_2002).text, ".ies");
    ASSERT_EQ(ies.message, "");
    EXPECT_EQ(ies.record.MaxCandelaHorAngle, 30);
}

// An EULUMDAT file read and written again keeps its cd/klm texts: the
// reader scales them to candela in single precision, and dividing back
// lands a single away from many of them ("37.600002") unless the writer
// looks for the text that the reader turns into the same candela.
TEST(EulumdatWriter, ValuesReadFromEulumdatGoBackAsTheyStood) {
    // Four planes of three angles, the nadir one value.
    const std::vector<std::string> values = {"37.6", "248.16", "0.5",  "37.6", "1111.1", "3.3",
                                             "37.6", "12.34",  "7.25", "37.6", "99.99",  "0.07"};
    // Relative photometry, and absolute (a negative number of lamps), whose
    // lamp set flux the values were scaled by and which is kept too.
    for (const char* lamps : {"3", "-3"}) {
        std::string text = "Maker\r\n1\r\n0\r\n4\r\n90\r\n3\r\n45\r\nR1\r\nLuminaire\r\nL1\r\nf.ldt\r\n2024-01-01\r\n";
        for (const char* line : {"600", "250", "50", "600", "250", "0", "0", "0", "0", "100", "80", "1", "0", "1",
                                 lamps, "LED", "6600", "840", "80", "40"}) {
            text.append(line).append("\r\n");
        }
        for (int i = 0; i < 10; ++i) text.append("0\r\n");
        for (const char* angle : {"0", "90", "180", "270", "0", "45", "90"}) text.append(angle).append("\r\n");
        for (const std::string& value : values) text.append(value).append("\r\n");

        const auto first = ReadText(text, ".ldt");
        ASSERT_EQ(first.message, "");
        const WrittenText again = WriteEulumdatText(first.record, "f.ldt");
        ASSERT_TRUE(again.ok()) << again.error;
        const auto lines = Lines(again.text);
        ASSERT_GE(lines.size(), values.size());
        EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(values.size()), lines.end()), values)
            << lamps << " lamps";
        EXPECT_NE(std::find(lines.begin(), lines.end(), "6600"), lines.end()) << lamps << " lamps";
        const auto second = ReadText(again.text, ".ldt");
        ASSERT_EQ(second.message, "");
        EXPECT_EQ(second.record.Candela, first.record.Candela);
    }
}

// EULUMDAT holds no negative intensity: such values go out as 0, with a
// note, and only they change.
TEST(EulumdatWriter, NegativeIntensitiesBecomeZero) {
    const PhotometricRecord record =
        Analytic(Steps(0, 360, 90), Steps(0, 90, 45), [](double c, double v) { return c == 90 && v == 45 ? -30 : 150; });
    const WrittenText ldt = WriteEulumdatText(record, "negative.ldt");
    ASSERT_TRUE(ldt.ok()) << ldt.error;
    EXPECT_NE(std::find(ldt.notes.begin(), ldt.notes.end(),
                        "Negative intensities, which the format does not allow, were written as 0."),
              ldt.notes.end());
    const auto back = ReadText(ldt.text, ".ldt");
    ASSERT_EQ(back.message, "");
    const auto& h = back.record.HorAngles;
    const auto at = [&](float c) { return static_cast<std::size_t>(std::find(h.begin(), h.end(), c) - h.begin()); };
    ASSERT_LT(at(270), h.size());
    EXPECT_EQ(back.record.Candela[at(90)][1], 0);
    EXPECT_NEAR(back.record.Candela[at(270)][1], 150, 1e-3);
}

struct EditionRow {
    IesEdition edition;
    std::vector<std::string> keywords;
    std::vector<std::string> placeholders;  // tags written as "Not given", in order
    std::string marker;
};

TEST(IesWriter, EachEditionGetsItsRequiredKeywords) {
    const std::vector<EditionRow> rows = {
        {IesEdition::Lm63_1995, {"[TEST] 1", "[MANUFAC] M", "[ISSUEDATE] D"}, {}, "IESNA:LM-63-1995"},
        {IesEdition::Lm63_2002, {"[TEST] 1", "[MANUFAC] M", "[DATE] D"}, {"[TESTLAB]"}, "IESNA:LM-63-2002"},
        {IesEdition::Lm63_2002, {"EULUMDAT", "[MANUFAC] M"}, {"[TEST]", "[TESTLAB]", "[ISSUEDATE]"}, "IESNA:LM-63-2002"},
        {IesEdition::Lm63_2019,
         {"[TEST] 1", "[TESTLAB] L", "[ISSUEDATE] D", "[MANUFAC] M", "[LAMP] X"},
         {"[LUMCAT]", "[LUMINAIRE]", "[LAMPCAT]"},
         "IES:LM-63-2019"},
    };
    for (const EditionRow& row : rows) {
        PhotometricRecord record = Analytic({0}, {0, 45, 90}, [](double, double v) { return 200 - v; });
        record.Keywords = row.keywords;
        const WrittenText ies = WriteIesText(record, row.edition);
        ASSERT_TRUE(ies.ok());
        const auto lines = Lines(ies.text);
        EXPECT_EQ(lines.front(), row.marker);
        for (std::size_t i = 0; i < row.placeholders.size(); ++i) {
            EXPECT_EQ(lines[1 + i], row.placeholders[i] + " Not given") << row.marker;
        }
        EXPECT_EQ(ies.notes.size(), row.placeholders.size()) << row.marker;
        // Dates go under the edition's own keyword.
        const bool date1995 = ies.text.find("[DATE] D") != std::string::npos;
        if (ies.text.find(" D\r\n") != std::string::npos) {
            EXPECT_EQ(date1995, row.edition == IesEdition::Lm63_1995);
        }
        EXPECT_EQ(ReadText(ies.text, ".ies").message, "") << row.marker;
    }
}

// What our strict reader refuses never gets into a written file: long and
// piped keyword values, bare header lines, tilt blocks, exponents, bare LF.
TEST(IesWriter, AwkwardRecordsStillReadBack) {
    PhotometricRecord record = Analytic(Steps(0, 90, 22.5f), Steps(0, 180, 5), [](double c, double v) {
        return 1e-6 + 12345.678 * std::cos(v * 3.14159265 / 360) + c;
    });
    const std::string longText(300, 'x');
    std::string words;
    for (int i = 0; i < 25; ++i) words += (i ? " " : "") + std::string("abcdefgh") + char('a' + i);
    record.Keywords.push_back("[LUMINAIRE] " + words);
    record.Keywords.push_back("[LAMP] A|B");
    record.Keywords.push_back("free text without a tag");
    record.Keywords.push_back("[_USER] TILT=NONE E+5 " + longText);
    record.TiltIncl = kTrue;
    record.LampGeometry = 1;
    record.TiltPairCount = 3;
    record.TiltAngles = {0, 45, 90};
    record.TiltFactors = {1, 0.95f, 0.9f};
    const WrittenText ies = WriteIesText(record, IesEdition::Lm63_2002);
    ASSERT_TRUE(ies.ok());
    for (const std::string& line : Lines(ies.text)) {
        EXPECT_LE(line.size(), 256u);
        EXPECT_EQ(line.find('\n'), std::string::npos);
    }
    const std::size_t tilt = ies.text.find("\r\nTILT=");
    const std::string data = ies.text.substr(ies.text.find("\r\n", tilt + 2));
    EXPECT_EQ(data.find('E'), std::string::npos);
    const auto back = ReadText(ies.text, ".ies");
    ASSERT_EQ(back.message, "");
    EXPECT_EQ(back.record.LuminaireKeyword, words);
    EXPECT_EQ(back.record.LampKeyword, "A/B");
    EXPECT_EQ(back.record.TiltFactors, record.TiltFactors);
    EXPECT_EQ(back.record.Candela, record.Candela);
    EXPECT_EQ(back.record.HorAngles, record.HorAngles);
    // The formats without a tilt table say that they drop it.
    for (const WrittenText& other : {WriteEulumdatText(record, "tilt.ldt"), WriteTm14Text(record)}) {
        ASSERT_TRUE(other.ok());
        EXPECT_EQ(std::count_if(other.notes.begin(), other.notes.end(),
                                [](const std::string& note) { return note.starts_with("Tilt factors are not carried"); }),
                  1);
    }
}

// TM14 keeps the distribution per lamp lumen; absolute data borrows the
// luminaire flux, and type B survives.
TEST(Tm14Writer, RelativeDistributionSurvives) {
    for (int type : {1, 2}) {
        PhotometricRecord record = type == 1 ? Analytic(Steps(0, 180, 30), Steps(0, 90, 15),
                                                        [](double c, double v) { return 400 - v + c; })
                                             : Analytic(Steps(-90, 90, 30), Steps(-90, 90, 15),
                                                        [](double c, double v) { return 400 - std::fabs(v) + c; });
        record.PhotometricType = static_cast<std::int16_t>(type);
        const WrittenText tm14 = WriteTm14Text(record);
        ASSERT_TRUE(tm14.ok()) << tm14.error;
        const auto back = ReadText(tm14.text, ".cib");
        ASSERT_EQ(back.message, "") << type;
        EXPECT_EQ(back.record.HorAngles, record.HorAngles);
        EXPECT_EQ(back.record.VertAngles, record.VertAngles);
        EXPECT_EQ(back.record.LampCount, record.LampCount);
        // Per 1000 lamp lumens the intensities agree: record 2 x 1500 lm, read back 2 x 1000 lm.
        for (std::size_t i = 0; i < record.HorAngles.size(); ++i) {
            for (std::size_t j = 0; j < record.VertAngles.size(); ++j) {
                EXPECT_TRUE(testing::SameSingle(testing::Absolute(back.record, i, j) / 2.0,
                                                record.Candela[i][j] / 3.0));
            }
        }
    }
}

// TM14 holds its dimensions in metres: a record in feet (units 1) is converted,
// one in metres (units 2) is not, and both read back as the same lengths.
TEST(Tm14Writer, DimensionsReadBackInMetres) {
    struct Row {
        std::int16_t units;
        float length, width, height;  // in the record's units
    };
    for (const Row& row : {Row{1, 2.0f, 1.0f, 0.5f}, Row{2, 0.6096f, 0.3048f, 0.1524f}}) {
        PhotometricRecord record = Analytic(Steps(0, 180, 30), Steps(0, 90, 15), [](double, double v) { return 400 - v; });
        record.UnitsType = row.units;
        record.Length = row.length;
        record.Width = row.width;
        record.Height = row.height;
        const WrittenText tm14 = WriteTm14Text(record);
        ASSERT_TRUE(tm14.ok()) << tm14.error;
        const auto back = ReadText(tm14.text, ".cib");
        ASSERT_EQ(back.message, "") << row.units;
        EXPECT_EQ(back.record.UnitsType, 2);
        EXPECT_NEAR(back.record.Length, 0.6096, 1e-4) << row.units;
        EXPECT_NEAR(back.record.Width, 0.3048, 1e-4) << row.units;
        EXPECT_NEAR(back.record.Height, 0.1524, 1e-4) << row.units;
    }
}

TEST(Writers, RefuseWhatTheFormatCannotHold) {
    PhotometricRecord typeB = Analytic({-90, 0, 90}, {-90, 0, 90}, [](double, double) { return 10; });
    typeB.PhotometricType = 2;
    EXPECT_NE(WriteEulumdatText(typeB, "b.ldt").error, "");
    PhotometricRecord broken = Analytic({0}, {0, 90}, [](double, double) { return 10; });
    broken.Candela.front().pop_back();
    EXPECT_NE(WriteIesText(broken, IesEdition::Lm63_2002).error, "");
    EXPECT_NE(WriteTm14Text(broken).error, "");
    EXPECT_NE(WriteEulumdatText(broken, "x.ldt").error, "");
}

// What a writer makes is read back by the format's own reader before it is
// handed out: a file the reader would refuse is never written.
TEST(Writers, OutputTheReaderWouldRefuseIsAnError) {
    const auto flat = [](double, double) { return 10.0; };
    PhotometricRecord unsorted = Analytic({0, 180, 90, 270, 360}, {0, 45, 90}, flat);
    const WrittenText tm14 = WritePhotometricText(unsorted, WriteFormat::Tm14, "u.cib");
    EXPECT_TRUE(tm14.error.starts_with(kReadBackRefused)) << tm14.error;
    EXPECT_TRUE(tm14.error.ends_with(": Horizontal angles are not in ascending order")) << tm14.error;
    const WrittenText ies = WritePhotometricText(unsorted, WriteFormat::Ies2002, "u.ies");
    EXPECT_TRUE(ies.error.starts_with(kReadBackRefused)) << ies.error;
    EXPECT_TRUE(ies.error.ends_with(": Horizontal angles are not in ascending order")) << ies.error;
    // A sound record passes the read-back in every format.
    for (const WriteFormat format : {WriteFormat::Ies2002, WriteFormat::Ies2019, WriteFormat::Ies1995,
                                     WriteFormat::Eulumdat, WriteFormat::Tm14}) {
        EXPECT_EQ(WritePhotometricText(Analytic(Steps(0, 360, 90), {0, 45, 90}, flat), format, "ok.x").error, "");
    }
}

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testing::ScratchFolder() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        ::chmod(folder_.c_str(), 0700);
        std::filesystem::remove_all(folder_);
    }
    std::string file(const char* name) const { return (folder_ / name).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder_), {}));
    }
    std::filesystem::path folder_;
};

TEST_F(AtomicFile, ExistingFilesAndLinksAreKept) {
    const std::string target = file("a.ies");
    EXPECT_EQ(SaveFileSafely(target, "first", false), "");
    EXPECT_EQ(SaveFileSafely(target, "second", false), "File exists");
    EXPECT_EQ(Read(target), "first");
    ::chmod(target.c_str(), 0640);
    EXPECT_EQ(SaveFileSafely(target, "third", true), "");
    EXPECT_EQ(Read(target), "third");
    struct stat info {};
    ::stat(target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    // A link planted at the name is replaced, never written through.
    const std::string victim = file("victim.txt");
    std::ofstream(victim) << "precious";
    std::filesystem::create_symlink(victim, file("planted.ies"));
    EXPECT_EQ(SaveFileSafely(file("planted.ies"), "data", false), "File exists");
    EXPECT_EQ(SaveFileSafely(file("planted.ies"), "data", true), "");
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(file("planted.ies")));
    EXPECT_EQ(Entries(), 3u);  // no temporary file left behind
}

// A write that runs out of room half way (a file size limit stands in for a
// full disk, and works for root too) keeps the earlier file and leaves nothing.
TEST_F(AtomicFile, WriteFailingHalfWayKeepsTheEarlierFile) {
    const std::string target = file("c.ies");
    ASSERT_EQ(SaveFileSafely(target, "earlier", false), "");
    std::string failure;
    {
        testing::FileSizeLimit full(64);
        failure = SaveFileSafely(target, std::string(1000, 'x'), true);
    }
    EXPECT_EQ(failure, "File too large");
    EXPECT_EQ(Read(target), "earlier");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFile, FailureLeavesTheEarlierFile) {
    const std::string target = file("b.ldt");
    ASSERT_EQ(SaveFileSafely(target, "earlier", false), "");
    testing::GiveToStepUser(folder_);
    testing::GiveToStepUser(target);
    ::chmod(folder_.c_str(), 0500);
    EXPECT_EQ(testing::WithoutRoot([&] { return SaveFileSafely(target, "later", true); }), "Permission denied");
    EXPECT_EQ(testing::WithoutRoot([&] { return SaveFileSafely(file("new.ldt"), "later", false); }), "Permission denied");
    ::chmod(folder_.c_str(), 0700);
    // The same user may write once the folder allows it: the refusals above were the folder's.
    EXPECT_EQ(testing::WithoutRoot([&] { return SaveFileSafely(file("new.ldt"), "later", false); }), "");
    EXPECT_EQ(Read(target), "earlier");
    EXPECT_EQ(Entries(), 2u);
    EXPECT_NE(SaveFileSafely((folder_ / "missing" / "c.ies").string(), "x", false), "");
}


}  // namespace
}  // namespace lumibench
