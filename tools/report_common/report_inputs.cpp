#include "report_inputs.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <optional>

namespace lumibench::reports {
namespace {

// The leading number of a text, blanks before it skipped; nullopt when none.
std::optional<double> LeadingNumber(const std::string& text) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    while (first != last && (*first == ' ' || *first == '\t')) ++first;
    double value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end == first || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

std::string ActNameOf(ReportKind kind) {
    switch (kind) {
    case ReportKind::Indoor: return "Tool_IndoorReportPE";
    case ReportKind::Road: return "Tool_RoadReportPE";
    case ReportKind::Floodlight: return "Tool_FloodReportPE";
    }
    return {};
}

std::string ReportTitle(ReportKind kind) {
    switch (kind) {
    case ReportKind::Indoor: return "Indoor Report";
    case ReportKind::Road: return "Road Report";
    case ReportKind::Floodlight: return "Floodlight Report";
    }
    return {};
}

ReportUnits UnitsFromSettings(const std::string& inputUnits, const std::string& outputUnits) {
    ReportUnits units;
    units.feet = LeadingNumber(inputUnits).value_or(0) == 0;
    units.footcandles = LeadingNumber(outputUnits).value_or(0) == 0;
    return units;
}

const std::vector<InputField>& InputFields(ReportKind kind) {
    using K = InputKind;
    static const std::vector<InputField> indoor{
        {"RoomLength", "Room length", K::Length, 1, 200, 10},
        {"RoomWidth", "Room width", K::Length, 1, 200, 8},
        {"MountingHeight", "Luminaires above the work plane", K::Length, 0.5, 30, 2.2},
        {"Spacing", "Spacing between luminaires", K::Length, 0.3, 50, 2.5},
        {"CeilingReflectance", "Ceiling reflectance", K::Percent, 0, 90, 80},
        {"WallReflectance", "Wall reflectance", K::Percent, 0, 90, 50},
        {"FloorReflectance", "Floor reflectance", K::Percent, 0, 90, 20},
        {"LightLossFactor", "Light loss factor", K::Factor, 0.1, 1, 0.8},
        {"LengthAxis", "Luminaire length", K::Choice, 0, 2, 0},
    };
    static const std::vector<InputField> road{
        {"MountingHeight", "Mounting height", K::Length, 3, 30, 10},
        {"Spacing", "Spacing", K::Length, 5, 150, 30},
        {"RoadWidth", "Road width", K::Length, 3, 40, 7},
        {"Lanes", "Lanes", K::Count, 1, 8, 2},
        {"Overhang", "Overhang", K::Length, -5, 10, 0},
        {"Arrangement", "Arrangement", K::Arrangement, 0, 3, 0},
    };
    static const std::vector<InputField> flood{
        {"Distance", "Distance to the target", K::Length, 1, 500, 10},
        {"AimHorizontal", "Aim to the right", K::Angle, -80, 80, 0},
        {"AimVertical", "Aim upwards", K::Angle, -80, 80, 0},
        {"TargetWidth", "Target width", K::Length, 0.5, 1000, 10},
        {"TargetHeight", "Target height", K::Length, 0.5, 1000, 10},
    };
    switch (kind) {
    case ReportKind::Indoor: return indoor;
    case ReportKind::Road: return road;
    case ReportKind::Floodlight: return flood;
    }
    return indoor;
}

std::vector<std::string> ChoiceTexts(const InputField& field) {
    if (field.key == "LengthAxis") return {"As the file format gives it", "Along C0\u2013C180", "Along C90\u2013C270"};
    return {};
}

double ClampInput(const InputField& field, double value) {
    if (!std::isfinite(value)) return field.fallback;
    if (field.kind == InputKind::Count || field.kind == InputKind::Arrangement || field.kind == InputKind::Choice)
        value = std::round(value);
    return std::clamp(value, field.minimum, field.maximum);
}

InputValues ReadInputs(ReportKind kind, const std::function<std::string(const std::string&)>& read) {
    InputValues values;
    for (const InputField& field : InputFields(kind)) {
        const auto number = LeadingNumber(read(field.key));
        const bool usable = number && *number >= field.minimum && *number <= field.maximum;
        values[field.key] = usable ? ClampInput(field, *number) : field.fallback;
    }
    return values;
}

void WriteInputs(ReportKind kind, const InputValues& values,
                 const std::function<void(const std::string&, const std::string&)>& write) {
    for (const InputField& field : InputFields(kind)) {
        const auto it = values.find(field.key);
        write(field.key, NumberText(it == values.end() ? field.fallback : ClampInput(field, it->second)));
    }
}

std::string NumberText(double value) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : "0";
}

namespace {
double ValueOr(const InputValues& values, const char* key, double fallback) {
    const auto it = values.find(key);
    return it == values.end() ? fallback : it->second;
}
}  // namespace

IndoorInputs IndoorInputsOf(const InputValues& values) {
    IndoorInputs in;
    in.roomLength = ValueOr(values, "RoomLength", in.roomLength);
    in.roomWidth = ValueOr(values, "RoomWidth", in.roomWidth);
    in.mountingHeight = ValueOr(values, "MountingHeight", in.mountingHeight);
    in.spacing = ValueOr(values, "Spacing", in.spacing);
    in.reflectances.ceiling = static_cast<int>(std::lround(ValueOr(values, "CeilingReflectance", 80)));
    in.reflectances.walls = static_cast<int>(std::lround(ValueOr(values, "WallReflectance", 50)));
    in.reflectances.floor = static_cast<int>(std::lround(ValueOr(values, "FloorReflectance", 20)));
    in.lightLossFactor = ValueOr(values, "LightLossFactor", in.lightLossFactor);
    switch (static_cast<int>(std::lround(ValueOr(values, "LengthAxis", 0)))) {
    case 1: in.lengthAxis = photometry::LengthAxis::C0C180; break;
    case 2: in.lengthAxis = photometry::LengthAxis::C90C270; break;
    default: break;
    }
    return in;
}

photometry::RoadLayout RoadLayoutOf(const InputValues& values) {
    photometry::RoadLayout layout;
    layout.mountingHeight = ValueOr(values, "MountingHeight", layout.mountingHeight);
    layout.spacing = ValueOr(values, "Spacing", layout.spacing);
    layout.roadWidth = ValueOr(values, "RoadWidth", layout.roadWidth);
    layout.lanes = static_cast<int>(std::lround(ValueOr(values, "Lanes", layout.lanes)));
    layout.overhang = ValueOr(values, "Overhang", layout.overhang);
    const int arrangement = static_cast<int>(std::lround(ValueOr(values, "Arrangement", 0)));
    layout.arrangement = static_cast<photometry::RoadArrangement>(std::clamp(arrangement, 0, 3));
    layout.metresPerUnit = 1;
    return layout;
}

photometry::TargetPlane TargetPlaneOf(const InputValues& values) {
    photometry::TargetPlane plane;
    plane.distance = ValueOr(values, "Distance", plane.distance);
    plane.aimHorizontal = ValueOr(values, "AimHorizontal", 0);
    plane.aimVertical = ValueOr(values, "AimVertical", 0);
    plane.halfWidth = ValueOr(values, "TargetWidth", 10) / 2;
    plane.halfHeight = ValueOr(values, "TargetHeight", 10) / 2;
    plane.columns = 11;
    plane.rows = 11;
    return plane;
}

ReportIdentity IdentityFromSettings(const std::function<std::string(const std::string&, const std::string&)>& read) {
    auto trimmed = [](std::string text) {
        const auto first = text.find_first_not_of(" \t\r\n");
        if (first == std::string::npos) return std::string();
        return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    };
    ReportIdentity identity;
    identity.bannerPath = trimmed(read("Lumibench_PE", "BannerFilename"));
    identity.company = trimmed(read("Startup", "UserCompanyName"));
    if (const std::string name = trimmed(read("Startup", "UserName")); !name.empty()) identity.contact.push_back(name);
    // The address box keeps its lines with CR LF between them.
    std::string address = read("Startup", "UserAddress");
    for (std::size_t start = 0; start <= address.size();) {
        const auto end = address.find_first_of("\r\n", start);
        const std::string line = trimmed(address.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (!line.empty()) identity.contact.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (const std::string phone = trimmed(read("Startup", "UserVoicePhone")); !phone.empty())
        identity.contact.push_back("Phone " + phone);
    if (const std::string fax = trimmed(read("Startup", "UserFaxNumber")); !fax.empty())
        identity.contact.push_back("Fax " + fax);
    if (const std::string email = trimmed(read("Startup", "UserEmail")); !email.empty()) identity.contact.push_back(email);
    return identity;
}

namespace {
bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}
}  // namespace

std::size_t ReportDataSets::removeFile(const std::string& path) {
    const auto before = records_.size();
    std::erase_if(records_, [&](const PhotometricRecord& r) { return r.Filename == path; });
    return before - records_.size();
}

std::size_t ReportDataSets::takeRefreshed(const std::vector<PhotometricRecord>& records) {
    std::size_t changed = 0;
    for (auto& mine : records_) {
        for (const auto& record : records) {
            if (!SameIgnoringCase(record.Filename, mine.Filename)) continue;
            if (!(record == mine)) {
                const std::string keepName = mine.Filename;
                mine = record;
                mine.Filename = keepName;
                ++changed;
            }
            break;
        }
    }
    return changed;
}

}  // namespace lumibench::reports
