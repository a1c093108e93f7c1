#include "exchange/split_lines_and_fields.h"

#include <gtest/gtest.h>

#include <cmath>

namespace lumibench {
namespace {

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
    std::size_t fieldCount;
    std::vector<std::vector<std::string>> fields;
};

TEST(SplitLinesAndFields, CutsLinesAndFieldsWithTheirQuirks) {
    const SplitCase cases[] = {
        {"empty", "", {}, 0, {}},
        {"one line, no line end", "a,b,c", {"a,b,c"}, 3, {{"a", "b", "c"}}},
        {"CR LF lines", "a,b\r\nc,d\r\n", {"a,b", "c,d"}, 2, {{"a", "b"}, {"c", "d"}}},
        // The character before every LF is dropped, whatever it is.
        {"LF alone eats a character", "ab\ncd\n", {"a", "c"}, 1, {{"a"}, {"c"}}},
        {"one character and LF is skipped", "x\nyz", {"yz"}, 1, {{"yz"}}},
        {"empty lines skipped", "\r\n\r\na\r\n\n\r\nb", {"a", "b"}, 1, {{"a"}, {"b"}}},
        // The field count comes from the last line only.
        {"short lines padded", "a\r\nb,c,d", {"a", "b,c,d"}, 3, {{"a", "", ""}, {"b", "c", "d"}}},
        {"long lines cut", "a,b,c,d\r\nx", {"a,b,c,d", "x"}, 1, {{"a"}, {"x"}}},
        {"fields not trimmed", " a , b ", {" a , b "}, 2, {{" a ", " b "}}},
        {"trailing comma gives an empty field", "0,", {"0,"}, 2, {{"0", ""}}},
        {"lone comma", ",", {","}, 2, {{"", ""}}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SplitText split = SplitLinesAndFields(c.text, false);
        EXPECT_EQ(split.lines, c.lines);
        EXPECT_EQ(split.fieldCount, c.fieldCount);
        EXPECT_EQ(split.fields, c.fields);

        const SplitText linesOnly = SplitLinesAndFields(c.text, true);
        EXPECT_EQ(linesOnly.lines, c.lines);
        EXPECT_EQ(linesOnly.fieldCount, 0u);
        EXPECT_TRUE(linesOnly.fields.empty());

        // The views the exchange reader uses cut line 1 the same way.
        const std::vector<std::string_view> views = FirstLineFieldViews(c.text);
        EXPECT_EQ(std::vector<std::string>(views.begin(), views.end()),
                  c.fields.empty() ? std::vector<std::string>{} : c.fields.front());

        // So does the cursor, with or without reading numbers on the way.
        FirstLineFieldCursor cursor(c.text), numbers(c.text);
        std::vector<std::string> cut;
        std::string_view field;
        while (cursor.next(field)) cut.emplace_back(field);
        EXPECT_EQ(cut, c.fields.empty() ? std::vector<std::string>{} : c.fields.front());
        std::size_t counted = 0;
        double values[8];
        for (;;) {
            counted += numbers.nextPlainNumbers(values, 8);
            if (!numbers.next(field)) break;
            ++counted;
        }
        EXPECT_EQ(counted, cut.size());
    }
}

TEST(FirstLineFieldCursor, ReadsRunsOfPlainDecimalsAndStopsBeforeAnythingElse) {
    struct Field { const char* text; bool plain; double value; };
    const std::vector<Field> fields = {
        {"0", true, 0},      {"150.48", true, 150.48}, {"-.25", true, -0.25}, {"", false, 0},
        {" 5", false, 0},    {"1E-05", false, 0},      {"+7", false, 0},      {"1.2.3", false, 0},
        {"12x", false, 0},   {"0000012.5000", true, 12.5}, {"0", true, 0},     {"-0", true, -0.0},
        {"1234567890123456", false, 0},  // more digits than the direct reading takes
    };
    std::string text;
    for (const Field& f : fields) text += std::string(f.text) + ",";
    text.pop_back();
    FirstLineFieldCursor cursor(text);
    std::string_view field;
    for (const Field& f : fields) {
        double value = -1;
        const std::size_t read = cursor.nextPlainNumbers(&value, 1);
        EXPECT_EQ(read == 1, f.plain) << f.text;
        if (read == 1) {
            EXPECT_EQ(value, f.value) << f.text;
            EXPECT_EQ(std::signbit(value), std::signbit(f.value)) << f.text;
        } else {
            ASSERT_TRUE(cursor.next(field)) << f.text;  // the cursor waits at the field it refused
            EXPECT_EQ(field, f.text);
        }
    }
    double rest[4];
    EXPECT_EQ(cursor.nextPlainNumbers(rest, 4), 0u);
    EXPECT_FALSE(cursor.next(field));
}

}  // namespace
}  // namespace lumibench
