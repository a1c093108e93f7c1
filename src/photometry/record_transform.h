#pragma once
// Turning, mirroring and rescaling one data set: what the Convert tool and
// lumibench-convert change, on the record alone (no files, no widgets).

#include <optional>
#include <string>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench::photometry {

enum class MirrorPlane { None, C0C180, C90C270 };
enum class PhotometryKind { Keep, Relative, Absolute };
enum class LengthUnit { Keep, Feet, Metres };

// The steps run in this order: relative photometry, lamp flux, absolute
// photometry, rotation, mirror, units. Each step left at its default is skipped.
struct RecordTransform {
    // I'(C) = I(C - rotateDegrees): a bright direction at C moves to C + rotateDegrees,
    // C counted counter-clockwise seen from above.
    double rotateDegrees = 0;
    MirrorPlane mirror = MirrorPlane::None;
    // Total rated lamp flux (all lamps) to scale relative photometry to.
    std::optional<double> lampLumens;
    PhotometryKind photometry = PhotometryKind::Keep;
    LengthUnit units = LengthUnit::Keep;

    bool turnsOrMirrors() const;
    bool operator==(const RecordTransform&) const = default;
};

struct TransformOutcome {
    std::optional<PhotometricRecord> record;  // absent when refused
    std::string refusal;                      // why, when refused
    std::vector<std::string> notes;           // what else changed besides the step asked for
};

// A turn or mirror that breaks the stored symmetry expands the table to the
// planes it needs; the record keeps its symmetry where it still holds, or
// takes the most compact one that does (one plane, 0-90, 0-180, 90-270, 0-360).
TransformOutcome TransformRecord(const PhotometricRecord& record, const RecordTransform& transform);

// The stored horizontal range as a name: "rotational", "0-90", "0-180",
// "90-270", "0-360", or "type B" / "type A".
std::string SymmetryName(const PhotometricRecord& record);

}  // namespace lumibench::photometry
