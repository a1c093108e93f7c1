// The fix-up assistant over crafted files of each kind it mends: the copy
// loads under the unchanged rules, the original is untouched, and files that
// are ambiguous or beyond the stated bounds are left alone.

#include "formats/fixups.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "formats/checked_load.h"
#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::TempFolder;

std::string IesFile(const std::string& counts, const std::string& angles, const std::string& candela,
                    const std::string& lampAndBallast = "") {
    const std::string lamp = "1 1000 1 " + counts + " 2 0.5 0.5 0.1\r\n1 1 100\r\n";
    return "[TEST] T1\r\nTILT=NONE\r\n" + (lampAndBallast.empty() ? lamp : lampAndBallast) + angles + candela;
}

// EULUMDAT with Isym 0 and the given C angles, gamma angles and one line per plane.
std::string LdtFile(int planes, const std::string& cAngles, int gammas, const std::string& gammaList,
                    const std::vector<std::string>& rows) {
    std::string out = "Maker\r\n1\r\n0\r\n" + std::to_string(planes) + "\r\n90\r\n" + std::to_string(gammas) +
                      "\r\n10\r\nR\r\nL\r\nN\r\nf.ldt\r\nd\r\n600\r\n200\r\n80\r\n300\r\n100\r\n10\r\n11\r\n12\r\n13\r\n100\r\n85\r\n1.0\r\n0\r\n"
                      "1\r\n1\r\nLED\r\n1000\r\n830\r\n1B\r\n12.5\r\n.1 .2 .3 .4 .5 .6 .7 .8 .9 1\r\n" +
                      cAngles + "\r\n" + gammaList + "\r\n";
    for (const std::string& row : rows) out += row + "\r\n";
    return out;
}

TEST(Fixups, EachKindGivesACopyThatLoads) {
    struct Row {
        const char* name;
        const char* file;
        std::string bytes;
        std::vector<std::string> expectChanges;  // "line: description" of some changes made
    };
    const std::string twoPlanes = "0 45 90\r\n0 90 180 270 360\r\n";
    const std::string fivePlanes = "100 50 0\r\n100 50 0\r\n100 50 0\r\n100 50 0\r\n100 50 0\r\n";
    const Row rows[] = {
        {"exponent numbers", "e.ies", IesFile("3 5 1", twoPlanes, "1.0E+02 5E+01 0\r\n100 50 0\r\n100 50 0\r\n100 5.0E-01 0\r\n100 50 0\r\n"),
         {"7: 1.0E+02 written as 100", "7: 5E+01 written as 50", "10: 5.0E-01 written as 0.5"}},
        {"candela rows running across planes", "r.ies", IesFile("3 5 1", twoPlanes, "100 50 0 100 50 0 100 50\r\n0 100 50 0\r\n100 50 0\r\n"),
         {"7: line break inserted after the last candela value of horizontal angle 0",
          "7: line break inserted after the last candela value of horizontal angle 90",
          "8: line break inserted after the last candela value of horizontal angle 180"}},
        {"lamp and ballast values on one line", "l.ies",
         IesFile("", twoPlanes, fivePlanes, "1 1000 1 3 5 1 1 0.5 0.5 0.1 1 1 100\r\n"),
         {"3: line break inserted after the tenth value of the lamp line (height)"}},
        {"circle short of 360", "c.ies", IesFile("3 4 1", "0 45 90\r\n0 90 180 270\r\n", "100 50 0\r\n100 40 0\r\n100 30 0\r\n100 20 0\r\n"),
         {"3: number of horizontal angles 4 becomes 5", "6: horizontal angle 360 added after 270",
          "10: candela values of the 360 plane added after this line, equal to the 0 plane"}},
        {"nadir noise below the bound", "n.ies", IesFile("3 5 1", twoPlanes, "100 50 0\r\n104.9 50 0\r\n100 50 0\r\n100 50 0\r\n100 50 0\r\n"),
         {"7: nadir values of the 5 planes set to their mean 100.98 (spread 4.9, 4.85 % of the mean)",
          "8: nadir value 104.9 set to 100.98"}},
        {"EULUMDAT gamma angles ending at 140", "g.ldt",
         LdtFile(4, "0 90 180 270", 15, "0 10 20 30 40 50 60 70 80 90 100 110 120 130 140",
                 {"100 90 80 70 60 50 40 30 20 10 5 3 2 1 0.5", "100 90 80 70 60 50 40 30 20 10 5 3 2 1 0.5",
                  "100 90 80 70 60 50 40 30 20 10 5 3 2 1 0.5", "100 90 80 70 60 50 40 30 20 10 5 3 2 1 0.5"}),
         {"6: number of gamma angles 15 becomes 19", "35: gamma angles up to 180 added after 140",
          "36: 4 zero intensities added after this line for C-plane 1",
          "39: 4 zero intensities added after this line for C-plane 4"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        const std::string file = folder.write(row.file, row.bytes);
        ASSERT_FALSE(CheckFile(file, false, folder.path("data")).ok()) << "the crafted file must be refused";
        const FixupOutcome outcome = PlanFileFixups(file);
        ASSERT_TRUE(outcome.possible) << outcome.reason;
        std::vector<std::string> changes;
        for (const FixupEdit& edit : outcome.changes) changes.push_back(std::to_string(edit.line) + ": " + edit.description);
        for (const std::string& expected : row.expectChanges) {
            EXPECT_NE(std::find(changes.begin(), changes.end(), expected), changes.end())
                << expected << "\nmade:\n" << ::testing::PrintToString(changes);
        }
        std::string error;
        const std::string copy = WriteFixedCopy(file, outcome, folder.path("data"), error);
        ASSERT_FALSE(copy.empty()) << error;
        const FileCheckResult loaded = CheckFile(copy, false, folder.path("data"));
        EXPECT_TRUE(loaded.ok()) << loaded.messages.text();
        EXPECT_EQ(testing::ReadBytes(file), row.bytes);
    }
}

TEST(Fixups, AmbiguousOrOutOfBoundFilesAreLeftAlone) {
    struct Row {
        const char* name;
        const char* file;
        std::string bytes;
        std::string reasonStart;
    };
    const std::string twoPlanes = "0 45 90\r\n0 90 180 270 360\r\n";
    const Row rows[] = {
        {"one candela value missing", "m.ies", IesFile("3 5 1", twoPlanes, "100 50 0 100 50 0 100 50 0 100 50 0 100 50\r\n"),
         "The file holds 35 values after its TILT line where its counts call for 36"},
        {"a word among the values", "w.ies", IesFile("3 5 1", twoPlanes, "100 50 0\r\nn/a 50 0\r\n100 50 0\r\n100 50 0\r\n100 50 0\r\n"),
         "Line 8 holds \"n/a\", which is not a number"},
        {"nadir spread at the bound", "n.ies", IesFile("3 5 1", twoPlanes, "100 50 0\r\n105.1 50 0\r\n100 50 0\r\n100 50 0\r\n100 50 0\r\n"),
         "Nadir candela values spread over 5.1, 5.05 % of their mean"},
        {"last gap wider than the others", "c.ies", IesFile("3 4 1", "0 45 90\r\n0 90 180 200\r\n", "100 50 0\r\n100 40 0\r\n100 30 0\r\n100 20 0\r\n"),
         "No fix-up applies to this file"},
        {"negative candela", "x.ies", IesFile("3 5 1", twoPlanes, "100 50 0\r\n100 -5 0\r\n100 50 0\r\n100 50 0\r\n100 50 0\r\n"),
         "No fix-up applies to this file"},
        {"EULUMDAT row at 140 too bright", "g.ldt",
         LdtFile(1, "0", 15, "0 10 20 30 40 50 60 70 80 90 100 110 120 130 140", {"100 90 80 70 60 50 40 30 20 10 5 3 2 1.5 1.1"}),
         "The intensity at gamma 140 reaches 1.1 cd/klm, more than 1.00 % of the peak"},
        {"TM14 file", "t.cib", "CIBSE/1\r\n", "No fix-up is known for files of this kind."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        const std::string file = folder.write(row.file, row.bytes);
        const FixupOutcome outcome = PlanFileFixups(file);
        EXPECT_FALSE(outcome.possible);
        EXPECT_TRUE(outcome.reason.starts_with(row.reasonStart)) << outcome.reason;
        std::string error;
        EXPECT_TRUE(WriteFixedCopy(file, outcome, folder.path("data"), error).empty());
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path("")), std::filesystem::directory_iterator()), 1);
    }
}

}  // namespace
}  // namespace lumibench
