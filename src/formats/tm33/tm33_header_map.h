#pragma once
// Which IES keyword a TM-33 header element becomes, and back. Elements with no
// IES keyword of their own become "[_TM33_<element>]" lines, so that writing
// the record again puts them where they were.

#include <array>
#include <string>
#include <string_view>

namespace lumibench {

struct Tm33HeaderTag {
    std::string_view element;
    std::string_view tag;
};

// Every element a reader meets; the first row of a tag is the one writers use.
inline constexpr std::array<Tm33HeaderTag, 11> kTm33HeaderTags = {{
    {"Manufacturer", "[MANUFAC]"},
    {"CatalogNumber", "[LUMCAT]"},
    {"Description", "[LUMINAIRE]"},
    {"Laboratory", "[TESTLAB]"},
    {"ReportNumber", "[TEST]"},
    {"ReportDate", "[ISSUEDATE]"},
    {"IssueDate", "[ISSUEDATE]"},
    {"TestDate", "[TESTDATE]"},
    {"Comment", "[OTHER]"},
    {"Comments", "[OTHER]"},
    {"MoreInfoURI", "[_TM33_MoreInfoURI]"},
}};

inline std::string Tm33TagOf(std::string_view element) {
    for (const Tm33HeaderTag& row : kTm33HeaderTags) {
        if (row.element == element) return std::string(row.tag);
    }
    return "[_TM33_" + std::string(element) + "]";
}

// Emitter texts that are IES keywords.
inline constexpr std::string_view kEmitterDescriptionTag = "[LAMP]";
inline constexpr std::string_view kEmitterCatalogTag = "[LAMPCAT]";

// A placeholder our writers put where the format requires a text the record lacks.
inline constexpr std::string_view kTm33Placeholder = "Not given";

}  // namespace lumibench
