#include <algorithm>

#include "platform/settings_store.h"

namespace lumibench {
namespace {

std::string Folded(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return folded;
}

}  // namespace

MemorySettingsStore::Key MemorySettingsStore::MakeKey(std::string_view app,
                                                      std::string_view section,
                                                      std::string_view key) {
    return {Folded(app), Folded(section), Folded(key)};
}

std::string MemorySettingsStore::read(std::string_view app, std::string_view section,
                                      std::string_view key, std::string_view defaultValue) {
    const auto found = values_.find(MakeKey(app, section, key));
    return found == values_.end() ? std::string(defaultValue) : found->second;
}

bool MemorySettingsStore::write(std::string_view app, std::string_view section,
                                std::string_view key, std::string_view value) {
    values_[MakeKey(app, section, key)] = std::string(value);
    ++writeCount;
    return true;
}

std::vector<std::string> MemorySettingsStore::keys(std::string_view app, std::string_view section) {
    std::vector<std::string> found;
    const std::string foldedApp = Folded(app);
    const std::string foldedSection = Folded(section);
    for (const auto& [key, value] : values_) {
        if (std::get<0>(key) == foldedApp && std::get<1>(key) == foldedSection) found.push_back(std::get<2>(key));
    }
    return found;
}

}  // namespace lumibench
