#include "core/path_text.h"

#include <gtest/gtest.h>

namespace lumibench {
namespace {

TEST(PathText, SplitsFolderBaseAndExtension) {
    struct Row { const char* path; const char* folder; const char* base; const char* ext; };
    const Row rows[] = {
        {"/data/lum.ies", "/data/", "lum", ".ies"},
        {"lum.IES", "", "lum", ".IES"},
        {"/data/a.b.ldt", "/data/", "a.b", ".ldt"},
        {"/data.v2/noext", "/data.v2/", "noext", ""},
        {"/data/win\\name.ies", "/data/", "win\\name", ".ies"},
        {"", "", "", ""},
        {"/", "/", "", ""},
    };
    for (const Row& row : rows) {
        const PathParts parts = SplitPath(row.path);
        EXPECT_EQ(parts.folder, row.folder) << row.path;
        EXPECT_EQ(parts.baseName, row.base) << row.path;
        EXPECT_EQ(parts.extension, row.ext) << row.path;
    }
    EXPECT_EQ(FileNameOf("/a/b/Lum.Ies"), "Lum.Ies");
    EXPECT_EQ(UpperAscii("lum_é.ies"), "LUM_é.IES");
}

}  // namespace
}  // namespace lumibench
