#include "core/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

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

}  // namespace
}  // namespace lumibench
