#pragma once
// Messages of the TM-33 / ATLA readers, byte for byte as users see them. Each
// is reported with the line of the XML or JSON where the fault was found.

#include <string>
#include <string_view>

namespace lumibench::tm33_text {

inline constexpr std::string_view kNoEmitter = "The document describes no emitter (no Emitter element).";
inline constexpr std::string_view kNoIntensityData = "The emitter has no luminous intensity values.";
inline constexpr std::string_view kAngleMissing =
    "An intensity value lacks its horizontal or vertical angle.";
inline constexpr std::string_view kNegativeCandela = "File contains one or more negative candela values.";
inline constexpr std::string_view kAllCandelaZero =
    "All candela values are = 0 (i.e. This luminaire produces no light!)";
inline constexpr std::string_view kTooManyAngles =
    "More than 32767 horizontal or vertical angles; the data set cannot hold them.";
inline constexpr std::string_view kFirstVerticalTypeC = "First vertical must be 0 or 90.";
inline constexpr std::string_view kLastVerticalTypeC = "Last vertical angle must be 90 or 180.";
inline constexpr std::string_view kFirstHorizontalTypeC = "First horizontal angle must be 0, 90, or 270.";
inline constexpr std::string_view kLastHorizontalTypeC = "Last horizontal angle must be 360 or less.";
inline constexpr std::string_view kVerticalRangeTypeAB = "Vertical angles must lie between -90 and 90.";
inline constexpr std::string_view kHorizontalRangeTypeAB = "Horizontal angles must lie between -90 and 90.";

inline std::string NotWellFormedXml(std::string_view detail) {
    return "The document is not well-formed XML: " + std::string(detail);
}
inline std::string NotJson(std::string_view detail) {
    return "The document is not valid JSON: " + std::string(detail);
}
inline std::string UnknownRoot(std::string_view root) {
    return "Not a TM-33 document: the root element is <" + std::string(root) +
           ">, not <IESTM33-22>, <IESTM33> or <LuminaireOpticalData>.";
}
inline std::string NotNumber(std::string_view what, std::string_view text) {
    return std::string(what) + " must be a number; found \"" + std::string(text) + "\".";
}
inline std::string NotBoolean(std::string_view what, std::string_view text) {
    return std::string(what) + " must be true or false; found \"" + std::string(text) + "\".";
}
inline std::string UnknownPhotometryType(std::string_view text) {
    return "Photometry type \"" + std::string(text) + "\" is not type C, B or A.";
}
inline std::string NotLuminous(std::string_view metric) {
    return "The intensity values are " + std::string(metric) +
           ", not luminous; only luminous intensity can be read.";
}
inline std::string DuplicatePoint(std::string_view horizontal, std::string_view vertical) {
    return "Two intensity values for horizontal angle " + std::string(horizontal) + ", vertical angle " +
           std::string(vertical) + ".";
}
inline std::string MissingPoint(std::string_view horizontal, std::string_view vertical) {
    return "No intensity value for horizontal angle " + std::string(horizontal) + ", vertical angle " +
           std::string(vertical) + ": the values must cover every pair of angles.";
}
inline std::string CountMismatch(std::string_view element, std::string_view stated, std::size_t found) {
    return std::string(element) + " is " + std::string(stated) + ", but the intensity values have " +
           std::to_string(found) + " such angles.";
}
inline std::string ValueCountMismatch(std::size_t found, std::size_t needed) {
    return "\"intensities\" holds " + std::to_string(found) + " values; the angles need " + std::to_string(needed) +
           ".";
}
// Not a fault: a note shown when the document is loaded.
inline std::string SeveralEmitters(std::size_t count) {
    return "This TM-33 document describes " + std::to_string(count) +
           " emitters; each one is loaded as a data set of its own.";
}

}  // namespace lumibench::tm33_text
