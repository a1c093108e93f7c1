#pragma once
// A full disk for the length of a scope: writes past `bytes` fail with
// EFBIG ("File too large"), for root too, and the signal that would end the
// process is ignored meanwhile.

#include <sys/resource.h>

#include <csignal>

namespace lumibench::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : previousSignal_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousSignal_)(int);
};

}  // namespace lumibench::testing
