#include "test_pictures.h"

#include <QFile>
#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace lumibench::test {
namespace {

void Word(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(value & 0xFF);
    out.push_back(value >> 8);
}
void Long(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Word(out, value & 0xFFFF);
    Word(out, value >> 16);
}

std::string Save(const QTemporaryDir& folder, const char* name, const QByteArray& bytes) {
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(bytes);
    return path.toStdString();
}

}  // namespace

std::string WritePicture(const QTemporaryDir& folder, const char* name, QSize size, const char* format,
                         QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder.filePath(name);
    return image.save(path, format) ? path.toStdString() : std::string();
}

std::string WriteMetafile(const QTemporaryDir& folder, const char* name, int width, int height) {
    std::vector<std::uint8_t> records;
    const auto record = [&](std::uint16_t function, std::initializer_list<std::uint16_t> params) {
        Long(records, 3 + static_cast<std::uint32_t>(params.size()));
        Word(records, function);
        for (auto p : params) Word(records, p);
    };
    record(0x020B, {0, 0});                                   // window origin
    record(0x020C, {std::uint16_t(height), std::uint16_t(width)});  // window extent
    record(0x02FC, {0, 0x40C8, 0x0028, 0});                   // solid brush, colour 0x0028'40C8
    record(0x012D, {0});                                      // select it
    record(0x041B, {std::uint16_t(height), std::uint16_t(width), 0, 0});  // rectangle
    record(0x0000, {});                                       // end

    std::vector<std::uint8_t> file;
    // Placeable header: key, handle, bounds, units per inch, reserved, checksum.
    std::vector<std::uint16_t> head = {0xCDD7, 0x9AC6, 0, 0, 0, std::uint16_t(width), std::uint16_t(height), 72, 0, 0};
    std::uint16_t checksum = 0;
    for (auto w : head) {
        checksum ^= w;
        Word(file, w);
    }
    Word(file, checksum);
    // Metafile header: type, header words, version, size in words, objects, largest record, members.
    Word(file, 1);
    Word(file, 9);
    Word(file, 0x0300);
    Long(file, 9 + static_cast<std::uint32_t>(records.size() / 2));
    Word(file, 1);
    Long(file, 7);
    Word(file, 0);
    file.insert(file.end(), records.begin(), records.end());
    return Save(folder, name, QByteArray(reinterpret_cast<const char*>(file.data()), qsizetype(file.size())));
}

std::string WriteGarbage(const QTemporaryDir& folder, const char* name, const std::string& bytes) {
    return Save(folder, name, QByteArray::fromStdString(bytes));
}

std::string ProgramFolder() {
    const char* bin = std::getenv("LUMIBENCH_BIN_DIR");
    return bin ? bin : "";
}

}  // namespace lumibench::test
