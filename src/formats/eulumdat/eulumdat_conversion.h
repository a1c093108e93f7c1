#pragma once
// The EULUMDAT-to-IES conversion steps, apart from the reading of the file.

#include <cstdint>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench {

// Intensity planes as stored in the file, already scaled to candela: Raw[plane][gamma].
using EulumdatPlanes = std::vector<std::vector<float>>;

// How many C-planes the file stores for symmetry indicator `isym` and `mc` planes in
// the full circle. Halves and quarters round to nearest, ties to even.
std::int16_t KeptPlaneCount(std::int16_t isym, std::int16_t mc);

// A luminous-area width of 0 marks a round area: Width and Length both become the
// negative diameter, the IES convention for a circular opening.
void MarkRoundLuminousArea(PhotometricRecord& record);

// Lumens per lamp of the first lamp set. A negative lamp count means absolute
// photometry and keeps the total flux; a count of 0 throws DivisionByZero.
float LumensPerLampOfSet(std::int16_t lampCount, float totalFlux);

// The factor from cd/klm to candela, in kilolumens. For absolute photometry (lamp
// count not above 0) the lamp count turns positive and LumensPerLamp becomes -1.
float FluxFactor(PhotometricRecord& record);

// Horizontal angles and candela table from the stored planes (`cAngles` is the
// file's C-plane list, `planes` the kept planes): a full circle without a 360 plane
// gets one equal to the 0 plane, and data symmetric to C90-C270 is laid out from
// 90 to 270. Throws SubscriptOutOfRange when the file has fewer C angles than planes.
void ApplySymmetry(std::int16_t isym, const std::vector<float>& cAngles,
                   const EulumdatPlanes& planes, PhotometricRecord& record);

}  // namespace lumibench
