#include "formats/tm33/tm33_xml_parse.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <cstring>
#include <limits>
#include <memory>

#include "formats/text/field_reader.h"
#include "formats/tm33/tm33_messages.h"
#include "formats/tm33/tm33_xml_capture.h"

namespace lumibench {
namespace {

namespace text = tm33_text;

constexpr std::string_view kRecordBlockName = "Lumibench record";

struct DocumentFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct ContextFree {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};
using DocumentPtr = std::unique_ptr<xmlDoc, DocumentFree>;

std::string_view NameOf(const xmlNode* node) { return reinterpret_cast<const char*>(node->name); }

bool Is(const xmlNode* node, std::string_view name) { return NameOf(node) == name; }

int LineOf(const xmlNode* node) { return static_cast<int>(xmlGetLineNo(node)); }

std::string_view Trim(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The element's own text. A value is one text node almost always; anything
// else (entities, CDATA pieces, comments between) is joined into `storage`.
std::string_view RawTextOf(const xmlNode* node, std::string& storage) {
    const xmlNode* child = node->children;
    if (child != nullptr && child->next == nullptr && child->type == XML_TEXT_NODE) {
        return reinterpret_cast<const char*>(child->content);
    }
    storage.clear();
    for (; child != nullptr; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            storage.append(reinterpret_cast<const char*>(child->content));
        }
    }
    return storage;
}

std::string TextOf(const xmlNode* node) {
    std::string storage;
    return std::string(Trim(RawTextOf(node, storage)));
}

// The attribute's value (the first of `names` present), or nullptr.
const char* AttributeOf(const xmlNode* node, std::initializer_list<const char*> names) {
    for (const xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
        for (const char* name : names) {
            if (std::strcmp(reinterpret_cast<const char*>(attribute->name), name) == 0 &&
                attribute->children != nullptr) {
                return reinterpret_cast<const char*>(attribute->children->content);
            }
        }
    }
    return nullptr;
}

bool HasElementChildren(const xmlNode* node) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) return true;
    }
    return false;
}

std::string Serialised(xmlDoc* doc, xmlNode* node) {
    xmlBuffer* buffer = xmlBufferCreate();
    xmlNodeDump(buffer, doc, node, 0, 0);
    std::string out(reinterpret_cast<const char*>(xmlBufferContent(buffer)), xmlBufferLength(buffer));
    xmlBufferFree(buffer);
    return out;
}


class XmlReading {
public:
    XmlReading(xmlDoc* doc, XmlParseState& state, Tm33Document& document, ReaderMessages& message)
        : doc_(doc), state_(state), document_(document), message_(message) {}

    bool run(xmlNode* root) {
        for (xmlNode* child = root->children; child != nullptr; child = child->next) {
            if (child->type != XML_ELEMENT_NODE) continue;
            if (Is(child, "Header")) {
                readHeader(child);
            } else if (Is(child, "Luminaire")) {
                readLuminaire(child);
            } else if (Is(child, "Equipment")) {
                readEquipment(child);
            } else if (Is(child, "Emitter")) {
                readEmitter(child);
            } else if (Is(child, "CustomData") && isRecordBlock(child)) {
                readRecordBlock(child);
            } else if (!Is(child, "Version")) {
                document_.documentOptional.append(Serialised(doc_, child));
            }
            if (!message_.empty()) return false;
        }
        if (document_.emitters.empty()) {
            message_.add(text::kNoEmitter, LineOf(root));
            return false;
        }
        return true;
    }

private:
    std::optional<double> number(const xmlNode* node, std::string_view what) {
        std::string storage;
        const std::string_view value = Trim(RawTextOf(node, storage));
        return numberText(value, what, LineOf(node));
    }

    std::optional<double> numberText(std::string_view value, std::string_view what, int line) {
        const std::optional<double> parsed = ParseDouble(value);
        if (!parsed) message_.add(text::NotNumber(what, value), line);
        return parsed;
    }

    std::optional<bool> boolean(const xmlNode* node) {
        const std::string value = TextOf(node);
        if (value == "true" || value == "1") return true;
        if (value == "false" || value == "0") return false;
        message_.add(text::NotBoolean(NameOf(node), value), LineOf(node));
        return std::nullopt;
    }

    void readHeader(const xmlNode* header) {
        for (const xmlNode* child = header->children; child != nullptr; child = child->next) {
            if (child->type != XML_ELEMENT_NODE || HasElementChildren(child)) continue;
            document_.header.emplace_back(std::string(NameOf(child)), TextOf(child));
        }
    }

    void readLuminaire(xmlNode* luminaire) {
        for (xmlNode* child = luminaire->children; child != nullptr; child = child->next) {
            if (child->type != XML_ELEMENT_NODE) continue;
            if (Is(child, "Dimensions")) {
                for (const xmlNode* size = child->children; size != nullptr; size = size->next) {
                    if (size->type != XML_ELEMENT_NODE) continue;
                    if (Is(size, "Length")) document_.length = number(size, "Length");
                    if (Is(size, "Width")) document_.width = number(size, "Width");
                    if (Is(size, "Height")) document_.height = number(size, "Height");
                }
            } else if (!Is(child, "NumEmitter") && !Is(child, "NumEmitters")) {
                // The writer counts the emitters afresh.
                document_.luminaireOptional.append(Serialised(doc_, child));
            }
        }
    }

    void readEquipment(xmlNode* equipment) {
        for (xmlNode* child = equipment->children; child != nullptr; child = child->next) {
            if (child->type != XML_ELEMENT_NODE) continue;
            if (Is(child, "Goniometer") || Is(child, "Gonioradiometer")) {
                for (xmlNode* part = child->children; part != nullptr; part = part->next) {
                    if (part->type != XML_ELEMENT_NODE) continue;
                    if (Is(part, "Type") || Is(part, "GoniometerType")) {
                        document_.goniometerType = TextOf(part);
                        document_.goniometerTypeLine = LineOf(part);
                    } else {
                        document_.goniometerOptional.append(Serialised(doc_, part));
                    }
                }
            } else {
                document_.equipmentOptional.append(Serialised(doc_, child));
            }
        }
    }

    void readEmitter(xmlNode* node) {
        Tm33Emitter& emitter = document_.emitters.emplace_back();
        emitter.line = LineOf(node);
        for (xmlNode* child = node->children; child != nullptr && message_.empty(); child = child->next) {
            if (child->type != XML_ELEMENT_NODE) continue;
            const std::string_view name = NameOf(child);
            if (name == "Description") {
                emitter.description = TextOf(child);
            } else if (name == "CatalogNumber") {
                emitter.catalogNumber = TextOf(child);
            } else if (name == "Quantity") {
                emitter.quantity = number(child, name);
            } else if (name == "RatedLumens") {
                emitter.ratedLumens = number(child, name);
            } else if (name == "InputWattage" || name == "InputWatts") {
                emitter.inputWatts = number(child, name);
            } else if (name == "BallastFactor") {
                emitter.ballastFactor = number(child, name);
            } else if (name == "LuminousData" || name == "IntensityDistribution") {
                emitter.dataLine = LineOf(child);
                readIntensity(child, emitter);
            } else {
                emitter.optional.append(Serialised(doc_, child));
            }
        }
    }

    void readIntensity(xmlNode* block, Tm33Emitter& emitter) {
        if (PointBatch* batch = BatchOf(state_, block)) {
            if (!batch->fault.empty()) {
                message_.add(batch->fault, batch->faultLine);
                return;
            }
            if (emitter.points.empty()) {
                emitter.points = std::move(batch->points);
            } else {
                emitter.points.insert(emitter.points.end(), batch->points.begin(), batch->points.end());
            }
        }
        for (xmlNode* child = block->children; child != nullptr && message_.empty(); child = child->next) {
            if (child->type != XML_ELEMENT_NODE) continue;
            const std::string_view name = NameOf(child);
            // The values themselves were taken while parsing (PointBatch).
            if (name == "LuminousIntensity") {
                emitter.dataLine = LineOf(child);
                readIntensity(child, emitter);
            } else if (name == "PhotometryType") {
                emitter.photometryType = TextOf(child);
                emitter.photometryTypeLine = LineOf(child);
            } else if (name == "Metric") {
                emitter.metric = TextOf(child);
            } else if (name == "SymmType" || name == "Symm") {
                emitter.symmetry = TextOf(child);
            } else if (name == "Multiplier") {
                emitter.multiplier = number(child, name);
            } else if (name == "AbsolutePhotometry") {
                emitter.absolute = boolean(child);
            } else if (name == "NumberHorz") {
                emitter.numberHorizontal = number(child, name);
                emitter.countLine = LineOf(child);
            } else if (name == "NumberVert") {
                emitter.numberVertical = number(child, name);
                emitter.countLine = LineOf(child);
            } else if (name != "NumberMeasured") {
                // LuminousFlux and the like: kept, and written back in their block.
                emitter.optional.append(Serialised(doc_, child));
            }
        }
    }

    bool isRecordBlock(const xmlNode* custom) {
        for (const xmlNode* child = custom->children; child != nullptr; child = child->next) {
            if (child->type == XML_ELEMENT_NODE && Is(child, "Name")) return TextOf(child) == kRecordBlockName;
        }
        return false;
    }

    void readRecordBlock(const xmlNode* custom) {
        Tm33RecordBlock& block = document_.recordBlock.emplace();
        std::string storage;
        for (const xmlNode* child = custom->children; child != nullptr; child = child->next) {
            if (child->type != XML_ELEMENT_NODE || !Is(child, "LumibenchRecord")) continue;
            for (const xmlNode* item = child->children; item != nullptr; item = item->next) {
                if (item->type != XML_ELEMENT_NODE) continue;
                const std::string_view name = NameOf(item);
                // Keyword texts are kept exactly, blanks included.
                const std::string raw(RawTextOf(item, storage));
                if (name == "Keyword") {
                    block.keywords.push_back(raw);
                } else if (name == "OtherKeywordText") {
                    block.otherKeywordText = raw;
                } else if (name == "KeywordField") {
                    block.keywordFields.push_back(raw);
                } else if (name == "UnitsType") {
                    block.unitsType = Whole16(number(item, name).value_or(2));
                } else if (name == "PhotometricType") {
                    block.photometricType = Whole16(number(item, name).value_or(0));
                } else if (name == "Tilt") {
                    readTilt(item, block);
                }
            }
        }
    }

    void readTilt(const xmlNode* tilt, Tm33RecordBlock& block) {
        const int line = LineOf(tilt);
        const char* incl = AttributeOf(tilt, {"incl"});
        const char* geometry = AttributeOf(tilt, {"geometry"});
        if (incl) block.tiltIncl = Whole16(numberText(Trim(incl), "Tilt", line).value_or(0));
        if (geometry) {
            block.lampGeometry = Whole16(numberText(Trim(geometry), "Tilt", line).value_or(0));
        }
        for (const xmlNode* pair = tilt->children; pair != nullptr; pair = pair->next) {
            if (pair->type != XML_ELEMENT_NODE || !Is(pair, "Pair")) continue;
            const char* angle = AttributeOf(pair, {"angle"});
            const char* factor = AttributeOf(pair, {"factor"});
            if (angle == nullptr || factor == nullptr) continue;
            block.tiltAngles.push_back(ParseSingle(Trim(angle)).value_or(0.0f));
            block.tiltFactors.push_back(ParseSingle(Trim(factor)).value_or(0.0f));
        }
    }

    xmlDoc* doc_;
    XmlParseState& state_;
    Tm33Document& document_;
    ReaderMessages& message_;
};

}  // namespace

bool IsTm33Root(std::string_view name) {
    return name == "IESTM33-22" || name == "IESTM33" || name == "LuminaireOpticalData";
}

bool ParseTm33Xml(std::string_view bytes, Tm33Document& document, ReaderMessages& message) {
    document = Tm33Document{};
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        message.add(text::NotWellFormedXml("the document is too large."));
        return false;
    }
    std::unique_ptr<xmlParserCtxt, ContextFree> context(xmlNewParserCtxt());
    if (!context) throw std::bad_alloc();
    // The first fault is the one to report; later ones follow from it.
    XmlParseState state;
    CaptureIntoState(context.get(), state);
    // No network, no external entities or DTDs: a document is read from its own bytes.
    const int options = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_BIG_LINES | XML_PARSE_NOWARNING |
                        XML_PARSE_COMPACT;
    DocumentPtr doc(xmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                      nullptr, options));
    if (!doc) {
        std::string detail = state.first.seen ? state.first.text : "unreadable";
        if (!detail.ends_with('.')) detail.push_back('.');
        message.add(text::NotWellFormedXml(detail), state.first.line);
        return false;
    }
    xmlNode* root = xmlDocGetRootElement(doc.get());
    if (root == nullptr) {
        message.add(text::NotWellFormedXml("no root element."));
        return false;
    }
    if (!IsTm33Root(NameOf(root))) {
        message.add(text::UnknownRoot(NameOf(root)), LineOf(root));
        return false;
    }
    document.notation = Tm33Notation::Xml;
    document.root = NameOf(root);
    XmlReading reading(doc.get(), state, document, message);
    return reading.run(root);
}

std::vector<XmlChild> XmlChildrenOf(std::string_view fragment, std::string_view name) {
    DocumentPtr doc(xmlReadMemory(fragment.data(), static_cast<int>(fragment.size()), nullptr, nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc) return {};
    xmlNode* root = xmlDocGetRootElement(doc.get());
    std::vector<XmlChild> out;
    for (xmlNode* part = root ? root->children : nullptr; part != nullptr; part = part->next) {
        if (part->type != XML_ELEMENT_NODE || NameOf(part) != name) continue;
        for (xmlNode* child = part->children; child != nullptr; child = child->next) {
            if (child->type == XML_ELEMENT_NODE) out.push_back({std::string(NameOf(child)), Serialised(doc.get(), child)});
        }
    }
    return out;
}

}  // namespace lumibench
