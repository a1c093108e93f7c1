#include "exchange/exchange_records.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <exception>
#include <future>
#include <system_error>
#include <limits>
#include <memory>
#include <thread>

#include "core/number_text.h"
#include "exchange/exchange_texts.h"
#include "exchange/split_lines_and_fields.h"

namespace lumibench {
namespace {

// Element i of a list, or 0 where a record holds fewer elements than its count
// says: the count is what travels, and a short list must not crash the writer.
template <typename T>
T ElementOr0(const std::vector<T>& list, std::size_t i) {
    return i < list.size() ? list[i] : T{};
}

// Appends `count` elements of `list`, each preceded by a comma.
void AppendList(std::string& text, const std::vector<float>& list, int count) {
    for (int i = 0; i < count; ++i) {
        text += ',';
        AppendCompact(text, ElementOr0(list, static_cast<std::size_t>(i)));
    }
}

std::string CountAndList(std::int16_t count, const std::vector<float>& list) {
    std::string text = FormatCompact(count);
    if (count <= 0) return text + ",";
    AppendList(text, list, count);
    return text;
}

std::string CandelaText(const PhotometricRecord& record) {
    std::string text;
    const int h = record.HorAngleCount;
    const int v = record.VertAngleCount;
    if (h <= 0 || v <= 0) return text;
    text.reserve(static_cast<std::size_t>(h) * static_cast<std::size_t>(v) * 8);
    // One row at a time into a scratch buffer, appended whole: no per-value
    // string work.
    const auto columns = static_cast<std::size_t>(v);
    const std::unique_ptr<char[]> row(new char[columns * (kCompactTextMax + 1)]);
    const std::vector<double> none;
    for (int i = 0; i < h; ++i) {
        const std::size_t hi = static_cast<std::size_t>(i);
        const std::vector<double>& values = hi < record.Candela.size() ? record.Candela[hi] : none;
        char* out = WriteCompactList(row.get(), values.data(), std::min(values.size(), columns));
        for (std::size_t j = values.size(); j < columns; ++j) {  // a short row reads as zeros
            *out++ = '0';
            *out++ = ',';
        }
        text.append(row.get(), out);
    }
    text.pop_back();  // no comma after the last value
    return text;
}

// An unexpected failure while reading a slot: its code, described by the caller.
struct ReadFailure {
    std::int16_t code;
};

// The leading number of a field. Plain decimal fields, which is what the
// host and well-behaved tools write, are read directly, or else go straight
// to from_chars; anything else takes the general reading.
double FieldNumber(std::string_view text) {
    if (const auto plain = PlainDecimal(text)) return *plain;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const std::string_view number = text.substr(i);
    const bool plain = !number.empty() &&
                       ((number[0] >= '0' && number[0] <= '9') || number[0] == '.' ||
                        (number[0] == '-' && number.size() > 1 && ((number[1] >= '0' && number[1] <= '9') || number[1] == '.')));
    if (plain) {
        double value = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error == std::errc() && end == number.data() + number.size()) return value;
    }
    return LeadingNumber(text);
}

std::int16_t ReadInt16(std::string_view text) {
    const auto value = ToInt16(FieldNumber(text));
    if (!value) throw ReadFailure{kOverflow};
    return *value;
}

float ReadSingle(std::string_view text) {
    const double value = FieldNumber(text);
    if (std::fabs(value) > std::numeric_limits<float>::max()) throw ReadFailure{kOverflow};
    return static_cast<float>(value);
}

double ReadDouble(std::string_view text) {
    const double value = FieldNumber(text);
    if (!std::isfinite(value)) throw ReadFailure{kOverflow};
    return value;
}

// The fields of a value's line 1, cut as SplitLinesAndFields cuts them.
using Fields = std::vector<std::string_view>;

// Field k (from 1); past the field count is a subscript failure.
std::string_view Field(const Fields& fields, long k) {
    if (k < 1 || static_cast<std::size_t>(k) > fields.size()) throw ReadFailure{kSubscriptOutOfRange};
    return fields[static_cast<std::size_t>(k - 1)];
}

std::size_t CheckedCount(std::int16_t count) {
    if (count < 0) throw ReadFailure{kSubscriptOutOfRange};
    return static_cast<std::size_t>(count);
}

const char* FailureText(std::int16_t code) {
    return code == kOverflow ? kOverflowText : kSubscriptOutOfRangeText;
}

// Large candela tables are formatted and parsed a few records at a time, one
// record per core; the store is only ever touched by the calling thread.
// Below these sizes a batch stays on the calling thread: starting a thread
// costs more than it saves.
constexpr std::size_t kConcurrentValues = 200'000;
constexpr std::size_t kConcurrentCandelaBytes = 1'000'000;  // about kConcurrentValues as text

std::size_t WorkerCount() {
    return std::max<std::size_t>(1, std::thread::hardware_concurrency());
}

// Calls job(i) for every i below n, spread over n threads (this one included)
// when `spread`, else in turn. The jobs share nothing; an exception from any
// of them is rethrown here once all have finished.
template <typename Job>
void RunJobs(std::size_t n, bool spread, const Job& job) {
    if (!spread || n < 2) {
        for (std::size_t i = 0; i < n; ++i) job(i);
        return;
    }
    std::vector<std::future<void>> others;
    others.reserve(n - 1);
    std::size_t launched = 1;
    try {
        for (; launched < n; ++launched) others.push_back(std::async(std::launch::async, job, launched));
    } catch (const std::system_error&) {
        // No thread to be had: the jobs not handed out run here.
    }
    std::exception_ptr failure;
    try {
        job(0);
        for (std::size_t i = launched; i < n; ++i) job(i);
    } catch (...) {
        failure = std::current_exception();
    }
    for (std::future<void>& other : others) {
        try {
            other.get();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

// The values of one slot as read from the store, in kSlotFieldNames order.
using SlotTexts = std::array<std::string, kSlotFieldNames.size()>;

constexpr std::size_t FieldIndex(std::string_view name) {
    for (std::size_t i = 0; i < kSlotFieldNames.size(); ++i) {
        if (kSlotFieldNames[i] == name) return i;
    }
    return kSlotFieldNames.size();
}

// How reading one slot ended: kExchangeRead, kExchangeParseProblem or a
// failure code, with the text the caller reports.
struct SlotResult {
    std::int16_t code = kExchangeRead;
    std::string errorText;
};

// Fills `record` from the texts of one slot, as far as they read; pure, so
// slots can be read side by side.
SlotResult ReadSlot(const SlotTexts& texts, PhotometricRecord& record) {
    const auto text = [&](std::string_view name) -> const std::string& { return texts[FieldIndex(name)]; };
    const char* label = "(Filename)";
    try {
        record.Filename = text(kSlotFilename);

        label = "(#Keywords)";
        ReadInt16(text(kSlotKeywords));  // checked, not used: the lines decide

        label = "(Keywords)";
        record.Keywords = SplitLinesAndFields(text(kSlotKeywordData), true).lines;

        label = "(TiltInclude)";
        record.TiltIncl = ReadInt16(text(kSlotTiltIncl)) != 0 ? kTrue : kFalse;

        if (record.TiltIncl == kTrue) {
            label = "(TiltData)";
            const Fields tilt = FirstLineFieldViews(text(kSlotTiltData));
            if (tilt.empty()) return {kExchangeParseProblem, kProblemTiltData};
            record.LampGeometry = ReadInt16(Field(tilt, 1));
            record.TiltPairCount = ReadInt16(Field(tilt, 2));
            const std::size_t pairs = CheckedCount(record.TiltPairCount);
            if (tilt.size() < 2 + 2 * pairs) {
                // Read what is there first: a bad number before the end reports as itself.
                for (std::size_t k = 3; k <= tilt.size(); ++k) ReadSingle(tilt[k - 1]);
                throw ReadFailure{kSubscriptOutOfRange};
            }
            record.TiltAngles.resize(pairs);
            record.TiltFactors.resize(pairs);
            for (std::size_t i = 1; i <= pairs; ++i) {
                record.TiltAngles[i - 1] = ReadSingle(Field(tilt, static_cast<long>(2 + i)));
                record.TiltFactors[i - 1] = ReadSingle(Field(tilt, static_cast<long>(2 + pairs + i)));
            }
        }

        label = "(OtherData)";
        const Fields other = FirstLineFieldViews(text(kSlotOtherData));
        if (other.size() < 10) return {kExchangeParseProblem, kProblemOtherData};
        record.LampCount = ReadInt16(Field(other, 1));
        record.LumensPerLamp = ReadSingle(Field(other, 2));
        record.CandelaMultiplier = ReadSingle(Field(other, 3));
        record.PhotometricType = ReadInt16(Field(other, 4));
        record.UnitsType = ReadInt16(Field(other, 5));
        record.Width = ReadSingle(Field(other, 6));
        record.Length = ReadSingle(Field(other, 7));
        record.Height = ReadSingle(Field(other, 8));
        record.BallastFactor = ReadSingle(Field(other, 9));
        record.InputWatts = ReadSingle(Field(other, 10));

        const auto readAngles = [&](std::string_view name, std::int16_t& count, std::vector<float>& angles) {
            const Fields split = FirstLineFieldViews(text(name));
            if (split.empty()) return false;
            count = ReadInt16(Field(split, 1));
            const std::size_t wanted = CheckedCount(count);
            if (split.size() < 1 + wanted) {
                for (std::size_t k = 2; k <= split.size(); ++k) ReadSingle(split[k - 1]);
                throw ReadFailure{kSubscriptOutOfRange};
            }
            angles.resize(wanted);
            for (std::size_t i = 1; i <= angles.size(); ++i) {
                angles[i - 1] = ReadSingle(Field(split, static_cast<long>(1 + i)));
            }
            return true;
        };
        label = "(VertAngles)";
        if (!readAngles(kSlotVertAngles, record.VertAngleCount, record.VertAngles)) {
            return {kExchangeParseProblem, kProblemVertAngles};
        }
        label = "(HorAngles)";
        if (!readAngles(kSlotHorAngles, record.HorAngleCount, record.HorAngles)) {
            return {kExchangeParseProblem, kProblemHorAngles};
        }

        label = "(Candela)";
        FirstLineFieldCursor candela(text(kSlotCandela));
        const std::size_t h = record.HorAngles.size();
        const std::size_t v = record.VertAngles.size();
        // Two counts of 32767 ask for 8 GB: the values present decide first.
        // A short list reads its values as far as they go (an overflow there
        // reports as itself), then fails as a list shorter than its count.
        if (FirstLineFieldCursor(text(kSlotCandela)).fieldCount() < h * v) {
            for (std::string_view value; candela.next(value);) ReadDouble(value);
            throw ReadFailure{kSubscriptOutOfRange};
        }
        record.Candela.assign(h, std::vector<double>(v, 0.0));
        std::string_view field;
        for (std::vector<double>& row : record.Candela) {
            // Plain decimals in a run; anything else one by one.
            for (std::size_t j = 0; j < row.size();) {
                j += candela.nextPlainNumbers(row.data() + j, row.size() - j);
                if (j == row.size()) break;
                if (!candela.next(field)) throw ReadFailure{kSubscriptOutOfRange};
                row[j++] = ReadDouble(field);
            }
        }

        label = "(OptionalData)";
        record.OptionalData = text(kSlotOptionalData);
        label = "(PictureFile)";
        record.PictureFilename = text(kSlotPictureFilename);
    } catch (const ReadFailure& failure) {
        return {failure.code, std::string(FailureText(failure.code)) + " " + label};
    }
    return {};
}

}  // namespace

std::string SlotKey(std::string_view fieldName, int slot) {
    std::string key(fieldName);
    key += std::to_string(slot);
    return key;
}

std::vector<SlotValue> FormatSlotValues(const PhotometricRecord& record) {
    std::vector<SlotValue> values;
    values.reserve(kSlotFieldNames.size());
    values.push_back({kSlotFilename, record.Filename});
    values.push_back({kSlotKeywords, FormatSigned(static_cast<std::int64_t>(record.Keywords.size()))});
    if (!record.Keywords.empty()) {
        std::string lines;
        for (const std::string& line : record.Keywords) {
            lines += line;
            lines += "\r\n";
        }
        values.push_back({kSlotKeywordData, std::move(lines)});
    }
    const bool tilt = record.TiltIncl == kTrue;
    values.push_back({kSlotTiltIncl, FormatSigned(tilt ? 1 : 0)});
    if (tilt) {
        std::string text = FormatCompact(record.LampGeometry) + "," + FormatCompact(record.TiltPairCount);
        AppendList(text, record.TiltAngles, record.TiltPairCount);
        AppendList(text, record.TiltFactors, record.TiltPairCount);
        values.push_back({kSlotTiltData, std::move(text)});
    }
    std::string other = FormatCompact(record.LampCount);
    for (const float part : {record.LumensPerLamp, record.CandelaMultiplier}) {
        other += ',';
        AppendCompact(other, part);
    }
    for (const std::int16_t part : {record.PhotometricType, record.UnitsType}) {
        other += ',';
        AppendCompact(other, std::int64_t{part});
    }
    for (const float part : {record.Width, record.Length, record.Height, record.BallastFactor, record.InputWatts}) {
        other += ',';
        AppendCompact(other, part);
    }
    values.push_back({kSlotOtherData, std::move(other)});
    values.push_back({kSlotHorAngles, CountAndList(record.HorAngleCount, record.HorAngles)});
    values.push_back({kSlotVertAngles, CountAndList(record.VertAngleCount, record.VertAngles)});
    values.push_back({kSlotCandela, CandelaText(record)});
    values.push_back({kSlotOptionalData, record.OptionalData});
    values.push_back({kSlotPictureFilename, record.PictureFilename});
    return values;
}

void ClearExchangeRecords(SettingsStore& store, std::string_view section) {
    if (section.empty()) return;  // never write exchange values outside a section of our own
    for (int slot = 1; slot <= kExchangeSlotCount; ++slot) {
        for (std::string_view name : kSlotFieldNames) {
            store.write(kExchangeApp, section, SlotKey(name, slot), "");
        }
    }
}

std::int16_t WriteExchangeRecords(SettingsStore& store, std::string_view section,
                                  const WorkRecordTable& work, int firstSlot, int lastSlot,
                                  int firstRecord, MessageSink& messages,
                                  std::string_view emptyAlongside, std::string_view onlyWhileEmpty) {
    if (section.empty()) return 0;
    // Tools see the old slots or the new ones, never a mixture; and one
    // transaction costs far less than 550. Without one nothing is written:
    // slots written one by one could hand a tool half of two data sets.
    SettingsBatch batch(store);
    bool failed = !batch.grouped();
    const auto failure = [&]() -> std::int16_t {
        const std::string reason = store.lastFailure();
        batch.end();  // drops whatever was written; the store stays free while the message waits
        messages.show({kExchangeWriteFailedTitle,
                       std::string(kExchangeWriteFailedText) + store.location() + ": " +
                           (reason.empty() ? "unknown error" : reason) + ".",
                       MessageIcon::Exclamation, MessageButtons::Ok, true});
        return kExchangeWriteFailed;
    };
    if (failed) return failure();
    if (!onlyWhileEmpty.empty() && !store.read(kExchangeApp, section, onlyWhileEmpty).empty()) {
        return kExchangeSlotsBusy;  // the batch ends unwritten
    }
    // Inside a batch only the end result is ever seen, so a value about to be
    // written is not emptied first; an unchanged value then costs the store
    // next to nothing. Values left out are emptied at the end.
    std::array<std::array<bool, kSlotFieldNames.size()>, kExchangeSlotCount + 1> written{};
    const auto put = [&](std::string_view name, int slot, std::string_view value) {
        if (failed) return;
        failed = !store.write(kExchangeApp, section, SlotKey(name, slot), value);
        if (slot < 1 || slot > kExchangeSlotCount) return;
        const auto field = std::find(kSlotFieldNames.begin(), kSlotFieldNames.end(), name);
        written[static_cast<std::size_t>(slot)][static_cast<std::size_t>(field - kSlotFieldNames.begin())] = true;
    };
    // Empties what was not written and ends the batch; false when it did not commit.
    const auto finish = [&] {
        for (int slot = 1; slot <= kExchangeSlotCount && !failed; ++slot) {
            for (std::size_t field = 0; field < kSlotFieldNames.size() && !failed; ++field) {
                if (!written[static_cast<std::size_t>(slot)][field]) {
                    failed = !store.write(kExchangeApp, section, SlotKey(kSlotFieldNames[field], slot), "");
                }
            }
        }
        if (!failed && !emptyAlongside.empty()) {
            failed = !store.write(kExchangeApp, section, emptyAlongside, "");
        }
        if (failed) return false;
        return batch.end();
    };
    // The record (from 1) that goes to a slot, if there is one.
    const auto recordFor = [&](int slot) -> const PhotometricRecord* {
        const long record = static_cast<long>(firstRecord) + (static_cast<long>(slot) - firstSlot);
        if (record < 1 || static_cast<std::size_t>(record) > work.size()) return nullptr;
        return &work[static_cast<std::size_t>(record - 1)];
    };
    // The values of the next few records to write, formatted ahead together.
    const std::size_t workers = WorkerCount();
    std::vector<int> aheadSlots;
    std::vector<std::vector<SlotValue>> ahead;
    long aheadLast = static_cast<long>(firstSlot) - 1;  // slots up to here are formatted
    const auto formatAhead = [&](int from) {
        aheadSlots.clear();
        std::vector<const PhotometricRecord*> records;
        std::size_t values = 0;
        int slot = from;
        for (; slot <= std::min(lastSlot, kExchangeSlotCount) && records.size() < workers; ++slot) {
            if (const PhotometricRecord* record = recordFor(slot)) {
                aheadSlots.push_back(slot);
                records.push_back(record);
                values += static_cast<std::size_t>(std::max(0, int{record->HorAngleCount})) *
                          static_cast<std::size_t>(std::max(0, int{record->VertAngleCount}));
            }
        }
        aheadLast = static_cast<long>(slot) - 1;
        ahead.assign(records.size(), {});
        RunJobs(records.size(), values > kConcurrentValues,
                [&](std::size_t i) { ahead[i] = FormatSlotValues(*records[i]); });
    };
    std::int16_t count = 0;
    for (int slot = firstSlot; slot <= lastSlot && !work.empty(); ++slot) {
        if (!recordFor(slot)) {
            put(kSlotFilename, slot, "");
            continue;
        }
        if (slot > kExchangeSlotCount) {
            // The store stays free while the message waits for the user.
            if (!finish()) return failure();
            messages.show({kLoadDataTitle,
                           std::string(kLoadDataLimitText) + FormatSigned(kExchangeSlotCount) + ").",
                           MessageIcon::Exclamation, MessageButtons::Ok, true});
            return count;
        }
        if (slot > aheadLast) formatAhead(slot);
        const auto at = std::find(aheadSlots.begin(), aheadSlots.end(), slot);
        for (const SlotValue& value : ahead[static_cast<std::size_t>(at - aheadSlots.begin())]) {
            put(value.fieldName, slot, value.value);
        }
        if (failed) return failure();
        ++count;
    }
    if (!finish()) return failure();
    return count;
}

std::int16_t ReadExchangeRecords(SettingsStore& store, std::string_view section,
                                 WorkRecordTable& work, std::string& errorText) {
    work.clear();
    if (section.empty()) return kExchangeEmpty;
    // One writer's slots: whatever commits meanwhile is not seen.
    const SettingsReadScope snapshot(store);
    const std::size_t workers = WorkerCount();
    std::vector<SlotTexts> batch;
    batch.reserve(workers);
    int slot = 1;
    while (slot <= kExchangeSlotCount) {
        // The next few filled slots, read from the store here in slot order.
        batch.clear();
        std::size_t candelaBytes = 0;
        for (; slot <= kExchangeSlotCount && batch.size() < workers; ++slot) {
            std::string filename = store.read(kExchangeApp, section, SlotKey(kSlotFilename, slot));
            if (filename.empty()) continue;
            SlotTexts& texts = batch.emplace_back();
            texts[0] = std::move(filename);
            for (std::size_t field = 1; field < kSlotFieldNames.size(); ++field) {
                texts[field] = store.read(kExchangeApp, section, SlotKey(kSlotFieldNames[field], slot));
            }
            candelaBytes += texts[FieldIndex(kSlotCandela)].size();
        }
        std::vector<PhotometricRecord> records(batch.size());
        std::vector<SlotResult> results(batch.size());
        RunJobs(batch.size(), candelaBytes > kConcurrentCandelaBytes,
                [&](std::size_t i) { results[i] = ReadSlot(batch[i], records[i]); });
        // Taken in slot order: a slot that fails ends the reading, partly
        // filled, and the slots read after it in the same batch are dropped.
        for (std::size_t i = 0; i < records.size(); ++i) {
            work.push_back(std::move(records[i]));
            if (results[i].code != kExchangeRead) {
                errorText = std::move(results[i].errorText);
                return results[i].code;
            }
        }
    }
    return work.empty() ? kExchangeEmpty : kExchangeRead;
}

}  // namespace lumibench
