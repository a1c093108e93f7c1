#pragma once
// How a tool knows that the host that started it still runs. The host puts
// its process id and that process's start time into each tool's environment;
// a pid alone is not enough, as the system hands it to a new process once the
// host is gone.

#include <cstdint>
#include <optional>
#include <string_view>

namespace lumibench {

inline constexpr std::string_view kHostPidVariable = "LUMIBENCH_HOST_PID";
inline constexpr std::string_view kHostStartVariable = "LUMIBENCH_HOST_START";

// The process's start time in clock ticks since boot (field 22 of
// /proc/PID/stat); nullopt when there is no such process.
std::optional<std::uint64_t> ProcessStartTicks(std::int64_t pid);

// True while process `pid` runs and, when `startTicks` is given, is still the
// process that started then. A zombie (ended, not yet collected) is gone.
bool ProcessAlive(std::int64_t pid, std::optional<std::uint64_t> startTicks);

// The host named by the environment: nullopt when the tool was not started by
// a host that names itself (started by hand, or by an older host).
struct HostIdentity {
    std::int64_t pid = 0;
    std::optional<std::uint64_t> startTicks;
};
std::optional<HostIdentity> HostFromEnvironment();

}  // namespace lumibench
