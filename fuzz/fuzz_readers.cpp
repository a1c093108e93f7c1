// One target per reader, chosen at build time by LUMIBENCH_FUZZ_EXTENSION:
// the input is the file's content, read without repair. Whatever it reads
// is written again in every format, and what a writer makes is read back.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "formats/load_dispatch.h"
#include "formats/photometric_writer.h"
#include "formats/reader_context.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace lumibench;
    static const auto reader = ReaderForExtension(LUMIBENCH_FUZZ_EXTENSION);
    std::string path = fuzz::AsFile(data, size, std::string("input") + LUMIBENCH_FUZZ_EXTENSION);
    WorkRecordTable work;
    SilentMessageSink messages;
    ReaderContext context{work, messages, fuzz::ScratchFolder()};
    ReaderMessages message;
    reader->reader(path, message, true, context);
    if (work.empty()) return 0;
    const PhotometricRecord record = work.front();
    for (const auto& [format, extension] : {std::pair{WriteFormat::Ies2002, ".ies"}, std::pair{WriteFormat::Ies2019, ".ies"},
                                            std::pair{WriteFormat::Ies1995, ".ies"}, std::pair{WriteFormat::Eulumdat, ".ldt"},
                                            std::pair{WriteFormat::Tm14, ".cib"}, std::pair{WriteFormat::Tm33, ".xml"},
                                            std::pair{WriteFormat::AtlaJson, ".json"}}) {
        const WrittenText written = WritePhotometricText(record, format, std::string("written") + extension);
        if (!written.ok()) continue;
        std::string writtenPath = fuzz::AsFile(reinterpret_cast<const std::uint8_t*>(written.text.data()),
                                               written.text.size(), std::string("written") + extension);
        WorkRecordTable back;
        ReaderContext backContext{back, messages, fuzz::ScratchFolder()};
        ReaderMessages backMessage;
        ReaderForExtension(extension)->reader(writtenPath, backMessage, true, backContext);
    }
    return 0;
}
