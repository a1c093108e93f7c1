#include "toolhost/product_list.h"

#include "core/atomic_file.h"

#include <fstream>
#include <iterator>

namespace lumibench {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Splits at CR LF, a lone CR or a lone LF; a last line without an end counts.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsLineEnd(text[i])) {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// A cursor over the plain text that reads either one item or the rest of a line,
// the two ways the product list is read.
class ItemReader {
public:
    explicit ItemReader(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }

    std::string readLine() {
        std::size_t start = pos_;
        while (pos_ < text_.size() && !IsLineEnd(text_[pos_])) ++pos_;
        std::string line(text_.substr(start, pos_ - start));
        skipLineEnd();
        return line;
    }

    std::string readItem() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
        std::string item;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            ++pos_;
            std::size_t start = pos_;
            while (pos_ < text_.size() && text_[pos_] != '"' && !IsLineEnd(text_[pos_])) ++pos_;
            item.assign(text_.substr(start, pos_ - start));
            if (pos_ < text_.size() && text_[pos_] == '"') ++pos_;
            // Anything between the closing quote and the delimiter is dropped.
            while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) ++pos_;
        } else {
            std::size_t start = pos_;
            while (pos_ < text_.size() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) ++pos_;
            std::size_t end = pos_;
            while (end > start && IsBlank(text_[end - 1])) --end;
            item.assign(text_.substr(start, end - start));
        }
        if (pos_ < text_.size() && text_[pos_] == ',') {
            ++pos_;
        } else {
            skipLineEnd();
        }
        return item;
    }

private:
    void skipLineEnd() {
        if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string UnscrambleLine(std::string_view line, std::string_view key) {
    std::string out(line);
    if (key.empty()) return out;
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char>(static_cast<unsigned char>(out[i]) ^
                                   static_cast<unsigned char>(key[i % key.size()]));
    }
    return out;
}

bool ScramblesToLineEnd(std::string_view line, std::string_view key) {
    for (char c : UnscrambleLine(line, key)) {
        if (IsLineEnd(c)) return true;
    }
    return false;
}

ProductList ParseProductListText(std::string_view plainText) {
    ProductList list;
    ItemReader reader(plainText);
    while (!reader.atEnd()) {
        std::string item = reader.readItem();
        if (item == "[OEMNAME]") {
            list.OemName = reader.readLine();
        } else if (item == "[WEB]") {
            list.WebAddress1 = reader.readLine();
            list.SupportAddress = reader.readLine();
            list.OemHomePage = reader.readLine();
        }
    }
    return list;
}

ProductList LoadProductList(const std::filesystem::path& programFolder,
                            const std::filesystem::path& userDataFolder) {
    std::ifstream in(programFolder / kProductListFileName, std::ios::binary);
    if (!in) return {};
    std::string scrambled{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return {};

    const std::string key(1, kProductListKey);
    std::string plain;
    for (std::string_view line : SplitLines(scrambled)) {
        plain += UnscrambleLine(line, key);
        plain += "\r\n";
    }
    // The plain copy stays behind for support staff; failing to write it does
    // not stop the host from using the list.
    std::error_code ignored;
    std::filesystem::create_directories(userDataFolder, ignored);
    // Written through a new file renamed into place: a link planted at the
    // name is replaced, never followed.
    WriteFileAtomically((userDataFolder / kProductListPlainFileName).string(), plain, ignored, 0600);
    return ParseProductListText(plain);
}

bool ScrambleProductListText(std::string_view plainText, std::string& scrambled,
                             std::string* badLine) {
    const std::string key(1, kProductListKey);
    std::string out;
    for (std::string_view line : SplitLines(plainText)) {
        if (ScramblesToLineEnd(line, key)) {
            if (badLine) badLine->assign(line);
            return false;
        }
        out += UnscrambleLine(line, key);
        out += '\n';
    }
    scrambled = std::move(out);
    return true;
}

}  // namespace lumibench
