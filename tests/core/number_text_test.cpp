#include "core/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace lumibench {
namespace {

TEST(NumberText, CompactAndSignedFormsOfTheExchange) {
    struct Row { double value; bool isFloat; const char* compact; const char* signed_; };
    const Row rows[] = {
        {12, true, "12", " 12"},
        {0, true, "0", " 0"},
        {-1, true, "-1", "-1"},
        {2.5, true, "2.5", " 2.5"},
        {0.5, true, ".5", " .5"},
        {-0.25, true, "-.25", "-.25"},
        {0.6f, true, ".6", " .6"},
        {1.2f, true, "1.2", " 1.2"},
        {1e-5, true, "1E-05", " 1E-05"},
        {1.5e7, true, "1.5E+07", " 1.5E+07"},
        {0.0001, true, ".0001", " .0001"},
        {1234567, true, "1234567", " 1234567"},
        {12345678, true, "1.234568E+07", " 1.234568E+07"},
        {1234.5678912345, false, "1234.5678912345", " 1234.5678912345"},
        {0.5, false, ".5", " .5"},
        {0.1, false, ".1", " .1"},
        {1e15, false, "1E+15", " 1E+15"},
        {123456789012345, false, "123456789012345", " 123456789012345"},
        {1e-100, false, "1E-100", " 1E-100"},
        {-3.14e-2, false, "-.0314", "-.0314"},
    };
    for (const Row& row : rows) {
        if (row.isFloat) {
            EXPECT_EQ(FormatCompact(static_cast<float>(row.value)), row.compact) << row.value;
            EXPECT_EQ(FormatSigned(static_cast<float>(row.value)), row.signed_) << row.value;
        } else {
            EXPECT_EQ(FormatCompact(row.value), row.compact) << row.value;
            EXPECT_EQ(FormatSigned(row.value), row.signed_) << row.value;
        }
    }
}

TEST(NumberText, IntegersHaveNoPoint) {
    EXPECT_EQ(FormatSigned(std::int16_t{7}), " 7");
    EXPECT_EQ(FormatSigned(std::int16_t{0}), " 0");
    EXPECT_EQ(FormatSigned(std::int16_t{-32768}), "-32768");
    EXPECT_EQ(FormatCompact(25), "25");
}

TEST(NumberText, FloatsUseSevenSignificantDigits) {
    // 0.1f is 0.100000001490116...; the exchange must not leak that.
    EXPECT_EQ(FormatCompact(0.1f), ".1");
    EXPECT_EQ(FormatCompact(static_cast<double>(0.1f)), ".100000001490116");
    EXPECT_EQ(FormatCompact(22.5f), "22.5");
    EXPECT_EQ(FormatCompact(-0.0f), "0");
}

TEST(NumberText, FormsIgnoreTheLocale) {
    const char* old = std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(FormatCompact(2.5), "2.5");
    EXPECT_DOUBLE_EQ(LeadingNumber("2.5"), 2.5);
    if (old) std::setlocale(LC_ALL, "C");
}

TEST(NumberText, LeadingNumberOfAText) {
    struct Row { const char* text; double value; };
    const Row rows[] = {
        {"", 0},        {"abc", 0},        {" 12", 12},      {"  -1", -1},
        {".5", 0.5},    {"-.25", -0.25},   {"1E-05", 1e-5},  {"1.5E+07", 1.5e7},
        {"12abc", 12},  {"3,4", 3},        {"1.2.3", 1.2},   {"1E", 1},
        {"1E+", 1},     {"2e3", 2000},     {"+7", 7},        {"\t9", 9},
        {"-", 0},       {".", 0},          {"1d2", 100},     {" 0", 0},
    };
    for (const Row& row : rows) {
        EXPECT_DOUBLE_EQ(LeadingNumber(row.text), row.value) << '"' << row.text << '"';
    }
}

TEST(NumberText, SixteenBitConversionRoundsTiesToEvenAndRefusesOverflow) {
    EXPECT_EQ(ToInt16(2.5), 2);
    EXPECT_EQ(ToInt16(3.5), 4);
    EXPECT_EQ(ToInt16(-2.5), -2);
    EXPECT_EQ(ToInt16(2.4999), 2);
    EXPECT_EQ(ToInt16(32767), 32767);
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_EQ(ToInt16(32767.5), std::nullopt);
    EXPECT_EQ(ToInt16(-32768), -32768);
    EXPECT_EQ(ToInt16(-32768.5), -32768);  // tie goes to the even -32768
    EXPECT_EQ(ToInt16(-32769), std::nullopt);
    EXPECT_EQ(ToInt16(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(ToInt16(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(LeadingInt16(" 7"), 7);
    EXPECT_EQ(LeadingInt16("1E+300"), std::nullopt);
    EXPECT_EQ(ToInt32(2147483647.0), 2147483647);
    EXPECT_EQ(ToInt32(2147483648.0), std::nullopt);
}

TEST(NumberText, ExchangeRoundTripKeepsFloatsExact) {
    for (float value : {0.1f, 22.5f, 1e-5f, 3.4e38f, -1234.567f}) {
        EXPECT_EQ(static_cast<float>(LeadingNumber(FormatCompact(value))), value) << value;
    }
    // Seven digits do not carry every float bit: 1/3 comes back one ulp off.
    const float third = 1.0f / 3.0f;
    EXPECT_NEAR(static_cast<float>(LeadingNumber(FormatCompact(third))), third, 1e-7);
    for (double value : {0.1, 1234.5678912345, 1e-300}) {
        // 15 digits are what the exchange keeps; the round trip is close, not exact.
        EXPECT_NEAR(LeadingNumber(FormatCompact(value)), value, std::abs(value) * 1e-14);
    }
}

// The forms as %G writes them, the exchange's habits applied: what every
// faster path must reproduce byte for byte.
std::string ReferenceForm(double value, int digits) {
    if (value == 0 || std::isnan(value)) return "0";
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits).ptr;
    std::string text(buffer, end);
    for (char& c : text) {
        if (c == 'e') c = 'E';
    }
    if (text.starts_with("0.")) text.erase(0, 1);
    if (text.starts_with("-0.")) text.erase(1, 1);
    // A text past the largest double (which would read back as infinity)
    // loses one unit of its last digit.
    double back = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), back).ec == std::errc::result_out_of_range) {
        const std::size_t exponent = text.find('E');
        --text[exponent - 1];
    }
    return text;
}

double Parsed(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Decimals as photometric files and tools write them: up to 17 digits, up to
// 12 after the point, shifted by powers of ten, either sign.
std::vector<std::string> ShortDecimals(std::size_t count) {
    std::mt19937_64 random(20261207);
    std::vector<std::string> texts;
    texts.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string digits = std::to_string(random() % 100'000'000'000'000'000ULL);
        digits.resize(1 + random() % digits.size());
        const std::size_t point = random() % 13;
        if (point > 0) {
            if (digits.size() <= point) digits.insert(0, point - digits.size() + 1, '0');
            digits.insert(digits.size() - point, ".");
        }
        texts.push_back((random() & 1 ? "-" : "") + digits);
    }
    return texts;
}

TEST(NumberText, EveryFormMatchesTheReferenceDigits) {
    std::vector<double> values = {
        1e-5, 9.99999999999999e-5, 1e-4, 1.00000000000001e-4, 0.0001, 1e15, 1e15 - 1, 999999999999999.9,
        999999999999999.4, 1e15 + 2, 0.1 + 0.2, 1.0 / 3, 2.0 / 3, 1e22, 1e23, 5e-324, 2.2250738585072014e-308,
        2.2250738585072009e-308, std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
        -0.0, 9007199254740993.0, 0.5, 150.48, 1234.5678912345, 0.30000000000000004};
    std::vector<float> floats = {1e7f, 9999999.0f, 9999999.5f, 16777217.0f, 8589935616.0f, 8589934592.0f,
                                 1e-5f, 9.999999e-5f, 1e-4f, 1.17549435e-38f, 1e-45f, 3.4028235e38f,
                                 0.1f, 22.5f, 1.0f / 3, 7.0e-10f, 0.0001f, 1e10f};
    std::mt19937_64 random(7);
    for (const std::string& text : ShortDecimals(200'000)) {
        const double value = Parsed(text);
        values.push_back(value);
        values.push_back(value * std::pow(10.0, static_cast<int>(random() % 61) - 30));
        floats.push_back(static_cast<float>(value));
    }
    for (int i = 0; i < 200'000; ++i) {
        const std::uint64_t bits = random();
        double d;
        float f;
        std::memcpy(&d, &bits, sizeof d);
        const auto low = static_cast<std::uint32_t>(bits);
        std::memcpy(&f, &low, sizeof f);
        values.push_back(d);
        floats.push_back(f);
        // Floats whose units in the last place straddle the spacing of 7-digit decimals.
        floats.push_back(std::ldexp(static_cast<float>(bits % (1u << 24)), static_cast<int>(bits >> 58) - 32));
    }
    // Around every power of ten, where the decade and the form change.
    for (int decade = -45; decade <= 16; ++decade) {
        double d = std::pow(10.0, decade);
        float f = static_cast<float>(d);
        for (int i = 0; i < 200; ++i) {
            d = std::nextafter(d, 0.0);
            f = std::nextafter(f, 0.0f);
        }
        for (int i = 0; i < 400; ++i) {
            values.push_back(d = std::nextafter(d, 1e300));
            floats.push_back(f = std::nextafter(f, 1e30f));
        }
    }
    int failures = 0;
    std::string appended;
    for (double value : values) {
        const std::string expected = ReferenceForm(value, 15);
        char buffer[kCompactTextMax];
        appended.clear();
        AppendCompact(appended, value);
        if (FormatCompact(value) != expected || appended != expected ||
            std::string(buffer, WriteCompact(buffer, value)) != expected) {
            ADD_FAILURE() << "double " << expected << " gave " << FormatCompact(value);
            if (++failures > 10) return;
        }
    }
    for (float value : floats) {
        const std::string expected = ReferenceForm(value, 7);
        appended.clear();
        AppendCompact(appended, value);
        if (FormatCompact(value) != expected || appended != expected) {
            ADD_FAILURE() << "float " << expected << " gave " << FormatCompact(value);
            if (++failures > 10) return;
        }
    }
}

TEST(NumberText, PlainDecimalsReadAsTheGeneralReadingDoes) {
    std::vector<std::string> texts = ShortDecimals(200'000);
    for (double value : {0.1, 1234.5678912345, 1e-5, 1.5e7, 123456789012345.0}) {
        texts.push_back(FormatCompact(value));
    }
    // Texts of number characters in any order, most of them no plain decimal.
    std::mt19937 random(11);
    const std::string alphabet = "0123456789.-+eE ,x";
    for (int i = 0; i < 100'000; ++i) {
        std::string text(1 + random() % 8, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        texts.push_back(text);
    }
    int failures = 0;
    for (const std::string& text : texts) {
        const std::optional<double> plain = PlainDecimal(text);
        if (!plain) continue;
        double expected = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), expected);
        const bool whole = error == std::errc() && end == text.data() + text.size();
        if (!whole || !SameBits(*plain, expected) || !SameBits(LeadingNumber(" " + text), expected)) {
            ADD_FAILURE() << '"' << text << "\" read as " << *plain;
            if (++failures > 10) return;
        }
    }
    // Where the direct reading stops and hands over.
    for (const char* text : {"", "-", ".", "-.", "+1", " 1", "1 ", "1e5", "1.2.3", "1,5", "1234567890123456",
                             ".00000000000000000000001"}) {
        EXPECT_EQ(PlainDecimal(text), std::nullopt) << '"' << text << '"';
    }
    EXPECT_EQ(PlainDecimal("123456789012345"), 123456789012345.0);
    EXPECT_EQ(PlainDecimal("000000000000000000001.5"), 1.5);
    EXPECT_TRUE(std::signbit(*PlainDecimal("-0")));
    EXPECT_DOUBLE_EQ(LeadingNumber("1234567890123456789.5x"), 1234567890123456789.5);
}

}  // namespace
}  // namespace lumibench
