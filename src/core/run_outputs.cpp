#include "core/run_outputs.h"

#include <sys/stat.h>

namespace lumibench {
namespace {

// The file a name leads to and the name's own entry (a link's inode): writing
// replaces the entry, so both must be free.
template <class Id>
int IdentitiesOf(const std::string& path, Id (&ids)[2]) {
    int count = 0;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) ids[count++] = {info.st_dev, info.st_ino};
    if (::lstat(path.c_str(), &info) == 0) ids[count++] = {info.st_dev, info.st_ino};
    return count;
}

}  // namespace

void RunOutputs::addInput(const std::string& path) {
    FileId ids[2];
    const int count = IdentitiesOf(path, ids);
    for (int i = 0; i < count; ++i) inputs_.insert(ids[i]);
}

std::string RunOutputs::refusal(const std::string& target) const {
    std::string why = conflict(target);
    FileId ids[2];
    if (why.empty() && !replaceExisting_ && IdentitiesOf(target, ids) > 0) why = kTargetExists;
    return why;
}

std::string RunOutputs::conflict(const std::string& target) const {
    FileId ids[2];
    const int count = IdentitiesOf(target, ids);
    for (int i = 0; i < count; ++i) {
        if (inputs_.contains(ids[i])) return kTargetIsInput;
    }
    for (int i = 0; i < count; ++i) {
        if (const auto earlier = outputs_.find(ids[i]); earlier != outputs_.end()) {
            return "it was written from " + earlier->second + " in this run";
        }
    }
    return {};
}

void RunOutputs::addOutput(const std::string& target, const std::string& source) {
    FileId ids[2];
    const int count = IdentitiesOf(target, ids);
    for (int i = 0; i < count; ++i) outputs_.emplace(ids[i], source);
}

}  // namespace lumibench
