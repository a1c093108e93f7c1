#include "formats/eulumdat/eulumdat_conversion.h"

#include <algorithm>
#include <cstdint>

#include "core/number_text.h"
#include "formats/reader_errors.h"

namespace lumibench {
namespace {

std::int16_t RoundedCount(float value) {
    const auto count = ToInt16(value);
    if (!count) throw ReaderError(ReaderErrorKind::Overflow);
    return *count;
}

}  // namespace

std::int16_t KeptPlaneCount(std::int16_t isym, std::int16_t mc) {
    const float planes = mc;
    switch (isym) {
        case 0:
            return mc;
        case 1:
            return 1;
        case 2:
            return RoundedCount(planes / 2 + 1);
        case 3: {
            // The planes from C90 to C270, counted as the distance between two plane
            // numbers; in single precision this equals Mc / 2 + 1 for every 16-bit Mc.
            const float first = 3 * planes / 4 + 1;
            const float last = planes / 2 + first;
            return RoundedCount(last - first + 1);
        }
        case 4:
            return RoundedCount(planes / 4 + 1);
        default:
            return mc;
    }
}

void MarkRoundLuminousArea(PhotometricRecord& record) {
    if (record.Width == 0) {
        record.Width = -record.Length;
        record.Length = -record.Length;
    }
}

float LumensPerLampOfSet(std::int16_t lampCount, float totalFlux) {
    if (lampCount < 0) return totalFlux;
    if (lampCount == 0) throw ReaderError(ReaderErrorKind::DivisionByZero);
    return totalFlux / static_cast<float>(lampCount);
}

float FluxFactor(PhotometricRecord& record) {
    if (record.LampCount > 0) {
        return static_cast<float>(record.LampCount) * record.LumensPerLamp / 1000.0f;
    }
    if (record.LampCount == INT16_MIN) throw ReaderError(ReaderErrorKind::Overflow);
    record.LampCount = static_cast<std::int16_t>(-record.LampCount);
    const float factor = record.LumensPerLamp / 1000.0f;
    record.LumensPerLamp = -1;
    return factor;
}

void ApplySymmetry(std::int16_t isym, const std::vector<float>& cAngles,
                   const EulumdatPlanes& planes, PhotometricRecord& record) {
    const std::size_t kept = planes.size();
    const auto angle = [&](std::size_t index) {
        if (index >= cAngles.size()) throw ReaderError(ReaderErrorKind::SubscriptOutOfRange);
        return cAngles[index];
    };
    // Symmetry to C90-C270 stores the planes from C90 to C270. The arithmetic below
    // names them from the start of the list and is right only for evenly spaced
    // lists; where the list itself runs from 90 to 270 over the kept planes, its
    // own angles are used, which is the same for even spacing.
    std::size_t ownAnglesFrom = cAngles.size();
    if (isym == 3) {
        const auto ninety = std::find(cAngles.begin(), cAngles.end(), 90.0f);
        const auto first = static_cast<std::size_t>(ninety - cAngles.begin());
        if (ninety != cAngles.end() && kept > 0 && first + kept <= cAngles.size() &&
            cAngles[first + kept - 1] == 270.0f) {
            ownAnglesFrom = first;
        }
    }
    record.HorAngles.clear();
    record.Candela.clear();
    if (isym == 0 && kept > 0 && angle(cAngles.size() - 1) != 360.0f) {
        // An unsymmetric file that stops short of 360 (0 .. 345): IES data closes the
        // circle with a plane equal to the first.
        for (std::size_t i = 0; i < kept; ++i) record.HorAngles.push_back(angle(i));
        record.HorAngles.push_back(360.0f);
        for (const auto& plane : planes) record.Candela.emplace_back(plane.begin(), plane.end());
        record.Candela.emplace_back(planes.front().begin(), planes.front().end());
    } else {
        for (std::size_t i = 0; i < kept; ++i) {
            if (isym == 1) {
                record.HorAngles.push_back(0.0f);
            } else if (isym == 3 && ownAnglesFrom < cAngles.size()) {
                record.HorAngles.push_back(cAngles[ownAnglesFrom + i]);
            } else if (isym == 3) {
                // The first `kept` angles of the list, backwards and taken from 270:
                // 0, 15, ..., 180 become 270, ..., 90 read from the end, i.e. 90 .. 270.
                record.HorAngles.push_back(270.0f - angle(kept - 1 - i));
            } else {
                record.HorAngles.push_back(angle(i));
            }
            record.Candela.emplace_back(planes[i].begin(), planes[i].end());
        }
    }
    if (record.HorAngles.size() > static_cast<std::size_t>(INT16_MAX)) {
        throw ReaderError(ReaderErrorKind::Overflow);
    }
    record.HorAngleCount = static_cast<std::int16_t>(record.HorAngles.size());
}

}  // namespace lumibench
