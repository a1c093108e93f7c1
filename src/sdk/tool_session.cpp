#include "sdk/tool_session.h"

#include <algorithm>

#include "core/message_sink.h"
#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "platform/pause.h"
#include "platform/sqlite_settings_store.h"

namespace lumibench {

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

ToolSession::~ToolSession() = default;

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
    return WriteExchangeRecords(store_, commandLine_.section, records, 1, count, 1, silent);
}

std::optional<ToolCommand> ToolSession::takeCommand() {
    if (commandLine_.section.empty()) return std::nullopt;
    const std::string key = mailboxKey();
    std::string text = store_.read(kExchangeApp, commandLine_.section, key);
    if (text.empty()) return std::nullopt;
    store_.write(kExchangeApp, commandLine_.section, key, "");
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
    if (section.empty()) return false;  // no host to talk to
    const std::string_view hostKey =
        commandLine_.hostKey.empty() ? kHostKey : std::string_view(commandLine_.hostKey);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    // Another tool's command may be waiting: writing now would overwrite it.
    while (!store_.read(kExchangeApp, section, hostKey).empty()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Pause(5);
    }
    return store_.write(kExchangeApp, section, hostKey, text);
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
