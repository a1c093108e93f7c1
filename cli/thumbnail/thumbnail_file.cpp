#include "thumbnail_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>

#include <filesystem>
#include <string_view>
#include <system_error>

#include "core/atomic_file.h"
#include "formats/checked_load.h"
#include "formats/file_gate.h"
#include "thumbnail_picture.h"

namespace lumibench {

ThumbnailResult WriteThumbnail(const std::string& input, const std::string& output, int size,
                               const std::string& scratchFolder) {
    ThumbnailResult result;
    if (const std::string refusal = RefusalBeforeReading(input); !refusal.empty()) {
        result.error = refusal;
        return result;
    }
    // The host reads a file with bare LF line ends through a repaired copy;
    // so does the thumbnailer, of a copy in the scratch folder, so that no
    // "_Repaired" file appears beside the input.
    std::string readable = input;
    bool repair = false;
    if (!scratchFolder.empty()) {
        const std::filesystem::path copy = std::filesystem::path(scratchFolder) / std::filesystem::path(input).filename();
        std::error_code error;
        if (std::filesystem::copy_file(input, copy, std::filesystem::copy_options::overwrite_existing, error)) {
            readable = copy.string();
            repair = true;
        }
    }
    const FileCheckResult read = CheckFile(readable, repair, scratchFolder);
    if (read.skipped) {
        result.error = "not a photometric file Lumibench reads";
        return result;
    }
    if (!read.ok()) {
        result.error = "refused: " + read.messages.text();
        return result;
    }
    const QImage picture = DrawPolarThumbnail(read.record, size);
    if (picture.isNull()) {
        result.error = "no intensities to draw";
        return result;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(picture)) {
        result.error = writer.errorString().toStdString();
        return result;
    }
    std::error_code error;
    if (!WriteFileAtomically(output, std::string_view(png.constData(), static_cast<std::size_t>(png.size())),
                             error)) {
        result.error = output + ": " + error.message();
        return result;
    }
    result.written = true;
    return result;
}

}  // namespace lumibench
