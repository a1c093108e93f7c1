#pragma once
// How a container's data set is named and which of the product's texts it
// carries as keywords.

#include <string>
#include <vector>

#include "formats/gldf/gldf_product.h"
#include "model/photometric_record.h"

namespace lumibench {

struct GldfDataSetContext {
    std::string containerPath;
    std::string member;                      // "ldc/x.ldt"
    std::vector<const GldfVariant*> variants;  // the variants whose emitters use the photometry
    std::vector<std::string> lightSources;   // descriptions of the light sources its emitters name
};

// What follows the container's name: the variant's name when exactly one
// variant uses the photometry, else the photometry file's name without its
// extension. Never holds a "/", which would make the name a path.
std::string GldfDataSetLabel(const GldfDataSetContext& context);

// "<container path> – <label>": the list shows "SP542P.gldf – <label>".
std::string GldfDataSetFilename(const std::string& containerPath, const std::string& label);

// Appends the "[_GLDF_...]" keyword lines (container, member, manufacturer,
// product, catalogue numbers, variants, light sources) after the file's own.
void AddGldfKeywords(const GldfProduct& product, const GldfDataSetContext& context, PhotometricRecord& record);

}  // namespace lumibench
