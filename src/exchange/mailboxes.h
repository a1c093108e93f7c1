#pragma once
// Emptying the mailboxes of an exchange section before a host takes it.

#include <string_view>

#include "platform/settings_store.h"

namespace lumibench {

// Writes the empty text to the host key and to every tool mailbox
// (ActName "|" instance) of `section` that holds a command. A host that ended
// without a clean exit leaves commands behind, and instance numbers start at 1
// in every run: the new host's first tools would take the old commands
// ("Close", a "MoveWin" for another window) as their own. Slots stay as they
// are. Returns the number of mailboxes emptied.
int ClearMailboxes(SettingsStore& store, std::string_view section);

}  // namespace lumibench
