#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>

#include "formats/ies/ies_reader.h"
#include "temp_folder.h"

namespace lumibench {
namespace {

using testing::ReadBytes;
using testing::TempFolder;

// What every record that loaded without a message must hold.
void ExpectConsistent(const PhotometricRecord& r, const std::string& name) {
    EXPECT_EQ(r.VertAngles.size(), static_cast<std::size_t>(r.VertAngleCount)) << name;
    EXPECT_EQ(r.HorAngles.size(), static_cast<std::size_t>(r.HorAngleCount)) << name;
    ASSERT_EQ(r.Candela.size(), r.HorAngles.size()) << name;
    for (const auto& row : r.Candela) EXPECT_EQ(row.size(), r.VertAngles.size()) << name;
    if (r.TiltIncl == kTrue) {
        EXPECT_EQ(r.TiltAngles.size(), static_cast<std::size_t>(r.TiltPairCount)) << name;
        EXPECT_EQ(r.TiltFactors.size(), static_cast<std::size_t>(r.TiltPairCount)) << name;
    }
}

// Loads a copy, so that a repaired copy never lands in the read-only corpus.
bool LoadCopy(const TempFolder& folder, const std::string& bytes, const std::string& name,
              PhotometricRecord& record) {
    std::string path = folder.write(name, bytes);
    WorkRecordTable work;
    SilentMessageSink sink;
    ReaderContext context{work, sink, {}};
    ReaderMessages message;
    LoadIesFile(path, message, false, context);
    EXPECT_EQ(work.size(), 1U) << name;
    if (!work.empty()) record = work.front();
    return message.empty();
}

TEST(IesCorpus, EveryFileLoadsWithoutACrash) {
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    if (corpus == nullptr || !std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus";
    TempFolder folder;
    int files = 0;
    int loaded = 0;
    for (const char* sub : {"ies", "malformed"}) {
        const std::filesystem::path root = std::filesystem::path(corpus) / sub;
        if (!std::filesystem::is_directory(root)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".ies" && extension != ".IES")) continue;
            ++files;
            PhotometricRecord record;
            const std::string name = entry.path().filename().string();
            if (LoadCopy(folder, ReadBytes(entry.path().string()), "copy" + extension, record)) {
                ++loaded;
                ExpectConsistent(record, name);
            }
        }
    }
    EXPECT_GT(files, 0);
    std::cout << loaded << " of " << files << " corpus IES files loaded without a message\n";
}

TEST(IesRobustness, TruncatedAndFlippedFilesNeverCrash) {
    const std::string sample =
        "IESNA:LM-63-2002\r\n[TEST] 1\r\n[LUMINAIRE] A\r\n[MORE] B\r\nTILT=INCLUDE\r\n1\r\n2\r\n0 90\r\n"
        "1 .5\r\n1 1000 1 3 2 1 1 0.5 0.5 0.1\r\n1 1 100\r\n0 45 90\r\n0 90\r\n500 400 300\r\n"
        "500 350 200\r\n";
    const std::string alphabet = "0123456789 .,-+\r\n\tE]|TILT=NONE\xE9";
    TempFolder folder;
    std::mt19937 random(20261207);
    const auto stop = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    int rounds = 0;
    while (rounds < 3000 && std::chrono::steady_clock::now() < stop) {
        std::string bytes = sample;
        if (random() % 3 == 0) bytes.resize(random() % bytes.size());
        const int flips = static_cast<int>(random() % 4);
        for (int k = 0; k < flips && !bytes.empty(); ++k) {
            bytes[random() % bytes.size()] = alphabet[random() % alphabet.size()];
        }
        PhotometricRecord record;
        if (LoadCopy(folder, bytes, "fuzz.ies", record)) ExpectConsistent(record, "round " + std::to_string(rounds));
        ++rounds;
    }
    EXPECT_GT(rounds, 0);
}

}  // namespace
}  // namespace lumibench
