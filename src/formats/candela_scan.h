#pragma once
// The largest candela value and the pole check, shared by the conversion readers.

#include <cstddef>

#include "model/photometric_record.h"

namespace lumibench {

// 0-based row of the pole: the last vertical angle when the first is 90 (the data
// hang from the horizontal plane upwards), otherwise the first.
std::size_t PoleIndex(const PhotometricRecord& record);

// Sets MaxCandela (from 0, strictly greater, first occurrence in plane-then-angle
// order wins) with the angles where it lies. Returns true when the values at the
// pole, compared in single precision, differ between planes.
bool ScanMaximumAndPole(PhotometricRecord& record);

}  // namespace lumibench
