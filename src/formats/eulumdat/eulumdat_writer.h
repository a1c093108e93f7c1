#pragma once
// Writes a type C record as a EULUMDAT file: intensities in cd/klm, the
// symmetry indicator chosen from the data, dimensions in millimetres, DFF and
// LORL computed from the distribution.
//
// Orientation: both formats count C planes (IES horizontal angles)
// counterclockwise seen from above, from C0 along the luminaire's length, so
// C in the file is the record's horizontal angle unchanged and the luminous
// area's length lies in the C0-C180 plane (docs/file-formats.md).

#include <string_view>

#include "model/photometric_record.h"
#include "formats/writer_common.h"

namespace lumibench {

// The EULUMDAT symmetry indicator the data allows: 1 rotational, 4 both
// planes, 2 the C0-C180 plane, 3 the C90-C270 plane, 0 none. A symmetry
// counts when every value it folds together is written as the same text.
// -1 when the data is not type C or its horizontal angles are no IES layout.
int ChooseEulumdatSymmetry(const PhotometricRecord& record);

// The whole file; `fileName` goes into the file-name line.
WrittenText WriteEulumdatText(const PhotometricRecord& record, std::string_view fileName);

}  // namespace lumibench
