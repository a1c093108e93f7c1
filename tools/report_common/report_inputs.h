#pragma once
// What a report asks of the user, without widgets: the units the host's
// settings choose, the inputs of each method with their ranges and defaults,
// and how those inputs are kept in the tool's own section of the store.
//
// Inputs are held in metres (and percent, counts, degrees) whatever the
// user's length unit, so switching units never moves a luminaire.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "photometry/floodlight.h"
#include "photometry/indoor.h"
#include "photometry/road.h"

namespace lumibench::reports {

enum class ReportKind { Indoor, Road, Floodlight };

// The program each kind is, its window title and the section of its own settings.
std::string ActNameOf(ReportKind kind);
std::string ReportTitle(ReportKind kind);  // "Indoor Report", ...

inline constexpr double kMetresPerFoot = 0.3048;
inline constexpr double kLuxPerFootcandle = 10.763910416709722;  // 1 lm/ft^2 in lm/m^2

struct ReportUnits {
    bool feet = true;          // lengths entered and shown in feet, else metres
    bool footcandles = true;   // illuminance in footcandles, else lux

    std::string lengthLabel() const { return feet ? "ft" : "m"; }
    std::string illuminanceLabel() const { return footcandles ? "fc" : "lx"; }
    double lengthFromMetres(double metres) const { return feet ? metres / kMetresPerFoot : metres; }
    double lengthToMetres(double shown) const { return feet ? shown * kMetresPerFoot : shown; }
    double illuminanceFromLux(double lux) const { return footcandles ? lux / kLuxPerFootcandle : lux; }
};

// "InputUnits" ("0" feet, "2" metres; any other number metres too) and
// "OutputUnits" ("0" footcandles, "1" lux; any other number lux) as the
// host's settings hold them. Text that is no number reads as 0.
ReportUnits UnitsFromSettings(const std::string& inputUnits, const std::string& outputUnits);

enum class InputKind { Length, Percent, Count, Angle, Factor, Arrangement, Choice };

struct InputField {
    std::string key;    // the settings key in the tool's own section
    std::string label;  // as the form and the report show it
    InputKind kind = InputKind::Length;
    double minimum = 0;  // metres for lengths
    double maximum = 0;
    double fallback = 0;
};

// The texts a Choice field offers; its value is the index of the chosen one.
std::vector<std::string> ChoiceTexts(const InputField& field);

// The inputs of a kind, in the order the form shows them.
const std::vector<InputField>& InputFields(ReportKind kind);

// key -> value (metres for lengths; the arrangement as its enum's number).
using InputValues = std::map<std::string, double>;

// Every field of the kind from `read(key)` (the stored text): numbers are
// read with their leading number; missing, unreadable or out-of-range values
// take the field's default.
InputValues ReadInputs(ReportKind kind, const std::function<std::string(const std::string&)>& read);
// The value clamped to the field's range (counts and arrangements rounded).
double ClampInput(const InputField& field, double value);
// Writes every field as compact number text.
void WriteInputs(ReportKind kind, const InputValues& values,
                 const std::function<void(const std::string&, const std::string&)>& write);

// Who the sheet comes from: the banner picture and the user's details.
struct ReportIdentity {
    std::string bannerPath;
    std::string company;
    std::vector<std::string> contact;  // name, address lines, phone, fax, email: those given
};

// From the host's settings: `read(section, key)` of application "Lumibench_PE"
// ("BannerFilename" of its own section, the user details of "Startup").
ReportIdentity IdentityFromSettings(const std::function<std::string(const std::string&, const std::string&)>& read);

// The data sets a report tool holds, and how host commands change them.
class ReportDataSets {
public:
    void set(std::vector<PhotometricRecord> records) { records_ = std::move(records); }
    const std::vector<PhotometricRecord>& records() const { return records_; }
    // "DeleteFile,path": drops every data set of that file; returns how many.
    std::size_t removeFile(const std::string& path);
    // The host's refreshed slots after "DataChanged": a data set whose file is
    // among them (case ignored, as the host matches) takes the new data and
    // keeps its place. Returns how many changed.
    std::size_t takeRefreshed(const std::vector<PhotometricRecord>& records);

private:
    std::vector<PhotometricRecord> records_;
};

// Inputs of each method, in metres (the photometry library's lengths give lux then).
struct IndoorInputs {
    photometry::Reflectances reflectances;
    double roomLength = 10, roomWidth = 8;
    double mountingHeight = 2.2;  // luminaires above the work plane
    double spacing = 2.5;         // between luminaires, both ways
    double lightLossFactor = 0.8;
    // The luminaire's length axis: as the record's file format gives it, or set.
    std::optional<photometry::LengthAxis> lengthAxis;
};
IndoorInputs IndoorInputsOf(const InputValues& values);
photometry::RoadLayout RoadLayoutOf(const InputValues& values);
photometry::TargetPlane TargetPlaneOf(const InputValues& values);

// Compact number text for the store: "2.5", "10", "-.25" style is not needed
// here, plain shortest form with '.' whatever the locale.
std::string NumberText(double value);

}  // namespace lumibench::reports
