// Slot reading: the input is up to eleven values of two slots, separated by
// a 0x01 byte, in the order the slots are written; ReadExchangeRecords must
// give a status, never crash and never size anything beyond what is there.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "exchange/exchange_records.h"
#include "exchange/exchange_texts.h"
#include "exchange/split_lines_and_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumibench;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    MemorySettingsStore store;
    std::size_t start = 0;
    for (std::size_t field = 0; field < 2 * kSlotFieldNames.size() && start <= input.size(); ++field) {
        const std::size_t end = std::min(input.find('\x01', start), input.size());
        const int slot = static_cast<int>(field / kSlotFieldNames.size()) + 1;
        store.write(kExchangeApp, kFirstExchangeSection,
                    SlotKey(kSlotFieldNames[field % kSlotFieldNames.size()], slot), input.substr(start, end - start));
        start = end + 1;
    }
    WorkRecordTable work;
    std::string error;
    ReadExchangeRecords(store, kFirstExchangeSection, work, error);
    // The splitter on its own, in both modes.
    SplitLineViews(input);
    FirstLineFieldViews(input);
    if (input.size() < 4096) SplitLinesAndFields(input, false);
    return 0;
}
