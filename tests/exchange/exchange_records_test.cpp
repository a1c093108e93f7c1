#include "exchange/exchange_records.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <sqlite3.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <thread>

#include "core/number_text.h"
#include "exchange/exchange_texts.h"
#include "platform/sqlite_settings_store.h"

namespace lumibench {
namespace {

constexpr std::string_view kSection = "Data Exchange";

// The record of the worked example: two keyword lines, no tilt, 2 x 3 angles.
PhotometricRecord ExampleRecord() {
    PhotometricRecord r;
    r.Filename = "C:\\Data\\A1.IES";
    r.Keywords = {"[TEST] 1234", "[MANUFAC] Someone"};
    r.LampCount = 1;
    r.LumensPerLamp = -1;
    r.CandelaMultiplier = 1;
    r.PhotometricType = 1;
    r.UnitsType = 2;
    r.Width = 0.6f;
    r.Length = 1.2f;
    r.Height = 0;
    r.BallastFactor = 1;
    r.InputWatts = 36;
    r.HorAngleCount = 2;
    r.HorAngles = {0, 90};
    r.VertAngleCount = 3;
    r.VertAngles = {0, 45, 90};
    r.Candela = {{100, 80, 20}, {100, 75, 15}};
    return r;
}

PhotometricRecord TiltedRecord() {
    PhotometricRecord r = ExampleRecord();
    r.Filename = "/data/tilted.ies";
    r.TiltIncl = kTrue;
    r.LampGeometry = 1;
    r.TiltPairCount = 3;
    r.TiltAngles = {0, 45, 90};
    r.TiltFactors = {1, 0.95f, 0.5f};
    r.OptionalData = "free text, with commas\r\nand lines";
    r.PictureFilename = "/pictures/a.png";
    r.Candela = {{1234.5678912345, 0.5, 1e-5}, {1.5e7, -0.25, 0}};
    return r;
}

std::string Value(MemorySettingsStore& store, std::string_view name, int slot) {
    return store.read(kExchangeApp, kSection, SlotKey(name, slot));
}

TEST(ExchangeRecords, WritesTheWorkedExampleByteForByte) {
    MemorySettingsStore store;
    RecordingMessageSink messages;
    store.write(kExchangeApp, kSection, "TiltData3", "left over");
    EXPECT_EQ(WriteExchangeRecords(store, kSection, {ExampleRecord()}, 3, 3, 1, messages), 1);

    const std::map<std::string, std::string> expected = {
        {"Filename3", "C:\\Data\\A1.IES"},
        {"Keywords3", " 2"},
        {"KeywordData3", "[TEST] 1234\r\n[MANUFAC] Someone\r\n"},
        {"TiltIncl3", " 0"},
        {"TiltData3", ""},  // cleared, not written
        {"OtherData3", "1,-1,1,1,2,.6,1.2,0,1,36"},
        {"HorAngles3", "2,0,90"},
        {"VertAngles3", "3,0,45,90"},
        {"Candela3", "100,80,20,100,75,15"},
        {"OptionalData3", ""},
        {"PictureFilename3", ""},
        {"Filename1", ""},
    };
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(store.read(kExchangeApp, kSection, key), value) << key;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST(ExchangeRecords, WritesTiltNumberFormsAndEmptyLists) {
    MemorySettingsStore store;
    RecordingMessageSink messages;
    PhotometricRecord separateTilt = ExampleRecord();
    separateTilt.TiltIncl = 2;  // a tilt file: nothing travels
    separateTilt.Keywords.clear();
    PhotometricRecord noAngles;
    noAngles.Filename = "/x.ies";
    WriteExchangeRecords(store, kSection, {TiltedRecord(), separateTilt, noAngles}, 1, 3, 1, messages);

    EXPECT_EQ(Value(store, kSlotTiltIncl, 1), " 1");
    EXPECT_EQ(Value(store, kSlotTiltData, 1), "1,3,0,45,90,1,.95,.5");
    EXPECT_EQ(Value(store, kSlotCandela, 1), "1234.5678912345,.5,1E-05,15000000,-.25,0");
    EXPECT_EQ(Value(store, kSlotOptionalData, 1), "free text, with commas\r\nand lines");

    EXPECT_EQ(Value(store, kSlotTiltIncl, 2), " 0");
    EXPECT_EQ(Value(store, kSlotKeywords, 2), " 0");
    EXPECT_EQ(Value(store, kSlotKeywordData, 2), "");

    EXPECT_EQ(Value(store, kSlotHorAngles, 3), "0,");
    EXPECT_EQ(Value(store, kSlotVertAngles, 3), "0,");
    EXPECT_EQ(Value(store, kSlotCandela, 3), "");
    EXPECT_EQ(Value(store, kSlotOtherData, 3), "0,0,0,0,0,0,0,0,0,0");
}

// What survives a trip through the slots: the exchange fields, Saved reset.
PhotometricRecord AsReadBack(PhotometricRecord r) {
    r.Saved = kFalse;
    r.Checked = kFalse;
    if (r.TiltIncl != kTrue) {
        r.TiltIncl = kFalse;
        r.LampGeometry = 0;
        r.TiltPairCount = 0;
        r.TiltAngles.clear();
        r.TiltFactors.clear();
    }
    return r;
}

TEST(ExchangeRecords, RoundTripsRecordsWithGapsClosed) {
    MemorySettingsStore store;
    RecordingMessageSink messages;
    PhotometricRecord saved = TiltedRecord();
    saved.Saved = kTrue;  // flags do not travel; the command decides
    PhotometricRecord separateTilt = ExampleRecord();
    separateTilt.TiltIncl = 5;
    separateTilt.LampGeometry = 2;
    PhotometricRecord empty;
    empty.Filename = "/empty.ies";
    const WorkRecordTable written = {saved, separateTilt, empty};
    ASSERT_EQ(WriteExchangeRecords(store, kSection, written, 1, 3, 1, messages), 3);
    // Move slot 2 to slot 5 by hand: slots are read in order and gaps close up.
    for (std::string_view name : kSlotFieldNames) {
        store.write(kExchangeApp, kSection, SlotKey(name, 5), Value(store, name, 2));
        store.write(kExchangeApp, kSection, SlotKey(name, 2), "");
    }

    WorkRecordTable read;
    std::string error;
    ASSERT_EQ(ReadExchangeRecords(store, kSection, read, error), kExchangeRead) << error;
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0], AsReadBack(saved));
    EXPECT_EQ(read[1], AsReadBack(empty));
    EXPECT_EQ(read[2], AsReadBack(separateTilt));
    EXPECT_TRUE(error.empty());
}

TEST(ExchangeRecords, KeywordLinesNeedCrLfAndEmptyOnesAreLost) {
    MemorySettingsStore store;
    RecordingMessageSink messages;
    PhotometricRecord r = ExampleRecord();
    r.Keywords = {"[A] 1", "", "[B] 2"};
    WriteExchangeRecords(store, kSection, {r}, 1, 1, 1, messages);
    WorkRecordTable read;
    std::string error;
    ASSERT_EQ(ReadExchangeRecords(store, kSection, read, error), kExchangeRead);
    EXPECT_EQ(read[0].Keywords, (std::vector<std::string>{"[A] 1", "[B] 2"}));

    // A tool that ends its lines with LF alone loses a character per line.
    store.write(kExchangeApp, kSection, "KeywordData1", "X\n[LAMP] Y\n");
    ASSERT_EQ(ReadExchangeRecords(store, kSection, read, error), kExchangeRead);
    EXPECT_EQ(read[0].Keywords, (std::vector<std::string>{"[LAMP] "}));
}

TEST(ExchangeRecords, AcceptsEveryNumberFormAToolMayWrite) {
    MemorySettingsStore store;
    RecordingMessageSink messages;
    WriteExchangeRecords(store, kSection, {ExampleRecord()}, 1, 1, 1, messages);
    store.write(kExchangeApp, kSection, "OtherData1", " 2, -1.5E+03,1,  3,1,-.25,1.5e1,0,.5D0,36.");
    store.write(kExchangeApp, kSection, "HorAngles1", " 2.5, inf,90x");  // count rounds to even: 2
    WorkRecordTable read;
    std::string error;
    ASSERT_EQ(ReadExchangeRecords(store, kSection, read, error), kExchangeRead) << error;
    const PhotometricRecord& r = read[0];
    EXPECT_EQ(r.LampCount, 2);
    EXPECT_EQ(r.LumensPerLamp, -1500.0f);
    EXPECT_EQ(r.PhotometricType, 3);
    EXPECT_EQ(r.Width, -0.25f);
    EXPECT_EQ(r.Length, 15.0f);
    EXPECT_EQ(r.BallastFactor, 0.5f);
    EXPECT_EQ(r.InputWatts, 36.0f);
    EXPECT_EQ(r.HorAngles, (std::vector<float>{0, 90}));
}

struct BadSlotCase {
    const char* key;
    std::string value;
    std::int16_t status;
    const char* error;
};

TEST(ExchangeRecords, ReportsBadValuesAndKeepsWhatWasRead) {
    const BadSlotCase cases[] = {
        {"OtherData2", "1,-1,1,1,2,.6,1.2,0,1", kExchangeParseProblem, "Problem parsing other data"},
        {"OtherData2", "", kExchangeParseProblem, "Problem parsing other data"},
        {"TiltIncl2", "-1", kExchangeParseProblem, "Problem parsing tilt data"},  // TiltData2 is empty
        {"VertAngles2", "", kExchangeParseProblem, "Problem parsing vertical angles"},
        {"HorAngles2", "", kExchangeParseProblem, "Problem parsing horizontal angles"},
        {"Candela2", "100,80,20,100,75", kSubscriptOutOfRange, "Subscript out of range (Candela)"},
        {"Candela2", "", kSubscriptOutOfRange, "Subscript out of range (Candela)"},
        {"Candela2", "100,80,1E999,100,75,15", kOverflow, "Overflow (Candela)"},
        {"HorAngles2", "3,0,90", kSubscriptOutOfRange, "Subscript out of range (HorAngles)"},
        {"VertAngles2", "-2,0", kSubscriptOutOfRange, "Subscript out of range (VertAngles)"},
        {"Keywords2", "99999", kOverflow, "Overflow (#Keywords)"},
        {"TiltIncl2", "1E9", kOverflow, "Overflow (TiltInclude)"},
        {"OtherData2", "40000,-1,1,1,2,.6,1.2,0,1,36", kOverflow, "Overflow (OtherData)"},
        {"OtherData2", "1,-1,1,1,2,1E39,1.2,0,1,36", kOverflow, "Overflow (OtherData)"},
    };
    for (const BadSlotCase& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        MemorySettingsStore store;
        RecordingMessageSink messages;
        WriteExchangeRecords(store, kSection, {ExampleRecord(), ExampleRecord(), ExampleRecord()}, 1, 3, 1,
                             messages);
        store.write(kExchangeApp, kSection, c.key, c.value);
        WorkRecordTable read;
        std::string error;
        EXPECT_EQ(ReadExchangeRecords(store, kSection, read, error), c.status);
        EXPECT_EQ(error, c.error);
        // Slot 1 whole, slot 2 partly filled, slot 3 never reached.
        ASSERT_EQ(read.size(), 2u);
        EXPECT_EQ(read[0], AsReadBack(ExampleRecord()));
        EXPECT_EQ(read[1].Filename, ExampleRecord().Filename);
    }

    // A tilt list shorter than its pair count.
    MemorySettingsStore store;
    RecordingMessageSink messages;
    WriteExchangeRecords(store, kSection, {TiltedRecord()}, 1, 1, 1, messages);
    store.write(kExchangeApp, kSection, "TiltData1", "1,4,0,45,90,1,.95,.5");
    WorkRecordTable read;
    std::string error;
    EXPECT_EQ(ReadExchangeRecords(store, kSection, read, error), kSubscriptOutOfRange);
    EXPECT_EQ(error, "Subscript out of range (TiltData)");
}

TEST(ExchangeRecords, ReadsSlotsInOrderOrReportsNone) {
    MemorySettingsStore store;
    WorkRecordTable read = {ExampleRecord()};
    std::string error;
    EXPECT_EQ(ReadExchangeRecords(store, kSection, read, error), kExchangeEmpty);
    EXPECT_TRUE(read.empty());

    RecordingMessageSink messages;
    WorkRecordTable five;
    for (int i = 1; i <= 5; ++i) {
        five.push_back(ExampleRecord());
        five.back().Filename = "/f" + std::to_string(i) + ".ies";
    }
    WriteExchangeRecords(store, kSection, five, 1, 5, 1, messages);
    store.write(kExchangeApp, kSection, "Filename2", "");
    store.write(kExchangeApp, kSection, "Filename4", "");
    ASSERT_EQ(ReadExchangeRecords(store, kSection, read, error), kExchangeRead);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].Filename, "/f1.ies");
    EXPECT_EQ(read[1].Filename, "/f3.ies");
    EXPECT_EQ(read[2].Filename, "/f5.ies");
}

TEST(ExchangeRecords, WritesTheRequestedRangeOfRecords) {
    WorkRecordTable four;
    for (int i = 1; i <= 4; ++i) {
        four.push_back(ExampleRecord());
        four.back().Filename = "/r" + std::to_string(i) + ".ies";
    }
    struct RangeCase {
        int firstSlot, lastSlot, firstRecord;
        std::int16_t count;
        std::vector<std::string> filenames;  // slots 1 to 5
    };
    const RangeCase cases[] = {
        {1, 3, 2, 3, {"/r2.ies", "/r3.ies", "/r4.ies", "", ""}},
        {1, 5, 4, 1, {"/r4.ies", "", "", "", ""}},
        {1, 4, 1, 4, {"/r1.ies", "/r2.ies", "/r3.ies", "/r4.ies", ""}},
        {2, 2, 1, 1, {"", "/r1.ies", "", "", ""}},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.firstSlot) + ".." + std::to_string(c.lastSlot) + " from " +
                     std::to_string(c.firstRecord));
        MemorySettingsStore store;
        RecordingMessageSink messages;
        WriteExchangeRecords(store, kSection, four, 1, 5, 1, messages);  // stale slots to clear
        EXPECT_EQ(WriteExchangeRecords(store, kSection, four, c.firstSlot, c.lastSlot, c.firstRecord, messages),
                  c.count);
        for (int slot = 1; slot <= 5; ++slot) {
            EXPECT_EQ(Value(store, kSlotFilename, slot), c.filenames[static_cast<std::size_t>(slot - 1)]);
        }
    }

    MemorySettingsStore store;
    RecordingMessageSink messages;
    EXPECT_EQ(WriteExchangeRecords(store, kSection, {}, 1, 3, 1, messages), 0);
    EXPECT_EQ(WriteExchangeRecords(store, "", four, 1, 4, 1, messages), 0);
    EXPECT_EQ(Value(store, kSlotFilename, 1), "");
}

TEST(ExchangeRecords, StopsAtTwentyFiveSlotsWithTheLoadDataMessage) {
    WorkRecordTable many(26, ExampleRecord());
    MemorySettingsStore store;
    RecordingMessageSink messages;
    EXPECT_EQ(WriteExchangeRecords(store, kSection, WorkRecordTable(25, ExampleRecord()), 1, 25, 1, messages),
              25);
    EXPECT_TRUE(messages.shown.empty());

    EXPECT_EQ(WriteExchangeRecords(store, kSection, many, 1, 26, 1, messages), 25);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              (MessageRequest{"Load Data",
                              "You have reached the maximum number of files allowed to load at one time ( 25).",
                              MessageIcon::Exclamation, MessageButtons::Ok, true}));
    EXPECT_EQ(Value(store, kSlotFilename, 25), ExampleRecord().Filename);
    EXPECT_EQ(Value(store, kSlotFilename, 26), "");
}

// A scratch folder of this test's own (tests run in parallel).
struct ScratchFolder {
    std::filesystem::path path;
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "exchange-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};

// Every value of slots 1 to 26 as a store holds it.
std::map<std::string, std::string> SlotValues(SettingsStore& store) {
    std::map<std::string, std::string> values;
    for (int slot = 1; slot <= kExchangeSlotCount + 1; ++slot) {
        for (std::string_view name : kSlotFieldNames) {
            values[SlotKey(name, slot)] = store.read(kExchangeApp, kSection, SlotKey(name, slot), "<none>");
        }
    }
    return values;
}

// The shared store writes the slots in one batch that rewrites values in place
// and empties the rest last; what it ends up holding must not differ.
TEST(ExchangeRecords, TheSharedStoreEndsUpWithTheSameSlots) {
    struct Case { int firstSlot, lastSlot, firstRecord; std::size_t records; };
    const Case cases[] = {{1, 3, 2, 4}, {1, 5, 4, 4}, {3, 3, 1, 1}, {1, 3, 1, 0}, {1, 26, 1, 26}, {2, 27, 1, 3}};
    ScratchFolder folder;
    ASSERT_FALSE(folder.path.empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.firstSlot) + ".." + std::to_string(c.lastSlot) + " from " +
                     std::to_string(c.firstRecord) + " of " + std::to_string(c.records));
        MemorySettingsStore memory;
        const auto shared = SqliteSettingsStore::Open(folder.path / "slots.sqlite3");
        ASSERT_NE(shared, nullptr);
        // Stale slots with keyword lines and tilt data that the new records lack.
        const WorkRecordTable stale(5, TiltedRecord());
        WorkRecordTable records(c.records, ExampleRecord());
        for (std::size_t i = 0; i < records.size(); ++i) records[i].Filename += std::to_string(i);
        if (!records.empty()) records[0].Keywords.clear();
        RecordingMessageSink memoryMessages, sharedMessages;
        WriteExchangeRecords(memory, kSection, stale, 1, 5, 1, memoryMessages);
        WriteExchangeRecords(*shared, kSection, stale, 1, 5, 1, sharedMessages);
        EXPECT_EQ(WriteExchangeRecords(*shared, kSection, records, c.firstSlot, c.lastSlot, c.firstRecord,
                                       sharedMessages),
                  WriteExchangeRecords(memory, kSection, records, c.firstSlot, c.lastSlot, c.firstRecord,
                                       memoryMessages));
        EXPECT_EQ(SlotValues(*shared), SlotValues(memory));
        EXPECT_EQ(sharedMessages.shown, memoryMessages.shown);
    }
}

// The Load Data message waits for the user; the store must be free meanwhile.
TEST(ExchangeRecords, TheStoreIsFreeWhileTheLoadDataMessageShows) {
    ScratchFolder folder;
    ASSERT_FALSE(folder.path.empty());
    const auto host = SqliteSettingsStore::Open(folder.path / "s.sqlite3");
    const auto tool = SqliteSettingsStore::Open(folder.path / "s.sqlite3");
    ASSERT_NE(host, nullptr);
    ASSERT_NE(tool, nullptr);
    struct ToolWritesMeanwhile : MessageSink {
        SqliteSettingsStore* tool = nullptr;
        bool wrote = false;
        std::string filename1;
        MessageAnswer show(const MessageRequest&) override {
            wrote = tool->write(kExchangeApp, kSection, "Probe", "x");
            filename1 = tool->read(kExchangeApp, kSection, "Filename1");
            return {};
        }
    } messages;
    messages.tool = tool.get();
    EXPECT_EQ(WriteExchangeRecords(*host, kSection, WorkRecordTable(26, ExampleRecord()), 1, 26, 1, messages), 25);
    EXPECT_TRUE(messages.wrote);
    EXPECT_EQ(messages.filename1, ExampleRecord().Filename);  // the slots written are already there
}

// A table big enough that a few records are formatted and parsed side by side,
// of numbers that survive the trip exactly.
PhotometricRecord LargeRecord(int seed) {
    PhotometricRecord r = TiltedRecord();
    r.Filename = "/data/large" + std::to_string(seed) + ".ies";
    r.HorAngleCount = 300;
    r.VertAngleCount = 400;
    r.HorAngles.resize(300);
    r.VertAngles.resize(400);
    for (int i = 0; i < 300; ++i) r.HorAngles[static_cast<std::size_t>(i)] = static_cast<float>(i) * 0.5f;
    for (int j = 0; j < 400; ++j) r.VertAngles[static_cast<std::size_t>(j)] = static_cast<float>(j) * 0.25f;
    r.Candela.assign(300, std::vector<double>(400));
    for (std::size_t i = 0; i < 300; ++i) {
        for (std::size_t j = 0; j < 400; ++j) {
            r.Candela[i][j] = static_cast<double>((i * 7919 + j * 104729 + static_cast<std::size_t>(seed) * 31) % 200003) / 8;
        }
    }
    return r;
}

// Reads slot `slot` of `store` on its own, one record and nothing to share.
std::int16_t ReadAlone(MemorySettingsStore& store, int slot, WorkRecordTable& read, std::string& error) {
    MemorySettingsStore alone;
    for (std::string_view name : kSlotFieldNames) {
        alone.write(kExchangeApp, kSection, SlotKey(name, 1), Value(store, name, slot));
    }
    return ReadExchangeRecords(alone, kSection, read, error);
}

TEST(ExchangeRecords, LargeRecordsTogetherMatchOneAtATime) {
    const WorkRecordTable written = {LargeRecord(1), LargeRecord(2), LargeRecord(3)};
    MemorySettingsStore clean;
    RecordingMessageSink messages;
    ASSERT_EQ(WriteExchangeRecords(clean, kSection, written, 1, 3, 1, messages), 3);
    for (int slot = 1; slot <= 3; ++slot) {
        SCOPED_TRACE(slot);
        std::map<std::string_view, std::string> expected;
        for (SlotValue& value : FormatSlotValues(written[static_cast<std::size_t>(slot - 1)])) {
            expected[value.fieldName] = std::move(value.value);
        }
        for (std::string_view name : kSlotFieldNames) EXPECT_EQ(Value(clean, name, slot), expected[name]) << name;
    }

    const std::string candela = Value(clean, kSlotCandela, 2);
    const std::size_t middle = candela.find(',', candela.size() / 2);
    const struct {
        const char* key;
        std::string value;
    } cases[] = {
        {"", ""},
        {"Candela2", candela.substr(0, middle) + ",1E999" + candela.substr(middle)},
        {"Candela2", candela.substr(0, middle)},
        {"OtherData2", "1,2,3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        MemorySettingsStore store = clean;
        if (*c.key) store.write(kExchangeApp, kSection, c.key, c.value);

        // Each slot read alone, up to and including the first that fails.
        WorkRecordTable expected;
        std::string expectedError = "unchanged";
        std::int16_t expectedStatus = kExchangeRead;
        for (int slot = 1; slot <= 3 && expectedStatus == kExchangeRead; ++slot) {
            WorkRecordTable alone;
            expectedStatus = ReadAlone(store, slot, alone, expectedError);
            ASSERT_EQ(alone.size(), 1u);
            expected.push_back(alone[0]);
        }
        if (*c.key) {
            ASSERT_NE(expectedStatus, kExchangeRead);
        }

        WorkRecordTable read;
        std::string error = "unchanged";
        EXPECT_EQ(ReadExchangeRecords(store, kSection, read, error), expectedStatus);
        EXPECT_EQ(error, expectedError);
        ASSERT_EQ(read.size(), expected.size());
        for (std::size_t i = 0; i < read.size(); ++i) EXPECT_TRUE(read[i] == expected[i]) << "record " << i + 1;
        if (!*c.key) {
            EXPECT_TRUE(read[1] == AsReadBack(written[1]));
        }
    }
}


// Hand-built counts that ask for far more than the values present: each must
// fail as a short list at once, without sizing anything by the count.
TEST(ExchangeRecords, CountsBeyondTheValuesPresentFailWithoutAllocating) {
    const std::string commas(32767, ',');
    const BadSlotCase cases[] = {
        // 32767 empty fields read as 32767 angles of 0; the candela list is empty.
        {"Candela2", "", kSubscriptOutOfRange, "Subscript out of range (Candela)"},
        {"Candela2", "1,2,3", kSubscriptOutOfRange, "Subscript out of range (Candela)"},
        {"Candela2", "1,1E999", kOverflow, "Overflow (Candela)"},  // a bad value before the end reports as itself
        {"Candela2", "1\r\n" + commas, kSubscriptOutOfRange, "Subscript out of range (Candela)"},
    };
    for (const BadSlotCase& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value.substr(0, 20));
        MemorySettingsStore store;
        RecordingMessageSink messages;
        WriteExchangeRecords(store, kSection, {ExampleRecord(), ExampleRecord()}, 1, 2, 1, messages);
        store.write(kExchangeApp, kSection, "HorAngles2", "32767" + commas);
        store.write(kExchangeApp, kSection, "VertAngles2", "32767" + commas);
        store.write(kExchangeApp, kSection, c.key, c.value);
        WorkRecordTable read;
        std::string error;
        EXPECT_EQ(ReadExchangeRecords(store, kSection, read, error), c.status);
        EXPECT_EQ(error, c.error);
        ASSERT_EQ(read.size(), 2u);
        EXPECT_TRUE(read[1].Candela.empty());
    }
    const BadSlotCase counts[] = {
        {"VertAngles2", "32767,0,1", kSubscriptOutOfRange, "Subscript out of range (VertAngles)"},
        {"VertAngles2", "32767,0,1E39", kOverflow, "Overflow (VertAngles)"},
        {"TiltData2", "1,32767,0,1", kSubscriptOutOfRange, "Subscript out of range (TiltData)"},
    };
    for (const BadSlotCase& c : counts) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        MemorySettingsStore store;
        RecordingMessageSink messages;
        WriteExchangeRecords(store, kSection, {ExampleRecord(), TiltedRecord()}, 1, 2, 1, messages);
        store.write(kExchangeApp, kSection, c.key, c.value);
        WorkRecordTable read;
        std::string error;
        EXPECT_EQ(ReadExchangeRecords(store, kSection, read, error), c.status);
        EXPECT_EQ(error, c.error);
    }
}

// Every finite value the host writes reads back finite, the largest ones too.
TEST(ExchangeRecords, ValuesNearTheLargestDoubleTravelAndReadBackFinite) {
    const double largest = std::numeric_limits<double>::max();
    struct Row {
        double value;
        const char* text;
    };
    const Row rows[] = {
        {largest, "1.79769313486231E+308"},
        {-largest, "-1.79769313486231E+308"},
        {std::nextafter(largest, 0.0), "1.79769313486231E+308"},
        {1.7976931348623e308, "1.7976931348623E+308"},  // already inside: unchanged
        {9.99999999999999e307, "9.99999999999999E+307"},
    };
    PhotometricRecord record = ExampleRecord();
    record.Candela = {{0, 0, 0}, {0, 0, 0}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(FormatCompact(rows[i].value), rows[i].text);
        record.Candela[i / 3][i % 3] = rows[i].value;
    }
    MemorySettingsStore store;
    RecordingMessageSink messages;
    ASSERT_EQ(WriteExchangeRecords(store, kSection, {record}, 1, 1, 1, messages), 1);
    WorkRecordTable read;
    std::string error;
    ASSERT_EQ(ReadExchangeRecords(store, kSection, read, error), kExchangeRead) << error;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const double back = read[0].Candela[i / 3][i % 3];
        EXPECT_TRUE(std::isfinite(back)) << rows[i].text;
        EXPECT_LE(std::fabs(back), std::fabs(rows[i].value)) << "cut toward zero, never beyond";
    }
}

// A write that fails anywhere in the batch (a trigger stands in for a full
// disk) leaves every slot as it was and says where and why.
TEST(ExchangeRecords, ABatchThatFailsAnywhereLeavesTheSlotsAsTheyWere) {
    ScratchFolder folder;
    ASSERT_FALSE(folder.path.empty());
    const auto file = folder.path / "s.sqlite3";
    const auto store = SqliteSettingsStore::Open(file);
    ASSERT_NE(store, nullptr);
    RecordingMessageSink messages;
    ASSERT_EQ(WriteExchangeRecords(*store, kSection, WorkRecordTable(3, TiltedRecord()), 1, 3, 1, messages), 3);
    const auto before = SlotValues(*store);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    WorkRecordTable fresh(2, ExampleRecord());
    fresh[1].Filename = "/data/second.ies";
    // The failure moves one step later each round: first value, middle, the emptying at the end.
    for (const char* key : {"Filename1", "Candela1", "Keywords2", "PictureFilename2", "TiltData3", "Candela25"}) {
        SCOPED_TRACE(key);
        const std::string trigger = std::string("CREATE TRIGGER full_insert BEFORE INSERT ON settings WHEN NEW.key = '") +
                                    key + "' BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;"
                                    "CREATE TRIGGER full_update BEFORE UPDATE ON settings WHEN NEW.key = '" +
                                    key + "' BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END;";
        ASSERT_EQ(sqlite3_exec(db, trigger.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        messages.shown.clear();
        EXPECT_EQ(WriteExchangeRecords(*store, kSection, fresh, 1, 2, 1, messages), kExchangeWriteFailed);
        EXPECT_EQ(SlotValues(*store), before);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, std::string(kExchangeWriteFailedText) + file.string() +
                                              ": database or disk is full.");
        ASSERT_EQ(sqlite3_exec(db, "DROP TRIGGER full_insert; DROP TRIGGER full_update;", nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
    sqlite3_close(db);
    EXPECT_EQ(WriteExchangeRecords(*store, kSection, fresh, 1, 2, 1, messages), 2);
}

// Two writers rewriting the slots with data sets of their own while a reader
// reads: every read is one writer's slots, never a mixture.
TEST(ExchangeRecords, AReadNeverMixesTwoWritersSlots) {
    ScratchFolder folder;
    ASSERT_FALSE(folder.path.empty());
    const auto file = folder.path / "s.sqlite3";
    ASSERT_NE(SqliteSettingsStore::Open(file), nullptr);
    std::atomic<bool> stop = false;
    std::vector<std::thread> writers;
    for (int w = 0; w < 2; ++w) {
        writers.emplace_back([&, w] {
            auto store = SqliteSettingsStore::Open(file);
            WorkRecordTable records(4, ExampleRecord());
            for (std::size_t i = 0; i < records.size(); ++i) {
                records[i].Filename = "/writer" + std::to_string(w) + "/" + std::to_string(i) + ".ies";
                records[i].LampCount = static_cast<std::int16_t>(w + 1);
            }
            SilentMessageSink silent;
            while (!stop) WriteExchangeRecords(*store, kSection, records, 1, 4, 1, silent);
        });
    }
    auto reader = SqliteSettingsStore::Open(file);
    int reads = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < deadline) {
        WorkRecordTable read;
        std::string error;
        if (ReadExchangeRecords(*reader, kSection, read, error) != kExchangeRead) continue;
        ++reads;
        ASSERT_EQ(read.size(), 4u);
        const std::string writer = read[0].Filename.substr(0, 9);
        for (const PhotometricRecord& record : read) {
            EXPECT_EQ(record.Filename.substr(0, 9), writer);
            EXPECT_EQ(record.LampCount, read[0].LampCount);
        }
    }
    stop = true;
    for (std::thread& thread : writers) thread.join();
    EXPECT_GT(reads, 0);
}

}  // namespace
}  // namespace lumibench
