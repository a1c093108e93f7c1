#pragma once
// The picture a file manager shows for a photometric file: the polar curves
// of its two main sections (C0-C180 and C90-C270, or type B's sweeps through
// the axis) in the diagrams' colours, on a white disc with a light grid and
// no text, which nobody could read at 128 pixels anyway.

#include <QImage>

#include "model/photometric_record.h"

namespace lumibench {

// The largest side asked for that is drawn; file managers ask for 128 to
// 1024, and a larger number must not allocate a huge image.
inline constexpr int kLargestThumbnailSize = 2048;
inline constexpr int kSmallestThumbnailSize = 16;

// A square ARGB picture of `size` pixels (clamped to the limits above) with a
// transparent background; a null image when the record has nothing to draw.
QImage DrawPolarThumbnail(const PhotometricRecord& record, int size);

}  // namespace lumibench
