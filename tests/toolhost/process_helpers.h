#pragma once
// Helpers for tests that start real tool processes.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>

namespace lumibench::testing {

// True once the process id names no process at all: neither running nor a
// zombie waiting to be reaped.
inline bool ProcessGone(std::int64_t pid) {
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Polls `done` (processing events) until it holds or the time is up.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The lines of a text file split at tabs.
inline std::vector<std::vector<std::string>> ReadTabLines(const std::filesystem::path& file) {
    std::vector<std::vector<std::string>> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');) fields.push_back(field);
        lines.push_back(fields);
    }
    return lines;
}

}  // namespace lumibench::testing
