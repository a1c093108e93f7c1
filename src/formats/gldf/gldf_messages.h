#pragma once
// Messages about GLDF containers, byte for byte as users see them. The
// photometry inside is reported by its own reader's messages.

#include <string>
#include <string_view>

namespace lumibench::gldf_text {

inline std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The container as a whole: nothing is loaded.
inline std::string NotAZip(std::string_view why) {
    return "Not a GLDF container: the file is not a readable zip archive (" + std::string(why) + ").";
}
inline constexpr std::string_view kContainerTooLarge =
    "The container's members inflate to more than 256 MB, more than any photometric data needs; it was "
    "not read.";
inline constexpr std::string_view kNoProductXml =
    "The container holds no product.xml, so it describes no product; nothing was loaded.";
inline std::string ProductNotWellFormed(std::string_view why, int line) {
    return "product.xml is not well-formed XML" + (line > 0 ? " (line " + std::to_string(line) + ")" : std::string()) +
           ": " + std::string(why);
}
inline std::string WrongRoot(std::string_view root) {
    return "product.xml has the root element <" + std::string(root) +
           "> where a GLDF product has <Root>; nothing was loaded.";
}
inline constexpr std::string_view kNoPhotometry =
    "The product names no photometry file; there is nothing to load.";

// One photometry: it is not loaded, the others are.
inline std::string EncryptedMember(std::string_view member) {
    return "Member " + Quoted(member) + " is encrypted; encrypted members are not read.";
}
inline std::string InflationTooLarge(std::string_view member) {
    return "Member " + Quoted(member) +
           " would inflate to more than 200 times its stored size, far more than any photometric file; it was "
           "not read.";
}
inline std::string MemberUnreadable(std::string_view member, std::string_view why) {
    return "Member " + Quoted(member) + " cannot be read: " + std::string(why) + ".";
}
inline std::string MissingMember(std::string_view member, std::string_view fileId) {
    return "The product names " + Quoted(member) + " (file " + Quoted(fileId) + ") but the container lacks it.";
}
inline std::string OnlyByUrl(std::string_view url) {
    return "This photometry is given only by a web address (" + std::string(url) +
           "); nothing is fetched, so it was not loaded.";
}
inline std::string UnsafeName(std::string_view name) {
    return "The product names the file " + Quoted(name) +
           ", a path outside the container's folders; it is not used.";
}
inline std::string UndefinedFile(std::string_view photometryId, std::string_view fileId) {
    return "Photometry " + Quoted(photometryId) + " refers to file " + Quoted(fileId) +
           ", which the product does not define.";
}
inline std::string UndefinedPhotometry(std::string_view emitterId, std::string_view photometryId) {
    return "Emitter " + Quoted(emitterId) + " uses photometry " + Quoted(photometryId) +
           ", which the product does not define.";
}
inline std::string NotPhotometryType(std::string_view fileId, std::string_view contentType) {
    return "The photometry's file " + Quoted(fileId) + " has the content type " + Quoted(contentType) +
           ", which is no photometry type (ldc/eulumdat, ldc/ies, ldc/iesxml).";
}
inline std::string UnsupportedPhotometry(std::string_view member, std::string_view contentType) {
    return "Photometry file " + Quoted(member) + " is of type " + Quoted(contentType) +
           ", which Lumibench does not read (EULUMDAT and IES only).";
}

// Warnings: everything that can be loaded still is.
inline std::string Unreferenced(std::string_view member) {
    return "The container holds " + Quoted(member) + ", to which the product does not refer.";
}
inline std::string OtherCodePage(std::string_view member) {
    return "The member name " + Quoted(member) +
           " is not stored as UTF-8; it was read in an older code page (850, 437 or Windows-1252).";
}

inline std::string RepairedInMemory(std::string_view member) {
    return "Member " + Quoted(member) +
           " does not end its lines with CR LF; it was read with its line ends repaired in memory.";
}

// Heads of the notice the host shows when a container loaded in part.
inline constexpr std::string_view kPartlyLoaded =
    "Some of this container's photometry could not be loaded:";
inline constexpr std::string_view kContainerWarnings = "Notes on this container:";

}  // namespace lumibench::gldf_text
