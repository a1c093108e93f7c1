#pragma once
// Writes a record as an IES LM-63 file that our own reader accepts: CR LF line
// ends, the five line breaks the reader demands, plain decimal numbers, every
// line within the edition's length limit.

#include "model/photometric_record.h"
#include "formats/writer_common.h"

namespace lumibench {

enum class IesEdition { Lm63_1995, Lm63_2002, Lm63_2019 };

// The edition a record's first header line names; 2002 when it names none.
IesEdition EditionOf(const PhotometricRecord& record);

// The whole file. Keywords the edition requires and the record lacks are
// written with the placeholder "Not given", each reported in `notes`.
WrittenText WriteIesText(const PhotometricRecord& record, IesEdition edition);

}  // namespace lumibench
