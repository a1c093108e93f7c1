// The library itself never touches Qt: a tool links Qt only when it uses it.
#define LUMIBENCH_TOOL_SDK_BUILD 1
#include "sdk/tool_session.h"

#include <algorithm>
#include <thread>

#include "core/message_sink.h"
#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "exchange/host_process.h"
#include "exchange/tool_command_line.h"
#include "platform/sqlite_settings_store.h"
#include "sdk/window_placement.h"

namespace lumibench {
namespace {

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
    return ReadExchangeRecords(*impl_->store, commandLine_.section, records, errorText);
}

int ToolSession::writeData(const WorkRecordTable& records) {
    // A tool has no business showing the host's "Load Data" box; extra records are dropped.
    SilentMessageSink silent;
    const int count = static_cast<int>(std::min<std::size_t>(records.size(), kExchangeSlotCount));
    auto* sqlite = dynamic_cast<SqliteSettingsStore*>(impl_->store);
    // The slots change whole or not at all: a tool that sends after a failed
    // write would hand the host the previous data, or a mixture.
    SettingsBatch batch(*impl_->store);
    if (sqlite != nullptr && !batch.grouped()) {
        impl_->lastError = sqlite->file().string() + ": " + sqlite->lastError();
        return -1;
    }
    const int written = WriteExchangeRecords(*impl_->store, commandLine_.section, records, 1, count, 1, silent);
    if (!batch.end()) {
        impl_->lastError = sqlite != nullptr ? sqlite->file().string() + ": " + sqlite->lastError()
                                             : std::string("the settings store refused the data sets");
        return -1;
    }
    return written;
}

bool ToolSession::hostAlive() const {
    if (impl_->hostGone) return false;
    if (!impl_->host) return true;
    impl_->hostGone = !ProcessAlive(impl_->host->pid, impl_->host->startTicks);
    return !impl_->hostGone;
}

std::optional<ToolCommand> ToolSession::takeCommand() {
    const auto now = std::chrono::steady_clock::now();
    if (impl_->host && now >= impl_->nextHostCheck) {
        impl_->nextHostCheck = now + kHostCheckInterval;
        if (!hostAlive()) {
            ToolCommand close;
            close.kind = ToolCommand::Kind::Close;
            return close;
        }
    }
    const std::string key = mailboxKey();
    SettingsStore& store = *impl_->store;
    std::string text = store.read(kExchangeApp, commandLine_.section, key);
    if (text.empty()) return std::nullopt;
    store.write(kExchangeApp, commandLine_.section, key, "");
    return ParseToolCommand(text);
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
    const std::string_view hostKey =
        commandLine_.hostKey.empty() ? kHostKey : std::string_view(commandLine_.hostKey);
    SettingsStore& store = *impl_->store;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    // Another tool's command may be waiting: writing now would overwrite it.
    while (!store.read(kExchangeApp, section, hostKey).empty()) {
        if (std::chrono::steady_clock::now() >= deadline || !hostAlive()) return false;
        if (impl_->wait) {
            impl_->wait(kSendWaitStep);
        } else {
            std::this_thread::sleep_for(kSendWaitStep);
        }
    }
    return store.write(kExchangeApp, section, hostKey, text);
}

bool ToolSession::waitUntilTaken(std::chrono::milliseconds timeout) {
    const std::string_view hostKey =
        commandLine_.hostKey.empty() ? kHostKey : std::string_view(commandLine_.hostKey);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!impl_->store->read(kExchangeApp, commandLine_.section, hostKey).empty()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
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
