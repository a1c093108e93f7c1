// Faults of the readers met with real files in real folders, one row each:
// what a file holds, and what loading it gives.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "formats/checked_load.h"
#include "formats/file_gate.h"
#include "formats/text/line_delimiters.h"
#include "temp_folder.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

constexpr std::string_view kExponential =
    "File contains exponential data which is not allowed (for example: 3.14E-02). You will have to "
    "manually edit this file and replaced all exponential numbers with real numbers (for example: "
    "3.14E-02 = 0.0314).\r\n";
const std::string kReadFailure =
    "Premature end of file. Check file format, data may not be delimited properly (Last value read - ";

// A small sound IES file; `header` goes before the TILT line, `candela` is its one row.
std::string Ies(const std::string& header, const std::string& candela, const std::string& multiplier = "1",
                const std::string& end = "\r\n") {
    std::string text = header + "TILT=NONE\r\n1 1000 " + multiplier + " 3 1 1 1 0.5 0.5 0.1\r\n1 1 100\r\n0 45 90\r\n0\r\n" +
                       candela + "\r\n";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            out += end;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

TEST(ReaderMends, WhatAFileHoldsAndWhatLoadingItGives) {
    struct Row {
        const char* name;
        std::string bytes;
        std::string message;  // empty: the file loads
        bool repaired;
    };
    const Row rows[] = {
        // Header text is not examined for exponents, whatever the line ends.
        {"LF-only file with E- in a header name", Ies("[LUMCAT] 3LHE-U ABSOLUTE-LED\r\n", "500 400 300", "1", "\n"), "", true},
        {"CR-only file with E+ in a header name", Ies("[TEST] CIE-117 E+\r\n", "500 400 300", "1", "\r"), "", true},
        {"CR LF file with E- in a header name", Ies("[TEST] ABSOLUTE-LED\r\n", "500 400 300"), "", false},
        {"LF-only file with an exponent in its values", Ies("", "5.0E+02 400 300", "1", "\n"), std::string(kExponential), false},
        {"CR LF file with an exponent in its values", Ies("", "500 4.0E+02 300"), std::string(kExponential), false},
        // A CR LF file written once more in text mode.
        {"CR CR LF line ends", Ies("[TEST] x\r\n", "500 400 300", "1", "\r\r\n"), "", true},
        // Beyond single precision, alone or with the multiplier.
        {"largest double as candela", Ies("", "1.7976931348623157e308 400 300"), kReadFailure + "1.7976931348623157e308).\r\n", false},
        {"just beyond single precision", Ies("", "3.5e38 400 300"), kReadFailure + "3.5e38).\r\n", false},
        {"just within single precision", Ies("", "3.4e38 400 300"), "", false},
        {"within, but not times the multiplier", Ies("", "3.4e38 400 300", "2"), kReadFailure + "3.4e38).\r\n", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        const std::string file = folder.write("lum.ies", row.bytes);
        const FileCheckResult result = CheckFile(file, true, folder.path("data"));
        EXPECT_EQ(result.messages.text(), row.message);
        EXPECT_EQ(result.path != file, row.repaired) << result.path;
    }
}

TEST(ReaderMends, WhatIsNotARegularFileIsRefusedBeforeReading) {
    TempFolder folder;
    const std::string fifo = folder.path("pipe.ies");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = folder.path("huge.ldt");
    fs::create_directory(folder.path("folder.cib"));
    fs::create_symlink("/dev/zero", folder.path("zero.ies"));
    {
        // A sparse file: no real bytes on disk.
        const std::string name = folder.write("huge.ldt", "");
        ASSERT_EQ(::truncate(name.c_str(), static_cast<off_t>(kMaxPhotometricFileBytes) + 1), 0);
    }
    const std::string limit = folder.write("limit.ies", "");
    ASSERT_EQ(::truncate(limit.c_str(), static_cast<off_t>(kMaxPhotometricFileBytes)), 0);
    struct Row {
        std::string file;
        std::string message;
    };
    const Row rows[] = {
        {fifo, std::string(kNotARegularFile) + "\r\n"},
        {folder.path("zero.ies"), std::string(kNotARegularFile) + "\r\n"},
        {folder.path("folder.cib"), std::string(kNotARegularFile) + "\r\n"},
        {big, std::string(kFileTooLarge) + "\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        for (const bool repair : {false, true}) {
            const FileCheckResult result = CheckFile(row.file, repair, folder.path("data"));
            EXPECT_EQ(result.messages.text(), row.message);
        }
    }
    // At the limit the file is read (and refused for what it holds, not its size).
    EXPECT_EQ(RefusalBeforeReading(limit), "");
}

TEST(ReaderMends, RepairedCopyKeepsAnEarlierOneWhenWritingFailsAndNeverWidensTheMode) {
    TempFolder folder;
    const std::string file = folder.write("lum.ies", Ies("", "500 400 300", "1", "\n"));
    ::chmod(file.c_str(), 0640);
    const mode_t saved = ::umask(0);
    FileCheckResult result = CheckFile(file, true, folder.path("data"));
    ::umask(saved);
    ASSERT_TRUE(result.ok()) << result.messages.text();
    EXPECT_EQ(result.path, folder.path("lum_Repaired.ies"));
    struct stat info {};
    ASSERT_EQ(::stat(result.path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640U);

    // A copy that cannot be written (a folder took its name) leaves the user's
    // files as they were and reports why.
    const std::string copy = result.path;
    fs::remove(copy);
    fs::create_directory(copy);
    result = CheckFile(file, true, folder.path("data"));
    EXPECT_EQ(result.messages.text(), "Unable to repair (add delimiters) and save file: Is a directory\r\n");
    EXPECT_TRUE(fs::is_directory(copy));
}

TEST(ReaderMends, AFolderThatGrantsNoWritesGetsNoCopyWhoeverRuns) {
    TempFolder folder;
    fs::create_directory(folder.path("catalogue"));
    const std::string file = folder.write("catalogue/lum.ies", Ies("", "500 400 300", "1", "\n"));
    ::chmod(folder.path("catalogue").c_str(), 0555);
    const FileCheckResult result = CheckFile(file, true, folder.path("data"));
    ::chmod(folder.path("catalogue").c_str(), 0755);
    EXPECT_TRUE(result.ok()) << result.messages.text();
    EXPECT_TRUE(result.path.starts_with(folder.path("data/Repaired/catalogue-"))) << result.path;
    EXPECT_FALSE(fs::exists(folder.path("catalogue/lum_Repaired.ies")));
}

TEST(ReaderMends, CopiesOfFilesInClosedFoldersHaveOneFolderPerSource) {
    const fs::path data = "/home/u/.local/share/Lumibench";
    const std::string a = RepairedCopyFolderFor("/mnt/cat-a/lum.ies", data);
    const std::string b = RepairedCopyFolderFor("/mnt/cat-b/lum.ies", data);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, RepairedCopyFolderFor("/mnt/cat-a/other.ldt", data));
    EXPECT_EQ(a, RepairedCopyFolderFor("/mnt//cat-a/./lum.ies", data));
    EXPECT_TRUE(a.starts_with("/home/u/.local/share/Lumibench/Repaired/cat-a-")) << a;
}

}  // namespace
}  // namespace lumibench
