#include "formats/tm14/tm14_completion.h"

#include <cstdint>

#include "formats/reader_errors.h"
#include "formats/tm14/tm14_reorientation.h"

namespace lumibench {
namespace {

constexpr std::int16_t kTypeC = 1;
constexpr std::int16_t kTypeB = 2;

std::int16_t GrownCount(std::size_t size) {
    if (size > static_cast<std::size_t>(INT16_MAX)) throw ReaderError(ReaderErrorKind::Overflow);
    return static_cast<std::int16_t>(size);
}

}  // namespace

Tm14Completion PlanTm14Completion(const PhotometricRecord& record) {
    Tm14Completion plan;
    const auto& vertical = record.VertAngles;
    const auto& horizontal = record.HorAngles;
    if (record.PhotometricType == kTypeC) {
        plan.reorient = !horizontal.empty() && horizontal.front() == 270.0f;
    } else if (record.PhotometricType == kTypeB) {
        if (!vertical.empty()) {
            const float first = vertical.front();
            if (first != 0.0f && first != -90.0f) {
                plan.firstVerticalAngle = first < 0.0f ? -90.0f : 0.0f;
            }
            plan.appendVertical90 = vertical.back() != 90.0f;
        }
        // A range that does not start at 0 or -90 is closed at 90; one that already
        // ends there gains nothing, since a second plane at 90 would break the order.
        if (!horizontal.empty()) {
            const float first = horizontal.front();
            plan.appendHorizontal90 =
                first != 0.0f && first != -90.0f && horizontal.back() != 90.0f;
        }
    }
    return plan;
}

void InsertFirstVerticalAngle(PhotometricRecord& record, float angle) {
    record.VertAngles.insert(record.VertAngles.begin(), angle);
    for (auto& plane : record.Candela) plane.insert(plane.begin(), 0.0);
    record.VertAngleCount = GrownCount(record.VertAngles.size());
}

void AppendVerticalAngle(PhotometricRecord& record, float angle) {
    record.VertAngles.push_back(angle);
    for (auto& plane : record.Candela) plane.push_back(0.0);
    record.VertAngleCount = GrownCount(record.VertAngles.size());
}

void AppendDarkPlane(PhotometricRecord& record, float angle) {
    record.HorAngles.push_back(angle);
    record.Candela.emplace_back(record.VertAngles.size(), 0.0);
    record.HorAngleCount = GrownCount(record.HorAngles.size());
}

void AppendCopyOfFirstPlane(PhotometricRecord& record, float angle) {
    record.HorAngles.push_back(angle);
    if (record.Candela.empty()) {
        record.Candela.emplace_back(record.VertAngles.size(), 0.0);
    } else {
        const std::vector<double> first = record.Candela.front();
        record.Candela.push_back(first);
    }
    record.HorAngleCount = GrownCount(record.HorAngles.size());
}

void CompleteTm14Record(PhotometricRecord& record, const Tm14Completion& plan,
                        const std::filesystem::path& databasePath) {
    bool append360 = false;
    if (plan.reorient) {
        ReorientFrom270(record, databasePath);
        const auto& horizontal = record.HorAngles;
        if (!horizontal.empty()) {
            const float first = horizontal.front();
            const float last = horizontal.back();
            append360 = last > 180.0f && last < 360.0f && !(first == 90.0f && last == 270.0f);
        }
    }
    if (plan.firstVerticalAngle) InsertFirstVerticalAngle(record, *plan.firstVerticalAngle);
    if (plan.appendVertical90) AppendVerticalAngle(record, 90.0f);
    if (plan.appendHorizontal90) AppendDarkPlane(record, 90.0f);
    if (append360) AppendCopyOfFirstPlane(record, 360.0f);
    if (record.PhotometricType == kTypeC && !record.HorAngles.empty()) {
        const float first = record.HorAngles.front();
        const float last = record.HorAngles.back();
        if (first == 0.0f && last >= 270.0f && last != 360.0f) {
            AppendCopyOfFirstPlane(record, 360.0f);
        }
    }
}

}  // namespace lumibench
