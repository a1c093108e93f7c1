#pragma once
// Picture files for the banner and About boxes: loading (BMP, JPEG, PNG and
// WMF), fitting into a box, saving as a 24-bit BMP and printing.

#include <QImage>
#include <QSize>

#include <QtGlobal>

#include <string>

class QPrinter;

namespace lumibench::dialogs {

// The size an image of `image` takes in a box of `box`, keeping its
// proportions: the box's width when the image is not relatively taller than
// the box, else the box's height. Empty sizes give an empty result.
QSize FitImageSize(QSize image, QSize box);

// Pictures beyond this many pixels are refused: decoding them would take
// hundreds of megabytes for a logo printed 6.5 inches wide.
inline constexpr qint64 kMaxImagePixels = 50'000'000;
// The width a banner is kept at and metafiles are drawn at: 6.5 inches at
// 300 dots per inch, what a printed report uses.
inline constexpr int kBannerPixelWidth = 1950;

inline constexpr const char* kImageTooLargeText =
    "The selected image is too large (%1 x %2 pixels). Please select an image of at most 50 "
    "megapixels.";

struct ImageRead {
    enum class Failure { None, Unreadable, TooLarge };
    QImage image;
    Failure failure = Failure::None;
    QSize size;  // what the file says, also when refused
};

// Reads any picture Qt knows, and WMF through the metafile renderer at the
// width reports print. A decoder that reports damage (a JPEG that ends early
// or holds corrupt data) fails the read, though it would hand out a picture.
ImageRead ReadImageFile(const std::string& path);
// The picture, or a null image when ReadImageFile fails.
QImage LoadImageFile(const std::string& path);

// Transparent parts drawn on white: a BMP keeps no transparency, and black
// is what they would otherwise become.
QImage FlattenOnWhite(const QImage& image);
// A picture as it is kept as the banner: flattened, and no wider than reports print.
QImage BannerForKeeping(const QImage& image);

// Saves flattened onto white, 24 bits per pixel.
bool SaveBitmap24(const QImage& image, const std::string& path);

// Prints `image` on one page, `widthInches` wide and proportionally high, at
// the top left of the printable area. Returns false when the printer failed.
bool PrintImage(QPrinter& printer, const QImage& image, double widthInches);

}  // namespace lumibench::dialogs
