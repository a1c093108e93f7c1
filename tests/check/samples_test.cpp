// Every bundled sample loads through the reader its extension picks.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/path_text.h"
#include "file_check.h"
#include "photometry/photometry.h"
#include "formats/load_dispatch.h"
#include "test_files.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

// The one sample whose line ends are LF alone, on purpose.
constexpr const char* kBadlyDelimited = "downlight_lf_line_ends.ies";

std::vector<std::string> SampleNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(testing::SamplesFolder())) {
        const std::string name = entry.path().filename().string();
        if (name.front() != '.') names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class SampleFile : public ::testing::TestWithParam<std::string> {};

TEST_P(SampleFile, LoadsWithEmptyMessage) {
    const std::string name = GetParam();
    if (!ReaderForExtension(SplitPath(name).extension)) {
        GTEST_SKIP() << "no reader takes " << name << " yet";
    }
    TempFolder folder;
    const std::string copy = folder.copy(testing::SamplesFolder() / name).string();
    const std::string bytes = testing::ReadBytes(copy);
    const bool badlyDelimited = name == kBadlyDelimited;

    // The samples must keep their line ends through checkouts and edits.
    const auto lf = std::count(bytes.begin(), bytes.end(), '\n');
    const auto crlf = [&] {
        long n = 0;
        for (std::size_t i = 1; i < bytes.size(); ++i) n += bytes[i] == '\n' && bytes[i - 1] == '\r';
        return n;
    }();
    EXPECT_EQ(crlf, badlyDelimited ? 0 : lf);

    FileCheckResult result = CheckFile(copy, /*repair=*/true, (folder.path() / "data").string());
    EXPECT_EQ(result.messages.text(), "");
    EXPECT_GT(result.record.VertAngleCount, 0);
    EXPECT_GT(result.record.MaxCandela, 0.0);
    if (badlyDelimited) {
        EXPECT_EQ(result.path, (folder.path() / "downlight_lf_line_ends_Repaired.ies").string());
        EXPECT_EQ(result.announcements.size(), 1u);
        EXPECT_EQ(testing::ReadBytes(copy), bytes) << "the file given is never changed";
    } else {
        EXPECT_EQ(result.path, copy);
        EXPECT_TRUE(result.announcements.empty());
    }
}

// A new user's first files must be physically possible: relative photometry
// never emits more than its lamps.
TEST_P(SampleFile, EmitsNoMoreThanItsLamps) {
    const std::string name = GetParam();
    if (!ReaderForExtension(SplitPath(name).extension)) GTEST_SKIP() << "no reader takes " << name << " yet";
    TempFolder folder;
    const std::string copy = folder.copy(testing::SamplesFolder() / name).string();
    const FileCheckResult result = CheckFile(copy, /*repair=*/true, (folder.path() / "data").string());
    ASSERT_EQ(result.messages.text(), "");
    const photometry::Summary summary = photometry::Summarise(result.record);
    EXPECT_GT(summary.luminaireFluxLm, 0);
    if (!summary.lorPercent) {
        EXPECT_EQ(result.record.LumensPerLamp, -1) << "only absolute photometry has no LOR";
        return;
    }
    EXPECT_LE(*summary.lorPercent, 100);
    EXPECT_GT(*summary.lorPercent, 10) << "a sample that loses most of its light reads as a broken file";
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleFile, ::testing::ValuesIn(SampleNames()),
                         [](const auto& param) {
                             std::string id = param.param;
                             for (char& c : id) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return id;
                         });

}  // namespace
}  // namespace lumibench
