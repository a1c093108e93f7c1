#include "dialogs/image_file.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPrinter>

#include <Magick++.h>

#include <cmath>
#include <mutex>
#include <system_error>

#include "core/atomic_file.h"

namespace lumibench::dialogs {
namespace {

// Placeable metafiles start with a fixed key; plain ones with a type word of
// 1 or 2 followed by a header size of 9 words.
bool LooksLikeMetafile(const QByteArray& head) {
    if (head.size() < 4) return false;
    const auto byte = [&](int i) { return static_cast<unsigned char>(head[i]); };
    if (byte(0) == 0xD7 && byte(1) == 0xCD && byte(2) == 0xC6 && byte(3) == 0x9A) return true;
    return (byte(0) == 1 || byte(0) == 2) && byte(1) == 0 && byte(2) == 9 && byte(3) == 0;
}

// The bytes go to the renderer as a blob: given a file name it would read
// "[...]" and "%" in the name as frame and format instructions.
QImage LoadMetafile(const QByteArray& bytes) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { Magick::InitializeMagick(nullptr); });
    try {
        Magick::Image picture;
        picture.quiet(true);
        picture.magick("WMF");
        picture.read(Magick::Blob(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        Magick::Blob blob;
        picture.magick("PNG");
        picture.write(&blob);
        return QImage::fromData(static_cast<const uchar*>(blob.data()), static_cast<int>(blob.length()), "PNG");
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

QSize FitImageSize(QSize image, QSize box) {
    if (image.width() <= 0 || image.height() <= 0 || box.width() <= 0 || box.height() <= 0) return {};
    const double imageRatio = double(image.height()) / image.width();
    const double boxRatio = double(box.height()) / box.width();
    if (imageRatio <= boxRatio) {
        const int height = static_cast<int>(std::lround(box.width() * imageRatio));
        return {box.width(), std::max(1, height)};
    }
    const int width = static_cast<int>(std::lround(box.height() / imageRatio));
    return {std::max(1, width), box.height()};
}

QImage LoadImageFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray head = file.peek(4);
    if (LooksLikeMetafile(head)) return LoadMetafile(file.readAll());
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return {};
    return image;
}

bool SaveBitmap24(const QImage& image, const std::string& path) {
    if (image.isNull()) return false;
    // RGB32 has no alpha, so the writer stores 24 bits per pixel. Encoded in
    // memory, then written through a new file renamed over the name, so a
    // link planted at the banner's name is replaced, never followed.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP")) return false;
    std::error_code error;
    return WriteFileAtomically(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                               error);
}

bool PrintImage(QPrinter& printer, const QImage& image, double widthInches) {
    if (image.isNull()) return false;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const double dotsPerInch = printer.resolution();
    const double width = widthInches * dotsPerInch;
    const double height = width * image.height() / image.width();
    painter.drawImage(QRectF(0, 0, width, height), image);
    return painter.end();
}

}  // namespace lumibench::dialogs
