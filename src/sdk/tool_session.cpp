// The library itself never touches Qt: a tool links Qt only when it uses it.
#define LUMIBENCH_TOOL_SDK_BUILD 1
#include "sdk/tool_session.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "core/message_sink.h"
#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "exchange/host_process.h"
#include "exchange/tool_command_line.h"
#include "platform/sqlite_settings_store.h"
#include "sdk/window_placement.h"

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


// How often takeCommand looks at the host process: often enough that a tool
// ends within a second or two of its host, rarely enough to cost nothing.
constexpr std::chrono::milliseconds kHostCheckInterval{500};
constexpr std::chrono::milliseconds kSendWaitStep{5};

}  // namespace

struct ToolSession::Impl {
    std::unique_ptr<SettingsStore> ownedStore;
    SettingsStore* store = nullptr;
    std::optional<HostIdentity> host;
    std::chrono::steady_clock::time_point nextHostCheck{};
    mutable bool hostGone = false;
    std::function<void(std::chrono::milliseconds)> wait;
    std::string lastError;
    // The slot values of the last writeData, until a SEND verb carries them.
    std::optional<PendingSlots> pending;
};

std::unique_ptr<ToolSession> ToolSession::StartSession(int argc, const char* const* argv, std::string actName,
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
    session->impl_->ownedStore = std::move(store);
    // Only a tool started by a host watches it; a session built over a
    // caller's store (tests, embedding) has no host process to watch.
    session->impl_->host = HostFromEnvironment();
    return session;
}

std::unique_ptr<ToolSession> ToolSession::OpenSettingsOnly(std::string actName, std::string* error) {
    auto store = SqliteSettingsStore::Open(DefaultSettingsPath(), error);
    if (!store) return nullptr;
    auto session = std::make_unique<ToolSession>(*store, ToolCommandLine{}, std::move(actName));
    session->impl_->ownedStore = std::move(store);
    return session;
}

ToolSession::ToolSession(SettingsStore& store, ToolCommandLine commandLine, std::string actName)
    : impl_(std::make_unique<Impl>()), commandLine_(std::move(commandLine)), actName_(std::move(actName)) {
    impl_->store = &store;
}

ToolSession::~ToolSession() = default;

SettingsStore& ToolSession::store() { return *impl_->store; }

const std::string& ToolSession::lastError() const { return impl_->lastError; }

void ToolSession::setWaitHandler(std::function<void(std::chrono::milliseconds)> handler) {
    impl_->wait = std::move(handler);
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
    return ReadExchangeRecords(*impl_->store, commandLine_.section, records, errorText);
}

int ToolSession::writeData(const WorkRecordTable& records) {
    // A tool has no business showing the host's "Load Data" box; extra records are dropped.
    SilentMessageSink silent;
    const int count = static_cast<int>(std::min<std::size_t>(records.size(), kExchangeSlotCount));
    const std::string& section = commandLine_.section;
    const std::string_view hostKey =
        commandLine_.hostKey.empty() ? kHostKey : std::string_view(commandLine_.hostKey);
    SettingsStore& store = *impl_->store;
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
        // command in any case. The slots change whole or not at all: a tool
        // that sends after a failed write would hand the host the previous
        // data, or a mixture.
        SettingsBatch batch(store);
        bool ok = batch.grouped();
        if (ok && store.read(kExchangeApp, section, hostKey).empty()) {
            ok = WriteValues(store, section, pending);
            pending.written = ok;
        }
        // Taken inside the transaction: a commit by anyone else from here on changes it.
        pending.mark = store.foreignChangeMark();
        if (!batch.end()) ok = false;
        if (!ok) {
            const std::string failure = store.lastFailure();
            impl_->lastError = store.location() + ": " +
                               (failure.empty() ? std::string("the settings store refused the data sets") : failure);
            return -1;
        }
    }
    impl_->pending = std::move(pending);
    return count;
}

bool ToolSession::hostAlive() const {
    if (impl_->hostGone) return false;
    if (!impl_->host) return true;
    impl_->hostGone = !ProcessAlive(impl_->host->pid, impl_->host->startTicks);
    return !impl_->hostGone;
}

std::optional<ToolCommand> ToolSession::takeCommand() {
    if (commandLine_.section.empty()) return std::nullopt;
    const auto now = std::chrono::steady_clock::now();
    if (impl_->host && now >= impl_->nextHostCheck) {
        impl_->nextHostCheck = now + kHostCheckInterval;
        if (!hostAlive()) {
            ToolCommand close;
            close.kind = ToolCommand::Kind::Close;
            return close;
        }
    }
    // Read and emptied in one step: a command written meanwhile is never lost.
    const auto text = impl_->store->take(kExchangeApp, commandLine_.section, mailboxKey());
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
    SettingsStore& store = *impl_->store;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::optional<PendingSlots> pending;
    if (IsSendVerb(text)) pending = impl_->pending;
    // Another tool's command may be waiting: the command is written only into
    // an empty mailbox, checked and written in one step.
    for (;;) {
        if (!pending) {
            if (store.writeIfEmpty(kExchangeApp, section, hostKey, text)) return true;
        } else {
            SettingsBatch batch(store);
            if (batch.grouped() && store.read(kExchangeApp, section, hostKey).empty()) {
                if (!StillInStore(store, section, *pending) && !WriteValues(store, section, *pending)) return false;
                if (!store.write(kExchangeApp, section, hostKey, text) || !batch.end()) return false;
                impl_->pending.reset();
                return true;
            }
        }
        if (std::chrono::steady_clock::now() >= deadline || !hostAlive()) return false;
        if (impl_->wait) {
            impl_->wait(kSendWaitStep);
        } else {
            std::this_thread::sleep_for(kSendWaitStep);
        }
    }
}

bool ToolSession::waitUntilTaken(std::chrono::milliseconds timeout) {
    const std::string_view hostKey =
        commandLine_.hostKey.empty() ? kHostKey : std::string_view(commandLine_.hostKey);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!impl_->store->read(kExchangeApp, commandLine_.section, hostKey).empty()) {
        // A host that has died takes nothing any more.
        if (std::chrono::steady_clock::now() >= deadline || !hostAlive()) return false;
        if (impl_->wait) {
            impl_->wait(kSendWaitStep);
        } else {
            std::this_thread::sleep_for(kSendWaitStep);
        }
    }
    return true;
}

std::string ToolSession::setting(std::string_view section, std::string_view key, std::string_view fallback) {
    return impl_->store->read(kExchangeApp, section, key, fallback);
}

bool ToolSession::setSetting(std::string_view section, std::string_view key, std::string_view value) {
    return impl_->store->write(kExchangeApp, section, key, value);
}

std::optional<ScreenPoint> ToolSession::moveWinPosition(int x, int y) const {
    const auto origin = HostFrameOrigin(commandLine_.mainWindowHandle, &impl_->lastError);
    if (!origin) return std::nullopt;
    return ScreenPoint{origin->x + x, origin->y + y};
}

bool ToolSession::moveWindow(std::uint64_t nativeWindow, int x, int y) {
    const auto target = moveWinPosition(x, y);
    if (!target) return false;
    return MoveTopLevelWindow(nativeWindow, *target, &impl_->lastError);
}

}  // namespace lumibench
