// TM-33-23 XML and ATLA JSON written from records and read back: a record of
// any origin comes back whole (feet, tilt, keyword lines, absolute
// photometry, type B), and a TM-33 document's colour data survive a round trip.

#include "formats/tm33/tm33_writer.h"

#include <gtest/gtest.h>

#include "formats/tm33/tm33_reader.h"

namespace lumibench {
namespace {

PhotometricRecord ReadBack(const std::string& text, bool json, std::string& message) {
    WorkRecordTable work;
    ReaderMessages messages;
    if (json) {
        ReadAtlaJsonBytes(text, work, messages);
    } else {
        ReadTm33XmlBytes(text, work, messages);
    }
    message = messages.text();
    return work.front();
}

// A record as the IES reader leaves it, with everything TM-33 has no place for.
PhotometricRecord IesLike() {
    PhotometricRecord r;
    r.Keywords = {"IESNA:LM-63-2002", "[TEST] T <1> & \"2\"", "[MANUFAC] Maker", "[MORE] continued",
                  "[_USER] x  ", "free text line"};
    r.OtherKeywordText = "[_USER] x  \r\nfree text line";
    r.TestKeyword = "T <1> & \"2\"";
    r.ManufacKeyword = "Maker continued";
    r.TiltIncl = kTrue;
    r.LampGeometry = 1;
    r.TiltPairCount = 2;
    r.TiltAngles = {0, 90};
    r.TiltFactors = {1, 0.85f};
    r.LampCount = 3;
    r.LumensPerLamp = 1234.5f;
    r.CandelaMultiplier = 0.1f;
    r.PhotometricType = 1;
    r.UnitsType = 1;  // feet
    r.Width = 1.3f;
    r.Length = -0.7f;
    r.Height = 0.1f;
    r.BallastFactor = 0.95f;
    r.InputWatts = 41.3f;
    r.VertAngles = {0, 22.5f, 90};
    r.HorAngles = {0, 45, 90};
    r.VertAngleCount = 3;
    r.HorAngleCount = 3;
    r.Candela = {{100.25, 50.125, 0.001}, {100.25, 60, 1e-7}, {100.25, 70.5, 3}};
    r.MaxCandela = 100.25;
    return r;
}

TEST(Tm33Writer, EveryRecordValueComesBack) {
    PhotometricRecord typeB = IesLike();
    typeB.PhotometricType = 2;
    typeB.HorAngles = {-90, 0, 90};
    typeB.VertAngles = {-45, 0, 45};
    typeB.LumensPerLamp = -1;  // absolute
    typeB.UnitsType = 2;
    typeB.TiltIncl = kFalse;
    typeB.TiltPairCount = 0;
    typeB.TiltAngles.clear();
    typeB.TiltFactors.clear();
    typeB.MaxCandelaVertAngle = -45;
    typeB.MaxCandelaHorAngle = -90;
    for (const PhotometricRecord& record : {IesLike(), typeB}) {
        for (bool json : {false, true}) {
            SCOPED_TRACE(json ? "json" : "xml");
            const WrittenText written = json ? WriteAtlaJsonText(record) : WriteTm33Text(record);
            ASSERT_TRUE(written.ok()) << written.error;
            std::string message;
            const PhotometricRecord back = ReadBack(written.text, json, message);
            EXPECT_EQ(message, "");
            EXPECT_EQ(back, record) << written.text;
        }
    }
}

TEST(Tm33Writer, RequiredHeaderValuesGetPlaceholders) {
    PhotometricRecord record = IesLike();
    const WrittenText written = WriteTm33Text(record);
    EXPECT_NE(written.text.find("<IESTM33-22>\n  <Version>1.1</Version>"), std::string::npos);
    EXPECT_NE(written.text.find("<Description>Not given</Description>"), std::string::npos);
    EXPECT_EQ(written.notes,
              (std::vector<std::string>{
                  "[LUMINAIRE] is not in the data: Description written as \"Not given\".",
                  "[TESTLAB] is not in the data: Laboratory written as \"Not given\".",
                  "[ISSUEDATE] is not in the data: ReportDate written as \"Not given\".",
                  "[LAMP] is not in the data: Description written as \"Not given\".",
              }));
}

TEST(Tm33Writer, KeptDocumentPartsSurviveAndEditsWin) {
    const std::string document =
        "<IESTM33-22><Version>1.1</Version><Header><Manufacturer>M</Manufacturer><Description>D</Description>"
        "</Header><Luminaire><Dimensions><Length>10</Length><Width>20</Width><Height>30</Height></Dimensions>"
        "<Shape>Align_X</Shape><NumEmitter>1</NumEmitter></Luminaire>"
        "<Equipment><Gonioradiometer><Type>CIE_C</Type><MeasurementEquipment>G1</MeasurementEquipment>"
        "</Gonioradiometer><Spectroradiometer><MeasurementEquipment>S</MeasurementEquipment></Spectroradiometer>"
        "</Equipment><Emitter><Quantity>1</Quantity><Description>E</Description><InputWattage>5</InputWattage>"
        "<ColorRendering><CIE_CRI><Ra>92</Ra></CIE_CRI></ColorRendering>"
        "<LuminousData><LuminousIntensity><IntData h=\"0\" v=\"0\">5</IntData><IntData h=\"0\" v=\"90\">1</IntData>"
        "</LuminousIntensity><LuminousFlux>12</LuminousFlux></LuminousData>"
        "<RadiantData><RadiantIntensity><IntData h=\"0\" v=\"0\">3</IntData></RadiantIntensity></RadiantData>"
        "<SpectralData><EmitterSpectral><NumberWavelength>2</NumberWavelength><PwrData w=\"450\">1</PwrData>"
        "<PwrData w=\"550\">0.5</PwrData></EmitterSpectral></SpectralData></Emitter>"
        "<CustomData><Name>Other</Name><UniqueIdentifier>u</UniqueIdentifier><x xmlns=\"urn:x\">1</x></CustomData>"
        "</IESTM33-22>";
    std::string message;
    const PhotometricRecord first = ReadBack(document, false, message);
    ASSERT_EQ(message, "");
    const WrittenText written = WriteTm33Text(first);
    const PhotometricRecord second = ReadBack(written.text, false, message);
    ASSERT_EQ(message, "");
    EXPECT_EQ(second.OptionalData, first.OptionalData);
    for (const char* part : {"<Ra>92</Ra>", "<PwrData w=\"550\">0.5</PwrData>", "<LuminousFlux>12</LuminousFlux>",
                             "<MeasurementEquipment>G1</MeasurementEquipment>", "<x xmlns=\"urn:x\">1</x>",
                             "<Shape>Align_X</Shape>", "<IntData h=\"0\" v=\"0\">3</IntData>"}) {
        EXPECT_NE(written.text.find(part), std::string::npos) << part;
    }
    // Someone changes the manufacturer in the written document: the header wins over our block.
    std::string edited = written.text;
    edited.replace(edited.find("<Manufacturer>M<"), 16, "<Manufacturer>N<");
    const PhotometricRecord third = ReadBack(edited, false, message);
    EXPECT_EQ(third.ManufacKeyword, "N");
    EXPECT_EQ(third.Keywords.front(), "[MANUFAC] N");
}

}  // namespace
}  // namespace lumibench
