#pragma once
// What both TM-33 writers take from a record in the same way: header values
// by element, the symmetry and type names, and the record block's contents.

#include <optional>
#include <string>
#include <vector>

#include "formats/tm33/tm33_document.h"
#include "formats/writer_common.h"
#include "model/photometric_record.h"

namespace lumibench {

class Tm33RecordFacts {
public:
    Tm33RecordFacts(const PhotometricRecord& record, WrittenText& out);

    // The value of the keyword the element maps to; nullopt when the record has none.
    std::optional<std::string> header(std::string_view element) const;
    // The same, or the placeholder (with a note) where the format requires a value.
    std::string required(std::string_view element, std::string_view tag) const;
    // The value of a keyword with its "[MORE]" continuations; nullopt when missing.
    std::optional<std::string> value(std::string_view tag) const;
    // Every value of a tag that may repeat ("[OTHER]" lines become comments).
    std::vector<std::string> all(std::string_view tag) const;

    std::string typeName() const;      // "CIE_C", "CIE_B", "CIE_A"
    std::string symmetryName() const;  // "Symm_Quad" and the like; empty for type A and B
    bool absolute() const { return record_.LumensPerLamp < 0; }
    // Millimetres of a record dimension.
    double millimetres(float value) const;
    Tm33RecordBlock block() const;

private:
    const PhotometricRecord& record_;
    WrittenText& out_;
    std::vector<HeaderLine> lines_;
};

// Text that an XML or JSON document can hold: invalid UTF-8 is read as the
// Windows code page, as the readers read such files.
std::string DocumentText(std::string_view text);

}  // namespace lumibench
