#pragma once
// Picture files for the banner and About boxes: loading (BMP, JPEG, PNG and
// WMF), fitting into a box, saving as a 24-bit BMP and printing.

#include <QImage>
#include <QSize>

#include <string>

class QPrinter;

namespace lumibench::dialogs {

// The size an image of `image` takes in a box of `box`, keeping its
// proportions: the box's width when the image is not relatively taller than
// the box, else the box's height. Empty sizes give an empty result.
QSize FitImageSize(QSize image, QSize box);

// Reads any picture Qt knows, and WMF through the metafile renderer.
// Returns a null image when the file cannot be read as a picture.
QImage LoadImageFile(const std::string& path);

bool SaveBitmap24(const QImage& image, const std::string& path);

// Prints `image` on one page, `widthInches` wide and proportionally high, at
// the top left of the printable area. Returns false when the printer failed.
bool PrintImage(QPrinter& printer, const QImage& image, double widthInches);

}  // namespace lumibench::dialogs
