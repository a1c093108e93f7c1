// Real records through the slots: every corpus file that reads cleanly must
// come back with the same slot texts and the same shape.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/record_tables.h"
#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "formats/load_dispatch.h"

namespace lumibench {
namespace {

namespace fs = std::filesystem;

fs::path CorpusFolder() {
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    return corpus ? fs::path(corpus) : fs::path(LUMIBENCH_SOURCE_DIR) / ".." / "shared" / "corpus";
}

std::vector<std::string> SlotTexts(SettingsStore& store, std::string_view section, int slot) {
    std::vector<std::string> texts;
    for (std::string_view name : kSlotFieldNames) {
        texts.push_back(store.read(kExchangeApp, section, SlotKey(name, slot)));
    }
    return texts;
}

TEST(ExchangeCorpus, CorpusRecordsSurviveTheSlots) {
    const fs::path corpus = CorpusFolder();
    if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    const fs::path scratch = fs::temp_directory_path() / ("lumibench-exchange-" + std::to_string(::getpid()));
    fs::create_directories(scratch);

    int roundTrips = 0;
    for (const char* folder : {"ies", "ldt"}) {
        for (const auto& entry : fs::directory_iterator(corpus / folder)) {
            const auto choice = ReaderForExtension(entry.path().extension().string());
            if (!choice) continue;
            SCOPED_TRACE(entry.path().string());
            WorkRecordTable work;
            SilentMessageSink silent;
            ReaderContext context{work, silent, scratch};
            ReaderMessages message;
            std::string path = entry.path().string();
            choice->reader(path, message, true, context);  // never writes a repaired copy into the corpus
            if (!message.empty() || work.empty()) continue;

            // What the loaded table would hold: the exchange subset of the reader's record.
            WorkRecordTable loaded;
            CopyPhotometricRecord(work, 0, loaded, 0, false);
            MemorySettingsStore store;
            ASSERT_EQ(WriteExchangeRecords(store, "A", loaded, 1, 1, 1, silent), 1);
            WorkRecordTable back;
            std::string error;
            ASSERT_EQ(ReadExchangeRecords(store, "A", back, error), kExchangeRead) << error;
            ASSERT_EQ(back.size(), 1u);
            const PhotometricRecord& in = loaded[0];
            const PhotometricRecord& out = back[0];
            EXPECT_EQ(out.Filename, in.Filename);
            EXPECT_EQ(out.HorAngleCount, in.HorAngleCount);
            EXPECT_EQ(out.VertAngleCount, in.VertAngleCount);
            EXPECT_EQ(out.Candela.size(), in.Candela.size());
            EXPECT_EQ(out.TiltPairCount, in.TiltIncl == kTrue ? in.TiltPairCount : 0);
            // Keyword lines survive unless they are empty.
            std::vector<std::string> nonEmpty;
            for (const std::string& line : in.Keywords) {
                if (!line.empty()) nonEmpty.push_back(line);
            }
            EXPECT_EQ(out.Keywords, nonEmpty);

            // Written again, the values read back give the same texts.
            ASSERT_EQ(WriteExchangeRecords(store, "B", back, 1, 1, 1, silent), 1);
            EXPECT_EQ(SlotTexts(store, "A", 1), SlotTexts(store, "B", 1));
            ++roundTrips;
        }
    }
    fs::remove_all(scratch);
    EXPECT_GT(roundTrips, 20);
}

}  // namespace
}  // namespace lumibench
