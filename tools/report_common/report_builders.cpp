// What each datasheet holds, table by table. Figures come from the
// photometry library; this file only chooses, orders, converts and words them.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <memory>

#include "bug_zones_figure.h"
#include "diagrams/contour.h"
#include "diagrams/diagram_painters.h"
#include "diagrams/luminous_opening.h"
#include "photometry/floodlight.h"
#include "photometry/indoor.h"
#include "photometry/road.h"
#include "report_document.h"

namespace lumibench::reports {

using namespace photometry;

std::string Fixed(std::optional<double> value, int decimals) {
    if (!value || !std::isfinite(*value)) return "-";
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, *value, std::chars_format::fixed, decimals);
    std::string text = ec == std::errc() ? std::string(buffer, end) : "-";
    if (text.find_first_not_of("-0.") == std::string::npos && text.front() == '-') text.erase(0, 1);  // no "-0.0"
    return text;
}

std::string BatchFileName(const std::string& photometricFile, int index, std::vector<std::string>& taken) {
    std::string name = photometricFile.substr(photometricFile.find_last_of('/') + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            c = '_';
    }
    if (name.empty() || name == "." || name == "..") name = "dataset-" + std::to_string(index + 1);
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    std::string candidate = name + ".pdf";
    for (int n = 2; std::any_of(taken.begin(), taken.end(), [&](const std::string& t) { return lower(t) == lower(candidate); }); ++n)
        candidate = name + "-" + std::to_string(n) + ".pdf";
    taken.push_back(candidate);
    return candidate;
}

namespace {

ReportBlock Heading(std::string text) {
    ReportBlock b;
    b.kind = ReportBlock::Kind::Heading;
    b.text = std::move(text);
    return b;
}
ReportBlock Note(std::string text) {
    ReportBlock b;
    b.kind = ReportBlock::Kind::Note;
    b.text = std::move(text);
    return b;
}
ReportBlock Facts(std::vector<std::pair<std::string, std::string>> facts) {
    ReportBlock b;
    b.kind = ReportBlock::Kind::Facts;
    b.facts = std::move(facts);
    return b;
}
ReportBlock Table(ReportTable table, std::string caption = {}) {
    ReportBlock b;
    b.kind = ReportBlock::Kind::Table;
    b.table = std::move(table);
    b.text = std::move(caption);
    return b;
}
ReportBlock Figure(diagrams::PaintFunction paint, double height, std::string caption = {}) {
    ReportBlock b;
    b.kind = ReportBlock::Kind::Figure;
    b.paint = std::move(paint);
    b.height = height;
    b.text = std::move(caption);
    return b;
}
ReportBlock Columns(std::vector<ReportBlock> columns) {
    ReportBlock b;
    b.kind = ReportBlock::Kind::Columns;
    b.columns = std::move(columns);
    return b;
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// A header keyword's value: the reader's own field when it filled one, else
// the header line that starts with the keyword (records that came through
// the exchange slots carry only the lines).
std::string KeywordOf(const PhotometricRecord& record, const std::string& field, const std::string& keyword) {
    if (field.find_first_not_of(" \t") != std::string::npos) return field;
    for (const std::string& line : record.Keywords) {
        if (line.size() < keyword.size()) continue;
        if (!std::equal(keyword.begin(), keyword.end(), line.begin(), [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
            }))
            continue;
        std::string value = line.substr(keyword.size());
        const auto first = value.find_first_not_of(" \t");
        if (first == std::string::npos) return {};
        return value.substr(first, value.find_last_not_of(" \t\r") - first + 1);
    }
    return {};
}

std::string Degrees(std::optional<double> value) {
    return value ? Fixed(value, 1) + "\u00B0" : "-";
}

std::string Length(const ReportUnits& units, double metres, int decimals = 2) {
    return Fixed(units.lengthFromMetres(metres), decimals) + " " + units.lengthLabel();
}

// Digits enough for the largest value to show three significant ones, so a
// dim luminaire's grid does not read as all zeros.
int DecimalsFor(double largest) {
    if (!(largest < 100)) return 0;
    if (largest < 1) return 3;
    return largest < 10 ? 2 : 1;
}

std::string Illuminance(const ReportUnits& units, double lux) {
    const double shown = units.illuminanceFromLux(lux);
    return Fixed(shown, DecimalsFor(std::abs(shown))) + " " + units.illuminanceLabel();
}

std::string TypeName(int type) {
    return type == 2 ? "B" : type == 3 ? "A" : "C";
}

void AddIfGiven(std::vector<std::pair<std::string, std::string>>& facts, const char* label, const std::string& value) {
    if (value.find_first_not_of(" \t") != std::string::npos) facts.emplace_back(label, value);
}

// Luminaire and lamp data, the photometric summary, the polar diagram and the zonal lumens.
void AddCommonBlocks(ReportDocument& doc, const PhotometricRecord& record, const IntensityDistribution& distribution,
                     const Summary& s, const ReportUnits& units) {
    std::vector<std::pair<std::string, std::string>> luminaire;
    AddIfGiven(luminaire, "Manufacturer", KeywordOf(record, record.ManufacKeyword, "[MANUFAC]"));
    AddIfGiven(luminaire, "Luminaire", KeywordOf(record, record.LuminaireKeyword, "[LUMINAIRE]"));
    AddIfGiven(luminaire, "Catalogue number", KeywordOf(record, record.LumcatKeyword, "[LUMCAT]"));
    AddIfGiven(luminaire, "Lamp", KeywordOf(record, record.LampKeyword, "[LAMP]"));
    AddIfGiven(luminaire, "Lamp catalogue", KeywordOf(record, record.LampcatKeyword, "[LAMPCAT]"));
    AddIfGiven(luminaire, "Ballast", KeywordOf(record, record.BallastKeyword, "[BALLAST]"));
    AddIfGiven(luminaire, "Test", KeywordOf(record, record.TestKeyword, "[TEST]"));
    std::string date = KeywordOf(record, record.DateKeyword, "[ISSUEDATE]");
    AddIfGiven(luminaire, "Test date", date.empty() ? KeywordOf(record, {}, "[DATE]") : date);
    luminaire.emplace_back("File", BaseName(record.Filename));
    const bool absolute = record.LumensPerLamp < 0;
    luminaire.emplace_back("Photometry", "Type " + TypeName(record.PhotometricType) +
                                             (absolute ? ", absolute" : ", relative to the lamps"));
    if (!absolute)
        luminaire.emplace_back("Lamps", std::to_string(record.LampCount) + " x " + Fixed(record.LumensPerLamp, 0) + " lm");
    if (record.InputWatts > 0) luminaire.emplace_back("Input power", Fixed(record.InputWatts, 1) + " W");
    // One rule for every figure on the sheet (kBallastFactorApplied).
    luminaire.emplace_back("Ballast factor", (record.BallastFactor > 0 ? Fixed(record.BallastFactor, 2) : std::string("none")) +
                                                 ", applied to no figure");
    const diagrams::LuminousOpening opening = diagrams::OpeningOf(record);
    luminaire.emplace_back("Luminous opening", diagrams::OpeningShapeName(opening.shape));
    luminaire.emplace_back("Width x length x height", Fixed(units.lengthFromMetres(opening.width), 2) + " x " +
                                                   Fixed(units.lengthFromMetres(opening.length), 2) + " x " +
                                                   Fixed(units.lengthFromMetres(opening.height), 2) + " " +
                                                   units.lengthLabel());

    // Types B and A take their zones about the luminaire's axis but up and
    // down about the horizontal plane: each figure says which.
    const bool typeC = distribution.photometricType() == 1;
    const std::string updown = typeC ? "" : " (about the horizontal plane)";
    const std::string aboutAxis = typeC ? "" : " (about the luminaire's axis)";
    std::vector<std::pair<std::string, std::string>> summary;
    summary.emplace_back("Luminaire flux", Fixed(s.luminaireFluxLm, 0) + " lm");
    if (s.lampFluxLm) summary.emplace_back("Lamp flux", Fixed(s.lampFluxLm, 0) + " lm");
    if (s.lorPercent)
        summary.emplace_back("Light output ratio", Fixed(s.lorPercent, 1) + " % (down " + Fixed(s.dlorPercent, 1) +
                                                       " %, up " + Fixed(s.ulorPercent, 1) + " %)" + updown);
    summary.emplace_back("Downward / upward flux",
                         Fixed(s.downwardFluxLm, 0) + " / " + Fixed(s.upwardFluxLm, 0) + " lm" + updown);
    if (s.efficacyLmPerW) summary.emplace_back("Efficacy", Fixed(s.efficacyLmPerW, 1) + " lm/W");
    summary.emplace_back("Maximum intensity", Fixed(s.maxIntensityCd, 0) + " cd at " +
                                                  Degrees(s.maxIntensityDirection.horizontal) + " / " +
                                                  Degrees(s.maxIntensityDirection.vertical));
    std::string code;
    for (double n : s.cieFluxCode) code += (code.empty() ? "" : " ") + Fixed(n, 0);
    summary.emplace_back("CIE flux code", code + aboutAxis);
    for (std::size_t i = 0; i < s.beamAngles.size(); ++i) {
        std::string text = Degrees(s.beamAngles[i].degrees);
        if (i < s.fieldAngles.size()) text += " beam, " + Degrees(s.fieldAngles[i].degrees) + " field";
        summary.emplace_back("Spread " + s.beamAngles[i].plane, text);
    }

    doc.blocks.push_back(Heading("Luminaire and lamp data"));
    doc.blocks.push_back(Columns({Facts(std::move(luminaire)), Facts(std::move(summary))}));

    auto series = std::make_shared<std::vector<diagrams::Series>>();
    series->push_back(diagrams::MakeSeries(record, diagrams::IntensityUnit::Candela, BaseName(record.Filename)));
    diagrams::DiagramOptions options;
    options.legend = true;
    ReportTable zonal;
    zonal.header = {"Zone", "Lumens", "% lamp", "% luminaire"};
    for (const ZonalLumens& z : s.zonalLumens) {
        zonal.rows.push_back({Fixed(z.from, 0) + "-" + Fixed(z.to, 0) + "\u00B0", Fixed(z.lm, 0),
                              z.percentLamp ? Fixed(z.percentLamp, 1) : "-", Fixed(z.percentLuminaire, 1)});
    }
    doc.blocks.push_back(Heading("Intensity distribution and zonal lumens"));
    doc.blocks.push_back(Columns(
        {Figure([series, options](QPainter& p, const QRectF& r) { diagrams::PaintPolarDiagram(p, r, *series, options); },
                230, "Polar diagram (cd)"),
         Table(std::move(zonal), typeC ? "Zonal lumen summary (gamma from nadir)"
                                       : "Zonal lumen summary (zones about the luminaire's axis; 0-90\u00B0 is the "
                                         "front half-space, not the downward one)")}));
}

std::string Percent100(double fraction) { return Fixed(fraction * 100, 0); }

std::string ReflectanceName(const Reflectances& r) {
    return std::to_string(r.ceiling) + "/" + std::to_string(r.walls) + "/" + std::to_string(r.floor);
}

void AddIndoorBlocks(ReportDocument& doc, const PhotometricRecord& record, const IntensityDistribution& distribution,
                     const Summary& s, const InputValues& values, const ReportUnits& units) {
    if (distribution.photometricType() != 1) {
        doc.blocks.push_back(Note("Room figures need type C photometry; this data set is type " +
                                  TypeName(distribution.photometricType()) + "."));
        return;
    }
    const double reference = s.lampFluxLm.value_or(s.luminaireFluxLm);
    const CuTable cu = CoefficientsOfUtilisation(distribution, reference);
    ReportTable cuTable;
    cuTable.header.push_back("RCR");
    for (const Reflectances& r : cu.columns) cuTable.header.push_back(std::to_string(r.ceiling) + "/" + std::to_string(r.walls));
    for (std::size_t i = 0; i < cu.roomCavityRatios.size() && i < cu.cu.size(); ++i) {
        std::vector<std::string> row{std::to_string(cu.roomCavityRatios[i])};
        for (double v : cu.cu[i]) row.push_back(Percent100(v));
        cuTable.rows.push_back(std::move(row));
    }
    doc.blocks.push_back(Heading("Coefficients of utilisation (zonal cavity method)"));
    doc.blocks.push_back(Table(std::move(cuTable),
                               "Percent of the " + std::string(s.lampFluxLm ? "lamp" : "luminaire") +
                                   " flux reaching the work plane; ceiling/wall reflectances in %, floor 20 %"));

    const IndoorInputs in = IndoorInputsOf(values);
    const LengthAxis axis = in.lengthAxis.value_or(LengthAxisOf(record));
    const std::string lengthText = "luminaire length along " + LengthAxisName(axis);
    doc.blocks.push_back(Heading("UGR table (CIE tabular method)"));
    if (const auto ugr = UgrTabular(distribution, record, axis)) {
        ReportTable table;
        table.header.push_back("Room X x Y (H)");
        const int n = static_cast<int>(ugr->columns.size());
        table.groups = {{"", 1}, {"Crosswise", n}, {"Endwise", n}};
        for (int side = 0; side < 2; ++side)
            for (const Reflectances& r : ugr->columns) table.header.push_back(ReflectanceName(r));
        for (std::size_t i = 0; i < ugr->rooms.size(); ++i) {
            std::vector<std::string> row{Fixed(ugr->rooms[i].x, 0) + " x " + Fixed(ugr->rooms[i].y, 0)};
            for (const auto* side : {&ugr->crosswise, &ugr->endwise})
                for (double v : (*side)[i]) row.push_back(Fixed(v, 1));
            table.rows.push_back(std::move(row));
        }
        doc.blocks.push_back(Table(std::move(table),
                                   "Crosswise: luminaire length across the line of sight; endwise: along it (" +
                                       lengthText + "). Reflectances ceiling/walls/floor in %; spacing 0.25 H, H = 2 m "
                                       "above the eye"));
    } else {
        doc.blocks.push_back(Note("No UGR table: the data set has no luminous area or no light."));
    }

    const SpacingCriterion sc = SpacingCriteria(distribution);
    ReportBlock luminanceBlock = Note("No luminance table: the data set has no luminous area.");
    if (const auto luminance = AverageLuminances(distribution, record, axis)) {
        ReportTable table;
        table.header.push_back("Gamma");
        for (double plane : luminance->planes) table.header.push_back("C" + Fixed(plane, 0));
        for (std::size_t g = 0; g < luminance->gammas.size(); ++g) {
            std::vector<std::string> row{Fixed(luminance->gammas[g], 0) + "\u00B0"};
            for (double v : luminance->values[g]) row.push_back(Fixed(v, 0));
            table.rows.push_back(std::move(row));
        }
        luminanceBlock = Table(std::move(table), "Average luminance (cd/m\u00B2)");
    }

    // One room worked through with the user's inputs.
    const double rcr = 5 * in.mountingHeight * (in.roomLength + in.roomWidth) / (in.roomLength * in.roomWidth);
    const double roomCu = CoefficientOfUtilisation(TenDegreeZoneFractions(distribution, reference), rcr, in.reflectances);
    const int across = std::max(1, static_cast<int>(std::lround(in.roomWidth / in.spacing)));
    const int along = std::max(1, static_cast<int>(std::lround(in.roomLength / in.spacing)));
    const int count = across * along;
    const double lux = count * reference * roomCu * in.lightLossFactor / (in.roomLength * in.roomWidth);
    const double ratio = in.spacing / in.mountingHeight;
    const std::optional<double> limit =
        sc.plane0 && sc.plane90 ? std::optional(std::min(*sc.plane0, *sc.plane90)) : (sc.plane0 ? sc.plane0 : sc.plane90);
    std::vector<std::pair<std::string, std::string>> room{
        {"Spacing criterion C0-C180", Fixed(sc.plane0, 2)},
        {"Spacing criterion C90-C270", Fixed(sc.plane90, 2)},
        {"Spacing criterion diagonal", Fixed(sc.diagonal, 2) + " (four luminaires, square side)"},
        {"Luminaire length", lengthText + (in.lengthAxis ? " (set in the inputs)" : " (as its file format gives it)")},
        {"Room", Length(units, in.roomLength, 1) + " x " + Length(units, in.roomWidth, 1)},
        {"Height above work plane", Length(units, in.mountingHeight, 2)},
        {"Reflectances", ReflectanceName(in.reflectances) + " %"},
        {"Room cavity ratio", Fixed(rcr, 2)},
        {"Coefficient of utilisation", Fixed(roomCu, 3)},
        {"Luminaires", std::to_string(along) + " x " + std::to_string(across) + " = " + std::to_string(count) +
                           " at " + Length(units, in.spacing, 2)},
        {"Spacing to height", Fixed(ratio, 2) + (limit ? (ratio <= *limit + 1e-9 ? ", within SC " : ", above SC ") +
                                                             Fixed(limit, 2)
                                                       : std::string())},
        {"Light loss factor", Fixed(in.lightLossFactor, 2)},
        {"Average illuminance", Illuminance(units, lux)},
    };
    doc.blocks.push_back(Heading("Spacing, luminance and the room"));
    doc.blocks.push_back(Columns({Facts(std::move(room)), std::move(luminanceBlock)}));
}

// Plan of the road between two luminaires with isolux lines of the grid.
void PaintRoadIsolux(QPainter& p, const QRectF& area, const RoadIlluminance& grid, const RoadLayout& layout,
                     const ReportUnits& units) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double unit = 8;  // one text line, in points
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setPixelSize(std::max(1, static_cast<int>(unit * 0.9)));
    p.setFont(font);
    const QRectF frame = area.adjusted(unit * 4, unit * 2, -unit, -unit * 3);
    const double scale = std::min(frame.width() / layout.spacing, frame.height() / layout.roadWidth);
    const QRectF road(frame.left(), frame.top(), layout.spacing * scale, layout.roadWidth * scale);
    auto at = [&](double along, double across) {  // across from the near kerb, drawn at the bottom
        return QPointF(road.left() + along * scale, road.bottom() - across * scale);
    };
    p.fillRect(road, QColor(0xee, 0xee, 0xee));
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), unit * 0.08));
    p.drawRect(road);
    QPen lanePen(QColor(0x90, 0x90, 0x90), unit * 0.06, Qt::DashLine);
    p.setPen(lanePen);
    for (int lane = 1; lane < layout.lanes; ++lane) {
        const double y = layout.roadWidth * lane / layout.lanes;
        p.drawLine(at(0, y), at(layout.spacing, y));
    }
    if (grid.pointsAlong >= 2 && grid.pointsAcross >= 2 &&
        grid.points.size() == static_cast<std::size_t>(grid.pointsAlong * grid.pointsAcross)) {
        std::vector<double> xs(grid.pointsAlong), ys(grid.pointsAcross);
        std::vector<std::vector<double>> values(grid.pointsAlong, std::vector<double>(grid.pointsAcross));
        // Points run across first, then along (as the library lists them).
        for (int i = 0; i < grid.pointsAlong; ++i)
            for (int j = 0; j < grid.pointsAcross; ++j) {
                const RoadGridPoint& point = grid.points[static_cast<std::size_t>(i * grid.pointsAcross + j)];
                xs[i] = point.along;
                ys[j] = point.across;
                values[i][j] = units.illuminanceFromLux(point.illuminance);
            }
        const std::vector<double> levels = diagrams::IsocandelaLevels(units.illuminanceFromLux(grid.maximum), 6);
        for (std::size_t k = 0; k < levels.size(); ++k) {
            const QColor colour = diagrams::SeriesColour(static_cast<int>(k));
            p.setPen(QPen(colour, unit * 0.12));
            for (const diagrams::Polyline& line : diagrams::ContourLines(xs, ys, values, levels[k])) {
                if (line.size() < 2) continue;
                QPainterPath path(at(line[0].x, line[0].y));
                for (std::size_t i = 1; i < line.size(); ++i) path.lineTo(at(line[i].x, line[i].y));
                p.drawPath(path);
                const auto& mid = line[line.size() / 2];
                p.drawText(at(mid.x, mid.y) + QPointF(unit * 0.2, -unit * 0.2), QString::number(levels[k], 'g', 3));
            }
        }
    }
    // The luminaires at both ends of the field, on their kerbs.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xb0, 0x00));
    const bool farSide = layout.arrangement != RoadArrangement::SingleSided;
    for (double along : {0.0, layout.spacing}) {
        p.drawEllipse(at(along, layout.overhang), unit * 0.35, unit * 0.35);
        if (farSide) {
            const double acrossFar = layout.arrangement == RoadArrangement::Central ? layout.roadWidth / 2
                                                                                    : layout.roadWidth - layout.overhang;
            const double alongFar = layout.arrangement == RoadArrangement::Staggered ? along + layout.spacing / 2 : along;
            if (alongFar <= layout.spacing + 1e-9) p.drawEllipse(at(alongFar, acrossFar), unit * 0.35, unit * 0.35);
        }
    }
    p.setPen(QColor(0x20, 0x20, 0x20));
    p.drawText(QRectF(road.left(), road.bottom() + unit * 0.3, road.width(), unit * 1.2), Qt::AlignCenter,
               QString::fromStdString("along the road, " + Length(units, layout.spacing, 1) + " between luminaires"));
    p.save();
    p.translate(road.left() - unit * 0.4, road.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-road.height() / 2, -unit * 1.2, road.height(), unit * 1.2), Qt::AlignCenter,
               QString::fromStdString("across, " + Length(units, layout.roadWidth, 1)));
    p.restore();
    p.drawText(QRectF(area.left(), area.top(), area.width(), unit * 1.5), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString("Isolux lines (" + units.illuminanceLabel() + "), kerb at the bottom"));
    p.restore();
}

void AddRoadBlocks(ReportDocument& doc, const PhotometricRecord& record, const IntensityDistribution& distribution,
                   const Summary& s, const InputValues& values, const ReportUnits& units) {
    const auto classes = ClassifyRoadDistribution(distribution);
    const auto bug = RateBug(distribution);
    if (!classes || !bug) {
        doc.blocks.push_back(Note("Road figures need type C photometry with downward light."));
        return;
    }
    std::vector<std::pair<std::string, std::string>> facts{
        {"Lateral type", "Type " + classes->lateral},
        {"Vertical type", classes->vertical},
        {"Maximum intensity at", Fixed(classes->maxCandelaAlongMh, 2) + " MH along, " +
                                     Fixed(classes->maxCandelaAcrossMh, 2) + " MH across"},
        {"Half-maximum reach", Fixed(classes->halfMaxAcrossMh, 2) + " street, " +
                                   Fixed(classes->halfMaxHouseMh, 2) + " house side (MH)"},
        {"BUG rating", bug->text()},
    };
    ReportTable zones;
    zones.header = {"Zone", "Gamma", "Lumens", "% luminaire"};
    const BugZones& z = bug->zones;
    const std::vector<std::tuple<const char*, const char*, double>> rows{
        {"Front low (FL)", "0-30\u00B0", z.FL},   {"Front medium (FM)", "30-60\u00B0", z.FM},
        {"Front high (FH)", "60-80\u00B0", z.FH}, {"Front very high (FVH)", "80-90\u00B0", z.FVH},
        {"Back low (BL)", "0-30\u00B0", z.BL},    {"Back medium (BM)", "30-60\u00B0", z.BM},
        {"Back high (BH)", "60-80\u00B0", z.BH},  {"Back very high (BVH)", "80-90\u00B0", z.BVH},
        {"Uplight low (UL)", "90-100\u00B0", z.UL}, {"Uplight high (UH)", "100-180\u00B0", z.UH},
    };
    for (const auto& [name, gamma, lm] : rows)
        zones.rows.push_back({name, gamma, Fixed(lm, 0),
                              s.luminaireFluxLm > 0 ? Fixed(100 * lm / s.luminaireFluxLm, 1) : std::string("-")});
    doc.blocks.push_back(Heading("Road classification and BUG rating"));
    doc.blocks.push_back(Note(kStreetSideText));
    if (const auto note = RoadOrientationNote(distribution, CurbOrientedFormat(record.Filename)))
        doc.blocks.push_back(Note(note->text));
    doc.blocks.push_back(
        Columns({Facts(std::move(facts)), Table(std::move(zones), "Luminaire classification (TM-15): zone lumens")}));
    const BugZones drawn = bug->zones;
    const double flux = s.luminaireFluxLm;
    doc.blocks.push_back(Figure([drawn, flux](QPainter& p, const QRectF& r) { PaintBugZones(p, r, drawn, flux); }, 200,
                                "Luminaire classification zones, side view"));

    const RoadLayout layout = RoadLayoutOf(values);
    const RoadIlluminance grid = RoadGridIlluminance(distribution, layout);
    std::vector<std::pair<std::string, std::string>> layoutFacts{
        {"Arrangement", RoadArrangementName(layout.arrangement)},
        {"Mounting height", Length(units, layout.mountingHeight, 1)},
        {"Spacing", Length(units, layout.spacing, 1)},
        {"Road width", Length(units, layout.roadWidth, 1) + ", " + std::to_string(layout.lanes) + " lanes"},
        {"Overhang", Length(units, layout.overhang, 2)},
    };
    std::vector<std::pair<std::string, std::string>> results{
        {"Average illuminance", Illuminance(units, grid.average)},
        {"Minimum / maximum", Illuminance(units, grid.minimum) + " / " + Illuminance(units, grid.maximum)},
        {"Uniformity min/avg", Fixed(grid.overallUniformity, 2)},
        {"Uniformity max/min", grid.minimum > 0 ? Fixed(grid.maximum / grid.minimum, 1) : std::string("-")},
    };
    doc.blocks.push_back(Heading("Illuminance on the road"));
    doc.blocks.push_back(Columns({Facts(std::move(layoutFacts)), Facts(std::move(results))}));
    // The road to scale across the page's width (about 520 points), with room for its labels.
    const double plotHeight = std::clamp(500 * layout.roadWidth / layout.spacing + 50, 110.0, 300.0);
    doc.blocks.push_back(
        Figure([isolux = RoadIlluminanceForDrawing(distribution, layout, 61, 25), layout, units](
                   QPainter& p, const QRectF& r) { PaintRoadIsolux(p, r, isolux, layout, units); },
               plotHeight, "Isolux plot of the road grid"));

    // The grid itself: one row per line across the road, nearest kerb last.
    ReportTable values_;
    if (grid.pointsAlong > 0 && grid.pointsAcross > 0 &&
        grid.points.size() == static_cast<std::size_t>(grid.pointsAlong * grid.pointsAcross)) {
        const int shownAlong = std::min(grid.pointsAlong, 12);
        values_.header.push_back("Across \\ along (" + units.lengthLabel() + ")");
        for (int i = 0; i < shownAlong; ++i)
            values_.header.push_back(Fixed(units.lengthFromMetres(grid.points[static_cast<std::size_t>(i * grid.pointsAcross)].along), 1));
        const int decimals = DecimalsFor(units.illuminanceFromLux(grid.maximum));
        for (int j = grid.pointsAcross - 1; j >= 0; --j) {
            std::vector<std::string> row{Fixed(units.lengthFromMetres(grid.points[static_cast<std::size_t>(j)].across), 2)};
            for (int i = 0; i < shownAlong; ++i)
                row.push_back(Fixed(units.illuminanceFromLux(grid.points[static_cast<std::size_t>(i * grid.pointsAcross + j)].illuminance), decimals));
            values_.rows.push_back(std::move(row));
        }
        doc.blocks.push_back(Table(std::move(values_), "Grid illuminance (" + units.illuminanceLabel() + ")" +
                                                            (shownAlong < grid.pointsAlong ? ", first 12 points along" : "")));
    }
}

void AddFloodBlocks(ReportDocument& doc, const PhotometricRecord& record, const IntensityDistribution& distribution,
                    const Summary& s, const InputValues& values, const ReportUnits& units) {
    const FloodlightFigures f = Floodlight(distribution, s.lampFluxLm);
    auto spread = [](const std::optional<Spread>& sp) { return sp ? Degrees(sp->fullAngle) : std::string("-"); };
    ReportTable beams;
    beams.header = {"Plane", "Beam (50 %)", "Field (10 %)", "NEMA type"};
    beams.rows.push_back({"Horizontal", spread(f.horizontalBeam), spread(f.horizontalField),
                          f.nemaHorizontal ? std::to_string(f.nemaHorizontal) : "-"});
    beams.rows.push_back({"Vertical", spread(f.verticalBeam), spread(f.verticalField),
                          f.nemaVertical ? std::to_string(f.nemaVertical) : "-"});
    std::vector<std::pair<std::string, std::string>> facts{
        {"NEMA type", (f.nemaHorizontal ? std::to_string(f.nemaHorizontal) : "-") + "H x " +
                          (f.nemaVertical ? std::to_string(f.nemaVertical) : "-") + "V"},
        {"Beam lumens", Fixed(f.beamLumens, 0) + " lm" +
                            (f.beamEfficiencyPercent ? " (" + Fixed(f.beamEfficiencyPercent, 1) + " % of the lamps)" : "")},
        {"Field lumens", Fixed(f.fieldLumens, 0) + " lm" +
                             (f.fieldEfficiencyPercent ? " (" + Fixed(f.fieldEfficiencyPercent, 1) + " % of the lamps)" : "")},
    };
    doc.blocks.push_back(Heading("Beam and field"));
    doc.blocks.push_back(Columns({Table(std::move(beams), "Spreads about the maximum"), Facts(std::move(facts))}));

    auto series = std::make_shared<diagrams::Series>(
        diagrams::MakeSeries(record, diagrams::IntensityUnit::Candela, BaseName(record.Filename)));
    diagrams::DiagramOptions options;
    options.legend = false;
    const TargetPlane plane = TargetPlaneOf(values);
    const TargetIlluminance target = TargetPlaneIlluminance(distribution, plane);
    std::vector<std::pair<std::string, std::string>> aim{
        {"Distance", Length(units, plane.distance, 1)},
        {"Aim", Fixed(plane.aimHorizontal, 1) + "\u00B0 right, " + Fixed(plane.aimVertical, 1) + "\u00B0 up"},
        {"Target", Length(units, plane.halfWidth * 2, 1) + " x " + Length(units, plane.halfHeight * 2, 1)},
        {"Centre", Illuminance(units, target.centre)},
        {"Average", Illuminance(units, target.average)},
        {"Minimum / maximum", Illuminance(units, target.minimum) + " / " + Illuminance(units, target.maximum)},
        {"Uniformity min/avg", target.average > 0 ? Fixed(target.minimum / target.average, 2) : std::string("-")},
    };
    doc.blocks.push_back(Heading("Isocandela diagram and the target"));
    doc.blocks.push_back(Columns(
        {Figure([series, options](QPainter& p, const QRectF& r) { diagrams::PaintIsocandelaDiagram(p, r, *series, options); },
                230, distribution.photometricType() == 1 ? "Isocandela lines (cd) over C and gamma"
                                                         : "Isocandela lines (cd) over H and V"),
         Facts(std::move(aim))}));

    ReportTable grid;
    grid.header.push_back("Up \\ right (" + units.lengthLabel() + ")");
    for (double x : target.x) grid.header.push_back(Fixed(units.lengthFromMetres(x), 1));
    const int decimals = DecimalsFor(units.illuminanceFromLux(target.maximum));
    for (std::size_t r = target.y.size(); r-- > 0;) {
        std::vector<std::string> row{Fixed(units.lengthFromMetres(target.y[r]), 1)};
        if (r < target.values.size())
            for (double v : target.values[r]) row.push_back(Fixed(units.illuminanceFromLux(v), decimals));
        grid.rows.push_back(std::move(row));
    }
    doc.blocks.push_back(Table(std::move(grid), "Illuminance on the target plane (" + units.illuminanceLabel() + ")"));
}

}  // namespace

std::string ReportToJson(const ReportDocument& doc) {
    auto q = [](const std::string& text) { return QString::fromStdString(text); };
    auto strings = [&](const std::vector<std::string>& texts) {
        QJsonArray out;
        for (const std::string& t : texts) out.append(q(t));
        return out;
    };
    QJsonArray sections;
    QJsonObject section{{"heading", ""}};
    QJsonObject facts;
    QJsonArray tables, figures, notes;
    auto close = [&] {
        if (!facts.isEmpty()) section.insert("facts", facts);
        if (!tables.isEmpty()) section.insert("tables", tables);
        if (!figures.isEmpty()) section.insert("figures", figures);
        if (!notes.isEmpty()) section.insert("notes", notes);
        if (section.size() > 1) sections.append(section);
        facts = {};
        tables = figures = notes = {};
    };
    std::function<void(const ReportBlock&)> add = [&](const ReportBlock& b) {
        switch (b.kind) {
        case ReportBlock::Kind::Heading:
            close();
            section = QJsonObject{{"heading", q(b.text)}};
            break;
        case ReportBlock::Kind::Facts:
            for (const auto& [label, value] : b.facts) facts.insert(q(label), q(value));
            break;
        case ReportBlock::Kind::Table: {
            QJsonArray rows;
            for (const auto& row : b.table.rows) rows.append(strings(row));
            tables.append(QJsonObject{{"caption", q(b.text)}, {"header", strings(b.table.header)}, {"rows", rows}});
            break;
        }
        case ReportBlock::Kind::Figure: figures.append(q(b.text)); break;
        case ReportBlock::Kind::Note: notes.append(q(b.text)); break;
        case ReportBlock::Kind::Columns:
            for (const ReportBlock& c : b.columns) add(c);
            break;
        }
    };
    for (const ReportBlock& b : doc.blocks) add(b);
    close();
    QJsonObject root{{"title", q(doc.title)}, {"luminaire", q(doc.luminaire)}, {"file", q(doc.file)},
                     {"sections", sections}};
    // A name that is not UTF-8 also travels as its exact bytes, as lumibench-check gives it.
    const QByteArray fileBytes = QByteArray::fromStdString(doc.file);
    if (QString::fromUtf8(fileBytes).toUtf8() != fileBytes) {
        root.insert(QStringLiteral("file_bytes"), QString::fromLatin1(fileBytes.toBase64()));
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

ReportDocument BuildReport(ReportKind kind, const PhotometricRecord& record, const InputValues& values,
                           const ReportUnits& units) {
    ReportDocument doc;
    doc.kind = kind;
    doc.title = ReportTitle(kind);
    doc.file = record.Filename;
    doc.luminaire = KeywordOf(record, record.LuminaireKeyword, "[LUMINAIRE]");
    if (doc.luminaire.empty()) doc.luminaire = BaseName(record.Filename);
    if (record.Candela.empty() || record.HorAngles.empty() || record.VertAngles.empty()) {
        doc.blocks.push_back(Note("The data set holds no intensity table."));
        return doc;
    }
    const IntensityDistribution distribution(record);
    const Summary s = Summarise(record, distribution);
    AddCommonBlocks(doc, record, distribution, s, units);
    switch (kind) {
    case ReportKind::Indoor: AddIndoorBlocks(doc, record, distribution, s, values, units); break;
    case ReportKind::Road: AddRoadBlocks(doc, record, distribution, s, values, units); break;
    case ReportKind::Floodlight: AddFloodBlocks(doc, record, distribution, s, values, units); break;
    }
    return doc;
}

}  // namespace lumibench::reports
