// What one run may write: never a file it reads, by whatever name it is
// reached, never a file it wrote earlier, an existing file only when asked.

#include "core/run_outputs.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace lumibench {
namespace {

namespace fs = std::filesystem;

class RunOutputsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "lumibench-outputs-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        std::ofstream(folder_ / "street.ies") << "input";
        std::ofstream(folder_ / "other.pdf") << "kept";
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string at(const char* name) const { return (folder_ / name).string(); }
    fs::path folder_;
};

TEST_F(RunOutputsTest, InputsAreKnownByFileNotBySpelling) {
    fs::create_hard_link(folder_ / "street.ies", folder_ / "hard.ies");
    fs::create_symlink(folder_ / "street.ies", folder_ / "soft.ies");
    fs::create_directory(folder_ / "sub");
    RunOutputs outputs(true);
    outputs.addInput(at("street.ies"));
    outputs.addInput(at("missing.ies"));  // nothing to protect
    for (const char* spelling : {"street.ies", "hard.ies", "soft.ies", "sub/../street.ies", "./street.ies"}) {
        EXPECT_EQ(outputs.refusal(at(spelling)), kTargetIsInput) << spelling;
    }
    EXPECT_EQ(outputs.refusal(at("other.pdf")), "");   // replaceExisting
    EXPECT_EQ(outputs.refusal(at("missing.ies")), "");
}

TEST_F(RunOutputsTest, EarlierOutputsAndExistingFiles) {
    RunOutputs careful(false);
    careful.addInput(at("street.ies"));
    EXPECT_EQ(careful.refusal(at("other.pdf")), kTargetExists);
    EXPECT_EQ(careful.conflict(at("other.pdf")), "");  // renewable copies need no --force
    EXPECT_EQ(careful.refusal(at("new.pdf")), "");

    RunOutputs forced(true);
    std::ofstream(folder_ / "new.pdf") << "first";
    forced.addOutput(at("new.pdf"), "a.ies");
    EXPECT_EQ(forced.refusal(at("new.pdf")), "it was written from a.ies in this run");
    EXPECT_EQ(forced.conflict(at("new.pdf")), "it was written from a.ies in this run");
}

}  // namespace
}  // namespace lumibench
