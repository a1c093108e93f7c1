#include "exchange/mailboxes.h"

#include <string>

#include "exchange/exchange_texts.h"

namespace lumibench {

int ClearMailboxes(SettingsStore& store, std::string_view section) {
    if (section.empty()) return 0;
    int cleared = 0;
    const auto clear = [&](std::string_view key) {
        if (store.read(kExchangeApp, section, key).empty()) return;
        if (store.write(kExchangeApp, section, key, "")) ++cleared;
    };
    SettingsBatch batch(store);
    clear(kHostKey);
    for (const std::string& key : store.keys(kExchangeApp, section)) {
        if (key.find(kMailboxSeparator) != std::string::npos) clear(key);
    }
    return cleared;
}

}  // namespace lumibench
