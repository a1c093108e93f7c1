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
// "[...]" and "%" in the name as frame and format instructions. A metafile
// is drawn, not scaled: first at the renderer's 72 dots per inch to learn its
// width, then again at the density that makes it as wide as a printed banner.
QImage LoadMetafile(const QByteArray& bytes) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { Magick::InitializeMagick(nullptr); });
    try {
        const Magick::Blob source(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        Magick::Image picture;
        picture.quiet(true);
        picture.magick("WMF");
        picture.read(source);
        if (picture.columns() > 0 && picture.columns() < static_cast<std::size_t>(kBannerPixelWidth)) {
            const double density = 72.0 * kBannerPixelWidth / static_cast<double>(picture.columns());
            Magick::Image sharper;
            sharper.quiet(true);
            sharper.magick("WMF");
            const auto dots = static_cast<std::size_t>(std::lround(density));
            sharper.density(Magick::Geometry(dots, dots));
            sharper.read(source);
            if (sharper.columns() > picture.columns()) picture = sharper;
        }
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

ImageRead ReadImageFile(const std::string& path) {
    ImageRead result;
    result.failure = ImageRead::Failure::Unreadable;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return result;
    const QByteArray head = file.peek(4);
    QImage image;
    if (LooksLikeMetafile(head)) {
        image = LoadMetafile(file.readAll());
    } else {
        QImageReader reader(&file);
        reader.setDecideFormatFromContent(true);
        reader.setAutoTransform(true);
        result.size = reader.size();
        if (static_cast<qint64>(result.size.width()) * result.size.height() > kMaxImagePixels) {
            result.failure = ImageRead::Failure::TooLarge;
            return result;
        }
        reader.setAllocationLimit(static_cast<int>(kMaxImagePixels * 4 / (1024 * 1024)) + 1);
        // The decoders report damage only as warnings; listen while this one reads.
        static bool damaged = false;
        damaged = false;
        static QtMessageHandler previous = nullptr;
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context,
                                             const QString& message) {
            if (message.contains(QLatin1String("Premature end of JPEG")) ||
                message.contains(QLatin1String("Corrupt JPEG data")) ||
                message.contains(QLatin1String("premature end of data segment"))) {
                damaged = true;
            }
            if (previous) previous(type, context, message);
        });
        image = reader.read();
        qInstallMessageHandler(previous);
        if (damaged) return result;
    }
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return result;
    result.size = image.size();
    result.image = std::move(image);
    result.failure = ImageRead::Failure::None;
    return result;
}

QImage LoadImageFile(const std::string& path) { return ReadImageFile(path).image; }

QImage FlattenOnWhite(const QImage& image) {
    if (image.isNull()) return {};
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.setDotsPerMeterX(image.dotsPerMeterX());
    flat.setDotsPerMeterY(image.dotsPerMeterY());
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat;
}

QImage BannerForKeeping(const QImage& image) {
    QImage flat = FlattenOnWhite(image);
    if (flat.width() > kBannerPixelWidth) {
        flat = flat.scaledToWidth(kBannerPixelWidth, Qt::SmoothTransformation);
    }
    return flat;
}

bool SaveBitmap24(const QImage& image, const std::string& path) {
    if (image.isNull()) return false;
    // RGB32 has no alpha, so the writer stores 24 bits per pixel. Encoded in
    // memory, then written through a new file renamed over the name, so a
    // link planted at the banner's name is replaced, never followed.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!FlattenOnWhite(image).save(&buffer, "BMP")) return false;
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
