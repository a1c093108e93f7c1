#include "formats/tm33/tm33_record_facts.h"

#include <algorithm>
#include <charconv>

#include "formats/text/field_reader.h"
#include "formats/text/text_decoding.h"
#include "formats/tm33/tm33_header_map.h"

namespace lumibench {

namespace {
constexpr double kMillimetresPerFoot = 304.8;
constexpr double kMillimetresPerMetre = 1000.0;
}  // namespace

Tm33RecordFacts::Tm33RecordFacts(const PhotometricRecord& record, WrittenText& out)
    : record_(record), out_(out), lines_(SplitHeaderLines(record.Keywords)) {}

std::optional<std::string> Tm33RecordFacts::header(std::string_view element) const {
    const std::string tag = Tm33TagOf(element);
    std::optional<std::string> value = KeywordValue(lines_, tag);
    // Files of the 1995 edition date themselves with [DATE].
    if (!value && tag == "[ISSUEDATE]") value = KeywordValue(lines_, "[DATE]");
    return value;
}

std::string Tm33RecordFacts::required(std::string_view element, std::string_view tag) const {
    std::optional<std::string> value = tag.empty() ? header(element) : KeywordValue(lines_, tag);
    if (value && !value->empty()) return DocumentText(*value);
    const std::string shown = tag.empty() ? Tm33TagOf(element) : std::string(tag);
    const std::string note =
        shown + " is not in the data: " + std::string(element) + " written as \"" + std::string(kTm33Placeholder) + "\".";
    if (std::find(out_.notes.begin(), out_.notes.end(), note) == out_.notes.end()) out_.notes.push_back(note);
    return std::string(kTm33Placeholder);
}

std::optional<std::string> Tm33RecordFacts::value(std::string_view tag) const {
    std::optional<std::string> found = KeywordValue(lines_, tag);
    if (found) *found = DocumentText(*found);
    return found;
}

std::vector<std::string> Tm33RecordFacts::all(std::string_view tag) const {
    std::vector<std::string> values;
    for (const HeaderLine& line : lines_) {
        if (line.tag == tag) values.push_back(DocumentText(line.value));
    }
    return values;
}

std::string Tm33RecordFacts::typeName() const {
    switch (record_.PhotometricType) {
    case 2: return "CIE_B";
    case 3: return "CIE_A";
    default: return "CIE_C";
    }
}

std::string Tm33RecordFacts::symmetryName() const {
    if (record_.PhotometricType != 1 && record_.PhotometricType != 0) return {};
    const std::vector<float>& h = record_.HorAngles;
    if (h.size() <= 1) return "Symm_Full";
    if (h.front() == 0.0f && h.back() == 90.0f) return "Symm_Quad";
    if (h.front() == 0.0f && h.back() == 180.0f) return "Symm_Bi_0";
    if (h.front() == 90.0f && h.back() == 270.0f) return "Symm_Bi_90";
    return "Symm_None";
}

double Tm33RecordFacts::millimetres(float value) const {
    const double perUnit = record_.UnitsType == 1 ? kMillimetresPerFoot : kMillimetresPerMetre;
    const double exact = static_cast<double>(value) * perUnit;
    // The fewest digits that the reader turns back into the same single:
    // 1.17 m is written as 1170 mm, not as the product's 1169.9999570846558.
    for (int digits = 1; digits <= 17; ++digits) {
        char text[64];
        const auto end = std::to_chars(text, text + sizeof text, exact, std::chars_format::scientific, digits - 1).ptr;
        const std::optional<double> rounded = ParseDouble(std::string_view(text, static_cast<std::size_t>(end - text)));
        if (rounded && static_cast<float>(*rounded / perUnit) == value) return *rounded;
    }
    return exact;
}

Tm33RecordBlock Tm33RecordFacts::block() const {
    Tm33RecordBlock block;
    block.unitsType = record_.UnitsType;
    block.photometricType = record_.PhotometricType >= 1 && record_.PhotometricType <= 3 ? 0 : record_.PhotometricType;
    block.keywords = record_.Keywords;
    block.otherKeywordText = record_.OtherKeywordText;
    block.keywordFields = {record_.TestKeyword,   record_.DateKeyword,      record_.ManufacKeyword,
                           record_.LumcatKeyword, record_.LuminaireKeyword, record_.LampcatKeyword,
                           record_.LampKeyword,   record_.BallastKeyword};
    block.tiltIncl = record_.TiltIncl;
    block.lampGeometry = record_.LampGeometry;
    block.tiltAngles = record_.TiltAngles;
    block.tiltFactors = record_.TiltFactors;
    return block;
}

std::string DocumentText(std::string_view text) {
    return IsValidUtf8(text) ? std::string(text) : Windows1252ToUtf8(text);
}

}  // namespace lumibench
