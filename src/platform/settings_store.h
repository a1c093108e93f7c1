#pragma once
// The per-user settings store shared with the tool processes: application,
// section and key name a text value. Names compare case-insensitively; values
// are kept byte for byte (CR LF inside a value survives).

#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace lumibench {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored value, or `defaultValue` when none was ever written.
    virtual std::string read(std::string_view app, std::string_view section, std::string_view key,
                             std::string_view defaultValue = {}) = 0;
    // Returns false when the store could not be written.
    virtual bool write(std::string_view app, std::string_view section, std::string_view key,
                       std::string_view value) = 0;

    // The writes between beginBatch and endBatch reach other processes as one
    // change, whole or not at all: when any of them fails, none is kept.
    // Batches nest; only the outermost counts. beginBatch returns false when
    // the writes will go one by one instead (a store without batches, or one
    // that cannot start one now). endBatch returns false when the batch's
    // writes were dropped.
    virtual bool beginBatch() { return false; }
    virtual bool endBatch() { return true; }

    // The keys stored in one section (empty values too), for clean-ups that
    // cannot name their keys in advance. Empty when the store cannot list.
    virtual std::vector<std::string> keys(std::string_view app, std::string_view section) { return {}; }
};

// A batch for the life of a scope, or until end().
class SettingsBatch {
public:
    explicit SettingsBatch(SettingsStore& store) : store_(&store), grouped_(store.beginBatch()) {}
    ~SettingsBatch() { end(); }
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

    // Whether the writes of this batch are applied together.
    bool grouped() const { return grouped_ && store_ != nullptr; }

    bool end() {
        if (store_ == nullptr) return true;
        SettingsStore* store = std::exchange(store_, nullptr);
        return store->endBatch();
    }

private:
    SettingsStore* store_;
    bool grouped_;
};

// In-memory store for unit tests of logic; real processes share the SQLite one.
class MemorySettingsStore : public SettingsStore {
public:
    std::string read(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view defaultValue = {}) override;
    bool write(std::string_view app, std::string_view section, std::string_view key,
               std::string_view value) override;
    std::vector<std::string> keys(std::string_view app, std::string_view section) override;

    std::size_t writeCount = 0;

private:
    using Key = std::tuple<std::string, std::string, std::string>;
    static Key MakeKey(std::string_view app, std::string_view section, std::string_view key);
    std::map<Key, std::string> values_;
};

}  // namespace lumibench
