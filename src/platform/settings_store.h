#pragma once
// The per-user settings store shared with the tool processes: application,
// section and key name a text value. Names compare case-insensitively; values
// are kept byte for byte (CR LF inside a value survives).

#include <cstdint>
#include <map>
#include <optional>
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

    // Mailbox steps that other processes must never see half done. The
    // defaults suit a store no other process shares.
    // Writes `value` only when the stored value is empty or absent; true when
    // it was written.
    virtual bool writeIfEmpty(std::string_view app, std::string_view section, std::string_view key,
                              std::string_view value) {
        if (!read(app, section, key).empty()) return false;
        return write(app, section, key, value);
    }
    // The stored value, emptied in the same step when it was not empty;
    // nothing when the store failed (the value is then left as it was).
    virtual std::optional<std::string> take(std::string_view app, std::string_view section,
                                            std::string_view key) {
        std::string value = read(app, section, key);
        if (!value.empty() && !write(app, section, key, "")) return std::nullopt;
        return value;
    }

    // The reads between beginRead and endRead all see one state of the store,
    // whatever other processes commit meanwhile. Inside a batch they already do.
    virtual bool beginRead() { return true; }
    virtual void endRead() {}

    // A number that changes whenever another connection commits a change;
    // it stays put for this connection's own writes.
    virtual std::int64_t foreignChangeMark() { return 0; }

    // Where the store lives and what it last failed with, for messages.
    virtual std::string location() const { return {}; }
    virtual std::string lastFailure() const { return {}; }

    // The keys stored in one section (empty values too), for clean-ups that
    // cannot name their keys in advance. Empty when the store cannot list.
    virtual std::vector<std::string> keys(std::string_view app, std::string_view section) { return {}; }
};

// One consistent view of the store for the life of a scope.
class SettingsReadScope {
public:
    explicit SettingsReadScope(SettingsStore& store) : store_(store), open_(store.beginRead()) {}
    ~SettingsReadScope() {
        if (open_) store_.endRead();
    }
    SettingsReadScope(const SettingsReadScope&) = delete;
    SettingsReadScope& operator=(const SettingsReadScope&) = delete;
    bool consistent() const { return open_; }

private:
    SettingsStore& store_;
    bool open_;
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
    // One process, writes that cannot fail: a batch is whole by nature.
    bool beginBatch() override { return true; }
    std::vector<std::string> keys(std::string_view app, std::string_view section) override;

    std::size_t writeCount = 0;

private:
    using Key = std::tuple<std::string, std::string, std::string>;
    static Key MakeKey(std::string_view app, std::string_view section, std::string_view key);
    std::map<Key, std::string> values_;
};

}  // namespace lumibench
