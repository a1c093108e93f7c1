#include <algorithm>
#include <cmath>

#include "photometry/photometry.h"

namespace lumibench::photometry {
namespace {

constexpr double kBeamFraction = 0.5;
constexpr double kFieldFraction = 0.1;
// Just outside a measured range the intensity is taken as 0, so a spread
// ends at the last measured angle instead of bridging the unmeasured gap.
constexpr double kEdgeStep = 1e-6;

struct ProfilePoint {
    double angle;
    double candela;
};

struct Profile {
    std::vector<ProfilePoint> points;
    bool circular = false;  // type C plane pairs close around 360 degrees
};

Profile TypeCProfile(const IntensityDistribution& distribution, double firstPlane) {
    const auto& gammas = distribution.verticalAngles();
    const double lowest = gammas.front();
    const double highest = gammas.back();
    Profile profile;
    profile.circular = true;
    auto add = [&](double plane, double gamma, bool second) {
        const double angle = second ? 360 - gamma : gamma;
        if (second && (gamma <= 0 || gamma >= 180)) return;  // the poles belong to the first plane
        profile.points.push_back({angle, distribution.candela({plane, gamma})});
    };
    for (const double plane : {firstPlane, firstPlane + 180}) {
        const bool second = plane != firstPlane;
        for (const double gamma : gammas) add(plane, gamma, second);
        if (highest < 180) profile.points.push_back({second ? 360 - highest - kEdgeStep : highest + kEdgeStep, 0});
        if (lowest > 0) profile.points.push_back({second ? 360 - lowest + kEdgeStep : lowest - kEdgeStep, 0});
    }
    std::sort(profile.points.begin(), profile.points.end(),
              [](const ProfilePoint& a, const ProfilePoint& b) { return a.angle < b.angle; });
    return profile;
}

Profile AxisProfile(const IntensityDistribution& distribution, bool horizontal) {
    Profile profile;
    const auto& angles = horizontal ? distribution.horizontalAngles() : distribution.verticalAngles();
    for (const double angle : angles) {
        const Direction direction = horizontal ? Direction{angle, 0} : Direction{0, angle};
        profile.points.push_back({angle, distribution.candela(direction)});
    }
    return profile;
}

// Distance walked from the peak until the intensity drops below `threshold`.
std::optional<double> WalkOut(const Profile& profile, std::size_t peak, double threshold, int step) {
    const auto& points = profile.points;
    const std::size_t count = points.size();
    double travelled = 0;
    std::size_t at = peak;
    for (std::size_t n = 1; n < count + (profile.circular ? 1 : 0); ++n) {
        const long next = static_cast<long>(at) + step;
        std::size_t to;
        if (next < 0 || next >= static_cast<long>(count)) {
            if (!profile.circular) return std::nullopt;
            to = next < 0 ? count - 1 : 0;
        } else {
            to = static_cast<std::size_t>(next);
        }
        double gap = (points[to].angle - points[at].angle) * step;
        if (gap < 0) gap += 360;  // across the 0/360 seam
        if (points[to].candela < threshold) {
            const double drop = points[at].candela - points[to].candela;
            const double share = drop > 0 ? (points[at].candela - threshold) / drop : 0;
            const double total = travelled + gap * share;
            return total <= 180 ? std::optional<double>(total) : std::nullopt;
        }
        travelled += gap;
        if (travelled > 180) return std::nullopt;
        at = to;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Spread> PlaneSpread(const IntensityDistribution& distribution, SpreadPlane plane, double fraction) {
    if (distribution.values().empty()) return std::nullopt;
    const bool typeC = distribution.photometricType() == 1;
    if (typeC != (plane.kind == SpreadPlane::CPair)) return std::nullopt;
    const Profile profile = typeC ? TypeCProfile(distribution, plane.firstPlane)
                                  : AxisProfile(distribution, plane.kind == SpreadPlane::Horizontal);
    if (profile.points.empty()) return std::nullopt;
    const auto peak = std::max_element(profile.points.begin(), profile.points.end(),
                                       [](const auto& a, const auto& b) { return a.candela < b.candela; });
    if (peak->candela <= 0) return std::nullopt;
    const std::size_t index = static_cast<std::size_t>(peak - profile.points.begin());
    const double threshold = peak->candela * fraction;
    const auto down = WalkOut(profile, index, threshold, -1);
    const auto up = WalkOut(profile, index, threshold, +1);
    if (!down || !up) return std::nullopt;
    Spread spread;
    spread.fullAngle = *down + *up;
    spread.peakCd = peak->candela;
    spread.peakAngle = peak->angle;
    spread.first = peak->angle - *down;
    spread.second = peak->angle + *up;
    if (profile.circular && spread.first < 0) spread.first += 360;
    if (profile.circular && spread.second >= 360) spread.second -= 360;
    return spread;
}

std::optional<double> LampFlux(const PhotometricRecord& record) {
    if (record.LumensPerLamp <= 0 || record.LampCount <= 0) return std::nullopt;
    return static_cast<double>(record.LampCount) * record.LumensPerLamp;
}

Summary Summarise(const PhotometricRecord& record) {
    return Summarise(record, IntensityDistribution(record));
}

Summary Summarise(const PhotometricRecord& record, const IntensityDistribution& distribution) {
    Summary summary;
    summary.luminaireFluxLm = TotalFlux(distribution);
    summary.downwardFluxLm = DownwardFlux(distribution);
    summary.upwardFluxLm = UpwardFlux(distribution);
    summary.lampFluxLm = LampFlux(record);
    const double luminaire = summary.luminaireFluxLm;
    if (summary.lampFluxLm) {
        const double lamp = *summary.lampFluxLm;
        summary.lorPercent = 100 * luminaire / lamp;
        summary.dlorPercent = 100 * summary.downwardFluxLm / lamp;
        summary.ulorPercent = 100 * summary.upwardFluxLm / lamp;
    }

    const auto& values = distribution.values();
    bool first = true;
    for (std::size_t h = 0; h < values.size(); ++h) {
        for (std::size_t v = 0; v < values[h].size(); ++v) {
            if (first || values[h][v] > summary.maxIntensityCd) {
                summary.maxIntensityCd = values[h][v];
                summary.maxIntensityDirection = {distribution.horizontalAngles()[h], distribution.verticalAngles()[v]};
                first = false;
            }
        }
    }

    const bool typeC = distribution.photometricType() == 1;
    const std::array<std::pair<std::string, SpreadPlane>, 2> planes =
        typeC ? std::array<std::pair<std::string, SpreadPlane>, 2>{{{"C0-C180", {SpreadPlane::CPair, 0}},
                                                                    {"C90-C270", {SpreadPlane::CPair, 90}}}}
              : std::array<std::pair<std::string, SpreadPlane>, 2>{{{"horizontal", {SpreadPlane::Horizontal, 0}},
                                                                    {"vertical", {SpreadPlane::Vertical, 0}}}};
    for (const auto& [name, plane] : planes) {
        const auto beam = PlaneSpread(distribution, plane, kBeamFraction);
        const auto field = PlaneSpread(distribution, plane, kFieldFraction);
        summary.beamAngles.push_back({name, beam ? std::optional<double>(beam->fullAngle) : std::nullopt});
        summary.fieldAngles.push_back({name, field ? std::optional<double>(field->fullAngle) : std::nullopt});
    }

    // All zones in one call: for types B and A that is one pass over the cells.
    std::vector<std::array<double, 2>> zones(kIesZones.begin(), kIesZones.end());
    for (const double cone : kCieFluxCodeCones) zones.push_back({0, cone});
    const std::vector<double> zoneFlux = ZoneFluxes(distribution, zones);
    for (std::size_t i = 0; i < kIesZones.size(); ++i) {
        ZonalLumens zone;
        zone.from = kIesZones[i][0];
        zone.to = kIesZones[i][1];
        zone.lm = zoneFlux[i];
        if (summary.lampFluxLm) zone.percentLamp = 100 * zone.lm / *summary.lampFluxLm;
        zone.percentLuminaire = luminaire > 0 ? 100 * zone.lm / luminaire : 0;
        summary.zonalLumens.push_back(zone);
    }

    const double lower = zoneFlux[3];  // 0-90
    for (std::size_t i = 0; i < kCieFluxCodeCones.size(); ++i) {
        summary.cieFluxCode[i] = lower > 0 ? 100 * zoneFlux[kIesZones.size() + i] / lower : 0;
    }
    summary.cieFluxCode[3] = luminaire > 0 ? 100 * lower / luminaire : 0;
    summary.cieFluxCode[4] = summary.lorPercent.value_or(100);

    // The ballast factor multiplies no figure (kBallastFactorApplied): the
    // input watts belong to the luminaire as it was measured.
    if (record.InputWatts > 0) summary.efficacyLmPerW = luminaire / record.InputWatts;
    return summary;
}

}  // namespace lumibench::photometry
