#pragma once
// A Tm33Document turned into records of the IES model: one record per
// emitter, intensities into angle lists and table, the photometry type, the
// multiplier, relative or absolute photometry, the lamp data, the luminaire's
// size from millimetres into the record's units, the header into keywords,
// and everything else the record has no field for into OptionalData.

#include <vector>

#include "formats/reader_messages.h"
#include "formats/tm33/tm33_document.h"
#include "model/photometric_record.h"

namespace lumibench {

// One record per emitter, in document order; the first fault stops the
// conversion with its message (and line). Filename and FileDateText stay empty.
std::vector<PhotometricRecord> ConvertTm33Document(const Tm33Document& document, ReaderMessages& message);

// The record's photometric type for a document's type text ("C", "CIE_C",
// "CIE _ C", "IES_B", "TypeA"...): 1 C, 2 B, 3 A; 1 when empty; 0 when unknown.
std::int16_t PhotometricTypeOf(std::string_view text);

}  // namespace lumibench
