#pragma once
// Parametric luminaire models that make new data sets: shapes of our own,
// scaled so that the luminaire emits the flux asked for. No widgets; the
// Template tool and its tests share this.

#include <string>
#include <string_view>
#include <vector>

#include "model/photometric_record.h"

namespace lumibench {

enum class TemplateModel {
    Downlight,    // rotationally symmetric, cos^n with the given beam angle
    Batwing,      // rotationally symmetric, peak off nadir at half the beam angle
    WallWasher,   // throws towards C0, symmetric to the C0-C180 plane
    Linear,       // wide across (C0), the beam angle along (C90); both planes symmetric
    Road,         // lobes at the vertical spread angle, the lateral throw off the road axis
    Floodlight,   // type B, horizontal and vertical beam angles
};

struct TemplateParameters {
    TemplateModel model = TemplateModel::Downlight;
    std::string name = "Template";  // the data set's file name without extension
    double beamAngle = 60;          // degrees: beam (downlight, linear, floodlight horizontal), batwing 2 x peak
    double secondAngle = 30;        // degrees: floodlight vertical beam, road vertical spread (from nadir)
    double throwAngle = 20;         // degrees: road lobes' angle from the road axis towards the street
    int lampCount = 1;
    double lumensPerLamp = 1000;    // -1: absolute photometry
    double lightOutputRatio = 0.8;  // luminaire flux / lamp flux (also the flux of absolute data x 1000 lm)
    double watts = 10;
    std::int16_t unitsType = 2;     // of width, length and height: 1 feet, 2 metres
    double width = 0;
    double length = 0;
    double height = 0;
    double horizontalStep = 15;     // degrees
    double verticalStep = 5;
};

// The models' names as menus list them, in TemplateModel order.
std::vector<std::string_view> TemplateModelNames();

// A new data set: type C (type B for the floodlight), one horizontal
// range that the model's symmetry allows, candela scaled to
// lampCount x lumensPerLamp x lightOutputRatio lumens; saved = false.
// Steps are clamped to 0.5 .. 90 degrees so that the table stays sensible.
PhotometricRecord MakeTemplateRecord(const TemplateParameters& parameters);

// The name after `name` for the next data set: its trailing number plus one,
// or " 2" appended ("Template" -> "Template 2" -> "Template 3").
std::string NextTemplateName(std::string_view name);

}  // namespace lumibench
