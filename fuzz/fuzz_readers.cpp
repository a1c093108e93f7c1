// One target per reader, chosen at build time by LUMIBENCH_FUZZ_EXTENSION:
// the input is the file's content, read without repair.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "readers/load_dispatch.h"
#include "readers/reader_context.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumibench;
    static const auto reader = ReaderForExtension(LUMIBENCH_FUZZ_EXTENSION);
    std::string path = fuzz::AsFile(data, size, std::string("input") + LUMIBENCH_FUZZ_EXTENSION);
    WorkRecordTable work;
    SilentMessageSink messages;
    ReaderContext context{work, messages, fuzz::ScratchFolder()};
    ReaderMessages message;
    reader->reader(path, message, true, context);
    return 0;
}
