#pragma once
// The IES reader's messages, byte for byte as users and their support staff know them.

#include <string_view>

namespace lumibench::ies {

inline constexpr std::string_view kExponentialData =
    "File contains exponential data which is not allowed (for example: 3.14E-02). You will have to "
    "manually edit this file and replaced all exponential numbers with real numbers (for example: "
    "3.14E-02 = 0.0314).";
// Follows the resolved tag, e.g. "[MANUFAC]".
inline constexpr std::string_view kPipeInKeyword =
    " keyword text contains a pipe (|) character. This is not allowed (it has special meaning when "
    "performing database queries).";
inline constexpr std::string_view kExternalTilt = "References an external tilt file (not allowed).";
inline constexpr std::string_view kLampCount = "Number of lamps must be >0.";
inline constexpr std::string_view kLumens = "Lumens must be > 0 or = -1 (absolute photometry).";
inline constexpr std::string_view kMultiplier = "Multiplier must be >0.";
inline constexpr std::string_view kPhotometricType = "Photometric type must be type C or type B.";
inline constexpr std::string_view kBallast = "Ballast must be >0.";
inline constexpr std::string_view kEndInVerticalAngles = "End of file reading vertical angles";
inline constexpr std::string_view kVerticalNotAscending = "Vertical angles are not in ascending order";
inline constexpr std::string_view kTypeCFirstVertical = "First vertical must be 0 or 90.";
inline constexpr std::string_view kTypeCLastVertical = "Last vertical angle must be 90 or 180.";
inline constexpr std::string_view kTypeBFirstVertical = "First vertical angle must be 0 or -90.";
inline constexpr std::string_view kTypeBLastVertical = "Last vertical angle must be 90.";
inline constexpr std::string_view kEndInHorizontalAngles = "End of file reading horizontal angles";
inline constexpr std::string_view kHorizontalNotAscending =
    "Horizontal angles are not in ascending order";
inline constexpr std::string_view kTypeCFirstHorizontal = "First horizontal angle must be 0 or 90.";
inline constexpr std::string_view kTypeCLastHorizontalFrom90 =
    "Last horizontal must be 270 when first horizontal angles = 90.";
inline constexpr std::string_view kTypeCLastHorizontalFrom0 =
    "Last horizontal angle must be 0, 90, 180, or 360 when first horizontal angle = 0.";
inline constexpr std::string_view kTypeBFirstHorizontal = "First horizontal angle must be 0 or -90.";
inline constexpr std::string_view kEndInCandela = "End of file reading candela values.";
inline constexpr std::string_view kNegativeCandela =
    "File contains one or more negative candela values.";
inline constexpr std::string_view kPoleNotEqual = "Nadir candela values are not equal.";
// Wraps the last value read.
inline constexpr std::string_view kReadFailureHead =
    "Premature end of file. Check file format, data may not be delimited properly (Last value read - ";
inline constexpr std::string_view kReadFailureTail = ").";

}  // namespace lumibench::ies
