#include "formats/candela_scan.h"

namespace lumibench {

std::size_t PoleIndex(const PhotometricRecord& record) {
    if (!record.VertAngles.empty() && record.VertAngles.front() == 90.0f) {
        return record.VertAngles.size() - 1;
    }
    return 0;
}

bool ScanMaximumAndPole(PhotometricRecord& record) {
    const std::size_t pole = PoleIndex(record);
    bool haveReference = false;
    float reference = 0;
    bool unequal = false;
    for (std::size_t i = 0; i < record.Candela.size(); ++i) {
        const auto& plane = record.Candela[i];
        for (std::size_t j = 0; j < plane.size(); ++j) {
            if (plane[j] > record.MaxCandela) {
                record.MaxCandela = plane[j];
                record.MaxCandelaVertAngle = j < record.VertAngles.size() ? record.VertAngles[j] : 0;
                record.MaxCandelaHorAngle = i < record.HorAngles.size() ? record.HorAngles[i] : 0;
            }
        }
        if (pole < plane.size()) {
            const float value = static_cast<float>(plane[pole]);
            if (!haveReference) {
                reference = value;
                haveReference = true;
            } else if (value != reference) {
                unequal = true;
            }
        }
    }
    return unequal;
}

}  // namespace lumibench
