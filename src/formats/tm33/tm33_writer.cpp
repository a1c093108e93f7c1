#include "formats/tm33/tm33_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

#include "formats/tm33/tm33_header_map.h"
#include "formats/tm33/tm33_record_facts.h"
#include "formats/tm33/tm33_xml_parse.h"

namespace lumibench {
namespace {

constexpr std::string_view kXmlOptionalStart = "<TM33Optional>";
constexpr std::string_view kRecordBlockName = "Lumibench record";
constexpr std::string_view kRecordBlockId = "urn:lumibench:record:1";

// Emitter parts that follow the luminous data in the TM-33-23 order.
constexpr std::array<std::string_view, 12> kAfterLuminousData = {
    "RadiantData",   "PhotonData", "SpectralData", "AngularColor",  "IllumData",     "IrradData",
    "PFDData",       "SpecIrradData", "Channels",  "EmissionAreas", "EmitterCenter", "Regulatory"};

// Header elements in the order TM-33-23 lists them; the four required ones
// carry the keyword they must come from.
struct HeaderRow {
    std::string_view element;
    bool required;
    bool repeats;
};
constexpr std::array<HeaderRow, 13> kHeaderRows = {{
    {"Manufacturer", false, false},
    {"CatalogNumber", false, false},
    {"GTIN", false, false},
    {"Description", true, false},
    {"Laboratory", true, false},
    {"ReportNumber", true, false},
    {"ReportDate", true, false},
    {"DocumentCreator", false, false},
    {"DocumentCreationDate", false, false},
    {"UniqueIdentifier", false, false},
    {"Comment", false, true},
    {"Reference", false, true},
    {"MoreInfoURI", false, false},
}};

// Element text: markup characters escaped, line ends and tabs as character
// references so that XML's line-end handling leaves them as they were; other
// control characters cannot stand in XML 1.0 and are left out.
std::string Escaped(std::string_view text, bool& dropped) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\r': out += "&#13;"; break;
        case '\n': out += "&#10;"; break;
        case '\t': out += "&#9;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                dropped = true;
            } else {
                out.push_back(c);
            }
        }
    }
    return out;
}

// Candela values are doubles of their own: the shortest text of the double
// itself, never an exponent, so that it reads back bit for bit.
void AppendExactNumber(std::string& out, double value) {
    if (!std::isfinite(value)) value = 0;
    char text[400];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr;
    out.append(text, end);
}

class XmlWriting {
public:
    XmlWriting(const PhotometricRecord& record, WrittenText& out) : record_(record), facts_(record, out), out_(out) {}

    void run() {
        if (const std::string fault = ShapeFault(record_); !fault.empty()) {
            out_.error = "Cannot write this data set: " + fault + ".";
            return;
        }
        if (!record_.OptionalData.empty() && !record_.OptionalData.starts_with(kXmlOptionalStart)) {
            out_.notes.push_back("The data set's optional data are not TM-33 XML: not written.");
        }
        text_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<IESTM33-22>\n  <Version>1.1</Version>\n";
        writeHeader();
        writeLuminaire();
        text_ += "  <Equipment>\n    <Gonioradiometer>\n";
        element(6, "Type", facts_.typeName());
        text_ += optional("Gonioradiometer", 6);
        text_ += "    </Gonioradiometer>\n" + optional("Equipment", 4) + "  </Equipment>\n";
        writeEmitter();
        text_ += optional("Document", 2);
        writeRecordBlock();
        text_ += "</IESTM33-22>\n";
        if (dropped_) out_.notes.push_back("Control characters in the texts cannot stand in XML: left out.");
        out_.text = std::move(text_);
    }

private:
    void element(int indent, std::string_view name, std::string_view value) {
        text_.append(static_cast<std::size_t>(indent), ' ');
        text_.append("<").append(name).append(">").append(Escaped(value, dropped_));
        text_.append("</").append(name).append(">\n");
    }

    void number(int indent, std::string_view name, double value) {
        text_.append(static_cast<std::size_t>(indent), ' ');
        text_.append("<").append(name).append(">");
        AppendPlainNumber(text_, value);
        text_.append("</").append(name).append(">\n");
    }

    std::vector<XmlChild> children(std::string_view part) const {
        if (!record_.OptionalData.starts_with(kXmlOptionalStart)) return {};
        return XmlChildrenOf(record_.OptionalData, part);
    }

    // The kept children of a part, one a line, indented to their place.
    std::string optional(std::string_view part, int indent) const {
        std::string out;
        for (const XmlChild& child : children(part)) out.append(static_cast<std::size_t>(indent), ' ').append(child.xml + "\n");
        return out;
    }

    void writeHeader() {
        text_ += "  <Header>\n";
        for (const HeaderRow& row : kHeaderRows) {
            if (row.required) {
                element(4, row.element, facts_.required(row.element, {}));
            } else if (row.repeats) {
                for (const std::string& value : facts_.all(Tm33TagOf(row.element))) element(4, row.element, value);
            } else if (const std::optional<std::string> value = facts_.header(row.element)) {
                element(4, row.element, DocumentText(*value));
            }
        }
        text_ += "  </Header>\n";
    }

    void writeLuminaire() {
        text_ += "  <Luminaire>\n    <Dimensions>\n";
        number(6, "Length", facts_.millimetres(record_.Length));
        number(6, "Width", facts_.millimetres(record_.Width));
        number(6, "Height", facts_.millimetres(record_.Height));
        text_ += "    </Dimensions>\n" + optional("Luminaire", 4);
        number(4, "NumEmitter", 1);
        text_ += "  </Luminaire>\n";
    }

    void writeEmitter() {
        text_ += "  <Emitter>\n";
        number(4, "Quantity", record_.LampCount);
        element(4, "Description", facts_.required("Description", kEmitterDescriptionTag));
        if (const std::optional<std::string> catalog = facts_.value(kEmitterCatalogTag)) {
            element(4, "CatalogNumber", *catalog);
        }
        if (!facts_.absolute()) number(4, "RatedLumens", record_.LumensPerLamp);
        number(4, "InputWattage", record_.InputWatts);
        number(4, "BallastFactor", record_.BallastFactor);
        // Kept emitter parts: those that come after the luminous data wait for it.
        std::string after, flux;
        splitEmitterOptional(after, flux);
        text_ += "    <LuminousData>\n      <LuminousIntensity>\n";
        element(8, "AbsolutePhotometry", facts_.absolute() ? "true" : "false");
        if (const std::string symmetry = facts_.symmetryName(); !symmetry.empty()) element(8, "Symm", symmetry);
        number(8, "Multiplier", record_.CandelaMultiplier);
        number(8, "NumberMeasured", static_cast<double>(record_.HorAngles.size() * record_.VertAngles.size()));
        number(8, "NumberHorz", static_cast<double>(record_.HorAngles.size()));
        number(8, "NumberVert", static_cast<double>(record_.VertAngles.size()));
        writeIntensities();
        text_ += "      </LuminousIntensity>\n" + flux + "    </LuminousData>\n" + after + "  </Emitter>\n";
    }

    // Writes the kept emitter children that precede the luminous data, and
    // hands back those that follow it and the luminous flux that sits inside it.
    void splitEmitterOptional(std::string& after, std::string& flux) {
        for (const XmlChild& child : children("Emitter")) {
            if (child.name == "LuminousFlux") {
                flux += "      " + child.xml + "\n";
            } else if (std::find(kAfterLuminousData.begin(), kAfterLuminousData.end(), child.name) !=
                       kAfterLuminousData.end()) {
                after += "    " + child.xml + "\n";
            } else {
                text_ += "    " + child.xml + "\n";
            }
        }
    }

    void writeIntensities() {
        for (std::size_t i = 0; i < record_.HorAngles.size(); ++i) {
            for (std::size_t j = 0; j < record_.VertAngles.size(); ++j) {
                text_ += "        <IntData h=\"";
                AppendPlainNumber(text_, record_.HorAngles[i]);
                text_ += "\" v=\"";
                AppendPlainNumber(text_, record_.VertAngles[j]);
                text_ += "\">";
                AppendExactNumber(text_, record_.Candela[i][j]);
                text_ += "</IntData>\n";
            }
        }
    }

    void writeRecordBlock() {
        const Tm33RecordBlock block = facts_.block();
        text_ += "  <CustomData>\n";
        element(4, "Name", kRecordBlockName);
        element(4, "UniqueIdentifier", kRecordBlockId);
        text_ += "    <LumibenchRecord>\n";
        number(6, "UnitsType", block.unitsType);
        if (block.photometricType != 0) number(6, "PhotometricType", block.photometricType);
        for (const std::string& line : block.keywords) element(6, "Keyword", DocumentText(line));
        element(6, "OtherKeywordText", DocumentText(block.otherKeywordText));
        for (const std::string& field : block.keywordFields) element(6, "KeywordField", DocumentText(field));
        text_ += "      <Tilt incl=\"" + std::to_string(block.tiltIncl) + "\" geometry=\"" +
                 std::to_string(block.lampGeometry) + "\">";
        for (std::size_t i = 0; i < block.tiltAngles.size() && i < block.tiltFactors.size(); ++i) {
            text_ += "<Pair angle=\"";
            AppendPlainNumber(text_, block.tiltAngles[i]);
            text_ += "\" factor=\"";
            AppendPlainNumber(text_, block.tiltFactors[i]);
            text_ += "\"/>";
        }
        text_ += "</Tilt>\n    </LumibenchRecord>\n  </CustomData>\n";
    }

    const PhotometricRecord& record_;
    Tm33RecordFacts facts_;
    WrittenText& out_;
    std::string text_;
    bool dropped_ = false;
};

}  // namespace

WrittenText WriteTm33Text(const PhotometricRecord& record) {
    WrittenText out;
    XmlWriting(record, out).run();
    return out;
}

}  // namespace lumibench
