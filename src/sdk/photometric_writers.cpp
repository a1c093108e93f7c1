#include "sdk/photometric_writers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

#include "formats/atomic_file.h"
#include "formats/ies/ies_writer.h"
#include "formats/photometric_writer.h"

namespace lumibench {
namespace {

struct FormatInfo {
    FileFormat format;
    WriteFormat writer;
    std::string_view name;
    std::string_view title;
    std::string_view extension;
};

constexpr std::array<FormatInfo, 7> kFormats = {{
    {FileFormat::Ies2002, WriteFormat::Ies2002, "ies2002", "IES LM-63-2002", ".ies"},
    {FileFormat::Ies2019, WriteFormat::Ies2019, "ies2019", "IES LM-63-2019", ".ies"},
    {FileFormat::Ies1995, WriteFormat::Ies1995, "ies1995", "IES LM-63-1995", ".ies"},
    {FileFormat::Eulumdat, WriteFormat::Eulumdat, "ldt", "EULUMDAT", ".ldt"},
    {FileFormat::Tm14, WriteFormat::Tm14, "tm14", "CIBSE TM14", ".cib"},
    {FileFormat::Tm33, WriteFormat::Tm33, "tm33", "IES TM-33-23 XML", ".xml"},
    {FileFormat::AtlaJson, WriteFormat::AtlaJson, "atla-json", "ATLA S001-A JSON", ".json"},
}};

const FormatInfo& Info(FileFormat format) {
    return *std::find_if(kFormats.begin(), kFormats.end(), [&](const FormatInfo& i) { return i.format == format; });
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

WriteResult FormatPhotometricText(const PhotometricRecord& record, FileFormat format, std::string_view fileName,
                                  std::string& text) {
    WriteResult result;
    WrittenText written = WritePhotometricText(record, Info(format).writer, fileName);
    result.notes = std::move(written.notes);
    result.error = std::move(written.error);
    result.ok = result.error.empty();
    text = std::move(written.text);
    return result;
}

WriteResult WritePhotometricFile(const PhotometricRecord& record, const std::string& path, FileFormat format,
                                 bool overwrite) {
    std::error_code ignored;
    const std::filesystem::path target = std::filesystem::absolute(path, ignored);
    std::string text;
    WriteResult result = FormatPhotometricText(record, format, target.filename().string(), text);
    result.path = target.string();
    if (!result.ok) return result;
    const std::string failure = SaveFileSafely(result.path, text, overwrite);
    if (!failure.empty()) {
        result.ok = false;
        result.error = failure;
    }
    return result;
}

std::optional<FileFormat> FileFormatFromName(std::string_view name) {
    const std::string lower = [&] {
        std::string s(name);
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }();
    for (const FormatInfo& info : kFormats) {
        if (info.name == lower) return info.format;
    }
    if (lower == "ies") return FileFormat::Ies2002;
    if (lower == "eulumdat") return FileFormat::Eulumdat;
    return std::nullopt;
}

std::string_view FileFormatName(FileFormat format) { return Info(format).name; }
std::string_view FileFormatTitle(FileFormat format) { return Info(format).title; }
std::string_view FileFormatExtension(FileFormat format) { return Info(format).extension; }

std::vector<FileFormat> AllFileFormats() {
    std::vector<FileFormat> formats;
    for (const FormatInfo& info : kFormats) formats.push_back(info.format);
    return formats;
}

std::optional<FileFormat> OwnFileFormat(const PhotometricRecord& record) {
    const std::string extension = Upper(std::filesystem::path(record.Filename).extension().string());
    if (extension == ".IES") {
        switch (EditionOf(record)) {
        case IesEdition::Lm63_1995: return FileFormat::Ies1995;
        case IesEdition::Lm63_2019: return FileFormat::Ies2019;
        case IesEdition::Lm63_2002: return FileFormat::Ies2002;
        }
    }
    if (extension == ".LDT" || extension == ".EXL") return FileFormat::Eulumdat;
    if (extension == ".CIB" || extension == ".TML" || extension == ".C1S" || extension == ".CC") return FileFormat::Tm14;
    if (extension == ".XML") return FileFormat::Tm33;
    if (extension == ".JSON") return FileFormat::AtlaJson;
    return std::nullopt;
}

}  // namespace lumibench
