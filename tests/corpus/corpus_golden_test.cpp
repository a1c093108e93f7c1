// Every corpus file that a reader takes goes through the dispatch; each outcome
// is pinned, one line per file, in corpus_outcomes.txt beside this source.
//
// A change in any reader's behaviour shows up here as a diff of that file.
// After a deliberate change, run scripts/regen-golden (this test with
// LUMIBENCH_UPDATE_GOLDEN=1) and review the diff before committing it.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/path_text.h"
#include "file_check.h"
#include "formats/load_dispatch.h"

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

// FNV-1a over texts and numbers, for fields too long to write out whole.
class Digest {
public:
    Digest& add(std::string_view text) {
        for (const unsigned char c : text) hash_ = (hash_ ^ c) * 1099511628211ULL;
        hash_ = (hash_ ^ 0xFF) * 1099511628211ULL;  // keeps "ab","c" apart from "a","bc"
        return *this;
    }
    template <typename T>
    Digest& add(const std::vector<T>& values) {
        for (const T& value : values) add(Shortest(value));
        return add("|");
    }
    Digest& add(const std::vector<std::string>& texts) {
        for (const std::string& text : texts) add(std::string_view(text));
        return add("|");
    }
    std::string text() const {
        char buffer[17];
        std::uint64_t h = hash_;
        for (int i = 15; i >= 0; --i, h >>= 4) buffer[i] = "0123456789abcdef"[h & 0xF];
        return std::string(buffer, 16);
    }

private:
    std::uint64_t hash_ = 14695981039346656037ULL;
};

// Every field of the record: numbers written out, texts and lists as digests
// (a changed keyword or angle changes its digest). The file's own date and
// path depend on where the test copies it, so only whether they are set.
std::string Outcome(const FileCheckResult& result, bool repaired) {
    std::string line = repaired ? "repaired " : "";
    if (!result.ok()) return line + "FAIL " + Escaped(result.messages.text());
    const PhotometricRecord& r = result.record;
    double sum = 0;
    Digest candela;
    for (const auto& row : r.Candela) {
        for (double value : row) sum += value;
        candela.add(row);
    }
    Digest tags;
    for (const std::string* field : {&r.TestKeyword, &r.DateKeyword, &r.ManufacKeyword, &r.LumcatKeyword,
                                     &r.LuminaireKeyword, &r.LampcatKeyword, &r.LampKeyword, &r.BallastKeyword}) {
        tags.add(*field);
    }
    return line + "OK type=" + std::to_string(r.PhotometricType) +
           " lamps=" + std::to_string(r.LampCount) + " lumens=" + Shortest(r.LumensPerLamp) +
           " mult=" + Shortest(r.CandelaMultiplier) + " v=" + std::to_string(r.VertAngleCount) +
           " h=" + std::to_string(r.HorAngleCount) + " keywords=" +
           std::to_string(r.Keywords.size()) + " max=" + Shortest(r.MaxCandela) + "@" +
           Shortest(r.MaxCandelaVertAngle) + "/" + Shortest(r.MaxCandelaHorAngle) +
           " sum=" + Shortest(sum) + " units=" + std::to_string(r.UnitsType) + " w=" + Shortest(r.Width) +
           " l=" + Shortest(r.Length) + " ht=" + Shortest(r.Height) + " ballast=" + Shortest(r.BallastFactor) +
           " watts=" + Shortest(r.InputWatts) + " tilt=" + std::to_string(r.TiltIncl) + "/" +
           std::to_string(r.LampGeometry) + "/" + std::to_string(r.TiltPairCount) + "/" +
           Digest().add(r.TiltAngles).add(r.TiltFactors).text() + " vangles=" + Digest().add(r.VertAngles).text() +
           " hangles=" + Digest().add(r.HorAngles).text() + " candela=" + candela.text() +
           " kw=" + Digest().add(r.Keywords).text() + " other=" + Digest().add(r.OtherKeywordText).text() +
           " tags=" + tags.text() + " name=" + (r.Filename == result.path ? "path" : "other") +
           " date=" + (r.FileDateText.empty() ? "no" : "yes") +
           " extra=" + Digest().add(r.PictureFilename).add(r.OptionalData).text() + "/" + std::to_string(r.Saved) +
           "/" + std::to_string(r.Checked);
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
        // Copies a program wrote beside corpus files are not corpus files.
        if (name.find("_Repaired.") != std::string::npos) continue;
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
        // A container gives a line per photometry, named "container::member".
        for (const FileCheckResult& result : CheckDataSets(copy.string(), /*repair=*/true, (scratch / "data").string())) {
            const std::string name = result.member.empty() ? relative : relative + "::" + result.member;
            lines.push_back(name + "\t" + Outcome(result, result.path != copy.string()));
        }
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
