#pragma once
// A GLDF container read in memory: one data set per photometry that the
// product's emitters use, each read by our own EULUMDAT or IES reader, with
// what is wrong with the container said as precisely as it can be.

#include <string>
#include <string_view>
#include <vector>

#include "formats/reader_messages.h"
#include "model/photometric_record.h"

namespace lumibench {

struct GldfDataSet {
    std::string member;       // "ldc/x.ldt"; the web address or file id when there is no member
    ReaderMessages messages;  // why it was not loaded: the inner reader's messages or the container's
    PhotometricRecord record;  // Filename "<container path> – <label>", the product's keywords added
    bool ok() const { return messages.empty(); }
};

struct GldfReading {
    ReaderMessages failure;          // the container as a whole cannot be used: nothing loads
    std::vector<std::string> notes;  // warnings that do not stop anything from loading
    std::vector<GldfDataSet> dataSets;
};

// `containerPath` names the container in the data sets' names and keywords.
GldfReading ReadGldfBytes(std::string_view bytes, const std::string& containerPath, bool noRepair);

// The same for a file on disk, refused as any photometric file is when it is
// no regular file or larger than the readers' limit.
GldfReading ReadGldfFile(const std::string& path, bool noRepair);

}  // namespace lumibench
