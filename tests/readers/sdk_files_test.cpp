// Tools load files through the SDK exactly as the host and the checker do.

#include "sdk/photometric_files.h"

#include <gtest/gtest.h>

#include <string>

#include "formats/checked_load.h"
#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::TempFolder;

const std::string kFile = "TILT=NONE\r\n1 1000 1 3 1 1 2 0.5 0.5 0.1\r\n1 1 100\r\n0 45 90\r\n0\r\n";

TEST(SdkPhotometricFiles, LoadsAsTheCheckerDoes) {
    struct Row {
        const char* name;
        std::string file;
        std::string bytes;
        bool repair;
    };
    const Row rows[] = {
        {"sound", "a.ies", kFile + "500 400 300\r\n", true},
        {"refused", "b.ies", kFile + "500 -1 300\r\n", true},
        {"LF only, repaired", "c.ies", "TILT=NONE\n1 1000 1 3 1 1 2 0.5 0.5 0.1\n1 1 100\n0 45 90\n0\n1 2 3\n", true},
        {"LF only, not repaired", "d.ies", "TILT=NONE\n1 1000 1 3 1 1 2 0.5 0.5 0.1\n1 1 100\n0 45 90\n0\n1 2 3\n", false},
        {"no reader", "e.txt", "x", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        const std::string path = folder.write(row.file, row.bytes);
        const FileLoadResult sdk = LoadPhotometricFile(path, {row.repair});
        const FileCheckResult check = CheckFile(path, row.repair, folder.path("data"));
        EXPECT_EQ(sdk.ok, check.ok());
        EXPECT_EQ(sdk.skipped, check.skipped);
        EXPECT_EQ(sdk.path, check.path);
        EXPECT_EQ(sdk.message, check.messages.text());
        ASSERT_EQ(sdk.messages.size(), check.messages.located().size());
        for (std::size_t i = 0; i < sdk.messages.size(); ++i) {
            EXPECT_EQ(sdk.messages[i].text, check.messages.located()[i].text);
            EXPECT_EQ(sdk.messages[i].line, check.messages.located()[i].line);
        }
        EXPECT_EQ(sdk.record, check.record);
    }
    EXPECT_EQ(PhotometricFileExtensions(),
              (std::vector<std::string>{".ies", ".exl", ".ldt", ".cib", ".tml", ".c1s", ".cc", ".gldf", ".xml", ".json"}));
}

TEST(SdkPhotometricFiles, FixupsArePlannedWithoutWritingThenApplied) {
    TempFolder folder;
    const std::string path = folder.write("run.ies", kFile + "5.0E+02 400 300\r\n");
    const FixupPlan plan = PlanFixups(path);
    ASSERT_TRUE(plan.possible) << plan.reason;
    ASSERT_EQ(plan.changes.size(), 1u);
    EXPECT_EQ(plan.changes[0].line, 6);
    EXPECT_EQ(plan.changes[0].description, "5.0E+02 written as 500");
    EXPECT_FALSE(std::filesystem::exists(folder.path("run_Repaired.ies")));

    const FileLoadResult fixed = ApplyFixups(path);
    EXPECT_TRUE(fixed.ok) << fixed.message;
    EXPECT_EQ(fixed.path, folder.path("run_Repaired.ies"));
    EXPECT_EQ(fixed.record.MaxCandela, 500);

    const std::string alone = folder.write("alone.ies", kFile + "500 400\r\n");
    EXPECT_FALSE(PlanFixups(alone).possible);
    const FileLoadResult refused = ApplyFixups(alone);
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.message.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.path("alone_Repaired.ies")));
}

}  // namespace
}  // namespace lumibench
