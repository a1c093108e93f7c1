#pragma once
// Temporary folders and file helpers for the checker's tests.

#include <filesystem>
#include <string>

namespace lumibench::testing {

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Copies `source` into the folder (under `name`, default its own) and returns the copy.
    std::filesystem::path copy(const std::filesystem::path& source, const std::string& name = {}) const;

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// The bundled samples folder of the source tree.
std::filesystem::path SamplesFolder();

}  // namespace lumibench::testing
