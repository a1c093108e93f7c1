#pragma once
// Typed reads and writes of the settings the dialogs keep. Flags are the words
// "True" and "False"; numbers are decimal text.

#include <cstdint>
#include <string>
#include <string_view>

namespace lumibench {
class SettingsStore;
}

namespace lumibench::dialogs {

// "True"/"False" in any case, or a number (non-zero is true); anything else
// counts as missing and gives the default.
bool ReadFlag(SettingsStore& store, std::string_view section, std::string_view key, bool defaultValue);
void WriteFlag(SettingsStore& store, std::string_view section, std::string_view key, bool value);

// The leading number rounded to 16 bits; no number or out of range gives the default.
std::int16_t ReadInt16(SettingsStore& store, std::string_view section, std::string_view key,
                       std::int16_t defaultValue);
// The leading number; no number gives the default.
double ReadNumber(SettingsStore& store, std::string_view section, std::string_view key, double defaultValue);

std::string ReadText(SettingsStore& store, std::string_view section, std::string_view key,
                     std::string_view defaultValue = {});
void WriteText(SettingsStore& store, std::string_view section, std::string_view key, std::string_view value);

const char* FlagText(bool value);

}  // namespace lumibench::dialogs
