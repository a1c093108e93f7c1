#include "analytic_records.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace lumibench::testing {
namespace {

constexpr double kRadian = std::numbers::pi / 180.0;

std::vector<float> Steps(double first, double last, double step) {
    std::vector<float> angles;
    const int count = static_cast<int>(std::lround((last - first) / step));
    for (int i = 0; i <= count; ++i) angles.push_back(static_cast<float>(first + i * step));
    return angles;
}

}  // namespace

std::string LayoutName(Layout layout) {
    switch (layout) {
        case Layout::Rotational: return "Rotational";
        case Layout::Quadrant: return "Quadrant";
        case Layout::Bilateral0: return "Bilateral0";
        case Layout::Bilateral90: return "Bilateral90";
        case Layout::Full: return "Full";
        case Layout::BLateral: return "Lateral";
        case Layout::BFull: return "BFull";
    }
    return "?";
}

PhotometricRecord AnalyticRecord(int photometricType, Layout layout, double step, const Distribution& candela,
                                 double firstVertical, double lastVertical) {
    PhotometricRecord record;
    record.PhotometricType = static_cast<std::int16_t>(photometricType);
    record.LampCount = 1;
    record.LumensPerLamp = 1000;
    record.CandelaMultiplier = 1;
    record.UnitsType = 2;
    record.BallastFactor = 1;
    record.VertAngles = photometricType == 1 ? Steps(0, 180, step) : Steps(firstVertical, lastVertical, step);
    switch (layout) {
        case Layout::Rotational: record.HorAngles = {0}; break;
        case Layout::Quadrant: record.HorAngles = Steps(0, 90, step); break;
        case Layout::Bilateral0: record.HorAngles = Steps(0, 180, step); break;
        case Layout::Bilateral90: record.HorAngles = Steps(90, 270, step); break;
        case Layout::Full: record.HorAngles = Steps(0, 360, step); break;
        case Layout::BLateral: record.HorAngles = Steps(0, 90, step); break;
        case Layout::BFull: record.HorAngles = Steps(-90, 90, step); break;
    }
    record.VertAngleCount = static_cast<std::int16_t>(record.VertAngles.size());
    record.HorAngleCount = static_cast<std::int16_t>(record.HorAngles.size());
    for (const float h : record.HorAngles) {
        std::vector<double> row;
        for (const float v : record.VertAngles) row.push_back(candela(h, v));
        record.Candela.push_back(row);
    }
    return record;
}

double AxisAngle(int photometricType, double horizontal, double vertical) {
    if (photometricType == 1) return vertical;
    const double c = std::cos(horizontal * kRadian) * std::cos(vertical * kRadian);
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c))) / kRadian;
}

Distribution Isotropic(double candela) {
    return [candela](double, double) { return candela; };
}

Distribution CosinePower(int photometricType, double peak, double power) {
    return [=](double h, double v) {
        const double angle = AxisAngle(photometricType, h, v);
        return angle >= 90 ? 0.0 : peak * std::pow(std::cos(angle * kRadian), power);
    };
}

}  // namespace lumibench::testing

namespace lumibench::testing {
namespace {

std::string Plain(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.6f", value);
    std::string text = buffer;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

template <typename Values>
std::string Line(const Values& values) {
    std::string line;
    for (const auto value : values) line += (line.empty() ? "" : " ") + Plain(value);
    return line + "\r\n";
}

}  // namespace

std::string IesText(const PhotometricRecord& r) {
    std::string text = "IESNA:LM-63-2002\r\n[TEST] analytic distribution\r\n[MANUFAC] Lumibench tests\r\nTILT=NONE\r\n";
    text += Line(std::vector<double>{double(r.LampCount), r.LumensPerLamp, r.CandelaMultiplier,
                                     double(r.VertAngles.size()), double(r.HorAngles.size()), double(r.PhotometricType),
                                     double(r.UnitsType), r.Width, r.Length, r.Height});
    text += Line(std::vector<double>{r.BallastFactor, 1, r.InputWatts});
    text += Line(r.VertAngles);
    text += Line(r.HorAngles);
    for (const auto& row : r.Candela) text += Line(row);
    return text;
}

}  // namespace lumibench::testing
