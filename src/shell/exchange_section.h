#pragma once
// Which exchange section this instance takes. The first instance takes
// "Data Exchange"; further ones the first numbered section not marked
// "Active", or one whose mark was left behind by an instance that crashed
// (no running instance holds its lock).

#include <string>

#include "platform/settings_store.h"

namespace lumibench {

inline constexpr const char* kFirstExchangeSection = "Data Exchange";
inline constexpr const char* kNumberedExchangePrefix = "Data Exchange_";
inline constexpr const char* kActiveKey = "Active";
inline constexpr int kNumberedExchangeSections = 25;

// Who else is running, as the instance locks tell.
class InstanceLocks {
public:
    virtual ~InstanceLocks() = default;
    // Takes the first-instance lock; false when another instance holds it.
    virtual bool holdFirstInstance() = 0;
    // Takes the lock of a numbered section for the life of this instance;
    // false when a running instance holds it.
    virtual bool holdSection(int number) = 0;
};

// The section name, or empty when all 25 numbered sections are held.
std::string ChooseExchangeSection(SettingsStore& settings, InstanceLocks& locks);

// Clears the "Active" mark at a clean exit; nothing for an empty section.
void ReleaseExchangeSection(SettingsStore& settings, const std::string& section);

}  // namespace lumibench
