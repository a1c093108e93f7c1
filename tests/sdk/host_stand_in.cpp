// A host cut down to its tool start: starts each program named on its command
// line the way the launcher does, prints the process ids, then waits to be
// killed. The tests kill it as a crash would.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "toolhost/tool_launcher.h"

int main(int argc, char** argv) {
    std::vector<std::shared_ptr<lumibench::SpawnedToolProcess>> tools;
    for (int i = 1; i < argc; ++i) {
        std::string error;
        auto tool = lumibench::SpawnedToolProcess::Spawn(
            argv[i], " 0,1,LumibenchPE," + std::to_string(i) + ",0,Data Exchange", error);
        std::printf("%lld\n", tool ? static_cast<long long>(tool->processId()) : -1LL);
        std::fflush(stdout);
        if (tool) tools.push_back(tool);
    }
    for (;;) ::pause();
}
