#pragma once
// The tool instances this host started, numbered from 1 as users and tools
// see them. Entries are only appended; a closed instance keeps its entry with
// the instance id "-99" until the whole table is emptied.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumibench {

inline constexpr std::string_view kClosedInstanceId = "-99";

// A started tool process as the host holds it. The launcher provides the real
// one; it must stay valid (and not be confused with a new process that reuses
// the id) until the entry is dropped.
class ToolProcess {
public:
    virtual ~ToolProcess() = default;
    virtual std::int64_t processId() const = 0;
    // False once the process has ended (and been reaped).
    virtual bool isRunning() const = 0;
    // Ends the process without giving it a chance to save.
    virtual void terminate() = 0;
    // The signal that ended the process, once it has ended by one that the
    // host did not send; nothing while it runs or when it exited.
    virtual std::optional<int> endedBySignal() const { return std::nullopt; }
};

struct RunningTool {
    std::string ActName;
    std::string InstanceId;  // decimal entry number, or "-99" once closed
    std::int64_t ProcessId = 0;  // 0 when a later start reported the same id
    std::shared_ptr<ToolProcess> Process;

    bool isClosed() const { return InstanceId == kClosedInstanceId; }
};

class RunningToolTable {
public:
    std::size_t count() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    // Entry n, numbered from 1. n must lie in 1..count().
    RunningTool& at(std::size_t n) { return entries_.at(n - 1); }
    const RunningTool& at(std::size_t n) const { return entries_.at(n - 1); }
    const std::vector<RunningTool>& entries() const { return entries_; }

    // Appends an entry for actName with no instance id yet and returns its number.
    std::size_t append(std::string actName);

    // Records a successful start of entry n: its process, its id (earlier
    // entries with the same id get 0) and its instance id, the decimal text of n.
    void setStarted(std::size_t n, std::shared_ptr<ToolProcess> process);

    // Marks the first entry with exactly this ActName and instance id closed.
    // Returns false when there is none.
    bool markClosed(std::string_view actName, std::string_view instanceId);

    // Forgets every entry, so numbering starts again at 1. Ends nothing.
    void clear() { entries_.clear(); }

private:
    std::vector<RunningTool> entries_;
};

// The mailbox of a tool instance: ActName + "|" + instance id, or the
// ActName alone when the instance id is empty.
std::string ToolMailboxKey(std::string_view actName, std::string_view instanceId);

}  // namespace lumibench
