#pragma once
// TM-33-23 XML ("IESTM33-22", version 1.1) and ATLA S001-A JSON written from
// a record. Values the formats have no place for (keyword lines, units, tilt)
// go into a record block of our own, so that our readers give the record back
// unchanged; OptionalData kept from a TM-33 document is written back in place.

#include "formats/writer_common.h"
#include "model/photometric_record.h"

namespace lumibench {

WrittenText WriteTm33Text(const PhotometricRecord& record);
WrittenText WriteAtlaJsonText(const PhotometricRecord& record);

}  // namespace lumibench
