#include "platform/user_home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace lumibench {
namespace {

// The base-directory rules ask to ignore relative values.
std::filesystem::path AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value != '/') {
        return {};
    }
    return value;
}

}  // namespace

std::filesystem::path UserHome() {
    if (auto home = AbsoluteFromEnvironment("HOME"); !home.empty()) {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/tmp";
}

std::filesystem::path UserConfigHome() {
    if (auto config = AbsoluteFromEnvironment("XDG_CONFIG_HOME"); !config.empty()) {
        return config;
    }
    return UserHome() / ".config";
}

std::filesystem::path UserDataHome() {
    if (auto data = AbsoluteFromEnvironment("XDG_DATA_HOME"); !data.empty()) {
        return data;
    }
    return UserHome() / ".local" / "share";
}

}  // namespace lumibench
