#pragma once
// What one run of a program may write. Every file the run reads is made known
// before anything is written, by device and inode (so no other spelling, link
// or hard link of it slips through); a target that is one of them, or that an
// earlier output of the same run already took, is refused with the reason,
// and the run goes on with its other files. An existing file that is neither
// is replaced only when the user asked for it.

#include <map>
#include <set>
#include <string>
#include <utility>

namespace lumibench {

class RunOutputs {
public:
    // `replaceExisting`: --force, or a Save As the user confirmed.
    explicit RunOutputs(bool replaceExisting = false) : replaceExisting_(replaceExisting) {}

    // A file the run reads (or a copy it reads instead, such as a repaired
    // copy). A name that does not exist is nothing to protect.
    void addInput(const std::string& path);

    // Empty when `target` may be written now; otherwise why not, as
    // "it is a file this run reads", "it was written from FILE in this run" or
    // "File exists (--force replaces it)".
    std::string refusal(const std::string& target) const;

    // As refusal, but an existing file that is neither is no objection: for
    // copies the run may always renew (a "_Repaired" copy beside its source).
    std::string conflict(const std::string& target) const;

    // After `target` was written from `source`: later targets may not take it.
    void addOutput(const std::string& target, const std::string& source);

private:
    using FileId = std::pair<unsigned long long, unsigned long long>;  // device, inode
    bool replaceExisting_;
    std::set<FileId> inputs_;
    std::map<FileId, std::string> outputs_;  // and the file each was written from
};

// Texts of the refusals, shared with the programs' help.
inline constexpr const char* kTargetIsInput = "it is a file this run reads";
inline constexpr const char* kTargetExists = "File exists (--force replaces it)";

}  // namespace lumibench
