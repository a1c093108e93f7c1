#include "photometry/photometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace lumibench::photometry {
namespace {

constexpr double kAngleTolerance = 1e-6;

struct Plane {
    double angle;
    std::vector<double> values;
};

std::vector<double> Scaled(const std::vector<double>& row, double multiplier, std::size_t count) {
    std::vector<double> out(count, 0.0);
    for (std::size_t i = 0; i < count && i < row.size(); ++i) out[i] = row[i] * multiplier;
    return out;
}

// Sorts by angle and keeps the first of planes that share an angle.
void SortUnique(std::vector<Plane>& planes) {
    std::stable_sort(planes.begin(), planes.end(),
                     [](const Plane& a, const Plane& b) { return a.angle < b.angle; });
    std::vector<Plane> kept;
    kept.reserve(planes.size());
    for (Plane& plane : planes) {
        if (!kept.empty() && std::abs(kept.back().angle - plane.angle) < kAngleTolerance) continue;
        kept.push_back(std::move(plane));
    }
    planes = std::move(kept);
}

std::vector<double> Blend(const std::vector<double>& a, const std::vector<double>& b, double t) {
    std::vector<double> out(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) out[i] = a[i] + (b[i] - a[i]) * t;
    return out;
}

// Type C planes over 0..360 inclusive. The stored range names the symmetry:
// one plane (rotational), 0-90 (both planes), 0-180 (about C0-C180),
// 90-270 (about C90-C270), 0-360 (none). Anything else is taken as measured
// and closed around the circle.
std::vector<Plane> ExpandTypeC(std::vector<Plane> stored) {
    if (stored.size() == 1) {
        return {{0.0, stored[0].values}, {360.0, stored[0].values}};
    }
    const double first = stored.front().angle;
    const double last = stored.back().angle;
    // The planes followed by their mirror images; only the images are copies,
    // and a plane on the axis is its own image.
    auto mirrored = [](std::vector<Plane> planes, double axis) {
        const std::size_t count = planes.size();
        planes.reserve(2 * count);
        for (std::size_t i = 0; i < count; ++i) {
            if (std::abs(planes[i].angle - axis) >= kAngleTolerance) {
                planes.push_back({2 * axis - planes[i].angle, planes[i].values});
            }
        }
        return planes;
    };
    auto near = [](double a, double b) { return std::abs(a - b) < kAngleTolerance; };
    std::vector<Plane> planes;
    if (near(first, 0) && near(last, 90)) {
        planes = mirrored(mirrored(std::move(stored), 90), 180);
    } else if (near(first, 0) && near(last, 180)) {
        planes = mirrored(std::move(stored), 180);
    } else if (near(first, 90) && near(last, 270)) {
        planes = stored;
        for (const Plane& plane : stored) {
            double angle = 180 - plane.angle;
            if (angle < 0) angle += 360;
            planes.push_back({angle, plane.values});
        }
    } else {
        for (Plane& plane : stored) {
            // A measured 360 plane closes the circle and stays where it is.
            if (plane.angle < 0 || plane.angle > 360 + kAngleTolerance) {
                plane.angle = std::fmod(plane.angle, 360.0);
                if (plane.angle < 0) plane.angle += 360;
            }
        }
        planes = std::move(stored);
    }
    SortUnique(planes);
    // Close the circle: the 0 and 360 planes are the same plane.
    if (planes.front().angle > kAngleTolerance || planes.back().angle < 360 - kAngleTolerance) {
        const Plane& low = planes.front();
        const Plane& high = planes.back();
        if (near(low.angle, 0)) {
            planes.push_back({360.0, low.values});
        } else if (near(high.angle, 360)) {
            planes.insert(planes.begin(), {0.0, high.values});
        } else {
            const double gap = low.angle + 360 - high.angle;
            const std::vector<double> seam = Blend(high.values, low.values, (360 - high.angle) / gap);
            planes.insert(planes.begin(), {0.0, seam});
            planes.push_back({360.0, seam});
        }
    }
    return planes;
}

// Types A and B: a range that starts at 0 is half of one symmetric about 0.
std::vector<Plane> MirrorAboutZero(std::vector<Plane> planes) {
    if (planes.size() == 1) {
        return {{-90.0, planes[0].values}, {90.0, planes[0].values}};
    }
    if (planes.front().angle >= -kAngleTolerance) {
        const std::size_t count = planes.size();
        for (std::size_t i = 0; i < count; ++i) planes.push_back({-planes[i].angle, planes[i].values});
    }
    SortUnique(planes);
    return planes;
}

// Index i with axis[i] <= x <= axis[i + 1] and the weight of axis[i + 1];
// nullopt outside the axis.
std::optional<std::pair<std::size_t, double>> Bracket(const std::vector<double>& axis, double x) {
    if (axis.empty()) return std::nullopt;
    if (x < axis.front() - kAngleTolerance || x > axis.back() + kAngleTolerance) return std::nullopt;
    if (axis.size() == 1) return std::pair<std::size_t, double>{0, 0.0};
    const auto it = std::upper_bound(axis.begin(), axis.end(), x);
    std::size_t i = it == axis.begin() ? 0 : static_cast<std::size_t>(it - axis.begin()) - 1;
    if (i >= axis.size() - 1) i = axis.size() - 2;
    const double span = axis[i + 1] - axis[i];
    double t = span > 0 ? (x - axis[i]) / span : 0.0;
    return std::pair<std::size_t, double>{i, std::clamp(t, 0.0, 1.0)};
}

// The azimuth wedge (radians) each plane below 360 stands for; the 360 plane
// repeats the 0 plane and gets none.
std::vector<double> PlaneWedges(const std::vector<double>& planes) {
    constexpr double kRadian = std::numbers::pi / 180.0;
    const std::size_t count = planes.size() - 1;
    std::vector<double> wedges(planes.size(), 0.0);
    if (count <= 1) {
        wedges[0] = 2 * std::numbers::pi;
        return wedges;
    }
    for (std::size_t k = 0; k < count; ++k) {
        const double before = k == 0 ? planes[count - 1] - 360 : planes[k - 1];
        wedges[k] = (planes[k + 1] - before) / 2 * kRadian;
    }
    return wedges;
}

}  // namespace

IntensityDistribution::IntensityDistribution(const PhotometricRecord& record) {
    type_ = record.PhotometricType == 2 || record.PhotometricType == 3 ? record.PhotometricType : 1;
    const double multiplier = record.CandelaMultiplier;
    const std::size_t verticalCount =
        std::min<std::size_t>(record.VertAngles.size(), std::max<int>(record.VertAngleCount, 0));
    const std::size_t horizontalCount = std::min<std::size_t>(
        {record.HorAngles.size(), record.Candela.size(), std::size_t(std::max<int>(record.HorAngleCount, 0))});
    if (verticalCount == 0 || horizontalCount == 0) return;

    std::vector<Plane> stored;
    for (std::size_t h = 0; h < horizontalCount; ++h) {
        stored.push_back({record.HorAngles[h], Scaled(record.Candela[h], multiplier, verticalCount)});
    }
    std::vector<double> vertical(record.VertAngles.begin(), record.VertAngles.begin() + verticalCount);
    // Angles are stored ascending; a file out of order is read as it is sorted.
    if (!std::is_sorted(vertical.begin(), vertical.end())) {
        std::vector<std::size_t> order(verticalCount);
        for (std::size_t i = 0; i < verticalCount; ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](auto a, auto b) { return vertical[a] < vertical[b]; });
        std::vector<double> sortedAngles;
        for (auto i : order) sortedAngles.push_back(vertical[i]);
        vertical = sortedAngles;
        for (Plane& plane : stored) {
            std::vector<double> values;
            for (auto i : order) values.push_back(plane.values[i]);
            plane.values = std::move(values);
        }
    }

    std::vector<Plane> planes;
    if (type_ == 1) {
        planes = ExpandTypeC(std::move(stored));
    } else {
        planes = MirrorAboutZero(std::move(stored));
        if (vertical.front() >= -kAngleTolerance && verticalCount > 1) {
            // Mirror the vertical axis too: symmetric above and below the axis.
            std::vector<double> full;
            for (std::size_t i = verticalCount; i-- > 0;) {
                if (vertical[i] > kAngleTolerance) full.push_back(-vertical[i]);
            }
            const std::size_t mirroredCount = full.size();
            full.insert(full.end(), vertical.begin(), vertical.end());
            for (Plane& plane : planes) {
                std::vector<double> values;
                for (std::size_t i = 0; i < mirroredCount; ++i) values.push_back(plane.values[verticalCount - 1 - i]);
                values.insert(values.end(), plane.values.begin(), plane.values.end());
                plane.values = std::move(values);
            }
            vertical = std::move(full);
        }
    }
    vertical_ = std::move(vertical);
    for (Plane& plane : planes) {
        horizontal_.push_back(plane.angle);
        values_.push_back(std::move(plane.values));
    }
    if (type_ == 1) {
        const std::vector<double> wedges = PlaneWedges(horizontal_);
        // Plane by plane over plain arrays, the wedge held: a loop the
        // compiler runs several values at a time (the sum of each direction
        // still adds its planes in order, so no figure changes).
        std::vector<double> sums(vertical_.size(), 0.0);
        double* const sum = sums.data();
        for (std::size_t k = 0; k < horizontal_.size(); ++k) {
            const double wedge = wedges[k];
            if (wedge == 0) continue;
            const double* const row = values_[k].data();
            for (std::size_t j = 0; j < sums.size(); ++j) sum[j] += wedge * row[j];
        }
        wedgeSums_ = std::move(sums);
    }
}

double IntensityDistribution::candela(Direction direction) const {
    if (values_.empty()) return 0.0;
    double h = direction.horizontal;
    double v = direction.vertical;
    if (type_ == 1) {
        // Gamma beyond the poles continues in the opposite plane.
        v = std::fmod(v, 360.0);
        if (v < 0) v += 360;
        if (v > 180) {
            v = 360 - v;
            h += 180;
        }
        h = std::fmod(h, 360.0);
        if (h < 0) h += 360;
    }
    const auto hb = Bracket(horizontal_, h);
    const auto vb = Bracket(vertical_, v);
    if (!hb || !vb) return 0.0;
    const auto [hi, ht] = *hb;
    const auto [vi, vt] = *vb;
    const std::size_t hj = std::min(hi + 1, horizontal_.size() - 1);
    const std::size_t vj = std::min(vi + 1, vertical_.size() - 1);
    const double low = values_[hi][vi] + (values_[hi][vj] - values_[hi][vi]) * vt;
    const double high = values_[hj][vi] + (values_[hj][vj] - values_[hj][vi]) * vt;
    return low + (high - low) * ht;
}

}  // namespace lumibench::photometry
