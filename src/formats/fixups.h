#pragma once
// The fix-up assistant: rewrites a file that the strict rules refuse, although
// it is valid by its own format or plainly meant, into a copy that loads under
// the same strict rules. Each change is listed with the physical line of the
// original it touches. Nothing is guessed: an ambiguous file, or a fix that
// would change the light distribution beyond a stated bound, is left alone.

#include <string>
#include <string_view>
#include <vector>

namespace lumibench {

struct FixupEdit {
    int line = 0;  // physical line of the original
    std::string description;
};

struct FixupOutcome {
    bool possible = false;
    std::string reason;  // why nothing can be fixed, when not possible
    std::vector<FixupEdit> changes;
    std::string fixedBytes;  // the copy's bytes, when possible
};

// Fix-ups for the file at `path` (its extension picks the format); writes nothing.
FixupOutcome PlanFileFixups(const std::string& path);

// Writes outcome.fixedBytes as the "_Repaired" copy of `path` (beside it, or
// in `userDataFolder` when its folder is not writable) with the same safety
// as the line-end repair. Returns the copy's path, or empty with `error` set.
std::string WriteFixedCopy(const std::string& path, const FixupOutcome& outcome,
                           const std::string& userDataFolder, std::string& error);

}  // namespace lumibench
