#include "formats/gldf/photometry_member.h"

#include <exception>
#include <new>

#include "core/path_text.h"
#include "formats/conversion_texts.h"
#include "formats/eulumdat/eulumdat_reader.h"
#include "formats/ies/ies_messages.h"
#include "formats/ies/ies_reader.h"
#include "formats/text/field_reader.h"
#include "formats/text/line_delimiters.h"
#include "formats/text/text_decoding.h"

namespace lumibench {

MemberFormat PhotometryFormatOf(std::string_view contentType, std::string_view memberName) {
    if (contentType == "ldc/eulumdat") return MemberFormat::Eulumdat;
    if (contentType == "ldc/ies") return MemberFormat::Ies;
    if (!contentType.empty()) return MemberFormat::Unsupported;
    const std::string extension = UpperAscii(SplitPath(std::string(memberName)).extension);
    if (extension == ".LDT" || extension == ".EXL") return MemberFormat::Eulumdat;
    if (extension == ".IES") return MemberFormat::Ies;
    return MemberFormat::Unsupported;
}

void ReadPhotometryMember(MemberFormat format, std::string_view bytes, bool noRepair, PhotometricRecord& record,
                          ReaderMessages& message, bool& repairedInMemory) {
    repairedInMemory = false;
    record.TiltIncl = kFalse;
    try {
        std::string repaired;
        const bool badLineEnds = RepairLineDelimiters(bytes, repaired);
        const std::string_view examined = badLineEnds ? std::string_view(repaired) : bytes;
        if (const std::size_t at = ExponentFromTilt(examined); at != std::string_view::npos) {
            if (format == MemberFormat::Ies) {
                message.add(ies::kExponentialData, PhysicalLineAt(examined, at));
            } else {
                message.add(conversion_text::kExponentialData);
            }
            return;
        }
        if (badLineEnds && noRepair) {
            message.add(kBadDelimiterMessage, 1);
            return;
        }
        repairedInMemory = badLineEnds;
        std::string converted;
        const std::string_view text = DecodedView(examined, converted);
        if (format == MemberFormat::Ies) {
            ReadIesText(text, record, message);
        } else {
            ReadEulumdatText(text, record, message);
        }
    } catch (const std::bad_alloc&) {
        message.add("Out of memory", 0);
    } catch (const std::exception& failure) {
        message.add(failure.what(), 0);
    }
}

}  // namespace lumibench
