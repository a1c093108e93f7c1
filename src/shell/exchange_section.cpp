#include "shell/exchange_section.h"

#include "exchange/mailboxes.h"
#include "shell/host_session.h"

namespace lumibench {

std::string ChooseExchangeSection(SettingsStore& settings, InstanceLocks& locks) {
    // Whoever held the section before us is gone (the locks say so), and so
    // are the tools it started; what they left in the mailboxes is not ours.
    if (locks.holdFirstInstance()) {
        ClearMailboxes(settings, kFirstExchangeSection);
        return kFirstExchangeSection;
    }
    for (int n = 1; n <= kNumberedExchangeSections; ++n) {
        const std::string section = kNumberedExchangePrefix + std::to_string(n);
        // The lock, not the "Active" mark, says whether a running instance owns
        // the section: a mark left by an instance that ended without a clean
        // exit has no lock behind it, and the section is free again. The lock
        // is taken before the mark is written, so two instances starting
        // together never take the same section.
        if (!locks.holdSection(n)) {
            continue;
        }
        ClearMailboxes(settings, section);
        settings.write(kSettingsApp, section, kActiveKey, "True");
        return section;
    }
    return {};
}

void ReleaseExchangeSection(SettingsStore& settings, const std::string& section) {
    if (!section.empty()) {
        settings.write(kSettingsApp, section, kActiveKey, "False");
    }
}

}  // namespace lumibench
