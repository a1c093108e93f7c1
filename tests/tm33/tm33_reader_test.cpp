// The TM-33 XML and ATLA JSON readers against documents written here by hand:
// the values the document states come back in the record, both layouts of
// the intensity data are read, and broken documents are refused with their
// message and the line of the fault.

#include "formats/tm33/tm33_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/message_sink.h"
#include "formats/xml_dispatch.h"

namespace lumibench {
namespace {

struct Read {
    WorkRecordTable work;
    std::string message;
    int line = 0;
};

Read FromXml(const std::string& text) {
    Read out;
    ReaderMessages message;
    ReadTm33XmlBytes(text, out.work, message);
    out.message = message.text();
    if (!message.located().empty()) out.line = message.located().front().line;
    return out;
}

Read FromJson(const std::string& text) {
    Read out;
    ReaderMessages message;
    ReadAtlaJsonBytes(text, out.work, message);
    out.message = message.text();
    if (!message.located().empty()) out.line = message.located().front().line;
    return out;
}

// A TM-33-23 document in the standard's layout; `intensity` replaces the
// LuminousIntensity block's content and `extra` lands in the emitter.
std::string Standard(const std::string& intensity, const std::string& extra = "") {
    return "<?xml version=\"1.0\"?>\n"                                       // 1
           "<IESTM33-22>\n"                                                  // 2
           "<Version>1.1</Version>\n"                                        // 3
           "<Header><Manufacturer>Acme &amp; Co</Manufacturer>\n"            // 4
           "<Description>Street light</Description><Laboratory>Lab</Laboratory>\n"  // 5
           "<ReportNumber>R-7</ReportNumber><ReportDate>2024-05-01</ReportDate></Header>\n"  // 6
           "<Luminaire><Dimensions><Length>500</Length><Width>250</Width><Height>80</Height></Dimensions>"
           "<NumEmitter>1</NumEmitter></Luminaire>\n"                        // 7
           "<Equipment><Gonioradiometer><Type>CIE_C</Type></Gonioradiometer></Equipment>\n"  // 8
           "<Emitter><Quantity>2</Quantity><Description>LED module</Description>\n"  // 9
           "<RatedLumens>1500</RatedLumens><InputWattage>36.5</InputWattage>\n"  // 10
           "<FixedCCT>3000</FixedCCT>" + extra + "\n"                        // 11
           "<LuminousData><LuminousIntensity>\n"                             // 12
           + intensity +
           "</LuminousIntensity></LuminousData></Emitter>\n"
           "</IESTM33-22>\n";
}

const std::string kQuadGrid =
    "<AbsolutePhotometry>false</AbsolutePhotometry><Symm>Symm_Quad</Symm><Multiplier>2</Multiplier>\n"  // 13
    "<NumberMeasured>4</NumberMeasured><NumberHorz>2</NumberHorz><NumberVert>2</NumberVert>\n"         // 14
    "<IntData h=\"90\" v=\"0\">100</IntData><IntData h=\"90\" v=\"90\">10</IntData>\n"                 // 15
    "<IntData h=\"0\" v=\"0\">100</IntData><IntData h=\"0\" v=\"90\">20</IntData>\n";                  // 16

TEST(Tm33Reader, StandardLayoutGivesTheStatedValues) {
    const Read read = FromXml(Standard(kQuadGrid));
    ASSERT_EQ(read.message, "");
    ASSERT_EQ(read.work.size(), 1u);
    const PhotometricRecord& r = read.work.front();
    EXPECT_EQ(r.PhotometricType, 1);
    EXPECT_EQ(r.HorAngles, (std::vector<float>{0, 90}));
    EXPECT_EQ(r.VertAngles, (std::vector<float>{0, 90}));
    EXPECT_EQ(r.Candela, (std::vector<std::vector<double>>{{100, 20}, {100, 10}}));
    EXPECT_EQ(r.CandelaMultiplier, 2.0f);
    EXPECT_EQ(r.LampCount, 2);
    EXPECT_EQ(r.LumensPerLamp, 1500.0f);
    EXPECT_EQ(r.InputWatts, 36.5f);
    EXPECT_EQ(r.BallastFactor, 1.0f);
    // Millimetres into metres.
    EXPECT_EQ(r.UnitsType, 2);
    EXPECT_EQ(r.Length, 0.5f);
    EXPECT_EQ(r.Width, 0.25f);
    EXPECT_EQ(r.Height, 0.08f);
    EXPECT_EQ(r.ManufacKeyword, "Acme & Co");
    EXPECT_EQ(r.TestKeyword, "R-7");
    EXPECT_EQ(r.DateKeyword, "2024-05-01");
    EXPECT_EQ(r.LuminaireKeyword, "Street light");
    EXPECT_EQ(r.LampKeyword, "LED module");
    EXPECT_EQ(r.Keywords, (std::vector<std::string>{"[MANUFAC] Acme & Co", "[LUMINAIRE] Street light",
                                                     "[TESTLAB] Lab", "[TEST] R-7", "[ISSUEDATE] 2024-05-01",
                                                     "[LAMP] LED module"}));
    EXPECT_EQ(r.MaxCandela, 100.0);
    // Colour data the record has no field for are kept.
    EXPECT_NE(r.OptionalData.find("<FixedCCT>3000</FixedCCT>"), std::string::npos);
}

TEST(Tm33Reader, AtlaLayoutAbsolutePhotometryAndTypeB) {
    // The ATLA S001 layout: namespace, IntensityDistribution, horz/vert, the type in the data block.
    const std::string text =
        "<LuminaireOpticalData version=\"1.0\" xmlns=\"http://www.ies.org/tm-33\">\n"
        "<Header><Manufacturer>M</Manufacturer><TestDate>2020-01-02</TestDate></Header>\n"
        "<Emitter><Quantity>1</Quantity><InputWatts>10</InputWatts>\n"
        "<IntensityDistribution><PhotometryType>B</PhotometryType><Metric>Luminous</Metric>\n"
        "<IntensityData horz=\"-90\" vert=\"-10\">5</IntensityData><IntensityData horz=\"-90\" vert=\"10\">6</IntensityData>\n"
        "<IntensityData horz=\"90\" vert=\"-10\">7</IntensityData><IntensityData horz=\"90\" vert=\"10\">8</IntensityData>\n"
        "</IntensityDistribution></Emitter></LuminaireOpticalData>\n";
    const Read read = FromXml(text);
    ASSERT_EQ(read.message, "");
    const PhotometricRecord& r = read.work.front();
    EXPECT_EQ(r.PhotometricType, 2);
    EXPECT_EQ(r.LumensPerLamp, -1.0f);  // no rated lumens: absolute photometry
    EXPECT_EQ(r.HorAngles, (std::vector<float>{-90, 90}));
    EXPECT_EQ(r.Candela, (std::vector<std::vector<double>>{{5, 6}, {7, 8}}));
    EXPECT_EQ(r.Keywords, (std::vector<std::string>{"[MANUFAC] M", "[TESTDATE] 2020-01-02"}));
}

TEST(Tm33Reader, FullCircleIsClosedAndOnePlaneIsTheWholeCircle) {
    std::string planes;
    for (int h : {0, 90, 180, 270}) {
        planes += "<IntData h=\"" + std::to_string(h) + "\" v=\"0\">50</IntData><IntData h=\"" + std::to_string(h) +
                  "\" v=\"90\">" + std::to_string(h + 1) + "</IntData>\n";
    }
    const Read circle = FromXml(Standard(planes));
    ASSERT_EQ(circle.message, "");
    EXPECT_EQ(circle.work.front().HorAngles, (std::vector<float>{0, 90, 180, 270, 360}));
    EXPECT_EQ(circle.work.front().Candela.back(), circle.work.front().Candela.front());

    const Read full = FromXml(Standard("<Symm>Symm_Full</Symm><IntData h=\"15\" v=\"0\">9</IntData>"
                                       "<IntData h=\"15\" v=\"90\">1</IntData>\n"));
    ASSERT_EQ(full.message, "");
    EXPECT_EQ(full.work.front().HorAngles, (std::vector<float>{0}));
}

TEST(Tm33Reader, BrokenDocumentsAreRefusedWithTheirLine) {
    struct Row {
        std::string document;
        std::string message;
        int line;
    };
    const std::string point = "<IntData h=\"0\" v=\"0\">1</IntData>";
    const std::vector<Row> rows = {
        {"<IESTM33-22>\n<Header>\n</IESTM33-22>\n",
         "The document is not well-formed XML: Opening and ending tag mismatch: Header line 2 and IESTM33-22.\r\n", 3},
        {"<?xml version=\"1.0\"?>\n<product/>\n",
         "Not a TM-33 document: the root element is <product>, not <IESTM33-22>, <IESTM33> or "
         "<LuminaireOpticalData>.\r\n",
         2},
        {"<IESTM33-22>\n<Version>1.1</Version>\n</IESTM33-22>",
         "The document describes no emitter (no Emitter element).\r\n", 1},
        {Standard(point + "\n<IntData h=\"0\" v=\"90\">2</IntData><IntData h=\"90\" v=\"0\">1</IntData>\n"),
         "No intensity value for horizontal angle 90, vertical angle 90: the values must cover every pair of "
         "angles.\r\n",
         12},
        {Standard(point + "\n" + point + "\n"), "Two intensity values for horizontal angle 0, vertical angle 0.\r\n",
         14},
        {Standard(point + "\n<IntData h=\"0\" v=\"90\">-2</IntData>\n"),
         "File contains one or more negative candela values.\r\n", 14},
        {Standard(point + "\n<IntData h=\"0\" v=\"90\">1,5</IntData>\n"),
         "An intensity value must be a number; found \"1,5\".\r\n", 14},
        {Standard("<IntData v=\"0\">1</IntData>\n"), "An intensity value lacks its horizontal or vertical angle.\r\n",
         13},
        {Standard("<NumberHorz>3</NumberHorz>\n" + point + "<IntData h=\"0\" v=\"90\">1</IntData>\n"),
         "NumberHorz is 3, but the intensity values have 1 such angles.\r\n", 13},
        {Standard("<IntData h=\"0\" v=\"0\">0</IntData><IntData h=\"0\" v=\"90\">0</IntData>\n"),
         "All candela values are = 0 (i.e. This luminaire produces no light!)\r\n", 12},
        {Standard("<IntData h=\"0\" v=\"10\">1</IntData><IntData h=\"0\" v=\"90\">1</IntData>\n"),
         "First vertical must be 0 or 90.\r\n", 12},
        {Standard(point + "<IntData h=\"0\" v=\"90\">1</IntData><IntData h=\"90\" v=\"0\">2</IntData>"
                  "<IntData h=\"90\" v=\"90\">1</IntData>\n"),
         "Nadir candela values are not equal.\r\n", 12},
        {Standard("<PhotometryType>Custom</PhotometryType>\n" + point),
         "Photometry type \"Custom\" is not type C, B or A.\r\n", 13},
        {Standard("<Metric>Radiant</Metric>\n" + point),
         "The intensity values are Radiant, not luminous; only luminous intensity can be read.\r\n", 12},
        {Standard(kQuadGrid).replace(Standard(kQuadGrid).find(">1500<"), 6, ">1e39<"),
         "Overflow: a number is too large for its field.\r\n", 9},
        {Standard(kQuadGrid).replace(Standard(kQuadGrid).find("<Emitter>"), 9, "<Emitter><Quantity>two</Quantity>"),
         "Quantity must be a number; found \"two\".\r\n", 9},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.document);
        const Read read = FromXml(row.document);
        EXPECT_EQ(read.message, row.message);
        EXPECT_EQ(read.line, row.line);
        EXPECT_EQ(read.work.size(), 1u);
    }
}

const std::string kJson = R"({
  "version": "1.0",
  "header": {"manufacturer": "M", "reportNumber": "R1", "comments": ["one", "two"]},
  "luminaire": {"dimensions": {"length": 1200, "width": 300, "height": 50}, "mounting": "Pendant"},
  "emitters": [{
    "quantity": 1, "ratedLumens": 3000, "inputWatts": 25, "cct": 4000,
    "intensityDistribution": {
      "photometryType": "C", "metric": "Luminous", "multiplier": 0.5,
      "horizontalAngles": [0, 180],
      "verticalAngles": [0, 45, 90],
      "intensities": [[400, 300, 10], [400, 280, 12]]
    }
  }]
})";

TEST(AtlaJsonReader, ValuesAndKeptMembers) {
    const Read read = FromJson(kJson);
    ASSERT_EQ(read.message, "");
    const PhotometricRecord& r = read.work.front();
    EXPECT_EQ(r.HorAngles, (std::vector<float>{0, 180}));
    EXPECT_EQ(r.VertAngles, (std::vector<float>{0, 45, 90}));
    EXPECT_EQ(r.Candela, (std::vector<std::vector<double>>{{400, 300, 10}, {400, 280, 12}}));
    EXPECT_EQ(r.CandelaMultiplier, 0.5f);
    EXPECT_EQ(r.LumensPerLamp, 3000.0f);
    EXPECT_EQ(r.Length, 1.2f);
    EXPECT_EQ(r.Keywords, (std::vector<std::string>{"[MANUFAC] M", "[TEST] R1", "[OTHER] one", "[OTHER] two"}));
    EXPECT_NE(r.OptionalData.find("\"cct\":4000"), std::string::npos);
    EXPECT_NE(r.OptionalData.find("\"mounting\":\"Pendant\""), std::string::npos);
}

TEST(AtlaJsonReader, BrokenDocumentsAreRefusedWithTheirLine) {
    std::string shortList = kJson;
    shortList.replace(shortList.find("[[400"), 1, "[");
    shortList.replace(shortList.find("12]]"), 4, "12]");
    shortList.replace(shortList.find(", 12]"), 4, "]");
    std::string notJson = kJson;
    notJson.replace(notJson.find("\"cct\": 4000,"), 12, "\"cct\": 40 00,");
    struct Row {
        std::string document;
        std::string message;
        int line;
    };
    const std::vector<Row> rows = {
        {notJson,
         "The document is not valid JSON: syntax error while parsing object - unexpected number literal; "
         "expected '}'.\r\n",
         6},
        {shortList, "\"intensities\" holds 5 values; the angles need 6.\r\n", 11},
        {"[1, 2]", "The document is not valid JSON: the document is not an object.\r\n", 1},
        {R"({"header": {}})", "The document describes no emitter (no Emitter element).\r\n", 1},
        {"{\"emitters\": [1E999]}", "The document is not valid JSON: number overflow parsing '1E999'.\r\n", 0},
        {"{\"emitters\": " + std::string(70, '[') + std::string(70, ']') + "}",
         "The document is not valid JSON: it is nested more than 64 levels deep.\r\n", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.document);
        const Read read = FromJson(row.document);
        EXPECT_EQ(read.message, row.message);
        EXPECT_EQ(read.line, row.line);
    }
}

// Records what the reader asks to show.
class RecordingSink : public MessageSink {
public:
    MessageAnswer show(const MessageRequest& request) override {
        shown.push_back(request.text);
        return MessageAnswer::Ok;
    }
    std::vector<std::string> shown;
};

TEST(Tm33Reader, EveryEmitterIsADataSetOfItsOwn) {
    std::string text = Standard(kQuadGrid);
    const std::size_t end = text.find("</Emitter>") + 10;
    const std::string second = text.substr(text.find("<Emitter>"), end - text.find("<Emitter>"));
    text.insert(end, "\n" + std::string(second).replace(second.find(">100<"), 5, ">300<").replace(
                                 second.find(">100<", second.find(">100<") + 1), 5, ">300<"));
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    std::string path = (folder / ("tm33-two-emitters-" + std::to_string(::getpid()) + ".xml")).string();
    std::ofstream(path, std::ios::binary) << text;
    WorkRecordTable work;
    RecordingSink sink;
    ReaderContext context{work, sink, folder};
    ReaderMessages message;
    LoadXmlFile(path, message, true, context);
    std::filesystem::remove(path);
    EXPECT_EQ(message.text(), "");
    ASSERT_EQ(work.size(), 2u);
    EXPECT_EQ(work[0].Filename, path);
    EXPECT_EQ(work[1].Filename, path + " \u2013 emitter 2");
    EXPECT_EQ(work[1].Candela[0][0], 300.0);
    EXPECT_EQ(sink.shown, (std::vector<std::string>{
                              "This TM-33 document describes 2 emitters; each one is loaded as a data set of its own."}));
}

TEST(XmlDispatch, RootElementAfterPrologue) {
    EXPECT_EQ(XmlRootName("<?xml version=\"1.0\"?>\n<!-- <Not> -->\n<!DOCTYPE x>\n<IESTM33-22>"), "IESTM33-22");
    EXPECT_EQ(XmlRootName("<tm:LuminaireOpticalData xmlns:tm=\"u\">"), "LuminaireOpticalData");
    EXPECT_EQ(XmlRootName("<IESTM33/>"), "IESTM33");
    EXPECT_EQ(XmlRootName("<!-- open comment"), "");
    EXPECT_EQ(XmlRootName("plain text"), "");
}

}  // namespace
}  // namespace lumibench
