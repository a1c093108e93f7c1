#pragma once
// One entry to the writers, by output format.

#include <string>
#include <string_view>

#include "model/photometric_record.h"
#include "formats/writer_common.h"

namespace lumibench {

inline constexpr std::string_view kReadBackRefused = "the written file would be refused by the reader: ";

enum class WriteFormat { Ies2002, Ies2019, Ies1995, Eulumdat, Tm14, Tm33, AtlaJson };


// `fileName` is the name the file will have (EULUMDAT writes it into the file).
// The text is read back in memory by the format's own reader first: when the
// reader would refuse it, `error` says why (kReadBackRefused and the reader's
// first message with its line).
WrittenText WritePhotometricText(const PhotometricRecord& record, WriteFormat format, std::string_view fileName);

// Why the format's reader refuses `bytes`; empty when it reads them.
std::string ReadBackRefusal(std::string_view bytes, WriteFormat format);

}  // namespace lumibench
