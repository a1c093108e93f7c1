#pragma once
// Messages of the EULUMDAT and TM14 readers, byte for byte as users see them.

namespace lumibench::conversion_text {

inline constexpr const char* kExponentialData =
    "File contains exponential data which is not allowed (for example: 3.14E-02). You will have "
    "to manually edit this file and replaced all exponential numbers with real numbers (for "
    "example: 3.14E-02 = 0.0314).";
inline constexpr const char* kEndOfFileHorizontal = "End of file reading horizontal angles";
inline constexpr const char* kEndOfFileVertical = "End of file reading vertical angles";
inline constexpr const char* kEndOfFileCandela = "End of file reading candela values.";
inline constexpr const char* kLastVerticalTypeC = "Last vertical angle must be 90 or 180.";
inline constexpr const char* kNegativeCandela =
    "File contains one or more negative candela values.";
inline constexpr const char* kAllCandelaZero =
    "All candela values are = 0 (i.e. This luminaire produces no light!)";
inline constexpr const char* kPoleNotEqual = "Nadir candela values are not equal.";

// EULUMDAT only: without a flux the cd/klm values would all become 0 candela, a
// luminaire without light that the file does not describe.
inline constexpr const char* kNoLampFlux =
    "The lamp data give no luminous flux, so the intensities (cd/klm) cannot be converted into "
    "candela values.";

// A symmetry indicator outside 0 to 4 names no rule for completing the planes.
inline constexpr const char* kSymmetryOutOfRange = "Symmetry indicator must be 0, 1, 2, 3 or 4.";
// Planes out of order or repeated cannot be told apart once converted.
inline constexpr const char* kCPlanesNotAscending = "C-plane angles are not in ascending order";
inline constexpr const char* kNegativeCPlane = "C-plane angles must be >= 0.";
inline constexpr const char* kNegativeLampFlux = "Lamp flux must not be negative.";

// TM14 only.
inline constexpr const char* kNotTm14 = "Not CIBSE (TM14/1) format.";
inline constexpr const char* kVertCountNotPositive = "Number of vertical angles must be > 0.";
inline constexpr const char* kHorCountNotPositive = "Number of horizontal angles must be > 0.";
inline constexpr const char* kVerticalNotAscending = "Vertical angles are not in ascending order";
inline constexpr const char* kFirstVerticalTypeC = "First vertical must be 0 or 90.";
inline constexpr const char* kFirstVerticalTypeB = "First vertical angle must be >= -90.";
inline constexpr const char* kLastVerticalTypeB = "Last vertical angle must be <= 90.";
inline constexpr const char* kFirstHorizontalTypeC =
    "First horizontal angle must be 0, 90, or 270.";
inline constexpr const char* kLastHorizontalAfter90 =
    "Last horizontal must be 270 when first horizontal angles = 90.";
inline constexpr const char* kFirstHorizontalTypeB = "First horizontal angle must be >= -90.";
inline constexpr const char* kLastHorizontalTypeB = "Last horizontal angle must be <= 90.";
inline constexpr const char* kPhotometricTypeTm14 = "Photometric type must be 1 (type C) or 2 (type B).";
// Data starting at 270 go round once from there (270 ... 345, 0 ... 90).
inline constexpr const char* kHorizontalNotAscending = "Horizontal angles are not in ascending order";

}  // namespace lumibench::conversion_text
