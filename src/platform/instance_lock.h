#pragma once
// Named locks that live exactly as long as the process that took them: the
// first instance of the program holds the instance lock, and each instance
// holds the lock of the exchange section it owns. A lock of a process that
// died (even by SIGKILL) is free again, so a section whose "Active" mark a
// crashed instance left behind can be taken back.
//
// Each name is an flock() on a file in one folder; the descriptors are
// close-on-exec, so tool processes started by the host never inherit them.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace lumibench {

class InstanceLock {
public:
    // Lock files are kept in `folder` (created, mode 0700, when missing).
    explicit InstanceLock(std::filesystem::path folder);
    ~InstanceLock();  // releases every lock this object holds
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock `name` (compared without regard to case) unless another
    // holder has it. True when this object holds it afterwards, also when it
    // already did. Never waits.
    bool tryAcquire(std::string_view name);
    bool holds(std::string_view name) const;
    void release(std::string_view name);

    const std::filesystem::path& folder() const { return folder_; }

    // The lock folder that goes with a settings file: beside it, so that
    // every store (a test's temporary one too) has its own locks.
    static std::filesystem::path FolderFor(const std::filesystem::path& settingsFile);
    // The file that holds the lock `name` in `folder`.
    static std::filesystem::path FileFor(const std::filesystem::path& folder,
                                         std::string_view name);

private:
    std::filesystem::path folder_;
    std::map<std::string, int> held_;  // lock file name -> descriptor
};

}  // namespace lumibench
