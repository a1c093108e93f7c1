#include "formats/gldf/gldf_product.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <memory>

#include "formats/gldf/gldf_messages.h"

namespace lumibench {

namespace {

using Node = xmlNode*;

bool Is(Node node, const char* name) {
    return node && node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, BAD_CAST name) == 0;
}

std::vector<Node> Children(Node parent, const char* name = nullptr) {
    std::vector<Node> out;
    if (!parent) return out;
    for (Node child = parent->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && (!name || Is(child, name))) out.push_back(child);
    }
    return out;
}

Node Child(Node parent, const char* name) {
    const std::vector<Node> found = Children(parent, name);
    return found.empty() ? nullptr : found.front();
}

Node Path(Node node, std::initializer_list<const char*> names) {
    for (const char* name : names) node = Child(node, name);
    return node;
}

std::string Trimmed(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && blank(text[start])) ++start;
    return text.substr(start);
}

std::string Text(Node node) {
    if (!node) return {};
    std::unique_ptr<xmlChar, decltype(xmlFree)> content(xmlNodeGetContent(node), xmlFree);
    return content ? Trimmed(reinterpret_cast<const char*>(content.get())) : std::string();
}

std::string Attribute(Node node, const char* name) {
    if (!node) return {};
    std::unique_ptr<xmlChar, decltype(xmlFree)> value(xmlGetProp(node, BAD_CAST name), xmlFree);
    return value ? Trimmed(reinterpret_cast<const char*>(value.get())) : std::string();
}

int LineOf(Node node) {
    const long line = xmlGetLineNo(node);
    return line > 0 && line < INT_MAX ? static_cast<int>(line) : 0;
}

// A translatable text: its Locale children in the preferred language.
class Translations {
public:
    explicit Translations(std::string defaultLanguage) : defaultLanguage_(std::move(defaultLanguage)) {}

    std::string pick(Node node) const {
        const std::vector<Node> locales = Children(node, "Locale");
        if (locales.empty()) return Text(node);
        for (const std::string& wanted : {std::string("en"), defaultLanguage_}) {
            for (Node locale : locales) {
                if (!wanted.empty() && Attribute(locale, "language") == wanted) return Text(locale);
            }
        }
        return Text(locales.front());
    }

private:
    std::string defaultLanguage_;
};

// Every value of attribute `name` on `node` and the elements below it.
void CollectAttribute(Node node, const char* name, std::vector<std::string>& out) {
    if (!node || node->type != XML_ELEMENT_NODE) return;
    if (std::string value = Attribute(node, name); !value.empty()) out.push_back(std::move(value));
    for (Node child : Children(node)) CollectAttribute(child, name, out);
}

class ProductXmlReader {
public:
    ProductXmlReader(Node root, GldfProduct& product)
        : root_(root),
          product_(product),
          texts_(Text(Path(root, {"Header", "DefaultLanguage"}))) {}

    void run() {
        product_.manufacturer = Text(Path(root_, {"Header", "Manufacturer"}));
        Node general = Child(root_, "GeneralDefinitions");
        readFiles(Child(general, "Files"));
        readPhotometries(Child(general, "Photometries"));
        readLightSources(Child(general, "LightSources"));
        readEquipments(Child(general, "Equipments"));
        readEmitters(Child(general, "Emitters"));
        Node definitions = Child(root_, "ProductDefinitions");
        Node meta = Child(definitions, "ProductMetaData");
        product_.productName = texts_.pick(Child(meta, "Name"));
        product_.productNumber = texts_.pick(Child(meta, "ProductNumber"));
        readVariants(Child(definitions, "Variants"));
    }

private:
    void readFiles(Node files) {
        for (Node file : Children(files, "File")) {
            product_.files.push_back({Attribute(file, "id"), Attribute(file, "contentType"),
                                      Attribute(file, "type"), Text(file), LineOf(file)});
        }
    }

    void readPhotometries(Node photometries) {
        for (Node photometry : Children(photometries, "Photometry")) {
            const std::string id = Attribute(photometry, "id");
            product_.photometryOrder.push_back(id);
            product_.photometryFiles[id] = Attribute(Child(photometry, "PhotometryFileReference"), "fileId");
        }
    }

    void readLightSources(Node sources) {
        for (Node source : Children(sources)) {
            std::string text = texts_.pick(Child(source, "Name"));
            const auto add = [&text](const std::string& value, const char* unit) {
                if (value.empty()) return;
                if (!text.empty()) text += ", ";
                text += value + unit;
            };
            add(Text(Child(source, "RatedLuminousFlux")), " lm");
            add(Text(Child(source, "RatedInputPower")), " W");
            Node colour = Child(source, "ColorInformation");
            add(Text(Child(colour, "CorrelatedColorTemperature")), " K");
            add(Text(Child(colour, "ColorRenderingIndex")), " CRI");
            lightSources_[Attribute(source, "id")] = text;
        }
    }

    void readEquipments(Node equipments) {
        for (Node equipment : Children(equipments, "Equipment")) {
            std::vector<std::string>& texts = equipments_[Attribute(equipment, "id")];
            for (Node reference : Children(equipment, "LightSourceReference")) {
                std::vector<std::string> ids;
                CollectAttribute(reference, "changeableLightSourceId", ids);
                CollectAttribute(reference, "fixedLightSourceId", ids);
                const std::string count = Attribute(reference, "lightSourceCount");
                for (const std::string& id : ids) {
                    const std::string text = lightSourceText(id);
                    texts.push_back(count.empty() || count == "1" ? text : count + " x " + text);
                }
            }
        }
    }

    void readEmitters(Node emitters) {
        for (Node emitter : Children(emitters, "Emitter")) {
            std::vector<GldfLightEmitter>& lights = product_.emitters[Attribute(emitter, "id")];
            for (Node light : Children(emitter)) {
                // Either <PhotometryReference photometryId=...> inside or, in
                // early containers, a photometryId attribute of its own.
                std::string photometry = Attribute(light, "photometryId");
                if (photometry.empty()) photometry = Attribute(Child(light, "PhotometryReference"), "photometryId");
                if (photometry.empty()) continue;  // a sensor
                GldfLightEmitter entry{photometry, {}};
                std::vector<std::string> ids;
                CollectAttribute(light, "fixedLightSourceId", ids);
                for (const std::string& id : ids) entry.lightSourceTexts.push_back(lightSourceText(id));
                std::vector<std::string> equipmentIds;
                CollectAttribute(light, "equipmentId", equipmentIds);
                for (const std::string& id : equipmentIds) {
                    const auto found = equipments_.find(id);
                    if (found == equipments_.end()) continue;
                    entry.lightSourceTexts.insert(entry.lightSourceTexts.end(), found->second.begin(),
                                                  found->second.end());
                }
                lights.push_back(std::move(entry));
            }
        }
    }

    void readVariants(Node variants) {
        for (Node variant : Children(variants, "Variant")) {
            GldfVariant entry;
            entry.id = Attribute(variant, "id");
            entry.name = texts_.pick(Child(variant, "Name"));
            entry.productNumber = texts_.pick(Child(variant, "ProductNumber"));
            // Emitter references sit at several depths (in <Geometry> or, in
            // early containers, right in the variant) by schema version.
            CollectAttribute(variant, "emitterId", entry.emitterIds);
            product_.variants.push_back(std::move(entry));
        }
    }

    std::string lightSourceText(const std::string& id) const {
        const auto found = lightSources_.find(id);
        return found == lightSources_.end() || found->second.empty() ? id : found->second;
    }

    Node root_;
    GldfProduct& product_;
    Translations texts_;
    std::map<std::string, std::string> lightSources_;            // id -> description
    std::map<std::string, std::vector<std::string>> equipments_;  // id -> light source texts
};

struct FirstXmlError {
    bool seen = false;
    std::string message;
    int line = 0;
};

void KeepFirstError(void* userData, xmlErrorPtr error) {
    auto* parser = static_cast<xmlParserCtxtPtr>(userData);
    auto* first = parser ? static_cast<FirstXmlError*>(parser->_private) : nullptr;
    if (!first || first->seen || !error || error->level < XML_ERR_ERROR) return;
    first->seen = true;
    first->message = error->message ? Trimmed(error->message) : std::string();
    first->line = error->line;
}

}  // namespace

ProductXmlReading ReadProductXml(std::string_view bytes) {
    ProductXmlReading reading;
    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(xmlNewParserCtxt(), xmlFreeParserCtxt);
    if (!context) {
        reading.error = gldf_text::ProductNotWellFormed("out of memory", 0);
        return reading;
    }
    // The first error says what went wrong; later ones are its consequences
    // ("premature end of data" after a mismatched tag).
    FirstXmlError first;
    context->_private = &first;
    context->sax->serror = KeepFirstError;
    // No network, no external entities, nothing printed: the fault is reported below.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> document(
        xmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()), "product.xml", nullptr,
                          options),
        xmlFreeDoc);
    if (!document) {
        std::string text = first.seen ? first.message : "the document is empty";
        reading.line = first.line;
        reading.error = gldf_text::ProductNotWellFormed(text, reading.line);
        return reading;
    }
    Node root = xmlDocGetRootElement(document.get());
    if (!Is(root, "Root")) {
        reading.line = root ? LineOf(root) : 0;
        reading.error = gldf_text::WrongRoot(root ? reinterpret_cast<const char*>(root->name) : "");
        return reading;
    }
    ProductXmlReader(root, reading.product).run();
    reading.ok = true;
    return reading;
}

}  // namespace lumibench
