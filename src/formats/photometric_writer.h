#pragma once
// One entry to the writers, by output format.

#include <string_view>

#include "model/photometric_record.h"
#include "formats/writer_common.h"

namespace lumibench {

enum class WriteFormat { Ies2002, Ies2019, Ies1995, Eulumdat, Tm14, Tm33, AtlaJson };

// `fileName` is the name the file will have (EULUMDAT writes it into the file).
WrittenText WritePhotometricText(const PhotometricRecord& record, WriteFormat format, std::string_view fileName);

}  // namespace lumibench
