#include "photometry/comparison.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>

namespace lumibench::photometry {
namespace {

std::string Fixed(double value, int decimals) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, result.ptr);
    // "-0.0" reads as a difference where there is none.
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-') text.erase(0, 1);
    return text;
}

std::optional<double> Difference(DifferenceKind kind, std::optional<double> value, std::optional<double> reference,
                                 bool wraps) {
    if (!value || !reference) return std::nullopt;
    switch (kind) {
    case DifferenceKind::Percent:
        if (*reference == 0) return std::nullopt;
        return (*value - *reference) / *reference * 100;
    case DifferenceKind::Points: return *value - *reference;
    case DifferenceKind::Degrees: {
        double d = *value - *reference;
        if (wraps) d = std::remainder(d, 360.0);
        return d;
    }
    }
    return std::nullopt;
}

using Pick = std::function<std::optional<double>(const Summary&)>;

std::optional<double> SpreadOf(const std::vector<SpreadAngle>& spreads, const std::string& plane) {
    for (const SpreadAngle& s : spreads)
        if (s.plane == plane) return s.degrees;
    return std::nullopt;
}

std::string ZoneName(const ZonalLumens& z) { return Fixed(z.from, 0) + "-" + Fixed(z.to, 0); }

}  // namespace

std::string DifferenceUnit(DifferenceKind kind) {
    switch (kind) {
    case DifferenceKind::Percent: return "%";
    case DifferenceKind::Points: return "points";
    case DifferenceKind::Degrees: return "deg";
    }
    return {};
}

Comparison CompareSummaries(const std::vector<NamedSummary>& sets, std::size_t reference) {
    Comparison out;
    out.reference = reference < sets.size() ? reference : 0;
    for (const NamedSummary& s : sets) out.names.push_back(s.name);
    if (sets.empty()) return out;

    auto add = [&](std::string name, std::string unit, DifferenceKind kind, int decimals, const Pick& pick,
                   bool wraps = false) {
        ComparedFigure figure{std::move(name), std::move(unit), kind, decimals, {}, {}};
        for (const NamedSummary& s : sets) figure.values.push_back(pick(s.summary));
        const std::optional<double> ref = figure.values[out.reference];
        for (const auto& value : figure.values) figure.differences.push_back(Difference(kind, value, ref, wraps));
        out.figures.push_back(std::move(figure));
    };
    using K = DifferenceKind;
    add("Luminaire flux", "lm", K::Percent, 1, [](const Summary& s) { return s.luminaireFluxLm; });
    add("Lamp flux", "lm", K::Percent, 1, [](const Summary& s) { return s.lampFluxLm; });
    add("LOR", "%", K::Points, 2, [](const Summary& s) { return s.lorPercent; });
    add("DLOR", "%", K::Points, 2, [](const Summary& s) { return s.dlorPercent; });
    add("ULOR", "%", K::Points, 2, [](const Summary& s) { return s.ulorPercent; });
    add("Maximum intensity", "cd", K::Percent, 1, [](const Summary& s) { return s.maxIntensityCd; });
    add("Maximum at horizontal angle", "deg", K::Degrees, 1,
        [](const Summary& s) { return s.maxIntensityDirection.horizontal; }, true);
    add("Maximum at vertical angle", "deg", K::Degrees, 1,
        [](const Summary& s) { return s.maxIntensityDirection.vertical; });

    // Planes and zones in the order the data sets first name them.
    auto each = [&](auto names, const char* prefix, auto member) {
        std::vector<std::string> seen;
        for (const NamedSummary& s : sets)
            for (const std::string& n : names(s.summary))
                if (std::find(seen.begin(), seen.end(), n) == seen.end()) seen.push_back(n);
        for (const std::string& n : seen) member(std::string(prefix) + n, n);
    };
    auto planes = [](const std::vector<SpreadAngle>& spreads) {
        std::vector<std::string> names;
        for (const SpreadAngle& a : spreads) names.push_back(a.plane);
        return names;
    };
    each([&](const Summary& s) { return planes(s.beamAngles); }, "Beam angle ",
         [&](std::string name, const std::string& plane) {
             add(std::move(name), "deg", K::Degrees, 1,
                 [plane](const Summary& s) { return SpreadOf(s.beamAngles, plane); });
         });
    each([&](const Summary& s) { return planes(s.fieldAngles); }, "Field angle ",
         [&](std::string name, const std::string& plane) {
             add(std::move(name), "deg", K::Degrees, 1,
                 [plane](const Summary& s) { return SpreadOf(s.fieldAngles, plane); });
         });
    each(
        [](const Summary& s) {
            std::vector<std::string> names;
            for (const ZonalLumens& z : s.zonalLumens) names.push_back(ZoneName(z));
            return names;
        },
        "Zonal lumens ",
        [&](std::string name, const std::string& zone) {
            add(std::move(name), "lm", K::Percent, 1, [zone](const Summary& s) -> std::optional<double> {
                for (const ZonalLumens& z : s.zonalLumens)
                    if (ZoneName(z) == zone) return z.lm;
                return std::nullopt;
            });
        });
    add("Efficacy", "lm/W", K::Percent, 2, [](const Summary& s) { return s.efficacyLmPerW; });
    return out;
}

std::string CsvText(const std::string& text) {
    std::string field = text;
    // Spreadsheets read a cell starting with these as a formula (TAB and CR too).
    if (!field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos) field.insert(0, "'");
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string ComparisonCsv(const Comparison& comparison) {
    const std::size_t n = comparison.names.size();
    const std::string& refName = n > 0 ? comparison.names[comparison.reference] : std::string();
    std::string csv = "Figure,Unit";
    for (const std::string& name : comparison.names) csv += "," + CsvText(name);
    for (std::size_t i = 0; i < n; ++i)
        if (i != comparison.reference) csv += "," + CsvText(comparison.names[i] + " vs " + refName);
    csv += ",Difference unit\r\n";
    for (const ComparedFigure& f : comparison.figures) {
        csv += CsvText(f.name) + "," + CsvText(f.unit);
        for (const auto& v : f.values) csv += "," + (v ? Fixed(*v, f.decimals) : std::string());
        for (std::size_t i = 0; i < f.differences.size(); ++i) {
            if (i == comparison.reference) continue;
            csv += "," + (f.differences[i] ? Fixed(*f.differences[i], 2) : std::string());
        }
        csv += "," + DifferenceUnit(f.difference) + "\r\n";
    }
    return csv;
}

RatioGrid IntensityRatioGrid(const IntensityDistribution& set, double factor, const IntensityDistribution& reference,
                             double referenceFactor, double step) {
    RatioGrid grid;
    if (set.photometricType() != reference.photometricType()) {
        grid.problem = "The data sets are of different photometric types: their angles do not correspond.";
        return grid;
    }
    const auto& sh = set.horizontalAngles();
    const auto& sv = set.verticalAngles();
    const auto& rh = reference.horizontalAngles();
    const auto& rv = reference.verticalAngles();
    if (sh.empty() || sv.empty() || rh.empty() || rv.empty()) {
        grid.problem = "A data set has no intensities.";
        return grid;
    }
    const double hFrom = std::max(sh.front(), rh.front()), hTo = std::min(sh.back(), rh.back());
    const double vFrom = std::max(sv.front(), rv.front()), vTo = std::min(sv.back(), rv.back());
    if (!(hFrom <= hTo && vFrom <= vTo)) {
        grid.problem = "The data sets have no measured angles in common.";
        return grid;
    }
    if (!(step > 0)) step = kRatioStep;
    // Angles stay within one turn, so the grid is small whatever the step.
    auto axis = [step](double from, double to) {
        std::vector<double> angles;
        for (int i = 0; from + i * step < to - 1e-9 && i < 3600; ++i) angles.push_back(from + i * step);
        angles.push_back(to);
        return angles;
    };
    grid.horizontal = axis(hFrom, hTo);
    grid.vertical = axis(vFrom, vTo);

    double peak = 0;
    for (const auto& row : reference.values())
        for (double v : row) peak = std::max(peak, v);
    const double floor = peak * kRatioFloor;
    bool any = false;
    for (double h : grid.horizontal) {
        auto& column = grid.ratio.emplace_back();
        for (double v : grid.vertical) {
            const double ref = reference.candela({h, v});
            if (!(ref > floor) || ref <= 0) {
                column.emplace_back();
                continue;
            }
            const double r = set.candela({h, v}) * factor / (ref * referenceFactor);
            if (!std::isfinite(r)) {
                column.emplace_back();
                continue;
            }
            column.emplace_back(r);
            grid.smallest = any ? std::min(grid.smallest, r) : r;
            grid.largest = any ? std::max(grid.largest, r) : r;
            any = true;
        }
    }
    if (!any) grid.problem = "The reference has no light on the common angles.";
    return grid;
}

}  // namespace lumibench::photometry
