// Files written at predictable names: never through a planted link, never
// half-written, an earlier file kept when writing fails, and no wider
// permissions than asked for.

#include "core/atomic_file.h"

#include "file_size_limit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace lumibench {
namespace {

namespace fs = std::filesystem;

struct Scratch {
    fs::path path;
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "lumibench-atomic-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

int FilesIn(const fs::path& folder) {
    return static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(WriteFileAtomically, WhatStandsAtTheNameBeforehand) {
    struct Row {
        const char* name;
        void (*plant)(const fs::path& target, const fs::path& victim);
        bool written;
        std::string victimAfter;  // the file a planted link pointed at
    };
    const Row rows[] = {
        {"nothing", [](const fs::path&, const fs::path&) {}, true, "secret"},
        {"an older copy", [](const fs::path& t, const fs::path&) { Put(t, "old"); }, true, "secret"},
        {"a link to another file",
         [](const fs::path& t, const fs::path& v) { fs::create_symlink(v, t); }, true, "secret"},
        {"a dangling link", [](const fs::path& t, const fs::path& v) { fs::create_symlink(v.string() + ".none", t); }, true,
         "secret"},
        {"a folder", [](const fs::path& t, const fs::path&) { fs::create_directory(t); }, false, "secret"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Scratch scratch;
        const fs::path target = scratch.path / "lum_Repaired.ies";
        const fs::path victim = scratch.path / "victim";
        Put(victim, "secret");
        row.plant(target, victim);
        const int before = FilesIn(scratch.path);
        std::error_code error;
        EXPECT_EQ(WriteFileAtomically(target.string(), "new bytes", error), row.written) << error.message();
        EXPECT_EQ(Bytes(victim), row.victimAfter);
        if (row.written) {
            EXPECT_FALSE(fs::is_symlink(target));
            EXPECT_EQ(Bytes(target), "new bytes");
        } else {
            EXPECT_TRUE(error);
        }
        // No working file stays behind, whatever happened.
        EXPECT_EQ(FilesIn(scratch.path), before + (row.written && before == 1 ? 1 : 0));
    }
}

TEST(WriteFileAtomically, ModeIsAtMostTheOneAskedFor) {
    const mode_t saved = ::umask(0);
    for (const unsigned mode : {0600U, 0640U, 0444U, 0644U}) {
        Scratch scratch;
        const fs::path target = scratch.path / "copy";
        std::error_code error;
        ASSERT_TRUE(WriteFileAtomically(target.string(), "x", error, mode));
        EXPECT_EQ(PermissionBitsOf(target.string()), mode);
        // Rewriting keeps the bits asked for, not those of the file replaced.
        ::chmod(target.c_str(), 0666);
        ASSERT_TRUE(WriteFileAtomically(target.string(), "y", error, mode));
        EXPECT_EQ(PermissionBitsOf(target.string()), mode);
    }
    ::umask(saved);
}

TEST(WriteFileAtomically, MissingFolderFailsWithoutLeavingAnything) {
    Scratch scratch;
    std::error_code error;
    EXPECT_FALSE(WriteFileAtomically((scratch.path / "no" / "file").string(), "x", error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(FilesIn(scratch.path), 0);
}

// Any name the file system takes can be written: the temporary name stays
// within NAME_MAX, and nothing named is left beside the file.
TEST(WriteFileAtomically, LongestNamesAndNewNamesLeaveNoTemporary) {
    for (const std::size_t length : {200U, 238U, 250U, 255U}) {
        SCOPED_TRACE(length);
        Scratch scratch;
        const fs::path target = scratch.path / std::string(length, 'n');
        std::error_code error;
        ASSERT_TRUE(WriteNewFileAtomically(target.string(), "first", error)) << error.message();
        EXPECT_FALSE(WriteNewFileAtomically(target.string(), "second", error));
        EXPECT_EQ(error, std::errc::file_exists);
        ASSERT_TRUE(WriteFileAtomically(target.string(), "third", error)) << error.message();
        EXPECT_EQ(Bytes(target), "third");
        EXPECT_EQ(FilesIn(scratch.path), 1);
    }
}

// Under a file-size limit the write fails with "File too large" (the signal
// that would end the program is ignored by the writer itself), the earlier
// file stays and no temporary is left.
TEST(WriteFileAtomically, FileSizeLimitFailsCleanly) {
    Scratch scratch;
    const fs::path target = scratch.path / "big.ies";
    Put(target, "old");
    std::error_code error;
    {
        testing::FileSizeLimit limit(1024);
        EXPECT_FALSE(WriteFileAtomically(target.string(), std::string(4096, 'x'), error));
    }
    EXPECT_EQ(error.message(), "File too large");
    EXPECT_EQ(Bytes(target), "old");
    EXPECT_EQ(FilesIn(scratch.path), 1);
}

}  // namespace
}  // namespace lumibench
