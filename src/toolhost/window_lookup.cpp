#include "toolhost/window_lookup.h"

#include "toolhost/running_tool_table.h"

namespace lumibench {

bool ProcessWindowLookup::windowExists(const std::string& title) {
    for (const RunningTool& entry : tools_.entries()) {
        if (entry.ActName == title && entry.Process && entry.Process->isRunning()) return true;
    }
    return false;
}

bool ProcessWindowLookup::bringProcessToFront(std::int64_t processId) {
    if (processId == 0) return false;
    for (const RunningTool& entry : tools_.entries()) {
        if (entry.ProcessId == processId && entry.Process && entry.Process->isRunning()) return true;
    }
    return false;
}

}  // namespace lumibench
