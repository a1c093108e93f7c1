#pragma once
// Written text read back through the host's own readers, from a scratch file.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "core/message_sink.h"
#include "model/photometric_record.h"
#include "formats/load_dispatch.h"

namespace lumibench::testing {

struct ReadBack {
    PhotometricRecord record;
    std::string message;
};

inline std::filesystem::path ScratchFolder() {
    const auto folder = std::filesystem::temp_directory_path() / ("lumibench-writers-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}

inline ReadBack ReadText(const std::string& text, const std::string& extension) {
    std::string path = (ScratchFolder() / ("read_back" + extension)).string();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }
    WorkRecordTable work;
    SilentMessageSink sink;
    ReaderContext context{work, sink, ScratchFolder()};
    ReaderMessages messages;
    ReaderForExtension(extension)->reader(path, messages, true, context);
    ReadBack result{work.empty() ? PhotometricRecord{} : work.front(), messages.text()};
    return result;
}

// Candela as the IES model means it: the table value times the multiplier.
inline double Absolute(const PhotometricRecord& r, std::size_t h, std::size_t v) {
    return r.Candela[h][v] * r.CandelaMultiplier;
}

// Relative agreement in single precision, with room for one rounding more.
inline bool SameSingle(double a, double b) {
    return std::fabs(a - b) <= 4e-7 * std::max(std::fabs(a), std::fabs(b)) + 1e-30;
}

}  // namespace lumibench::testing
