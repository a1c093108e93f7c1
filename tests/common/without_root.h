#pragma once
// Root writes into read-only folders, so a test of a permission failure run as
// root (as CI runs) would pass without exercising the failure. WithoutRoot runs
// the step in a child process that, when started as root, gives root up first
// (user and group "nobody"); as any other user it runs the step as that user.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace lumibench::testing {

constexpr uid_t kNobody = 65534;

// Hands `path` to the user the step runs as (nobody when this is root).
inline void GiveToStepUser(const std::filesystem::path& path) {
    if (::geteuid() == 0 && ::chown(path.c_str(), kNobody, kNobody) != 0) std::perror("chown");
}

// `step` run in a child without root; what it returned, or "child failed".
inline std::string WithoutRoot(const std::function<std::string()>& step) {
    int channel[2];
    if (::pipe(channel) != 0) return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(3);
        }
        const std::string result = step();
        const bool whole = ::write(channel[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
        ::_exit(whole ? 0 : 4);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[256];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) result.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "child failed";
}

}  // namespace lumibench::testing
