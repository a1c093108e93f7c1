#include "formats/text/field_reader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <random>
#include <string>
#include <vector>

#include "formats/text/text_decoding.h"

namespace lumibench {
namespace {

std::string FailureName(ReadFailure failure) {
    switch (failure) {
        case ReadFailure::None: return "none";
        case ReadFailure::EndOfText: return "eof";
        case ReadFailure::EmptyField: return "empty";
        case ReadFailure::NotANumber: return "nan";
        case ReadFailure::OutOfRange: return "range";
    }
    return "?";
}

template <class T>
std::string Describe(const std::optional<T>& value, const FieldReader& reader) {
    if (!value) {
        return "!" + FailureName(reader.lastFailure()) + "[" + std::string(reader.lastValue()) + "]";
    }
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, *value).ptr;
    return std::string(buffer, end) + "@" + std::to_string(reader.lastLine());
}

// Ops: f = field as Double, s = field as Single, i = field as Int16,
// l = field as Int32, r = rest of line as Double, n = rest of line as Int16,
// w = whole line, e = end-of-text test.
std::string Step(FieldReader& reader, char op) {
    switch (op) {
        case 'f': return Describe(reader.readDouble(), reader);
        case 's': return Describe(reader.readSingle(), reader);
        case 'i': return Describe(reader.readInt16(), reader);
        case 'l': return Describe(reader.readInt32(), reader);
        case 'r': return Describe(reader.readRestDouble(), reader);
        case 'n': return Describe(reader.readRestInt16(), reader);
        case 'w': {
            const auto line = reader.readLine();
            if (!line) return "!" + FailureName(reader.lastFailure());
            return "'" + std::string(*line) + "'@" + std::to_string(reader.lastLine());
        }
        case 'e': return reader.atEnd() ? "end" : "more";
    }
    return "bad op";
}

struct ReadCase {
    const char* name;
    std::string_view text;
    std::string ops;
    std::vector<std::string> expected;
};

TEST(FieldReader, ReadsAsTheFormatsExpect) {
    const std::vector<ReadCase> cases = {
        {"blanks and commas separate", "1 2,3 , 4\t5", "fffff",
         {"1@1", "2@1", "3@1", "4@1", "5@1"}},
        {"fields run over lines", "1\r\n\r\n  2\r\n", "ffe", {"1@1", "2@3", "end"}},
        {"last field takes its line end", "0.5 0.5\r\n0.1\r\n", "ffr", {"0.5@1", "0.5@1", "0.1@2"}},
        {"rest of the current line", "1 2 0.1  \r\n7", "ffrf", {"1@1", "2@1", "0.1@1", "7@2"}},
        {"rest with a second value fails", "1 0.1 7\r\n", "fr", {"1@1", "!nan[0.1 7]"}},
        {"rest of an empty line fails", "1\r\n\r\n2", "fr", {"1@1", "!nan[]"}},
        {"rest at the end of the text", "1\r\n", "fr", {"1@1", "!eof[1]"}},
        {"field at the end keeps the last value", "7  \r\n  ", "ff", {"7@1", "!eof[7]"}},
        {"not a number names the field", "12 abc", "ff", {"12@1", "!nan[abc]"}},
        {"empty field between commas", "1,,2", "fff", {"1@1", "!empty[]", "2@1"}},
        {"comma at the end of a line", "1,\r\n2\r\n", "fr", {"1@1", "2@2"}},
        {"decimal comma is two fields", "0,5", "ff", {"0@1", "5@1"}},
        {"quoted number is text", "\"12\"", "f", {"!nan[\"12\"]"}},
        {"sign, point and exponent forms", "+1 -.5 5. 1e2 2E-1", "fffff",
         {"1@1", "-0.5@1", "5@1", "100@1", "0.2@1"}},
        {"no inf, nan, hex or bare sign", "inf nan 0x1 - . 1e", "ffffff",
         {"!nan[inf]", "!nan[nan]", "!nan[0x1]", "!nan[-]", "!nan[.]", "!nan[1e]"}},
        {"16-bit rounds ties to even", "2.5 3.5 -2.5 32767.4", "iiii", {"2@1", "4@1", "-2@1", "32767@1"}},
        {"16-bit range", "32768 -32769 -32768", "iii", {"!range[32768]", "!range[-32769]", "-32768@1"}},
        {"32-bit range", "40000 2147483648", "ll", {"40000@1", "!range[2147483648]"}},
        {"single range", "1e39 3.4e38", "ss", {"!range[1e39]", "3.4e+38@1"}},
        {"rest as 16-bit", " 3 \r\n70000\r\n", "nn", {"3@1", "!range[70000]"}},
        {"whole lines keep blanks and lone LF", " a b \r\nc\nd\re", "www",
         {"' a b '@1", "'c\nd'@2", "'e'@4"}},
        {"lone CR ends a line", "1\r2", "rr", {"1@1", "2@2"}},
        {"lone LF separates fields", "1\n2\n3", "fff", {"1@1", "2@2", "3@3"}},
        {"whole line at the end", "x\r\n", "ww", {"'x'@1", "!eof"}},
        {"rest after a whole line", "hdr\r\n 4.5 \r\n", "wre", {"'hdr'@1", "4.5@2", "end"}},
    };
    for (const ReadCase& c : cases) {
        FieldReader reader(c.text);
        ASSERT_EQ(c.ops.size(), c.expected.size()) << c.name;
        for (std::size_t k = 0; k < c.ops.size(); ++k) {
            EXPECT_EQ(Step(reader, c.ops[k]), c.expected[k]) << c.name << ", step " << k;
        }
    }
}

// Plain decimals take a shortcut; it must give exactly what from_chars gives.
TEST(FieldReader, ConversionsMatchCorrectRounding) {
    std::mt19937_64 random(7);
    std::string text;
    std::vector<std::string> fields;
    for (int k = 0; k < 20000; ++k) {
        std::string field = (random() % 4 == 0) ? "-" : "";
        field += std::to_string(random() % 100000000);
        if (random() % 5 != 0) {
            field.insert(field.size() - std::min<std::size_t>(field.size() - (field[0] == '-'), random() % 9), ".");
        }
        fields.push_back(field);
        text += field + ((k % 10 == 9) ? "\r\n" : " ");
    }
    FieldReader doubles(text);
    FieldReader singles(text);
    for (const std::string& field : fields) {
        double expectedDouble = 0;
        float expectedSingle = 0;
        const char* first = field.data();
        std::from_chars(first, first + field.size(), expectedDouble);
        std::from_chars(first, first + field.size(), expectedSingle);
        ASSERT_EQ(doubles.readDouble(), expectedDouble) << field;
        ASSERT_EQ(singles.readSingle(), expectedSingle) << field;
        ASSERT_EQ(ParseDouble(field), expectedDouble) << field;
    }
}

// Long value lists are read a block of characters at a time; every run must
// end where reading field by field would stop, with the same values, the
// same position and the same lines. Texts mix plain values of every length
// with what the run must stop at, and every kind of separator.
TEST(FieldReader, PlainRunsReadAsFieldByField) {
    const std::vector<std::string> odd = {".", "..", "1.2.3", "1.2345.6", "-5", "+5", "1e5", "x", ",", ", ,", "12345678901234567", "0.000000000000001"};
    const std::vector<std::string> gaps = {" ", "  ", "\t", "\r\n", "\n", "\r", " \r\n ", ", ", " ,\r\n", "\r\n\r\n"};
    std::mt19937_64 random(11);
    auto plainNumber = [&] {
        std::string digits = std::to_string(random());
        digits.resize(1 + random() % 16);
        if (random() % 4 != 0) digits.insert(random() % (digits.size() + 1), ".");
        return digits;
    };
    auto isPlain = [](std::string_view text) {
        std::size_t digits = 0;
        std::size_t points = 0;
        for (const char c : text) {
            if (c == '.') {
                ++points;
            } else if (c >= '0' && c <= '9') {
                ++digits;
            } else {
                return false;
            }
        }
        return digits > 0 && digits <= 15 && points <= 1;
    };
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int k = 0; k < 400; ++k) {
            text += random() % 40 == 0 ? odd[random() % odd.size()] : plainNumber();
            text += random() % 6 == 0 ? gaps[random() % gaps.size()] : " ";
        }
        const double limit = round % 3 == 0 ? 5000.0 : 1e300;
        FieldReader run(text);
        FieldReader fieldByField(text);
        while (!run.atEnd()) {
            const std::size_t count = 1 + random() % 60;
            std::vector<double> values(count);
            const std::size_t taken = run.readPlainNumbers(values.data(), count, limit);
            std::size_t expected = 0;
            for (; expected < count; ++expected) {
                FieldReader probe = fieldByField;
                const std::optional<std::string_view> field = probe.readFieldText();
                if (!field || !isPlain(*field)) break;
                FieldReader next = fieldByField;
                double value = 0;
                ASSERT_TRUE(next.readNumber(value)) << *field;
                if (!(value <= limit)) break;
                ASSERT_LT(expected, taken) << "run stopped before " << *field << " at " << fieldByField.position();
                ASSERT_EQ(values[expected], value) << *field;
                fieldByField = next;
            }
            ASSERT_EQ(taken, expected) << "at " << fieldByField.position();
            ASSERT_EQ(run.position(), fieldByField.position());
            ASSERT_EQ(run.line(), fieldByField.line());
            ASSERT_EQ(run.lastLine(), fieldByField.lastLine());
            ASSERT_EQ(run.lastValue(), fieldByField.lastValue());
            // Past whatever stopped the run, on both.
            if (taken == 0) {
                run.readFieldText();
                fieldByField.readFieldText();
            }
        }
    }
}

TEST(FieldReader, PhysicalLinesCountEveryKindOfLineEnd) {
    const std::string_view text = "a\r\nb\nc\rd\r\n\r\ne";
    EXPECT_EQ(PhysicalLineAt(text, 0), 1);
    EXPECT_EQ(PhysicalLineAt(text, text.find('b')), 2);
    EXPECT_EQ(PhysicalLineAt(text, text.find('c')), 3);
    EXPECT_EQ(PhysicalLineAt(text, text.find('d')), 4);
    EXPECT_EQ(PhysicalLineAt(text, text.find('e')), 6);
    FieldReader reader(text);
    while (reader.readLine()) {
    }
    EXPECT_EQ(reader.line(), 6);
}

TEST(TextDecoding, Utf8StaysAndWindows1252IsConverted) {
    EXPECT_EQ(DecodeFileText("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFIESNA"), "IESNA");
    EXPECT_EQ(DecodeFileText("caf\xE9 \x80 \x81"), "caf\xC3\xA9 \xE2\x82\xAC \xC2\x81");
    // Overlong and surrogate forms are not UTF-8.
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
    EXPECT_FALSE(IsValidUtf8("abcdefgh\xE2\x82"));
    EXPECT_TRUE(IsValidUtf8("abcdefghij\xF0\x9F\x98\x80klmnop"));
}

TEST(TextDecoding, LimitsCountCharactersNotBytes) {
    const std::string text = "\xC3\xA9\xC3\xA9x";
    EXPECT_EQ(CharacterCount(text), 3U);
    EXPECT_EQ(FirstCharacters(text, 1), "\xC3\xA9");
    EXPECT_EQ(FirstCharacters(text, 2), "\xC3\xA9\xC3\xA9");
    EXPECT_EQ(FirstCharacters(text, 9), text);
    EXPECT_EQ(FirstCharacters(text, 0), "");
}

}  // namespace
}  // namespace lumibench
