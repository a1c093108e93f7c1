#include "diagrams/scale.h"

#include <charconv>
#include <cmath>

namespace lumibench::diagrams {

double NiceStep(double span, int maxIntervals) {
    if (!(span > 0) || !std::isfinite(span)) return 1;
    if (maxIntervals < 1) maxIntervals = 1;
    const double raw = span / maxIntervals;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double mantissa : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        const double step = mantissa * power;
        // A little slack so that 3 / 3 intervals does not jump to the next step.
        if (step >= raw * (1 - 1e-9)) return step;
    }
    return 10 * power;
}

Ticks NiceTicks(double lo, double hi, int maxIntervals) {
    if (!std::isfinite(lo) || !std::isfinite(hi)) lo = 0, hi = 1;
    if (hi < lo) std::swap(lo, hi);
    if (hi == lo) hi = lo == 0 ? 1 : lo + std::abs(lo);
    Ticks ticks;
    ticks.step = NiceStep(hi - lo, maxIntervals);
    // Rounding the ends to the step can add an interval: widen the step then.
    for (;;) {
        ticks.first = std::floor(lo / ticks.step + 1e-9) * ticks.step;
        ticks.last = std::ceil(hi / ticks.step - 1e-9) * ticks.step;
        const long intervals = std::lround((ticks.last - ticks.first) / ticks.step);
        if (intervals <= std::max(1, maxIntervals)) break;
        ticks.step = NiceStep(ticks.step * 1.0001 * std::max(1, maxIntervals), maxIntervals);
    }
    const long intervals = std::lround((ticks.last - ticks.first) / ticks.step);
    for (long i = 0; i <= intervals; ++i) {
        double value = ticks.first + static_cast<double>(i) * ticks.step;
        if (std::abs(value) < ticks.step * 1e-9) value = 0;  // no "-0" ticks
        ticks.values.push_back(value);
    }
    return ticks;
}

std::string FormatNumber(double value, int decimals) {
    if (!std::isfinite(value)) return "-";
    if (decimals < 0) decimals = 0;
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "-";
    std::string text(buffer, end);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

std::string TickLabel(double value, double step) {
    int decimals = 0;
    if (step > 0 && std::isfinite(step)) {
        // 0.25 needs two decimals, 0.5 one, 2.5 one, 50 none.
        for (double s = step; decimals < 12 && std::abs(s - std::round(s)) > 1e-6 * std::max(1.0, s); s *= 10) {
            ++decimals;
        }
    }
    return FormatNumber(value, decimals);
}

double LinearScale::map(double value) const {
    if (domainHi == domainLo) return rangeLo;
    return rangeLo + (value - domainLo) / (domainHi - domainLo) * (rangeHi - rangeLo);
}

}  // namespace lumibench::diagrams
