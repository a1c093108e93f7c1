#pragma once
// The data set seen from above, for the Convert tool's preview: the brightest
// value of each C plane, the maximum's direction and which share of the
// downward light falls on the street side (C270..C0..C90, toward C0).

#include <optional>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench::convert_tool {

struct PlanPoint {
    double c = 0;        // degrees, counter-clockwise seen from above
    double candela = 0;  // the plane's maximum
};

struct PlanOutline {
    std::vector<PlanPoint> points;  // 0..360, closed; empty for types B and A
    double maxCandela = 0;
    double maxC = 0;
    double maxGamma = 0;
    std::optional<double> streetSidePercent;  // of the downward flux; absent without any
};

PlanOutline MakePlanOutline(const PhotometricRecord& record);

// Screen position of plan direction C at `radius` from `centre`: C0 to the
// right, C90 up, as a plan drawn seen from above.
struct PlanXY {
    double x = 0;
    double y = 0;
};
PlanXY PlanPosition(double centreX, double centreY, double radius, double c);

}  // namespace lumibench::convert_tool
