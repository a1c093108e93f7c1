#include "formats/photometric_writer.h"

#include "formats/eulumdat/eulumdat_writer.h"
#include "formats/ies/ies_writer.h"
#include "formats/tm14/tm14_writer.h"
#include "formats/tm33/tm33_writer.h"

namespace lumibench {

WrittenText WritePhotometricText(const PhotometricRecord& record, WriteFormat format, std::string_view fileName) {
    switch (format) {
    case WriteFormat::Ies1995: return WriteIesText(record, IesEdition::Lm63_1995);
    case WriteFormat::Ies2019: return WriteIesText(record, IesEdition::Lm63_2019);
    case WriteFormat::Eulumdat: return WriteEulumdatText(record, fileName);
    case WriteFormat::Tm14: return WriteTm14Text(record);
    case WriteFormat::Tm33: return WriteTm33Text(record);
    case WriteFormat::AtlaJson: return WriteAtlaJsonText(record);
    case WriteFormat::Ies2002: break;
    }
    return WriteIesText(record, IesEdition::Lm63_2002);
}

}  // namespace lumibench
