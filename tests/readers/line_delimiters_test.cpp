#include "formats/text/line_delimiters.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using namespace std::string_view_literals;

TEST(ReadFileText, LinesEndAtCrLfOrLoneCr) {
    struct Case {
        const char* name;
        std::string_view bytes;
        std::string whole;
        std::string fromTilt;
    };
    const Case cases[] = {
        {"CR LF lines", "a\r\nTILT=NONE\r\n1\r\n", "a\r\nTILT=NONE\r\n1\r\n", "TILT=NONE\r\n1\r\n"},
        {"no TILT line", "a\r\nb", "a\r\nb\r\n", ""},
        {"TILT line last, no end", "a\r\nTILT=NONE", "a\r\nTILT=NONE\r\n", "TILT=NONE\r\n"},
        {"TILT= inside a line", "x TILT=y\r\nz\r\n", "x TILT=y\r\nz\r\n", "x TILT=y\r\nz\r\n"},
        {"LF only is one line", "a\nTILT=NONE\n1\n", "a\nTILT=NONE\n1\n\r\n", "a\nTILT=NONE\n1\n\r\n"},
        {"lone CR ends a line", "a\rTILT=NONE\r1", "a\r\nTILT=NONE\r\n1\r\n", "TILT=NONE\r\n1\r\n"},
        {"case-sensitive", "tilt=NONE\r\n", "tilt=NONE\r\n", ""},
        {"empty file", "", "", ""},
        {"blank lines kept", "\r\n\r\nTILT=\r\n", "\r\n\r\nTILT=\r\n", "TILT=\r\n"},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string file = folder.write("f.ies", c.bytes);
        EXPECT_EQ(ReadFileText(file, false), c.whole) << c.name;
        EXPECT_EQ(ReadFileText(file, true), c.fromTilt) << c.name;
    }
    EXPECT_EQ(ReadFileText(folder.path("missing.ies"), true), " ");
}

TEST(CheckLineDelimiters, RepairsBadLineEndsIntoACopy) {
    struct Case {
        const char* name;
        std::string_view bytes;
        bool repaired;
        std::string copy;  // expected copy bytes when repaired
    };
    const Case cases[] = {
        {"sound file", "a\r\nb\r\n", false, ""},
        {"first end sound, later LF", "a\r\nb\nc\n", false, ""},
        {"no line end at all", "abc", false, ""},
        {"empty file", "", false, ""},
        {"LF only", "a\nb\n", true, "a\r\nb\r\n\r\n"},
        {"lone CR at the end", "a\r", true, "a\r\n\r\n"},
        {"CR then a character", "a\rb\r\nc", true, "a\r\nb\r\nc\r\n"},
        {"CR CR LF is one line end", "a\r\r\nb\r\r\n", true, "a\r\nb\r\n\r\n"},
        {"CR CR then a character", "a\r\rb", true, "a\r\n\r\nb\r\n"},
        {"bytes other than CR and LF unchanged", "\xE9\x00\xFF\n\t|\n"sv, true,
         std::string("\xE9\x00\xFF\r\n\t|\r\n\r\n"sv)},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string file = folder.write("lum.ies", std::string(c.bytes.data(), c.bytes.size()));
        RecordingMessageSink sink;
        std::string path = file;
        std::string message = "untouched";
        EXPECT_TRUE(CheckLineDelimiters(path, message, false, sink)) << c.name;
        EXPECT_EQ(message, "untouched") << c.name;
        if (!c.repaired) {
            EXPECT_EQ(path, file) << c.name;
            EXPECT_TRUE(sink.shown.empty()) << c.name;
            EXPECT_FALSE(std::filesystem::exists(folder.path("lum_Repaired.ies"))) << c.name;
            continue;
        }
        EXPECT_EQ(path, folder.path("lum_Repaired.ies")) << c.name;
        EXPECT_EQ(ReadBytes(path), c.copy) << c.name;
        EXPECT_EQ(ReadBytes(file), std::string(c.bytes.data(), c.bytes.size())) << c.name;
        std::filesystem::remove(path);
    }
}

TEST(CheckLineDelimiters, AnnouncesTheRepairWithBothPaths) {
    TempFolder folder;
    const std::string file = folder.write("lum.ies", "a\nb");
    RecordingMessageSink sink;
    std::string path = file;
    std::string message;
    ASSERT_TRUE(CheckLineDelimiters(path, message, false, sink));
    ASSERT_EQ(sink.shown.size(), 1U);
    const MessageRequest& shown = sink.shown[0];
    EXPECT_EQ(shown.title, kApplicationTitle);
    EXPECT_EQ(shown.icon, MessageIcon::Exclamation);
    EXPECT_EQ(shown.buttons, MessageButtons::Ok);
    EXPECT_EQ(shown.text,
              "This file is not formatted correctly; all lines must end with a Carriage Return and "
              "Line Feed (CR+LF):\r" + file + "\r\rThis file has been automagically repaired and saved as: \r" +
                  folder.path("lum_Repaired.ies") +
                  "\r\rYou may want to contact the supplier of the file and inform them of this problem. "
                  "Thank you!");

    // A second run writes the copy again under the same name.
    folder.write("lum_Repaired.ies", "stale");
    path = file;
    ASSERT_TRUE(CheckLineDelimiters(path, message, false, sink));
    EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n");
}

TEST(CheckLineDelimiters, RefusesWhenRepairIsNotAllowedOrImpossible) {
    const std::string badEnds =
        "File does not contain proper delimiter (carriage return + line feed). Opening and saving "
        "the file using Lumibench may correct the problem.";
    TempFolder folder;
    RecordingMessageSink sink;
    std::string message;

    std::string path = folder.write("lum.ies", "a\nb\n");
    EXPECT_FALSE(CheckLineDelimiters(path, message, true, sink));
    EXPECT_EQ(message, badEnds);
    EXPECT_EQ(path, folder.path("lum.ies"));
    EXPECT_FALSE(std::filesystem::exists(folder.path("lum_Repaired.ies")));

    path = folder.path("missing.ies");
    EXPECT_FALSE(CheckLineDelimiters(path, message, true, sink));
    EXPECT_EQ(message, badEnds);
    EXPECT_FALSE(CheckLineDelimiters(path, message, false, sink));
    EXPECT_EQ(message, "Unable to repair (add delimiters) and save file: No such file or directory");
    EXPECT_EQ(path, folder.path("missing.ies"));

    // The copy cannot be written where a folder of its name stands.
    std::filesystem::create_directory(folder.path("dir_Repaired.ies"));
    path = folder.write("dir.ies", "a\nb\n");
    EXPECT_FALSE(CheckLineDelimiters(path, message, false, sink));
    EXPECT_EQ(message, "Unable to repair (add delimiters) and save file: Is a directory");
    EXPECT_EQ(path, folder.path("dir.ies"));
    EXPECT_TRUE(sink.shown.empty());
}

TEST(RepairedCopyPath, InsertsTheSuffixBeforeTheExtension) {
    EXPECT_EQ(RepairedCopyPath("/data/lum.ies"), "/data/lum_Repaired.ies");
    EXPECT_EQ(RepairedCopyPath("/data/a.b.LDT"), "/data/a.b_Repaired.LDT");
    EXPECT_EQ(RepairedCopyPath("/da.ta/noext"), "/da.ta/noext_Repaired");
    EXPECT_EQ(RepairedCopyPath("rel.cib"), "rel_Repaired.cib");
}

}  // namespace
}  // namespace lumibench
