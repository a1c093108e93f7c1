#pragma once
// One photometry file of a container, read from its bytes in memory by the
// reader of its format, with the checks a file on disk gets first.

#include <string>
#include <string_view>

#include "formats/reader_messages.h"
#include "model/photometric_record.h"

namespace lumibench {

enum class MemberFormat { Eulumdat, Ies, Unsupported };

// By the product's content type ("ldc/eulumdat", "ldc/ies"), else by the
// member's extension.
MemberFormat PhotometryFormatOf(std::string_view contentType, std::string_view memberName);

// Fills `record` as LoadEulumdatFile or LoadIesFile would from a file holding
// `bytes`. Bad line ends are refused with `noRepair`, as on disk; otherwise
// the text is read with its line ends repaired in memory (a container's
// member is never rewritten) and `repairedInMemory` says so.
void ReadPhotometryMember(MemberFormat format, std::string_view bytes, bool noRepair, PhotometricRecord& record,
                          ReaderMessages& message, bool& repairedInMemory);

}  // namespace lumibench
