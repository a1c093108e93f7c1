#pragma once
// What Tool_ViewPE shows, without widgets: the data sets it holds and how
// host commands change them, the unit of the diagrams, the length unit of the
// settings, and a plain description of its state for scripts and tests.

#include <QJsonObject>

#include <optional>
#include <string>
#include <vector>

#include "diagrams/data_sets.h"
#include "model/photometric_record.h"

namespace lumibench::view {

using diagrams::DataSetLabel;
using diagrams::UnitChoice;
using ViewDataSet = diagrams::DataSet;

struct LengthUnit {
    std::string label;     // "ft" or "m"
    double unitsPerMetre;  // 3.28084 or 1
};
// "InputUnits" of the host's settings: "0" (or nothing) feet, anything else metres.
LengthUnit LengthUnitFromSetting(const std::string& inputUnits);

// Illuminance straight below the luminaire at a few mounting heights, in the
// units "OutputUnits" names: "0" (or nothing) footcandles with heights in
// feet, anything else lux with heights in metres. The beam (50 %) diameter
// follows from the beam angle of the first plane pair when there is one.
struct ConeRow {
    double height = 0;
    double illuminance = 0;
    std::optional<double> beamDiameter;
};
struct IlluminanceCone {
    std::string illuminanceUnit;  // "lx" or "fc"
    std::string lengthUnit;       // "m" or "ft"
    std::vector<ConeRow> rows;
};
IlluminanceCone NadirIlluminance(const PhotometricRecord& record, const std::string& outputUnits);

class ViewModel : public diagrams::DataSetList {
public:
    // {"datasets": [{"file", "label", "unsaved", "shown", "peakCandela"}],
    // "unit"} plus what the caller adds.
    QJsonObject describe(UnitChoice choice) const;
};

}  // namespace lumibench::view
