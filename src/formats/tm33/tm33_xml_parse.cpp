#include "formats/tm33/tm33_xml_parse.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <cstring>
#include <limits>
#include <memory>

#include "formats/text/field_reader.h"
#include "formats/tm33/tm33_messages.h"

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

struct FirstError {
    bool seen = false;
    std::string text;
    int line = 0;
};

// The intensity values of one luminous data block, taken while parsing.
struct PointBatch {
    std::vector<Tm33Point> points;
    std::string fault;  // the first value that could not be read, with its line
    int faultLine = 0;
};

// What the parse keeps beside the tree. Intensity values are nearly every
// element of a document; they are taken straight from the parser instead of
// becoming tree nodes, which is where the time of a tree would go.
struct ParseState {
    FirstError first;
    std::vector<PointBatch> batches;
    bool inPoint = false;
    int pointDepth = 0;
    int pointLine = 0;
    std::string horizontal, vertical, value;
};

ParseState* StateOf(void* data) {
    auto* context = static_cast<xmlParserCtxt*>(data);
    return context ? static_cast<ParseState*>(context->_private) : nullptr;
}

void KeepFirstError(void* data, xmlError* error) {
    ParseState* state = StateOf(data);
    FirstError* first = state ? &state->first : nullptr;
    if (first == nullptr || first->seen || error == nullptr || error->level < XML_ERR_ERROR) return;
    first->seen = true;
    std::string_view text = error->message ? error->message : "unreadable";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    first->text = text;
    first->line = error->line;
}

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


bool IsPointElement(std::string_view name) { return name == "IntData" || name == "IntensityData"; }

bool IsLuminousBlock(const xmlNode* node) {
    if (node == nullptr) return false;
    const std::string_view name = reinterpret_cast<const char*>(node->name);
    return name == "LuminousIntensity" || name == "IntensityDistribution" || name == "LuminousData";
}

void StartElement(void* data, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri,
                  int namespaceCount, const xmlChar** namespaces, int attributeCount, int defaulted,
                  const xmlChar** attributes) {
    auto* context = static_cast<xmlParserCtxt*>(data);
    ParseState* state = StateOf(data);
    if (state->inPoint) {
        ++state->pointDepth;  // markup inside a value: nothing of ours, skipped
        return;
    }
    if (!IsPointElement(reinterpret_cast<const char*>(localname)) || !IsLuminousBlock(context->node)) {
        xmlSAX2StartElementNs(data, localname, prefix, uri, namespaceCount, namespaces, attributeCount, defaulted,
                              attributes);
        return;
    }
    state->inPoint = true;
    state->pointDepth = 0;
    state->pointLine = xmlSAX2GetLineNumber(data);
    state->horizontal = "\x01";  // not given
    state->vertical = "\x01";
    state->value.clear();
    // Five entries an attribute: local name, prefix, namespace, value start, value end.
    for (int i = 0; i < attributeCount; ++i) {
        const std::string_view name = reinterpret_cast<const char*>(attributes[i * 5]);
        const std::string_view text(reinterpret_cast<const char*>(attributes[i * 5 + 3]),
                                    static_cast<std::size_t>(attributes[i * 5 + 4] - attributes[i * 5 + 3]));
        if (name == "h" || name == "horz" || name == "horizontal") {
            if (state->horizontal == "\x01") state->horizontal = text;
        } else if (name == "v" || name == "vert" || name == "vertical") {
            if (state->vertical == "\x01") state->vertical = text;
        }
    }
}

void Characters(void* data, const xmlChar* text, int length) {
    ParseState* state = StateOf(data);
    if (state->inPoint) {
        if (state->pointDepth == 0) state->value.append(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
        return;
    }
    xmlSAX2Characters(data, text, length);
}

void CData(void* data, const xmlChar* text, int length) {
    ParseState* state = StateOf(data);
    if (state->inPoint) {
        Characters(data, text, length);
        return;
    }
    xmlSAX2CDataBlock(data, text, length);
}

void EndElement(void* data, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri) {
    auto* context = static_cast<xmlParserCtxt*>(data);
    ParseState* state = StateOf(data);
    if (!state->inPoint) {
        xmlSAX2EndElementNs(data, localname, prefix, uri);
        return;
    }
    if (state->pointDepth > 0) {
        --state->pointDepth;
        return;
    }
    state->inPoint = false;
    // The block's batch hangs on the block's node, where the tree walk finds it.
    xmlNode* block = context->node;
    if (block->_private == nullptr) {
        state->batches.emplace_back();
        block->_private = reinterpret_cast<void*>(state->batches.size());
    }
    PointBatch& batch = state->batches[reinterpret_cast<std::size_t>(block->_private) - 1];
    if (!batch.fault.empty()) return;
    const int line = state->pointLine;
    if (state->horizontal == "\x01" || state->vertical == "\x01") {
        batch.fault = text::kAngleMissing;
        batch.faultLine = line;
        return;
    }
    const std::pair<const std::string*, std::string_view> fields[] = {
        {&state->horizontal, "A horizontal angle"}, {&state->vertical, "A vertical angle"},
        {&state->value, "An intensity value"}};
    double numbers[3];
    for (int i = 0; i < 3; ++i) {
        const std::string_view trimmed = Trim(*fields[i].first);
        const std::optional<double> number = ParseDouble(trimmed);
        if (!number) {
            batch.fault = text::NotNumber(fields[i].second, trimmed);
            batch.faultLine = line;
            return;
        }
        numbers[i] = *number;
    }
    batch.points.push_back({numbers[0], numbers[1], numbers[2], line});
}

class XmlReading {
public:
    XmlReading(xmlDoc* doc, ParseState& state, Tm33Document& document, ReaderMessages& message)
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
        if (block->_private != nullptr) {
            PointBatch& batch = state_.batches[reinterpret_cast<std::size_t>(block->_private) - 1];
            if (!batch.fault.empty()) {
                message_.add(batch.fault, batch.faultLine);
                return;
            }
            if (emitter.points.empty()) {
                emitter.points = std::move(batch.points);
            } else {
                emitter.points.insert(emitter.points.end(), batch.points.begin(), batch.points.end());
            }
        }
        for (xmlNode* child = block->children; child != nullptr && message_.empty(); child = child->next) {
            if (child->type != XML_ELEMENT_NODE) continue;
            const std::string_view name = NameOf(child);
            if (name == "IntData" || name == "IntensityData") {
                readPoint(child, emitter);
            } else if (name == "LuminousIntensity") {
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

    void readPoint(const xmlNode* node, Tm33Emitter& emitter) {
        const int line = LineOf(node);
        const char* horizontal = AttributeOf(node, {"h", "horz", "horizontal"});
        const char* vertical = AttributeOf(node, {"v", "vert", "vertical"});
        if (horizontal == nullptr || vertical == nullptr) {
            message_.add(text::kAngleMissing, line);
            return;
        }
        const std::optional<double> h = numberText(Trim(horizontal), "A horizontal angle", line);
        const std::optional<double> v = numberText(Trim(vertical), "A vertical angle", line);
        std::string storage;
        const std::optional<double> value =
            numberText(Trim(RawTextOf(node, storage)), "An intensity value", line);
        if (h && v && value) emitter.points.push_back({*h, *v, *value, line});
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
    ParseState& state_;
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
    // The first fault is the one to report; later ones follow from it. The
    // handler also keeps libxml2 from printing anything.
    ParseState state;
    context->_private = &state;
    context->sax->serror = KeepFirstError;
    context->sax->startElementNs = StartElement;
    context->sax->endElementNs = EndElement;
    context->sax->characters = Characters;
    context->sax->cdataBlock = CData;
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
