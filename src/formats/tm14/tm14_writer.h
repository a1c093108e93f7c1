#pragma once
// Writes a record as a CIBSE TM14 ("CIBSE/1") file in the layout our TM14
// reader reads: intensities in cd per 1000 lamp lumens, dimensions in metres.

#include "model/photometric_record.h"
#include "formats/writer_common.h"

namespace lumibench {

WrittenText WriteTm14Text(const PhotometricRecord& record);

}  // namespace lumibench
