#include "save_plan.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace lumibench::save_tool {
namespace fs = std::filesystem;

std::optional<OwnTarget> OwnTargetOf(const PhotometricRecord& record) {
    const fs::path path(record.Filename);
    if (!path.is_absolute() || !path.has_filename()) return std::nullopt;
    std::error_code ignored;
    if (!fs::is_directory(path.parent_path(), ignored)) return std::nullopt;
    const std::optional<FileFormat> format = OwnFileFormat(record);
    if (!format) return std::nullopt;
    return OwnTarget{record.Filename, *format};
}

QString FilterOf(FileFormat format) {
    const QString extension = QString::fromUtf8(FileFormatExtension(format).data() + 1);
    return QString::fromUtf8(FileFormatTitle(format).data(), static_cast<int>(FileFormatTitle(format).size())) +
           " (*." + extension + " *." + extension.toUpper() + ")";
}

QStringList FileFilters() {
    QStringList filters;
    for (FileFormat format : AllFileFormats()) filters << FilterOf(format);
    return filters;
}

std::optional<FileFormat> FormatOfFilter(const QString& filter) {
    for (FileFormat format : AllFileFormats()) {
        if (filter == FilterOf(format)) return format;
    }
    return FileFormatFromName(filter.trimmed().toStdString());
}

namespace {

std::string LowerExtension(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// Whether `extension` (lower case) is one the format's files go by.
bool FitsFormat(const std::string& extension, FileFormat format) {
    if (extension == FileFormatExtension(format)) return true;
    if (format == FileFormat::Eulumdat) return extension == ".exl";
    if (format == FileFormat::Tm14) return extension == ".tml" || extension == ".c1s" || extension == ".cc";
    return false;
}

}  // namespace

std::string WithExtension(const std::string& path, FileFormat format) {
    return FitsFormat(LowerExtension(path), format) ? path : path + std::string(FileFormatExtension(format));
}

FileFormat FormatOfTypedName(const std::string& path, FileFormat filterFormat) {
    const std::string extension = LowerExtension(path);
    if (FitsFormat(extension, filterFormat)) return filterFormat;
    for (FileFormat format : {FileFormat::Ies2002, FileFormat::Eulumdat, FileFormat::Tm14, FileFormat::Tm33,
                              FileFormat::AtlaJson}) {
        if (FitsFormat(extension, format)) return format;
    }
    return filterFormat;
}

std::string ExportPath(const PhotometricRecord& record, const std::string& folder, FileFormat format) {
    fs::path name = fs::path(record.Filename).filename();
    if (name.empty()) name = "data";
    name.replace_extension(std::string(FileFormatExtension(format)));
    return (fs::path(folder) / name).string();
}

}  // namespace lumibench::save_tool
