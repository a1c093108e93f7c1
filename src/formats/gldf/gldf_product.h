#pragma once
// What product.xml of a GLDF container says about its photometry: the files,
// the photometries and the emitters that use them, the variants that use the
// emitters, and the texts that name the product. Everything else (geometry,
// pictures, descriptive attributes) is left out.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lumibench {

struct GldfFile {
    std::string id;
    std::string contentType;  // "ldc/eulumdat", "ldc/ies", "image/jpg", ...
    std::string type;         // "localFileName" or "url"
    std::string name;         // the file name inside its folder, or the web address
    int line = 0;             // of the File element in product.xml
};

struct GldfLightEmitter {
    std::string photometryId;
    std::vector<std::string> lightSourceTexts;  // one per light source it names
};

struct GldfVariant {
    std::string id;
    std::string name;           // in the language chosen (see below)
    std::string productNumber;  // the variant's catalogue number
    std::vector<std::string> emitterIds;
};

struct GldfProduct {
    std::string manufacturer;
    std::string productName;
    std::string productNumber;
    std::vector<GldfFile> files;
    std::map<std::string, std::string> photometryFiles;  // photometry id -> file id
    std::vector<std::string> photometryOrder;            // photometry ids as defined
    std::map<std::string, std::vector<GldfLightEmitter>> emitters;  // emitter id -> its light emitters
    std::vector<GldfVariant> variants;
};

struct ProductXmlReading {
    bool ok = false;
    std::string error;  // the message when not ok
    int line = 0;       // where the fault is, 0 when nowhere in particular
    GldfProduct product;
};

// Parses product.xml (any encoding its declaration or byte-order mark names).
// Translated texts are taken in English when there, else in the header's
// default language, else the first given. No network access, no entities
// expanded from outside the document.
ProductXmlReading ReadProductXml(std::string_view bytes);

}  // namespace lumibench
