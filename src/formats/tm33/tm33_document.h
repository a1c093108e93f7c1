#pragma once
// A TM-33 / ATLA document as the XML and JSON readers find it, before it
// becomes records: the header's texts, the luminaire's size, each emitter
// with its intensity values, and what the record has no field for, kept in
// the document's own notation so that writing it again loses nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lumibench {

// One intensity value at (horizontal, vertical) angle; `line` is where it stands.
struct Tm33Point {
    double horizontal = 0;
    double vertical = 0;
    double value = 0;
    int line = 0;
};

struct Tm33Emitter {
    int line = 0;      // the emitter's start
    int dataLine = 0;  // the intensity block's start; 0 when there is none
    std::string description;
    std::string catalogNumber;
    std::optional<double> quantity;
    std::optional<double> ratedLumens;
    std::optional<double> inputWatts;
    std::optional<double> ballastFactor;
    std::string photometryType;  // as written: "C", "CIE_C", "CIE _ C", "TypeC"...
    int photometryTypeLine = 0;
    std::string symmetry;        // "Symm_Quad" and the like, as written
    std::string metric;          // "Luminous" when given
    std::optional<double> multiplier;
    std::optional<bool> absolute;
    // Counts the document announces, with their lines, checked against the data.
    std::optional<double> numberHorizontal, numberVertical;
    int countLine = 0;
    std::vector<Tm33Point> points;
    // Children the record has no field for (colour, spectra, ...), serialised.
    std::string optional;
};

// The values a record holds that the format has no place for, written by our
// own writers into a block of their own and read back from it.
struct Tm33RecordBlock {
    std::int16_t unitsType = 2;
    std::int16_t photometricType = 0;  // 0: as the document's photometry type says
    std::vector<std::string> keywords;
    std::string otherKeywordText;
    // Test, date, manufacturer, catalogue, luminaire, lamp catalogue, lamp, ballast.
    std::vector<std::string> keywordFields;
    std::int16_t tiltIncl = 0;
    std::int16_t lampGeometry = 0;
    std::vector<float> tiltAngles;
    std::vector<float> tiltFactors;
};

// A count or code from a document as a 16-bit field: rounded, and held to
// the field's range rather than wrapped.
inline std::int16_t Whole16(double value) {
    if (!(value == value)) return 0;
    if (value < -32768.0) return -32768;
    if (value > 32767.0) return 32767;
    return static_cast<std::int16_t>(value < 0 ? value - 0.5 : value + 0.5);
}

enum class Tm33Notation { Xml, Json };

struct Tm33Document {
    Tm33Notation notation = Tm33Notation::Xml;
    std::string root;  // the XML root element; empty for JSON
    // Header elements with text, in document order: (element name, trimmed text).
    std::vector<std::pair<std::string, std::string>> header;
    std::optional<double> length, width, height;  // millimetres
    std::string goniometerType;
    int goniometerTypeLine = 0;
    std::vector<Tm33Emitter> emitters;
    // Unmapped parts of the luminaire, the goniometer, the rest of the
    // equipment and the document itself.
    std::string luminaireOptional, goniometerOptional, equipmentOptional, documentOptional;
    std::optional<Tm33RecordBlock> recordBlock;
};

}  // namespace lumibench
