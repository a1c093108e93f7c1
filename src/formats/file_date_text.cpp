#include "formats/file_date_text.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <system_error>

namespace lumibench {

std::string FileDateText(const std::filesystem::path& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error) return {};
    const auto system = std::chrono::file_clock::to_sys(written);
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::floor<std::chrono::seconds>(system));
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return {};
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d",
                                     local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                     local.tm_hour, local.tm_min, local.tm_sec);
    if (length <= 0) return {};
    return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace lumibench
