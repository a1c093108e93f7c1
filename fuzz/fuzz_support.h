#pragma once
// What the fuzz targets share: the input as a file for the readers that
// take a path, in a scratch folder of the process's own.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace lumibench::fuzz {

inline const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("lumibench-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// Writes the input to a file of that name in the scratch folder; returns its path.
inline std::string AsFile(const std::uint8_t* data, std::size_t size, const std::string& name) {
    const std::filesystem::path file = ScratchFolder() / name;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return file.string();
}

}  // namespace lumibench::fuzz
