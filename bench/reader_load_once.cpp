// Loads one photometric file once, as the host does, and prints the CPU time
// the load took in nanoseconds: the fresh-process half of reader_speed_bench.
// Usage: reader_load_once FILE

#include <time.h>

#include <cstdio>
#include <string>

#include "formats/checked_load.h"

namespace {

long long CpuNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const long long before = CpuNanoseconds();
    const lumibench::FileCheckResult result = lumibench::CheckFile(argv[1], false, "/nonexistent");
    const long long after = CpuNanoseconds();
    std::printf("%lld %d\n", after - before, result.ok() ? 1 : 0);
    return 0;
}
