#include "sdk/tool_session.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>
#include <mutex>

#include "core/message_sink.h"
#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "platform/pause.h"
#include "platform/sqlite_settings_store.h"

namespace lumibench {
namespace {

// The slot values of each session's last writeData, until a SEND verb
// carries them. Another tool of the same host may write the slots between
// this tool's writeData and its command; the command then writes them again
// in its own transaction, so the host reads what this tool wrote.
struct PendingSlots {
    std::vector<std::pair<std::string, std::string>> values;  // every slot key, in write order
    bool written = false;       // already in the store
    std::int64_t mark = 0;      // the store's foreign-change mark right after
};
std::mutex gPendingMutex;
std::map<const ToolSession*, PendingSlots> gPending;

// Whether the slots still hold `pending`: nobody else committed since, or
// every value is still as written (this tool's own later edits included).
bool StillInStore(SettingsStore& store, std::string_view section, const PendingSlots& pending) {
    if (!pending.written) return false;
    if (store.foreignChangeMark() == pending.mark) return true;
    for (const auto& [key, value] : pending.values) {
        if (store.read(kExchangeApp, section, key) != value) return false;
    }
    return true;
}

bool WriteValues(SettingsStore& store, std::string_view section, const PendingSlots& pending) {
    for (const auto& [key, value] : pending.values) {
        if (!store.write(kExchangeApp, section, key, value)) return false;
    }
    return true;
}

bool IsSendVerb(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text.size() >= 4 && (text[0] | 0x20) == 's' && (text[1] | 0x20) == 'e' &&
           (text[2] | 0x20) == 'n' && (text[3] | 0x20) == 'd';
}

}  // namespace

std::unique_ptr<ToolSession> ToolSession::Start(int argc, const char* const* argv, std::string actName,
                                                std::string* error) {
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) arguments += ' ';
        arguments += argv[i];
    }
    auto line = ParseToolArguments(arguments);
    if (!line || line->section.empty() || line->hostKey.empty()) {
        if (error) *error = "Not started by the host: expected six comma-separated fields, got \"" + arguments + "\"";
        return nullptr;
    }
    auto store = SqliteSettingsStore::Open(DefaultSettingsPath(), error);
    if (!store) return nullptr;
    auto session = std::make_unique<ToolSession>(*store, std::move(*line), std::move(actName));
    session->ownedStore_ = std::move(store);
    return session;
}

std::unique_ptr<ToolSession> ToolSession::OpenSettingsOnly(std::string actName, std::string* error) {
    auto store = SqliteSettingsStore::Open(DefaultSettingsPath(), error);
    if (!store) return nullptr;
    auto session = std::make_unique<ToolSession>(*store, ToolCommandLine{}, std::move(actName));
    session->ownedStore_ = std::move(store);
    return session;
}

ToolSession::ToolSession(SettingsStore& store, ToolCommandLine commandLine, std::string actName)
    : store_(store), commandLine_(std::move(commandLine)), actName_(std::move(actName)) {}

ToolSession::~ToolSession() {
    const std::lock_guard lock(gPendingMutex);
    gPending.erase(this);
}

std::string ToolSession::mailboxKey() const {
    std::string key = actName_;
    if (!commandLine_.instanceId.empty()) {
        key += kMailboxSeparator;
        key += commandLine_.instanceId;
    }
    return key;
}

std::int16_t ToolSession::readData(WorkRecordTable& records, std::string& errorText) {
    if (commandLine_.section.empty()) return -1;
    return ReadExchangeRecords(store_, commandLine_.section, records, errorText);
}

int ToolSession::writeData(const WorkRecordTable& records) {
    // A tool has no business showing the host's "Load Data" box; extra records are dropped.
    SilentMessageSink silent;
    const int count = static_cast<int>(std::min<std::size_t>(records.size(), kExchangeSlotCount));
    const std::string& section = commandLine_.section;
    const std::string_view hostKey =
        commandLine_.hostKey.empty() ? kHostKey : std::string_view(commandLine_.hostKey);
    // The values exactly as the host's own writer lays them out.
    MemorySettingsStore scratch;
    WriteExchangeRecords(scratch, section, WorkRecordTable(records.begin(), records.begin() + count), 1, count,
                         1, silent);
    PendingSlots pending;
    pending.values.reserve(kExchangeSlotCount * kSlotFieldNames.size());
    for (int slot = 1; slot <= kExchangeSlotCount; ++slot) {
        for (std::string_view name : kSlotFieldNames) {
            std::string key = SlotKey(name, slot);
            std::string value = scratch.read(kExchangeApp, section, key);
            pending.values.emplace_back(std::move(key), std::move(value));
        }
    }
    {
        // While a command waits in the host's mailbox the slots belong to it:
        // they are written now only when the mailbox is empty, and with the
        // command in any case.
        SettingsBatch batch(store_);
        if (!batch.grouped()) return -1;
        if (store_.read(kExchangeApp, section, hostKey).empty()) {
            if (!WriteValues(store_, section, pending)) return -1;
            pending.written = true;
        }
        // Taken inside the transaction: a commit by anyone else from here on changes it.
        pending.mark = store_.foreignChangeMark();
        if (!batch.end()) return -1;
    }
    const std::lock_guard lock(gPendingMutex);
    gPending[this] = std::move(pending);
    return count;
}

std::optional<ToolCommand> ToolSession::takeCommand() {
    if (commandLine_.section.empty()) return std::nullopt;
    // Read and emptied in one step: a command written meanwhile is never lost.
    const auto text = store_.take(kExchangeApp, commandLine_.section, mailboxKey());
    if (!text || text->empty()) return std::nullopt;
    return ParseToolCommand(*text);
}

bool ToolSession::sendToHost(std::string_view verb, std::string_view extraField,
                             std::chrono::milliseconds timeout) {
    std::string text(verb);
    text += ',';
    text += actName_;
    text += ',';
    text += commandLine_.instanceId;
    if (!extraField.empty()) {
        text += ',';
        text += extraField;
    }
    return sendRawToHost(text, timeout);
}

bool ToolSession::sendRawToHost(std::string_view text, std::chrono::milliseconds timeout) {
    const std::string& section = commandLine_.section;
    if (section.empty()) return false;  // no host to talk to
    const std::string_view hostKey =
        commandLine_.hostKey.empty() ? kHostKey : std::string_view(commandLine_.hostKey);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::optional<PendingSlots> pending;
    if (IsSendVerb(text)) {
        const std::lock_guard lock(gPendingMutex);
        if (const auto found = gPending.find(this); found != gPending.end()) pending = found->second;
    }
    // Another tool's command may be waiting: the command is written only into
    // an empty mailbox, checked and written in one step.
    for (;;) {
        if (!pending) {
            if (store_.writeIfEmpty(kExchangeApp, section, hostKey, text)) return true;
        } else {
            SettingsBatch batch(store_);
            if (batch.grouped() && store_.read(kExchangeApp, section, hostKey).empty()) {
                if (!StillInStore(store_, section, *pending) && !WriteValues(store_, section, *pending)) return false;
                if (!store_.write(kExchangeApp, section, hostKey, text) || !batch.end()) return false;
                const std::lock_guard lock(gPendingMutex);
                gPending.erase(this);
                return true;
            }
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Pause(5);
    }
}

bool ToolSession::waitUntilTaken(std::chrono::milliseconds timeout) {
    const std::string_view hostKey =
        commandLine_.hostKey.empty() ? kHostKey : std::string_view(commandLine_.hostKey);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!store_.read(kExchangeApp, commandLine_.section, hostKey).empty()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Pause(5);
    }
    return true;
}

std::string ToolSession::setting(std::string_view section, std::string_view key, std::string_view fallback) {
    return store_.read(kExchangeApp, section, key, fallback);
}

bool ToolSession::setSetting(std::string_view section, std::string_view key, std::string_view value) {
    return store_.write(kExchangeApp, section, key, value);
}

}  // namespace lumibench
