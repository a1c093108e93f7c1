#include "formats/gldf/zip_archive.h"

#include <zip.h>

#include <algorithm>
#include <cstdint>

#include "formats/gldf/gldf_messages.h"
#include "formats/gldf/zip_name_decoding.h"

namespace lumibench {

struct ZipArchive::Handle {
    zip_t* archive = nullptr;
    ~Handle() {
        if (archive) zip_discard(archive);
    }
};

std::unique_ptr<ZipArchive> ZipArchive::open(std::string_view bytes, std::string& error) {
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &zipError);
    if (!source) {
        error = zip_error_strerror(&zipError);
        zip_error_fini(&zipError);
        return nullptr;
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &zipError);
    if (!archive) {
        error = zip_error_strerror(&zipError);
        zip_error_fini(&zipError);
        zip_source_free(source);
        return nullptr;
    }
    zip_error_fini(&zipError);
    std::unique_ptr<ZipArchive> result(new ZipArchive);
    result->handle_ = std::make_unique<Handle>();
    result->handle_->archive = archive;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW, &stat) != 0) continue;
        ZipMember member;
        member.rawName = stat.name ? stat.name : "";
        member.name = DecodeZipName(member.rawName);
        if (stat.valid & ZIP_STAT_SIZE) member.size = stat.size;
        if (stat.valid & ZIP_STAT_COMP_SIZE) member.compressedSize = stat.comp_size;
        if (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) member.encrypted = stat.encryption_method != ZIP_EM_NONE;
        if (stat.valid & ZIP_STAT_MTIME) member.modified = static_cast<std::int64_t>(stat.mtime);
        member.folder = !member.name.empty() && member.name.back() == '/';
        result->members_.push_back(std::move(member));
    }
    return result;
}

ZipArchive::~ZipArchive() = default;

std::uint64_t ZipArchive::inflatedTotal() const {
    // Sizes come from the archive's directory: a forged one must not wrap the sum round.
    std::uint64_t total = 0;
    for (const ZipMember& member : members_) {
        total = member.size > UINT64_MAX - total ? UINT64_MAX : total + member.size;
    }
    return total;
}

std::optional<std::string> ZipArchive::read(std::size_t index, std::string& error) const {
    const ZipMember& member = members_.at(index);
    if (member.encrypted) {
        error = gldf_text::EncryptedMember(member.name);
        return std::nullopt;
    }
    if (member.size > kRatioCheckedFromBytes &&
        member.size / std::max<std::uint64_t>(member.compressedSize, 1) > kMaxInflationRatio) {
        error = gldf_text::InflationTooLarge(member.name);
        return std::nullopt;
    }
    zip_file_t* file = zip_fopen_index(handle_->archive, index, 0);
    if (!file) {
        error = gldf_text::MemberUnreadable(member.name, zip_strerror(handle_->archive));
        return std::nullopt;
    }
    // The stated size bounds what is inflated: a member whose data runs on
    // past it is refused rather than followed.
    std::string bytes(member.size + 1, '\0');
    zip_int64_t total = 0;
    while (static_cast<zip_uint64_t>(total) < bytes.size()) {
        const zip_int64_t got = zip_fread(file, bytes.data() + total, bytes.size() - static_cast<zip_uint64_t>(total));
        if (got < 0) {
            error = gldf_text::MemberUnreadable(member.name, zip_file_strerror(file));
            zip_fclose(file);
            return std::nullopt;
        }
        if (got == 0) break;
        total += got;
    }
    zip_fclose(file);
    if (static_cast<std::uint64_t>(total) != member.size) {
        error = gldf_text::MemberUnreadable(member.name, "its data do not match its stated size");
        return std::nullopt;
    }
    bytes.resize(member.size);
    return bytes;
}

}  // namespace lumibench
