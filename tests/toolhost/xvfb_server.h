#pragma once
// An X server of its own for a test (Xvfb), started and ended with the object.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

extern char** environ;

namespace lumibench::testing {

inline constexpr const char* kXvfb = "/usr/bin/Xvfb";

// An X server of its own for the test; it reports its display number itself.
// display() is empty when Xvfb is not installed or did not start.
class Xvfb {
public:
    explicit Xvfb(int width = 800, int height = 600) {
        int fds[2];
        if (::access(kXvfb, X_OK) != 0 || ::pipe(fds) != 0) return;
        // The server writes its display number to the pipe once it accepts clients.
        const std::string fd = std::to_string(fds[1]);
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        const char* argv[] = {kXvfb, "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int rc = posix_spawn(&pid_, kXvfb, &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (rc != 0) {
            pid_ = 0;
            ::close(fds[0]);
            return;
        }
        std::string number;
        char c = 0;
        while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(fds[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;
    ~Xvfb() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = 0;
    std::string display_;
};

}  // namespace lumibench::testing
