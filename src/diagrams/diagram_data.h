#pragma once
// What the diagrams plot, taken from records: intensity units, the sections
// through the distribution (plane pairs or type B's horizontal and vertical
// sweeps) and their curves, and the isocandela grid.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/photometric_record.h"
#include "photometry/photometry.h"

namespace lumibench::diagrams {

enum class IntensityUnit { Candela, CandelaPerKilolumen };
std::string UnitLabel(IntensityUnit unit);  // "cd", "cd/klm"

// The flux cd/klm refers to: the lamps' for relative photometry, the
// luminaire's for absolute photometry (LumensPerLamp -1). 0 when unknown.
double ReferenceFlux(const PhotometricRecord& record);
// Overlaid records compare only in cd/klm when their reference fluxes differ
// by more than half a per cent.
bool FluxesDiffer(const std::vector<const PhotometricRecord*>& records);

// A cut through the distribution that a polar or cartesian diagram shows.
struct Section {
    enum class Kind {
        PlanePair,   // type C: plane `angle` on the right, plane `angle` + 180 on the left
        Horizontal,  // types B and A: H sweeps at V = `angle`
        Vertical,    // types B and A: V sweeps at H = `angle`
    };
    Kind kind = Kind::PlanePair;
    double angle = 0;
    bool operator==(const Section&) const = default;
};
std::string SectionName(const Section& section);  // "C0-C180", "H (V 0)", "V (H 0)"
// What each half of the diagram shows, left and right: {"C180", "C0"} for
// the C0-C180 pair; {"H-", "H+"} and {"V-", "V+"} for the sweeps.
std::pair<std::string, std::string> SectionHalves(const Section& section);
// The section through the distribution's maximum: the plane pair holding it
// (type C), or the V sweep at its H (types B and A).
Section MaximumSection(const photometry::IntensityDistribution& distribution);
// C0-C180 and C90-C270 for type C; the horizontal and vertical sweeps
// through the axis for types B and A.
std::vector<Section> DefaultSections(int photometricType);
// Every section the record's own angles offer (type C: one pair per stored
// plane below 180 after expansion).
std::vector<Section> AvailableSections(const photometry::IntensityDistribution& distribution);

// One data set as a diagram shows it.
struct Series {
    std::string label;
    std::shared_ptr<const photometry::IntensityDistribution> distribution;
    double factor = 1;  // candela -> the diagram's unit
};
// A record in the given unit; cd/klm of a record without a reference flux
// falls back to candela (factor 1).
Series MakeSeries(const PhotometricRecord& record, IntensityUnit unit, std::string label);

// The section of a data set of `photometricType` that stands for `section`
// when data sets of both systems share a diagram: C0-C180 is the vertical
// sweep through the axis (V at H 0), C90-C270 the horizontal one (H at V 0),
// and the other way round; a section of the data set's own system is itself.
Section CounterpartSection(const Section& section, int photometricType);

// A point of a curve: signed angle (0 = nadir or the axis, right positive)
// and the value in the diagram's unit.
struct CurvePoint {
    double angle = 0;
    double value = 0;
    bool operator==(const CurvePoint&) const = default;
};
// The section's curve (its counterpart for a data set of the other system)
// over the measured range, sampled every degree and at every stored angle.
// Pieces: a section whose measured range does not reach 0 falls into a left
// and a right piece.
std::vector<std::vector<CurvePoint>> SectionCurve(const Series& series, const Section& section);

// The largest value of the curves (0 when there is none).
double LargestValue(const std::vector<std::vector<CurvePoint>>& pieces);

// Isocandela grid in the diagram's unit: x = horizontal angles, y = vertical
// angles, the stored ones and every 2.5 degrees between.
struct IsoGrid {
    std::vector<double> xs;
    std::vector<double> ys;
    std::vector<std::vector<double>> values;  // values[x][y]
    double maximum = 0;
};
IsoGrid IsocandelaGrid(const Series& series);
// Contour levels: nice values between 0 and the maximum, both ends left out.
std::vector<double> IsocandelaLevels(double maximum, int maxIntervals = 8);

}  // namespace lumibench::diagrams
