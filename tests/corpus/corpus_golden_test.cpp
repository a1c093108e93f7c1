// Every corpus file that a reader takes goes through the dispatch; each outcome
// is pinned, one line per file, in corpus_outcomes.txt beside this source.
//
// A change in any reader's behaviour shows up here as a diff of that file.
// After a deliberate change, run scripts/regen-golden (this test with
// LUMIBENCH_UPDATE_GOLDEN=1) and review the diff before committing it.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/path_text.h"
#include "file_check.h"
#include "readers/load_dispatch.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

fs::path GoldenPath() {
    const std::string source = Env("LUMIBENCH_SOURCE_DIR");
    return fs::path(source.empty() ? LUMIBENCH_SOURCE_DIR : source) / "tests" / "corpus" /
           "corpus_outcomes.txt";
}

template <typename T>
std::string Shortest(T value) {
    char buffer[64];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

// One line of text whatever the message holds.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Outcome(const FileCheckResult& result, bool repaired) {
    std::string line = repaired ? "repaired " : "";
    if (!result.ok()) return line + "FAIL " + Escaped(result.messages.text());
    const PhotometricRecord& r = result.record;
    double sum = 0;
    for (const auto& row : r.Candela) {
        for (double value : row) sum += value;
    }
    return line + "OK type=" + std::to_string(r.PhotometricType) +
           " lamps=" + std::to_string(r.LampCount) + " lumens=" + Shortest(r.LumensPerLamp) +
           " mult=" + Shortest(r.CandelaMultiplier) + " v=" + std::to_string(r.VertAngleCount) +
           " h=" + std::to_string(r.HorAngleCount) + " keywords=" +
           std::to_string(r.Keywords.size()) + " max=" + Shortest(r.MaxCandela) + "@" +
           Shortest(r.MaxCandelaVertAngle) + "/" + Shortest(r.MaxCandelaHorAngle) +
           " sum=" + Shortest(sum);
}

// The corpus is shared and read-only to us: each file is checked as a copy in
// a scratch folder, with repair allowed, so that badly delimited files are
// read in full (from their repaired copy) instead of stopping at the refusal.
std::vector<std::string> CurrentOutcomes(const fs::path& corpus, const fs::path& scratch) {
    std::vector<std::pair<std::string, fs::path>> files;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        if (!ReaderForExtension(SplitPath(name).extension)) continue;
        files.emplace_back(fs::relative(entry.path(), corpus).generic_string(), entry.path());
    }
    std::sort(files.begin(), files.end());

    std::vector<std::string> lines;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto& [relative, source] = files[i];
        const fs::path folder = scratch / std::to_string(i);
        fs::create_directories(folder);
        const fs::path copy = folder / source.filename();
        fs::copy_file(source, copy);
        const FileCheckResult result = CheckFile(copy.string(), /*repair=*/true, (scratch / "data").string());
        lines.push_back(relative + "\t" + Outcome(result, result.path != copy.string()));
        fs::remove_all(folder);
    }
    return lines;
}

std::vector<std::string> ReadGolden(const fs::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    }
    return lines;
}

std::string PathOf(const std::string& line) { return line.substr(0, line.find('\t')); }

TEST(Corpus, EveryReadableFileMatchesItsPinnedOutcome) {
    const fs::path corpus = Env("LUMIBENCH_CORPUS");
    if (corpus.empty() || !fs::is_directory(corpus)) {
        GTEST_SKIP() << "LUMIBENCH_CORPUS is not set to a folder; the corpus is not checked";
    }
    std::string pattern = (fs::temp_directory_path() / "lumibench-corpus-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path scratch = pattern;
    const std::vector<std::string> current = CurrentOutcomes(corpus, scratch);
    fs::remove_all(scratch);

    if (Env("LUMIBENCH_UPDATE_GOLDEN") == "1") {
        std::ofstream out(GoldenPath(), std::ios::binary | std::ios::trunc);
        out << "# Outcome of every corpus file a reader takes: path, TAB, OK with key figures\n"
               "# (max=value@vertical/horizontal, sum of all candela values) or FAIL with the\n"
               "# exact message. Regenerate with scripts/regen-golden and review the diff.\n";
        for (const std::string& line : current) out << line << "\n";
        ASSERT_TRUE(out.good()) << "cannot write " << GoldenPath();
        std::cout << "wrote " << current.size() << " outcomes to " << GoldenPath() << "\n";
        return;
    }

    const std::vector<std::string> golden = ReadGolden(GoldenPath());
    ASSERT_FALSE(golden.empty()) << GoldenPath() << " is missing; run scripts/regen-golden";
    std::map<std::string, std::string> expected;
    for (const std::string& line : golden) expected[PathOf(line)] = line;

    std::ostringstream differences;
    int count = 0;
    for (const std::string& line : current) {
        const auto it = expected.find(PathOf(line));
        if (it != expected.end() && it->second == line) {
            expected.erase(it);
            continue;
        }
        if (++count <= 25) {
            differences << "  now:    " << line << "\n"
                        << "  pinned: " << (it == expected.end() ? "(none)" : it->second) << "\n";
        }
        if (it != expected.end()) expected.erase(it);
    }
    for (const auto& [path, line] : expected) {
        if (++count <= 25) differences << "  gone:   " << line << "\n";
    }
    EXPECT_EQ(count, 0) << count << " corpus outcomes differ from " << GoldenPath()
                        << " (first 25 below). If the change is meant, run scripts/regen-golden "
                           "and review the diff.\n"
                        << differences.str();
}

}  // namespace
}  // namespace lumibench
