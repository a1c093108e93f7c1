#pragma once
// A zip archive read in memory: its member list from the central directory
// and a member's bytes on request. Nothing is ever written to disk.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumibench {

struct ZipMember {
    std::string name;     // as text (zip_name_decoding.h)
    std::string rawName;  // the bytes the archive stores
    std::uint64_t size = 0;            // inflated, as the directory states it
    std::uint64_t compressedSize = 0;  // as stored
    bool encrypted = false;
    bool folder = false;  // a name ending in "/"
    std::int64_t modified = 0;  // seconds since 1970, 0 when unknown
};

// A member is refused when it would inflate to more than this many times its
// stored size: photometric text compresses about 5 to 10 times, zip bombs a
// thousand and more. Small members are let through whatever their ratio.
inline constexpr std::uint64_t kMaxInflationRatio = 200;
inline constexpr std::uint64_t kRatioCheckedFromBytes = 1024 * 1024;

class ZipArchive {
public:
    // Opens the archive over `bytes`, which must outlive it. On failure the
    // result is empty and `error` says why in libzip's words.
    static std::unique_ptr<ZipArchive> open(std::string_view bytes, std::string& error);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    const std::vector<ZipMember>& members() const { return members_; }
    // The sum of every member's inflated size as the directory states it.
    std::uint64_t inflatedTotal() const;

    // The inflated bytes of member `index`; nullopt with `error` set when it
    // is encrypted, inflates beyond the ratio limit or beyond its stated size,
    // or fails its checksum.
    std::optional<std::string> read(std::size_t index, std::string& error) const;

private:
    ZipArchive() = default;
    struct Handle;
    std::unique_ptr<Handle> handle_;
    std::vector<ZipMember> members_;
};

}  // namespace lumibench
