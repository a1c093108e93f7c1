// How a container's data sets are named and what they carry, and how member
// names are read: the parts of a container that the user sees in the list.

#include <gtest/gtest.h>

#include "formats/gldf/gldf_naming.h"
#include "formats/gldf/zip_name_decoding.h"

namespace lumibench {
namespace {

TEST(GldfNaming, LabelIsTheOneVariantElseThePhotometryFile) {
    const GldfVariant first{"v1", "Variant 1", "SP542P LED66S/940", {}};
    const GldfVariant sameName{"v2", "Variant 1", "", {}};
    const GldfVariant other{"v3", "", "WIDE/30", {}};
    const GldfVariant unnamed{"v4", "", "", {}};
    struct Row {
        std::vector<const GldfVariant*> variants;
        std::string label;
    };
    const std::vector<Row> rows = {
        {{&first}, "Variant 1"},
        {{&first, &sameName}, "Variant 1"},           // one name, however many variants
        {{&first, &other}, "SP542P SRD L1480 940"},   // two names: the file's
        {{}, "SP542P SRD L1480 940"},                  // no variant uses it
        {{&other}, "WIDE-30"},                         // the catalogue number, never a path
        {{&unnamed}, "v4"},
    };
    for (const Row& row : rows) {
        const GldfDataSetContext context{"/data/SP542P.gldf", "ldc/SP542P SRD L1480 940.ldt", row.variants, {}};
        EXPECT_EQ(GldfDataSetLabel(context), row.label);
    }
    EXPECT_EQ(GldfDataSetFilename("/data/SP542P.gldf", "SP542P SRD L1480 940"),
              "/data/SP542P.gldf \u2013 SP542P SRD L1480 940");
}

TEST(GldfNaming, ProductTextsFollowTheFilesOwnKeywords) {
    GldfProduct product;
    product.manufacturer = "Philips";
    product.productName = "TrueLevel";
    const GldfVariant variant{"v1", "Variant 1", "SP542P LED66S/940", {}};
    const GldfDataSetContext context{"/data/SP542P.gldf", "ldc/a.ldt", {&variant}, {"12 x LED, 50 lm"}};
    PhotometricRecord record;
    record.Keywords = {"[MANUFAC] Philips Lighting"};
    record.OtherKeywordText = "[_EULUM_TILT] 0";
    AddGldfKeywords(product, context, record);
    const std::vector<std::string> expected = {
        "[MANUFAC] Philips Lighting",        "[_GLDF_CONTAINER] SP542P.gldf",
        "[_GLDF_MEMBER] ldc/a.ldt",          "[_GLDF_MANUFACTURER] Philips",
        "[_GLDF_PRODUCT] TrueLevel",         "[_GLDF_VARIANT] Variant 1",
        "[_GLDF_CATALOGUE] SP542P LED66S/940", "[_GLDF_LIGHTSOURCE] 12 x LED, 50 lm"};
    EXPECT_EQ(record.Keywords, expected);
    EXPECT_TRUE(record.OtherKeywordText.starts_with("[_EULUM_TILT] 0\r\n[_GLDF_CONTAINER] SP542P.gldf\r\n"));
}

TEST(ZipNames, OlderCodePagesAndUnsafeNames) {
    // Bytes 0x8E 0x94 0x81 0xF8 0xF5 are "Äöü°§" in code page 850 (IBM's published table).
    EXPECT_EQ(DecodeZipName("ldc/\x8E\x94\x81\xF8\xF5.ldt"), "ldc/\u00C4\u00F6\u00FC\u00B0\u00A7.ldt");
    EXPECT_EQ(DecodeZipName("ldc/\xC3\x84.ldt"), "ldc/\u00C4.ldt");  // valid UTF-8 as it is
    const std::vector<std::string> readings = OtherCodePageReadings("\xF5");
    ASSERT_EQ(readings.size(), 3u);
    EXPECT_EQ(readings[1], "\u2321");  // code page 437's byte 0xF5
    EXPECT_EQ(readings[2], "\u00F5");  // Windows-1252's
    for (const char* unsafe : {"../x.ldt", "ldc/../../x", "/etc/passwd", "C:\\x.ldt", "ldc\\..\\x", ""}) {
        EXPECT_TRUE(IsUnsafeMemberName(unsafe)) << unsafe;
    }
    for (const char* safe : {"ldc/x.ldt", "ldc/..x.ldt", "x..ldt"}) EXPECT_FALSE(IsUnsafeMemberName(safe)) << safe;
}

}  // namespace
}  // namespace lumibench
