#include "toolhost/running_tool_table.h"

namespace lumibench {

std::size_t RunningToolTable::append(std::string actName) {
    RunningTool& entry = entries_.emplace_back();
    entry.ActName = std::move(actName);
    return entries_.size();
}

void RunningToolTable::setStarted(std::size_t n, std::shared_ptr<ToolProcess> process) {
    RunningTool& entry = at(n);
    entry.ProcessId = process ? process->processId() : 0;
    // A reused process id must not make an old entry look like the new process.
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (entry.ProcessId != 0 && entries_[i].ProcessId == entry.ProcessId) entries_[i].ProcessId = 0;
    }
    entry.Process = std::move(process);
    entry.InstanceId = std::to_string(n);
}

bool RunningToolTable::markClosed(std::string_view actName, std::string_view instanceId) {
    for (RunningTool& entry : entries_) {
        if (entry.ActName == actName && entry.InstanceId == instanceId) {
            entry.InstanceId = std::string(kClosedInstanceId);
            return true;
        }
    }
    return false;
}

std::string ToolMailboxKey(std::string_view actName, std::string_view instanceId) {
    std::string key(actName);
    if (!instanceId.empty()) {
        key += '|';
        key += instanceId;
    }
    return key;
}

}  // namespace lumibench
