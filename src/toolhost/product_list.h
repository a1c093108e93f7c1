#pragma once
// The edition's product list: the customer's name and three web addresses,
// read once at start-up from a scrambled file beside the program.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumibench {

inline constexpr const char* kProductListFileName = "Lumibench_PE-PL.dat";
inline constexpr const char* kProductListPlainFileName = "temppl.tmp";

// The one-character key shared by the host and lumibench-productlist. With '6',
// only ';' and '<' scramble to LF and CR, so the writer refuses lines holding them.
inline constexpr char kProductListKey = '6';

struct ProductList {
    std::string OemName;
    std::string WebAddress1;     // kept, not used by the host
    std::string SupportAddress;  // used by the support report
    std::string OemHomePage;     // opened by the customer home-page menu item

    bool operator==(const ProductList&) const = default;
};

// XORs each character with the key's character at the same position (the key
// repeats). Scrambling and unscrambling are the same operation.
std::string UnscrambleLine(std::string_view line, std::string_view key);

// Characters of `line` that would scramble to a line end and so break the file.
bool ScramblesToLineEnd(std::string_view line, std::string_view key);

// Reads programFolder/Lumibench_PE-PL.dat, writes its plain text (each line
// followed by CR LF) to userDataFolder/temppl.tmp and picks out "[OEMNAME]"
// and "[WEB]". A missing or unreadable file gives an empty list, silently.
ProductList LoadProductList(const std::filesystem::path& programFolder,
                            const std::filesystem::path& userDataFolder);

// The item reading of the plain text: items end at a comma or a line end,
// blanks around them are dropped, double quotes protect commas.
ProductList ParseProductListText(std::string_view plainText);

// The scrambled file content for a plain text of lines (LF or CR LF ends).
// Returns false, leaving `scrambled` untouched, when a line holds a character
// that would scramble to a line end.
bool ScrambleProductListText(std::string_view plainText, std::string& scrambled,
                             std::string* badLine = nullptr);

}  // namespace lumibench
