#include "formats/tm33/tm33_xml_capture.h"

#include <libxml/SAX2.h>
#include <libxml/xmlerror.h>

#include "formats/text/field_reader.h"
#include "formats/tm33/tm33_messages.h"

namespace lumibench {
namespace {

namespace text = tm33_text;

std::string_view Trim(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

XmlParseState* StateOf(void* data) {
    auto* context = static_cast<xmlParserCtxt*>(data);
    return context ? static_cast<XmlParseState*>(context->_private) : nullptr;
}

void KeepFirstError(void* data, xmlError* error) {
    XmlParseState* state = StateOf(data);
    XmlFirstError* first = state ? &state->first : nullptr;
    if (first == nullptr || first->seen || error == nullptr || error->level < XML_ERR_ERROR) return;
    first->seen = true;
    std::string_view text = error->message ? error->message : "unreadable";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    first->text = text;
    first->line = error->line;
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
    XmlParseState* state = StateOf(data);
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
    XmlParseState* state = StateOf(data);
    if (state->inPoint) {
        if (state->pointDepth == 0) state->value.append(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
        return;
    }
    xmlSAX2Characters(data, text, length);
}

void CData(void* data, const xmlChar* text, int length) {
    XmlParseState* state = StateOf(data);
    if (state->inPoint) {
        Characters(data, text, length);
        return;
    }
    xmlSAX2CDataBlock(data, text, length);
}

void EndElement(void* data, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri) {
    auto* context = static_cast<xmlParserCtxt*>(data);
    XmlParseState* state = StateOf(data);
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


}  // namespace

void CaptureIntoState(xmlParserCtxt* context, XmlParseState& state) {
    context->_private = &state;
    context->sax->serror = KeepFirstError;
    context->sax->startElementNs = StartElement;
    context->sax->endElementNs = EndElement;
    context->sax->characters = Characters;
    context->sax->cdataBlock = CData;
}

PointBatch* BatchOf(XmlParseState& state, const xmlNode* block) {
    if (block->_private == nullptr) return nullptr;
    return &state.batches[reinterpret_cast<std::size_t>(block->_private) - 1];
}

}  // namespace lumibench
