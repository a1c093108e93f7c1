#include "photometry_output.h"

#include <cmath>
#include <cstdio>

#include "photometry/floodlight.h"
#include "photometry/indoor.h"
#include "photometry/road.h"

#include "check_output.h"
#include "record_json.h"

namespace lumibench {
namespace {

using nlohmann::ordered_json;
using namespace photometry;

ordered_json Optional(const std::optional<double>& value) {
    return value ? ordered_json(*value) : ordered_json(nullptr);
}

// Plain output rounds to what a datasheet prints; JSON keeps every digit.
std::string Fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    // A negative value that rounds to zero prints as zero.
    if (!text.empty() && text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string Degrees(const std::optional<double>& value) {
    return value ? Fixed(*value, 1) + " deg" : std::string("none");
}

bool TypeC(const PhotometricRecord& record) {
    return record.PhotometricType != 2 && record.PhotometricType != 3;
}

ordered_json Angles(const std::vector<SpreadAngle>& angles) {
    ordered_json out = ordered_json::object();
    for (const SpreadAngle& angle : angles) out[angle.plane] = Optional(angle.degrees);
    return out;
}

const char* const kFigureKeys[] = {
    "luminaire_flux_lm", "lamp_flux_lm",        "downward_flux_lm", "upward_flux_lm", "lor_percent",
    "dlor_percent",      "ulor_percent",        "max_intensity_cd", "max_intensity_direction",
    "beam_angle_deg",    "field_angle_deg",     "zonal_lumens",     "cie_flux_code", "efficacy_lm_per_w",
    "ballast_factor_applied", "figure_frames", "floodlight", "road",     "indoor"};

const char* IlluminanceUnit(const ApplicationInputs& inputs) { return inputs.feet ? "fc" : "lx"; }
const char* LengthUnit(const ApplicationInputs& inputs) { return inputs.feet ? "ft" : "m"; }

ordered_json SpreadJson(const std::optional<Spread>& spread) {
    if (!spread) return nullptr;
    return {{"deg", spread->fullAngle}, {"from", spread->first}, {"to", spread->second}};
}

std::string NemaText(const FloodlightFigures& f) {
    return std::to_string(f.nemaHorizontal) + "H x " + std::to_string(f.nemaVertical) + "V";
}

// Which frame each figure is taken in. Type C: everything about the vertical
// axis (gamma from nadir). Types B and A: the zones, the CIE flux code and the
// spreads about the luminaire's axis, up and down about the horizontal plane.
ordered_json FigureFramesJson(const PhotometricRecord& record) {
    const char* const zonal = TypeC(record) ? "gamma from nadir" : "polar angle about the luminaire's axis";
    const char* const updown = "below and above the horizontal plane through the luminaire";
    return {{"downward_flux_lm", updown},
            {"upward_flux_lm", updown},
            {"dlor_percent", updown},
            {"ulor_percent", updown},
            {"zonal_lumens", zonal},
            {"cie_flux_code", zonal},
            {"beam_angle_deg", TypeC(record) ? "C plane pairs" : "horizontal and vertical planes through the axis"},
            {"field_angle_deg", TypeC(record) ? "C plane pairs" : "horizontal and vertical planes through the axis"}};
}

}  // namespace

ordered_json SummaryToJson(const PhotometricRecord& record, const Summary& summary) {
    ordered_json out;
    out["luminaire_flux_lm"] = summary.luminaireFluxLm;
    out["lamp_flux_lm"] = Optional(summary.lampFluxLm);
    out["downward_flux_lm"] = summary.downwardFluxLm;
    out["upward_flux_lm"] = summary.upwardFluxLm;
    out["lor_percent"] = Optional(summary.lorPercent);
    out["dlor_percent"] = Optional(summary.dlorPercent);
    out["ulor_percent"] = Optional(summary.ulorPercent);
    out["max_intensity_cd"] = summary.maxIntensityCd;
    const Direction& at = summary.maxIntensityDirection;
    out["max_intensity_direction"] = TypeC(record) ? ordered_json{{"c", at.horizontal}, {"gamma", at.vertical}}
                                                   : ordered_json{{"h", at.horizontal}, {"v", at.vertical}};
    out["beam_angle_deg"] = Angles(summary.beamAngles);
    out["field_angle_deg"] = Angles(summary.fieldAngles);
    ordered_json zones = ordered_json::array();
    for (const ZonalLumens& zone : summary.zonalLumens) {
        zones.push_back({{"from", zone.from},
                         {"to", zone.to},
                         {"lm", zone.lm},
                         {"percent_lamp", Optional(zone.percentLamp)},
                         {"percent_luminaire", zone.percentLuminaire}});
    }
    out["zonal_lumens"] = std::move(zones);
    out["cie_flux_code"] = summary.cieFluxCode;
    out["efficacy_lm_per_w"] = Optional(summary.efficacyLmPerW);
    out["ballast_factor_applied"] = kBallastFactorApplied;
    out["figure_frames"] = FigureFramesJson(record);
    return out;
}

ordered_json FloodlightToJson(const IntensityDistribution& distribution, std::optional<double> lampFluxLm,
                              const ApplicationInputs& inputs) {
    const FloodlightFigures f = Floodlight(distribution, lampFluxLm);
    ordered_json out;
    out["horizontal_beam"] = SpreadJson(f.horizontalBeam);
    out["horizontal_field"] = SpreadJson(f.horizontalField);
    out["vertical_beam"] = SpreadJson(f.verticalBeam);
    out["vertical_field"] = SpreadJson(f.verticalField);
    out["nema_horizontal"] = f.nemaHorizontal;
    out["nema_vertical"] = f.nemaVertical;
    out["nema_type"] = NemaText(f);
    out["beam_lumens"] = f.beamLumens;
    out["field_lumens"] = f.fieldLumens;
    out["beam_efficiency_percent"] = Optional(f.beamEfficiencyPercent);
    out["field_efficiency_percent"] = Optional(f.fieldEfficiencyPercent);
    const TargetIlluminance t = TargetPlaneIlluminance(distribution, inputs.target);
    out["target"] = {{"distance", inputs.target.distance},
                     {"aim_h_deg", inputs.target.aimHorizontal},
                     {"aim_v_deg", inputs.target.aimVertical},
                     {"length_unit", LengthUnit(inputs)},
                     {"illuminance_unit", IlluminanceUnit(inputs)},
                     {"centre", t.centre},
                     {"average", t.average},
                     {"minimum", t.minimum},
                     {"maximum", t.maximum},
                     {"x", t.x},
                     {"y", t.y},
                     {"values", t.values}};
    return out;
}

ordered_json IndoorToJson(const PhotometricRecord& record, const IntensityDistribution& distribution) {
    if (distribution.photometricType() != 1) return nullptr;  // room figures need a type C record
    auto columnsJson = [](const std::vector<Reflectances>& columns) {
        ordered_json out = ordered_json::array();
        for (const Reflectances& r : columns) out.push_back({{"ceiling", r.ceiling}, {"walls", r.walls}, {"floor", r.floor}});
        return out;
    };
    ordered_json out;
    const LengthAxis axis = LengthAxisOf(record);
    out["luminaire_length_axis"] = axis == LengthAxis::C0C180 ? "C0-C180" : "C90-C270";
    const double reference = LampFlux(record).value_or(TotalFlux(distribution));
    const CuTable cu = CoefficientsOfUtilisation(distribution, reference);
    out["cu_table"] = {{"rcr", cu.roomCavityRatios}, {"columns", columnsJson(cu.columns)}, {"values", cu.cu}};
    if (const auto ugr = UgrTabular(distribution, record, axis)) {
        ordered_json rooms = ordered_json::array();
        for (const UgrRoom& room : ugr->rooms) rooms.push_back({{"x_h", room.x}, {"y_h", room.y}});
        out["ugr_table"] = {{"rooms", std::move(rooms)},
                            {"columns", columnsJson(ugr->columns)},
                            {"crosswise", ugr->crosswise},
                            {"endwise", ugr->endwise}};
    } else {
        out["ugr_table"] = nullptr;
    }
    const SpacingCriterion sc = SpacingCriteria(distribution);
    out["spacing_criterion"] = {
        {"C0-C180", Optional(sc.plane0)}, {"C90-C270", Optional(sc.plane90)}, {"diagonal", Optional(sc.diagonal)}};
    if (const auto luminance = AverageLuminances(distribution, record, axis)) {
        out["luminance_table"] = {{"gammas", luminance->gammas},
                                  {"planes", luminance->planes},
                                  {"values_cd_per_m2", luminance->values}};
    } else {
        out["luminance_table"] = nullptr;
    }
    return out;
}

ordered_json RoadToJson(const PhotometricRecord& record, const IntensityDistribution& distribution,
                        const ApplicationInputs& inputs) {
    const auto classes = ClassifyRoadDistribution(distribution);
    const auto bug = RateBug(distribution);
    if (!classes || !bug) return nullptr;  // road figures need a type C record with downward light
    ordered_json out;
    out["street_side"] = kStreetSideText;
    const auto note = RoadOrientationNote(distribution, CurbOrientedFormat(record.Filename));
    out["orientation_note"] = note ? ordered_json(note->text) : ordered_json(nullptr);
    out["orientation_rotation_deg"] = note ? ordered_json(note->rotationDeg) : ordered_json(nullptr);
    out["lateral_type"] = classes->lateral;
    out["vertical_type"] = classes->vertical;
    out["max_candela_along_mh"] = classes->maxCandelaAlongMh;
    out["max_candela_across_mh"] = classes->maxCandelaAcrossMh;
    out["half_max_across_mh"] = classes->halfMaxAcrossMh;
    out["half_max_house_mh"] = classes->halfMaxHouseMh;
    const BugZones& z = bug->zones;
    const std::vector<std::pair<const char*, double>> zones{{"FL", z.FL}, {"FM", z.FM}, {"FH", z.FH}, {"FVH", z.FVH},
                                                            {"BL", z.BL}, {"BM", z.BM}, {"BH", z.BH}, {"BVH", z.BVH},
                                                            {"UL", z.UL}, {"UH", z.UH}};
    const double total = TotalFlux(distribution);
    ordered_json lumens = ordered_json::object(), shares = ordered_json::object();
    for (const auto& [name, lm] : zones) {
        lumens[name] = lm;
        shares[name] = total > 0 ? ordered_json(100 * lm / total) : ordered_json(nullptr);
    }
    out["bug"] = {{"rating", bug->text()},
                  {"b", bug->backlight},
                  {"u", bug->uplight},
                  {"g", bug->glare},
                  {"zone_lumens", std::move(lumens)},
                  {"zone_percent_luminaire", std::move(shares)}};
    const RoadLayout& layout = inputs.road;
    const RoadIlluminance grid = RoadGridIlluminance(distribution, layout);
    ordered_json points = ordered_json::array();
    for (const RoadGridPoint& p : grid.points) {
        points.push_back({{"along", p.along}, {"across", p.across}, {"illuminance", p.illuminance}});
    }
    out["grid"] = {{"mounting_height", layout.mountingHeight},
                   {"spacing", layout.spacing},
                   {"road_width", layout.roadWidth},
                   {"lanes", layout.lanes},
                   {"overhang", layout.overhang},
                   {"arrangement", RoadArrangementName(layout.arrangement)},
                   {"length_unit", LengthUnit(inputs)},
                   {"illuminance_unit", IlluminanceUnit(inputs)},
                   {"points_along", grid.pointsAlong},
                   {"points_across", grid.pointsAcross},
                   {"average", grid.average},
                   {"minimum", grid.minimum},
                   {"maximum", grid.maximum},
                   {"uniformity", grid.overallUniformity},
                   {"points", std::move(points)}};
    return out;
}

ordered_json PhotometryToJson(const FileCheckResult& result, const ApplicationInputs& inputs) {
    ordered_json out;
    PutFileName(out, "file", result.file);
    PutFileName(out, "path", result.path);
    out["ok"] = result.ok();
    out["skipped"] = result.skipped;
    out["message"] = JsonSafeText(result.messages.text());
    if (!result.ok()) {
        for (const char* key : kFigureKeys) out[key] = nullptr;
        return out;
    }
    const IntensityDistribution distribution(result.record);
    out.update(SummaryToJson(result.record, Summarise(result.record, distribution)));
    out["floodlight"] = FloodlightToJson(distribution, LampFlux(result.record), inputs);
    out["road"] = RoadToJson(result.record, distribution, inputs);
    out["indoor"] = IndoorToJson(result.record, distribution);
    return out;
}

std::string FormatPlainPhotometry(const FileCheckResult& result, const ApplicationInputs& inputs) {
    if (!result.ok()) return FormatPlainResult(result);
    const PhotometricRecord& record = result.record;
    const IntensityDistribution distribution(record);
    const Summary s = Summarise(record, distribution);
    std::string out = result.file + "\n";
    out += "  Luminaire flux " + Fixed(s.luminaireFluxLm, 1) + " lm (down " + Fixed(s.downwardFluxLm, 1) +
           ", up " + Fixed(s.upwardFluxLm, 1) + ")";
    if (s.lampFluxLm) {
        out += ", lamps " + Fixed(*s.lampFluxLm, 1) + " lm, LOR " + Fixed(*s.lorPercent, 1) + " % (DLOR " +
               Fixed(*s.dlorPercent, 1) + " %, ULOR " + Fixed(*s.ulorPercent, 1) + " %)";
    } else {
        out += ", absolute photometry";
    }
    out += "\n";
    const bool typeC = TypeC(record);
    out += "  Maximum " + Fixed(s.maxIntensityCd, 1) + " cd at " + (typeC ? "C " : "H ") +
           Fixed(s.maxIntensityDirection.horizontal, 1) + (typeC ? ", gamma " : ", V ") +
           Fixed(s.maxIntensityDirection.vertical, 1) + "\n";
    for (std::size_t i = 0; i < s.beamAngles.size(); ++i) {
        out += "  " + s.beamAngles[i].plane + ": beam " + Degrees(s.beamAngles[i].degrees) + ", field " +
               Degrees(s.fieldAngles[i].degrees) + "\n";
    }
    out += "  Zonal lumens:";
    for (const ZonalLumens& zone : s.zonalLumens) {
        out += " " + Fixed(zone.from, 0) + "-" + Fixed(zone.to, 0) + " " + Fixed(zone.lm, 1) + " (" +
               Fixed(zone.percentLuminaire, 1) + " %)";
    }
    out += "\n  CIE flux code";
    for (const double n : s.cieFluxCode) out += " " + Fixed(std::round(n), 0);
    out += "\n";
    if (s.efficacyLmPerW) out += "  Efficacy " + Fixed(*s.efficacyLmPerW, 1) + " lm/W\n";
    const FloodlightFigures flood = Floodlight(distribution, s.lampFluxLm);
    out += "  NEMA " + NemaText(flood) + ", beam " + Fixed(flood.beamLumens, 1) + " lm, field " +
           Fixed(flood.fieldLumens, 1) + " lm\n";
    const auto classes = ClassifyRoadDistribution(distribution);
    const auto bug = RateBug(distribution);
    if (classes && bug) {
        const RoadIlluminance grid = RoadGridIlluminance(distribution, inputs.road);
        out += "  Road type " + classes->lateral + " " + classes->vertical + ", BUG " + bug->text() + ", grid average " +
               Fixed(grid.average, 2) + " " + IlluminanceUnit(inputs) + ", U0 " + Fixed(grid.overallUniformity, 2) +
               " (" + kStreetSideText + ")\n";
        if (const auto note = RoadOrientationNote(distribution, CurbOrientedFormat(record.Filename)))
            out += "  " + note->text + "\n";
    }
    return out;
}

nlohmann::ordered_json ComparisonToJson(const photometry::Comparison& comparison) {
    auto optional = [](const std::optional<double>& v) { return v ? nlohmann::ordered_json(*v) : nlohmann::ordered_json(); };
    nlohmann::ordered_json out;
    out["reference"] = comparison.names.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(comparison.names[comparison.reference]);
    out["files"] = comparison.names;
    out["figures"] = nlohmann::ordered_json::array();
    for (const auto& f : comparison.figures) {
        nlohmann::ordered_json figure;
        figure["name"] = f.name;
        figure["unit"] = f.unit;
        figure["difference_unit"] = photometry::DifferenceUnit(f.difference);
        figure["values"] = nlohmann::ordered_json::array();
        for (const auto& v : f.values) figure["values"].push_back(optional(v));
        figure["differences"] = nlohmann::ordered_json::array();
        for (const auto& v : f.differences) figure["differences"].push_back(optional(v));
        out["figures"].push_back(std::move(figure));
    }
    return out;
}

}  // namespace lumibench
