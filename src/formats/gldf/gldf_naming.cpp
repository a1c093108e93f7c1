#include "formats/gldf/gldf_naming.h"

#include <algorithm>

#include "core/path_text.h"
#include "formats/text/text_decoding.h"

namespace lumibench {

namespace {

// Long enough for any catalogue number or product name; keeps every keyword
// line within what the IES formats allow a line.
constexpr std::size_t kMaxKeywordValueCharacters = 200;
constexpr std::size_t kMaxLabelCharacters = 100;

std::string VariantTitle(const GldfVariant& variant) {
    if (!variant.name.empty()) return variant.name;
    if (!variant.productNumber.empty()) return variant.productNumber;
    return variant.id;
}

std::string WithoutControls(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return text;
}

}  // namespace

std::string GldfDataSetLabel(const GldfDataSetContext& context) {
    std::vector<std::string> titles;
    for (const GldfVariant* variant : context.variants) {
        const std::string title = VariantTitle(*variant);
        if (std::find(titles.begin(), titles.end(), title) == titles.end()) titles.push_back(title);
    }
    std::string label = titles.size() == 1 ? titles.front() : SplitPath(FileNameOf(context.member)).baseName;
    if (label.empty()) label = FileNameOf(context.member);
    label = WithoutControls(std::string(FirstCharacters(label, kMaxLabelCharacters)));
    std::replace(label.begin(), label.end(), '/', '-');
    return label;
}

std::string GldfDataSetFilename(const std::string& containerPath, const std::string& label) {
    return containerPath + " \u2013 " + label;
}

void AddGldfKeywords(const GldfProduct& product, const GldfDataSetContext& context, PhotometricRecord& record) {
    std::vector<std::string> added;
    const auto add = [&added](const char* tag, const std::string& value) {
        if (value.empty()) return;
        std::string line = std::string(tag) + " " +
                           WithoutControls(std::string(FirstCharacters(value, kMaxKeywordValueCharacters)));
        if (std::find(added.begin(), added.end(), line) == added.end()) added.push_back(std::move(line));
    };
    add("[_GLDF_CONTAINER]", FileNameOf(context.containerPath));
    add("[_GLDF_MEMBER]", context.member);
    add("[_GLDF_MANUFACTURER]", product.manufacturer);
    add("[_GLDF_PRODUCT]", product.productName);
    add("[_GLDF_CATALOGUE]", product.productNumber);
    for (const GldfVariant* variant : context.variants) {
        add("[_GLDF_VARIANT]", VariantTitle(*variant));
        add("[_GLDF_CATALOGUE]", variant->productNumber);
    }
    for (const std::string& source : context.lightSources) add("[_GLDF_LIGHTSOURCE]", source);
    for (std::string& line : added) {
        if (!record.OtherKeywordText.empty()) record.OtherKeywordText.append("\r\n");
        record.OtherKeywordText.append(line);
        record.Keywords.push_back(std::move(line));
    }
}

}  // namespace lumibench
