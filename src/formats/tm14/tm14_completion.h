#pragma once
// The steps that complete partial TM14 angle sets into what IES data expects.

#include <filesystem>
#include <optional>

#include "model/photometric_record.h"

namespace lumibench {

struct Tm14Completion {
    bool reorient = false;                    // type C starting at 270
    std::optional<float> firstVerticalAngle;  // type B: -90 or 0 to put in front
    bool appendVertical90 = false;            // type B ending below 90
    bool appendHorizontal90 = false;          // type B starting neither at 0 nor at -90
    bool operator==(const Tm14Completion&) const = default;
};

// What the angles as read ask for.
Tm14Completion PlanTm14Completion(const PhotometricRecord& record);

// Runs, in order: reorientation (with a 360 plane when the turned circle stops
// between 180 and 360), the inserted first vertical angle, the appended vertical 90,
// the type B plane at 90, and the closing 360 plane of a type C circle from 0.
// `databasePath` is used only by the reorientation. Throws ReaderError.
void CompleteTm14Record(PhotometricRecord& record, const Tm14Completion& plan,
                        const std::filesystem::path& databasePath);

// New cells hold candela 0.
void InsertFirstVerticalAngle(PhotometricRecord& record, float angle);
void AppendVerticalAngle(PhotometricRecord& record, float angle);
void AppendDarkPlane(PhotometricRecord& record, float angle);
// The new last plane repeats the first one.
void AppendCopyOfFirstPlane(PhotometricRecord& record, float angle);

}  // namespace lumibench
