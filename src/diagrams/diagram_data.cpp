#include "diagrams/diagram_data.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "diagrams/scale.h"

namespace lumibench::diagrams {

std::string UnitLabel(IntensityUnit unit) {
    return unit == IntensityUnit::Candela ? "cd" : "cd/klm";
}

double ReferenceFlux(const PhotometricRecord& record) {
    if (record.LumensPerLamp > 0 && record.LampCount > 0) {
        return static_cast<double>(record.LampCount) * record.LumensPerLamp;
    }
    if (record.LumensPerLamp < 0) {
        const photometry::IntensityDistribution distribution(record);
        const double flux = photometry::TotalFlux(distribution);
        return std::isfinite(flux) && flux > 0 ? flux : 0;
    }
    return 0;
}

bool FluxesDiffer(const std::vector<const PhotometricRecord*>& records) {
    double lo = 0, hi = 0;
    bool first = true;
    for (const PhotometricRecord* record : records) {
        const double flux = ReferenceFlux(*record);
        if (first) lo = hi = flux, first = false;
        lo = std::min(lo, flux), hi = std::max(hi, flux);
    }
    return hi > 0 && (hi - lo) > 0.005 * hi;
}

std::string SectionName(const Section& section) {
    const std::string a = FormatNumber(section.angle, 2);
    switch (section.kind) {
    case Section::Kind::PlanePair: {
        double opposite = std::fmod(section.angle + 180, 360);
        return "C" + a + "-C" + FormatNumber(opposite, 2);
    }
    case Section::Kind::Horizontal: return "H (V " + a + ")";
    case Section::Kind::Vertical: return "V (H " + a + ")";
    }
    return a;
}

std::pair<std::string, std::string> SectionHalves(const Section& section) {
    switch (section.kind) {
    case Section::Kind::PlanePair:
        return {"C" + FormatNumber(std::fmod(section.angle + 180, 360), 2), "C" + FormatNumber(section.angle, 2)};
    case Section::Kind::Horizontal: return {"H-", "H+"};
    case Section::Kind::Vertical: return {"V-", "V+"};
    }
    return {};
}

Section MaximumSection(const photometry::IntensityDistribution& distribution) {
    const auto& values = distribution.values();
    const bool typeC = distribution.photometricType() == 1;
    double best = -1, h = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        for (const double v : values[i]) {
            if (v > best) best = v, h = distribution.horizontalAngles()[i];
        }
    }
    if (!typeC) return {Section::Kind::Vertical, h};
    return {Section::Kind::PlanePair, std::fmod(std::fmod(h, 180.0) + 180.0, 180.0)};
}

std::vector<Section> DefaultSections(int photometricType) {
    if (photometricType == 1) return {{Section::Kind::PlanePair, 0}, {Section::Kind::PlanePair, 90}};
    return {{Section::Kind::Horizontal, 0}, {Section::Kind::Vertical, 0}};
}

std::vector<Section> AvailableSections(const photometry::IntensityDistribution& distribution) {
    std::vector<Section> sections;
    if (distribution.photometricType() == 1) {
        for (double c : distribution.horizontalAngles()) {
            if (c >= 0 && c < 180) sections.push_back({Section::Kind::PlanePair, c});
        }
    } else {
        for (double v : distribution.verticalAngles()) sections.push_back({Section::Kind::Horizontal, v});
        for (double h : distribution.horizontalAngles()) sections.push_back({Section::Kind::Vertical, h});
    }
    return sections;
}

Series MakeSeries(const PhotometricRecord& record, IntensityUnit unit, std::string label) {
    Series series;
    series.label = std::move(label);
    series.distribution = std::make_shared<photometry::IntensityDistribution>(record);
    if (unit == IntensityUnit::CandelaPerKilolumen) {
        const double flux = ReferenceFlux(record);
        if (flux > 0) series.factor = 1000 / flux;
    }
    return series;
}

namespace {

constexpr double kIsoStepDeg = 2.5;

// More samples than this along one axis would show nothing more on any page,
// and a damaged record's angles must not make the diagram hang.
constexpr double kMostSamples = 2000;

// Angles from lo to hi every `step` degrees plus the stored ones, sorted.
std::vector<double> Samples(double lo, double hi, const std::vector<double>& stored, double step = 1) {
    std::set<double> angles;
    if (!std::isfinite(lo) || !std::isfinite(hi) || !(hi >= lo)) return {};
    step = std::max(step, (hi - lo) / kMostSamples);
    for (double a = std::ceil(lo / step) * step; a <= hi; a += step) angles.insert(a);
    angles.insert(lo);
    angles.insert(hi);
    if (stored.size() <= kMostSamples) {
        for (double s : stored) {
            if (s >= lo && s <= hi) angles.insert(s);  // NaN fails both tests
        }
    }
    return {angles.begin(), angles.end()};
}

double Finite(double v) { return std::isfinite(v) ? v : 0; }

}  // namespace

Section CounterpartSection(const Section& section, int photometricType) {
    const bool typeC = photometricType == 1;
    if (typeC == (section.kind == Section::Kind::PlanePair)) return section;
    if (typeC) return {Section::Kind::PlanePair, section.kind == Section::Kind::Horizontal ? 90.0 : 0.0};
    const double fromAxis = std::fabs(std::remainder(section.angle, 180.0));
    return {fromAxis > 45 ? Section::Kind::Horizontal : Section::Kind::Vertical, 0};
}

std::vector<std::vector<CurvePoint>> SectionCurve(const Series& series, const Section& chosen) {
    std::vector<std::vector<CurvePoint>> pieces;
    if (!series.distribution) return pieces;
    const auto& d = *series.distribution;
    const Section section = CounterpartSection(chosen, d.photometricType());
    const auto& vertical = d.verticalAngles();
    const auto& horizontal = d.horizontalAngles();
    if (vertical.empty() || horizontal.empty()) return pieces;
    const double f = series.factor;

    if (section.kind == Section::Kind::PlanePair) {
        const double vlo = std::max(0.0, vertical.front()), vhi = std::min(180.0, vertical.back());
        const std::vector<double> gammas = Samples(vlo, vhi, vertical);
        const double opposite = std::fmod(section.angle + 180, 360);
        std::vector<CurvePoint> left, right;
        for (auto it = gammas.rbegin(); it != gammas.rend(); ++it) {
            left.push_back({-*it, f * Finite(d.candela({opposite, *it}))});
        }
        for (double g : gammas) right.push_back({g, f * Finite(d.candela({section.angle, g}))});
        if (vlo > 0) {
            pieces.push_back(std::move(left));
            pieces.push_back(std::move(right));
        } else {
            left.insert(left.end(), right.begin() + 1, right.end());
            pieces.push_back(std::move(left));
        }
        return pieces;
    }
    // Types B and A: the sweep's own signed angle is the diagram's angle.
    const bool sweepH = section.kind == Section::Kind::Horizontal;
    const auto& sweep = sweepH ? horizontal : vertical;
    const double lo = std::max(-180.0, sweep.front()), hi = std::min(180.0, sweep.back());
    std::vector<CurvePoint> curve;
    for (double a : Samples(lo, hi, sweep)) {
        const photometry::Direction direction = sweepH ? photometry::Direction{a, section.angle}
                                                       : photometry::Direction{section.angle, a};
        curve.push_back({a, f * Finite(d.candela(direction))});
    }
    pieces.push_back(std::move(curve));
    return pieces;
}

double LargestValue(const std::vector<std::vector<CurvePoint>>& pieces) {
    double largest = 0;
    for (const auto& piece : pieces) {
        for (const auto& p : piece) largest = std::max(largest, p.value);
    }
    return largest;
}

IsoGrid IsocandelaGrid(const Series& series) {
    IsoGrid grid;
    if (!series.distribution) return grid;
    const auto& d = *series.distribution;
    const auto& horizontal = d.horizontalAngles();
    const auto& vertical = d.verticalAngles();
    if (horizontal.size() < 2 || vertical.size() < 2) return grid;
    // A grid finer than the stored one follows the interpolated surface, so
    // contours bend between the stored angles instead of breaking at them.
    grid.xs = Samples(horizontal.front(), horizontal.back(), horizontal, kIsoStepDeg);
    grid.ys = Samples(vertical.front(), vertical.back(), vertical, kIsoStepDeg);
    grid.values.assign(grid.xs.size(), std::vector<double>(grid.ys.size(), 0));
    for (std::size_t i = 0; i < grid.xs.size(); ++i) {
        for (std::size_t j = 0; j < grid.ys.size(); ++j) {
            const double v = series.factor * Finite(d.candela({grid.xs[i], grid.ys[j]}));
            grid.values[i][j] = v;
            grid.maximum = std::max(grid.maximum, v);
        }
    }
    return grid;
}

std::vector<double> IsocandelaLevels(double maximum, int maxIntervals) {
    std::vector<double> levels;
    if (!(maximum > 0) || !std::isfinite(maximum)) return levels;
    const Ticks ticks = NiceTicks(0, maximum, maxIntervals);
    for (double v : ticks.values) {
        if (v > 0 && v < maximum) levels.push_back(v);
    }
    return levels;
}

}  // namespace lumibench::diagrams
