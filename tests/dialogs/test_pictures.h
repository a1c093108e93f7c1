#pragma once
// Picture files made on the spot for the tests, and a scratch folder.

#include <QColor>
#include <QSize>
#include <QTemporaryDir>

#include <string>

namespace lumibench::test {

// Writes a picture of `size` in `format` ("BMP", "JPG", "PNG") and returns its path.
std::string WritePicture(const QTemporaryDir& folder, const char* name, QSize size, const char* format,
                         QColor colour = QColor(200, 40, 40));
// A placeable Windows metafile `width` x `height` units at 72 units per inch:
// one filled rectangle.
std::string WriteMetafile(const QTemporaryDir& folder, const char* name, int width, int height);
// A file that only claims to be a picture.
std::string WriteGarbage(const QTemporaryDir& folder, const char* name, const std::string& bytes);

// The folder of the built program, with the bundled files.
std::string ProgramFolder();

}  // namespace lumibench::test
