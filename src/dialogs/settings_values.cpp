#include "dialogs/settings_values.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "dialogs/dialog_services.h"
#include "core/number_text.h"
#include "platform/settings_store.h"

namespace lumibench::dialogs {
namespace {

std::string Trimmed(std::string_view text) {
    const auto isBlank = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return std::string(text);
}

bool StartsWithNumber(std::string_view text) {
    const std::string t = Trimmed(text);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    if (i < t.size() && t[i] == '.') ++i;
    return i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]));
}

// A sentinel no real value matches, so that "missing" and "empty" differ.
constexpr std::string_view kMissing = "\x01missing\x01";

std::optional<std::string> Stored(SettingsStore& store, std::string_view section, std::string_view key) {
    std::string value = store.read(dialog_keys::kApplication, section, key, kMissing);
    if (value == kMissing) return std::nullopt;
    return value;
}

}  // namespace

bool ReadFlag(SettingsStore& store, std::string_view section, std::string_view key, bool defaultValue) {
    const auto value = Stored(store, section, key);
    if (!value) return defaultValue;
    std::string word = Trimmed(*value);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (word == "true") return true;
    if (word == "false") return false;
    if (StartsWithNumber(word)) return LeadingNumber(word) != 0.0;
    return defaultValue;
}

void WriteFlag(SettingsStore& store, std::string_view section, std::string_view key, bool value) {
    store.write(dialog_keys::kApplication, section, key, FlagText(value));
}

std::int16_t ReadInt16(SettingsStore& store, std::string_view section, std::string_view key,
                       std::int16_t defaultValue) {
    const auto value = Stored(store, section, key);
    if (!value || !StartsWithNumber(*value)) return defaultValue;
    return ToInt16(LeadingNumber(*value)).value_or(defaultValue);
}

double ReadNumber(SettingsStore& store, std::string_view section, std::string_view key, double defaultValue) {
    const auto value = Stored(store, section, key);
    if (!value || !StartsWithNumber(*value)) return defaultValue;
    return LeadingNumber(*value);
}

std::string ReadText(SettingsStore& store, std::string_view section, std::string_view key,
                     std::string_view defaultValue) {
    return store.read(dialog_keys::kApplication, section, key, defaultValue);
}

void WriteText(SettingsStore& store, std::string_view section, std::string_view key, std::string_view value) {
    store.write(dialog_keys::kApplication, section, key, value);
}

const char* FlagText(bool value) { return value ? "True" : "False"; }

}  // namespace lumibench::dialogs
