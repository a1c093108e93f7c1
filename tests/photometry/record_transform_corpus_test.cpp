// Every real type C file that loads, turned and mirrored: four quarter turns
// give back the record it started from (once a C360 plane that differs from
// C0 is settled), and neither a turn nor a mirror changes the flux or the
// maximum intensity.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "photometry/photometry.h"
#include "photometry/record_transform.h"
#include "sdk/photometric_files.h"

namespace lumibench::photometry {
namespace {

namespace fs = std::filesystem;

PhotometricRecord Changed(const PhotometricRecord& record, const RecordTransform& transform) {
    TransformOutcome outcome = TransformRecord(record, transform);
    return outcome.record ? std::move(*outcome.record) : PhotometricRecord{};
}

TEST(RecordTransformCorpus, TurnsAndMirrorsOfRealFiles) {
    const char* corpus = std::getenv("LUMIBENCH_CORPUS");
    if (corpus == nullptr || !fs::is_directory(corpus)) GTEST_SKIP() << "no corpus (LUMIBENCH_CORPUS)";
    RecordTransform quarter;
    quarter.rotateDegrees = 90;
    RecordTransform mirror;
    mirror.mirror = MirrorPlane::C90C270;
    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file()) continue;
        // Read without repairs: nothing may be written into the corpus.
        const FileLoadResult loaded = LoadPhotometricFile(entry.path().string(), {.repair = false});
        if (!loaded.ok || loaded.record.PhotometricType != 1) continue;
        SCOPED_TRACE(entry.path().filename().string());
        // A full turn first settles a C360 plane that differs from C0.
        PhotometricRecord settled = loaded.record;
        for (int i = 0; i < 4; ++i) settled = Changed(settled, quarter);
        PhotometricRecord turned = settled;
        for (int i = 0; i < 4; ++i) turned = Changed(turned, quarter);
        EXPECT_EQ(turned, settled);

        const Summary before = Summarise(settled);
        for (const RecordTransform& transform : {quarter, mirror}) {
            const Summary after = Summarise(Changed(settled, transform));
            EXPECT_NEAR(after.luminaireFluxLm, before.luminaireFluxLm, 1e-9 * before.luminaireFluxLm);
            EXPECT_DOUBLE_EQ(after.maxIntensityCd, before.maxIntensityCd);
        }
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

}  // namespace
}  // namespace lumibench::photometry
