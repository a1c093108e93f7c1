#pragma once
// Finding tools by their window, as the broadcasts and the window placement do.

#include <cstdint>
#include <string>

namespace lumibench {

class RunningToolTable;

class WindowLookup {
public:
    virtual ~WindowLookup() = default;
    // True when a top-level window with exactly this title exists.
    virtual bool windowExists(const std::string& title) = 0;
    // Brings the window of process `processId` to the front; false when that fails.
    virtual bool bringProcessToFront(std::int64_t processId) = 0;
    // The same for a tool whose window may not name its process (toolkits
    // that set no _NET_WM_PID, a wrapper script that forks the real program):
    // when no window carries the pid, its window is found by its exact title.
    virtual bool bringToolToFront(std::int64_t processId, const std::string& title) {
        return bringProcessToFront(processId);
    }
};

// Without an X server (offscreen, Wayland) a window titled T exists while a
// started tool with ActName T is still running, and bringing a process to the
// front succeeds while it runs. Closed entries count: their process may live on.
class ProcessWindowLookup : public WindowLookup {
public:
    explicit ProcessWindowLookup(const RunningToolTable& tools) : tools_(tools) {}
    bool windowExists(const std::string& title) override;
    bool bringProcessToFront(std::int64_t processId) override;

private:
    const RunningToolTable& tools_;
};

}  // namespace lumibench
