#include "formats/photometric_writer.h"

#include "formats/eulumdat/eulumdat_reader.h"
#include "formats/eulumdat/eulumdat_writer.h"
#include "formats/ies/ies_reader.h"
#include "formats/ies/ies_writer.h"
#include "formats/reader_messages.h"
#include "formats/text/line_delimiters.h"
#include "formats/text/text_decoding.h"
#include "formats/tm14/tm14_reader.h"
#include "formats/tm14/tm14_writer.h"
#include "formats/tm33/tm33_reader.h"
#include "formats/tm33/tm33_writer.h"

namespace lumibench {
namespace {

WrittenText WriteUnchecked(const PhotometricRecord& record, WriteFormat format, std::string_view fileName) {
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

}  // namespace

std::string ReadBackRefusal(std::string_view bytes, WriteFormat format) {
    const std::string decoded = DecodeFileText(std::string(bytes));
    PhotometricRecord record;
    ReaderMessages messages;
    switch (format) {
    case WriteFormat::Eulumdat: ReadEulumdatText(decoded, record, messages); break;
    case WriteFormat::Tm14: ReadTm14Text(decoded, record, messages); break;
    case WriteFormat::Ies1995:
    case WriteFormat::Ies2002:
    case WriteFormat::Ies2019: {
        const std::string fromTilt = TextFromLines(decoded, true);
        if (fromTilt.find("E-") != std::string::npos || fromTilt.find("E+") != std::string::npos) {
            return std::string(kReadBackRefused) + "an exponent number";
        }
        ReadIesText(decoded, record, messages);
        break;
    }
    case WriteFormat::Tm33:
    case WriteFormat::AtlaJson: {
        WorkRecordTable work;
        if (format == WriteFormat::Tm33) {
            ReadTm33XmlBytes(bytes, work, messages);
        } else {
            ReadAtlaJsonBytes(bytes, work, messages);
        }
        break;
    }
    }
    if (messages.empty()) return {};
    const LocatedMessage& first = messages.located().front();
    return std::string(kReadBackRefused) + (first.line > 0 ? "line " + std::to_string(first.line) + ": " : "") +
           first.text;
}

WrittenText WritePhotometricText(const PhotometricRecord& record, WriteFormat format, std::string_view fileName) {
    WrittenText written = WriteUnchecked(record, format, fileName);
    // What our own readers would refuse is never handed out as a file.
    if (written.ok()) written.error = ReadBackRefusal(written.text, format);
    return written;
}

}  // namespace lumibench
