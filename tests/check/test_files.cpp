#include "test_files.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace lumibench::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "lumibench-check-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path TempFolder::copy(const fs::path& source, const std::string& name) const {
    const fs::path target = path_ / (name.empty() ? source.filename().string() : name);
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
    return target;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

fs::path SamplesFolder() {
    const char* source = std::getenv("LUMIBENCH_SOURCE_DIR");
    return fs::path(source && *source ? source : LUMIBENCH_SOURCE_DIR) / "data" / "samples";
}

}  // namespace lumibench::testing
