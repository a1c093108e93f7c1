#include "sdk/luminaire_templates.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <numbers>

#include "photometry/photometry.h"

namespace lumibench {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

std::vector<float> Range(double from, double to, double step) {
    std::vector<float> angles;
    const int count = static_cast<int>(std::floor((to - from) / step + 1e-9));
    for (int i = 0; i <= count; ++i) angles.push_back(static_cast<float>(from + step * i));
    if (angles.back() < to) angles.push_back(static_cast<float>(to));
    return angles;
}

// cos^n falls to half at `halfAngle` degrees.
double CosinePower(double halfAngle) {
    const double c = std::cos(std::clamp(halfAngle, 1.0, 89.0) * kDegree);
    return std::log(0.5) / std::log(c);
}

double Gauss(double x, double halfWidthAtHalf) {
    const double w = std::max(halfWidthAtHalf, 0.5);
    return std::exp(-std::log(2.0) * (x / w) * (x / w));
}

double Downward(double gamma) { return gamma < 90 ? std::cos(gamma * kDegree) : 0.0; }

}  // namespace

std::vector<std::string_view> TemplateModelNames() {
    return {"Downlight", "Batwing", "Wall washer", "Linear luminaire", "Road luminaire", "Floodlight"};
}

PhotometricRecord MakeTemplateRecord(const TemplateParameters& p) {
    PhotometricRecord r;
    const double hStep = std::clamp(p.horizontalStep, 0.5, 90.0);
    const double vStep = std::clamp(p.verticalStep, 0.5, 90.0);
    const double beamHalf = std::clamp(p.beamAngle, 2.0, 178.0) / 2.0;
    const double secondHalf = std::clamp(p.secondAngle, 2.0, 178.0) / 2.0;
    std::function<double(double, double)> shape;
    std::vector<float> hor;
    std::vector<float> vert = Range(0, 180, vStep);
    r.PhotometricType = 1;

    switch (p.model) {
    case TemplateModel::Downlight: {
        const double n = CosinePower(beamHalf);
        hor = {0};
        shape = [n](double, double g) { return g < 90 ? std::pow(std::cos(g * kDegree), n) : 0.0; };
        break;
    }
    case TemplateModel::Batwing: {
        const double peak = std::clamp(beamHalf, 5.0, 80.0);
        hor = {0};
        shape = [peak](double, double g) { return Downward(g) * (0.35 + Gauss(g - peak, 12)) / Downward(0) ; };
        break;
    }
    case TemplateModel::WallWasher: {
        const double n = CosinePower(beamHalf);
        hor = Range(0, 180, hStep);
        // Aimed 30 degrees off nadir towards C0, with a weaker cone below.
        shape = [n](double c, double g) {
            const double ct = std::cos(c * kDegree), st = std::sin(c * kDegree);
            const double gx = std::sin(g * kDegree) * ct, gy = std::sin(g * kDegree) * st, gz = -std::cos(g * kDegree);
            const double ax = std::sin(30 * kDegree), az = -std::cos(30 * kDegree);
            const double cosOff = std::clamp(gx * ax + gz * az, -1.0, 1.0);
            (void)gy;
            const double lobe = cosOff > 0 ? std::pow(cosOff, n) : 0.0;
            return g < 90 ? lobe + 0.1 * std::cos(g * kDegree) : 0.0;
        };
        break;
    }
    case TemplateModel::Linear: {
        const double n = CosinePower(beamHalf);
        hor = Range(0, 90, hStep);
        shape = [n](double c, double g) {
            if (g >= 90) return 0.0;
            const double across = std::cos(g * kDegree);          // wide, in C0
            const double along = std::pow(std::cos(g * kDegree), n);  // the beam, in C90
            const double w = std::cos(c * kDegree);
            return w * w * across + (1 - w * w) * along;
        };
        break;
    }
    case TemplateModel::Road: {
        const double spread = std::clamp(p.secondAngle, 10.0, 85.0);
        const double lateral = std::clamp(p.throwAngle, 0.0, 90.0);
        // IES orientation: the road along C90-C270, the street side toward C0;
        // the lobes turn from the road axis toward C0, symmetric to C0-C180.
        hor = Range(0, 180, hStep);
        shape = [spread, lateral](double c, double g) {
            if (g >= 90) return 0.0;
            // Angular distance to the nearer lobe plane, 90 - lateral and 270 + lateral.
            auto distance = [](double a, double b) {
                const double d = std::fmod(std::fabs(a - b), 360.0);
                return std::min(d, 360.0 - d);
            };
            const double toLobe = std::min(distance(c, 90 - lateral), distance(c, 270 + lateral));
            return 0.25 * std::cos(g * kDegree) + Gauss(g - spread, 12) * Gauss(toLobe, 25);
        };
        break;
    }
    case TemplateModel::Floodlight: {
        r.PhotometricType = 2;
        hor = Range(0, 90, hStep);
        vert = Range(-90, 90, vStep);
        shape = [beamHalf, secondHalf](double h, double v) { return Gauss(h, beamHalf) * Gauss(v, secondHalf); };
        break;
    }
    }

    r.Filename = p.name + ".ies";
    r.Keywords = {"IESNA:LM-63-2002", "[TEST] Template", "[TESTLAB] Lumibench Template tool",
                  "[MANUFAC] Lumibench Template", "[LUMINAIRE] " + p.name,
                  "[_TEMPLATE] " + std::string(TemplateModelNames()[static_cast<std::size_t>(p.model)])};
    r.LampCount = static_cast<std::int16_t>(std::clamp(p.lampCount, 1, 999));
    r.LumensPerLamp = p.lumensPerLamp > 0 ? static_cast<float>(p.lumensPerLamp) : -1.0f;
    r.CandelaMultiplier = 1;
    r.UnitsType = p.unitsType == 1 ? 1 : 2;
    r.Width = static_cast<float>(p.width);
    r.Length = static_cast<float>(p.length);
    r.Height = static_cast<float>(p.height);
    r.BallastFactor = 1;
    r.InputWatts = static_cast<float>(p.watts);
    r.HorAngles = hor;
    r.VertAngles = vert;
    r.HorAngleCount = static_cast<std::int16_t>(hor.size());
    r.VertAngleCount = static_cast<std::int16_t>(vert.size());
    for (float h : hor) {
        r.Candela.emplace_back();
        for (float v : vert) {
            // The pole is one direction whatever the plane.
            r.Candela.back().push_back(r.PhotometricType == 1 && v == 0 ? shape(0, 0) : shape(h, v));
        }
    }

    // Scale the shape to the flux asked for, as the photometry library measures it.
    const double lampFlux = p.lumensPerLamp > 0 ? r.LampCount * p.lumensPerLamp : 1000.0;
    const double target = lampFlux * std::clamp(p.lightOutputRatio, 0.01, 1.0);
    const double flux = photometry::Summarise(r).luminaireFluxLm;
    const double scale = flux > 0 ? target / flux : 0;
    for (auto& plane : r.Candela) {
        for (double& value : plane) value = std::round(value * scale * 1000.0) / 1000.0;
    }
    r.Saved = kFalse;
    return r;
}

std::string NextTemplateName(std::string_view name) {
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
    const std::string_view number = name.substr(digits);
    if (number.empty() || number.size() > 9 || digits == 0 || name[digits - 1] != ' ') {
        return std::string(name) + " 2";
    }
    long value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    return std::string(name.substr(0, digits)) + std::to_string(value + 1);
}

}  // namespace lumibench
