#include "exchange/host_process.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace lumibench {
namespace {

struct ProcStat {
    char state = '?';
    std::uint64_t startTicks = 0;
};

// The command name (field 2) may hold blanks and parentheses, so the fields
// are counted from the last ')'.
std::optional<ProcStat> ReadProcStat(std::int64_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    if (!file) return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    ProcStat stat;
    // After ") " come field 3 (state) ... field 22 (start time).
    int field = 3;
    std::size_t i = close + 1;
    while (i < text.size() && field <= 22) {
        while (i < text.size() && text[i] == ' ') ++i;
        const std::size_t end = std::min(text.find(' ', i), text.size());
        if (field == 3 && end > i) stat.state = text[i];
        if (field == 22) {
            const auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + end, stat.startTicks);
            if (ec != std::errc()) return std::nullopt;
            return stat;
        }
        ++field;
        i = end;
    }
    return std::nullopt;
}

std::optional<std::int64_t> WholeNumber(const char* text) {
    if (text == nullptr || *text == '\0') return std::nullopt;
    std::int64_t value = 0;
    const char* end = text + std::char_traits<char>::length(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::uint64_t> ProcessStartTicks(std::int64_t pid) {
    if (pid <= 0) return std::nullopt;
    const auto stat = ReadProcStat(pid);
    if (!stat) return std::nullopt;
    return stat->startTicks;
}

bool ProcessAlive(std::int64_t pid, std::optional<std::uint64_t> startTicks) {
    if (pid <= 0) return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return false;
    const auto stat = ReadProcStat(pid);
    // Without /proc the signal test above is all there is.
    if (!stat) return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
    if (stat->state == 'Z' || stat->state == 'X') return false;
    return !startTicks || *startTicks == stat->startTicks;
}

std::optional<HostIdentity> HostFromEnvironment() {
    const auto pid = WholeNumber(std::getenv(std::string(kHostPidVariable).c_str()));
    if (!pid || *pid <= 0) return std::nullopt;
    HostIdentity host;
    host.pid = *pid;
    if (const auto start = WholeNumber(std::getenv(std::string(kHostStartVariable).c_str())); start && *start >= 0) {
        host.startTicks = static_cast<std::uint64_t>(*start);
    }
    return host;
}

}  // namespace lumibench
