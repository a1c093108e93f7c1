#include "plan_outline.h"

#include <cmath>
#include <numbers>

#include "photometry/photometry.h"

namespace lumibench::convert_tool {

PlanOutline MakePlanOutline(const PhotometricRecord& record) {
    PlanOutline outline;
    if (record.PhotometricType != 1) return outline;
    const photometry::IntensityDistribution distribution(record);
    const auto& planes = distribution.horizontalAngles();
    const auto& gammas = distribution.verticalAngles();
    const auto& values = distribution.values();
    for (std::size_t h = 0; h < planes.size(); ++h) {
        PlanPoint point{planes[h], 0};
        for (std::size_t v = 0; v < gammas.size() && v < values[h].size(); ++v) {
            point.candela = std::max(point.candela, values[h][v]);
            if (values[h][v] > outline.maxCandela) {
                outline.maxCandela = values[h][v];
                outline.maxC = planes[h];
                outline.maxGamma = gammas[v];
            }
        }
        outline.points.push_back(point);
    }
    const double downward = photometry::DownwardFlux(distribution);
    if (downward > 0) {
        outline.streetSidePercent = 100 * photometry::SectorFlux(distribution, 270, 450, 0, 90) / downward;
    }
    return outline;
}

PlanXY PlanPosition(double centreX, double centreY, double radius, double c) {
    const double angle = c * std::numbers::pi / 180;
    return {centreX + radius * std::cos(angle), centreY - radius * std::sin(angle)};
}

}  // namespace lumibench::convert_tool
