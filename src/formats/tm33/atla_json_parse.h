#pragma once
// ATLA S001-A JSON read into a Tm33Document: "header", "luminaire",
// "equipment" and "emitters", each emitter's "intensityDistribution" with
// "horizontalAngles", "verticalAngles" and "intensities" (one list, the
// horizontal angle outermost, or one list per horizontal angle).

#include <string_view>

#include "formats/reader_messages.h"
#include "formats/tm33/tm33_document.h"

namespace lumibench {

// False with the fault in `message` (with its line) when the text is not JSON
// or not an ATLA document.
bool ParseAtlaJson(std::string_view text, Tm33Document& document, ReaderMessages& message);

}  // namespace lumibench
