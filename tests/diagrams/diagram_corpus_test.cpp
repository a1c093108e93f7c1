// Every diagram of every corpus file, refused files' partial records
// included: real and damaged data never crash or hang a painter.
#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "diagrams/diagram_export.h"
#include "diagrams/diagram_painters.h"
#include "sdk/photometric_files.h"

namespace fs = std::filesystem;

namespace lumibench::diagrams {
namespace {

TEST(DiagramCorpus, EveryFilesDiagramsPaint) {
    const char* root = std::getenv("LUMIBENCH_CORPUS");
    if (!root || !fs::is_directory(root)) GTEST_SKIP() << "LUMIBENCH_CORPUS is not set to a folder";
    const auto extensions = PhotometricFileExtensions();
    std::size_t painted = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string extension = entry.path().extension().string();
        for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) continue;
        // Never repair: the corpus is read only.
        const FileLoadResult loaded = LoadPhotometricFile(entry.path().string(), FileLoadOptions{false});
        SCOPED_TRACE(entry.path().string());
        for (IntensityUnit unit : {IntensityUnit::Candela, IntensityUnit::CandelaPerKilolumen}) {
            const std::vector<Series> series{MakeSeries(loaded.record, unit, entry.path().filename().string())};
            const QSize size(180, 140);
            RenderDiagram(size, [&](QPainter& p, const QRectF& r) { PaintPolarDiagram(p, r, series, {}); });
            RenderDiagram(size, [&](QPainter& p, const QRectF& r) { PaintCartesianDiagram(p, r, series, {}); });
            RenderDiagram(size, [&](QPainter& p, const QRectF& r) { PaintIsocandelaDiagram(p, r, series[0], {}); });
        }
        const LuminousOpening opening = OpeningOf(loaded.record);
        RenderDiagram(QSize(180, 140), [&](QPainter& p, const QRectF& r) { PaintLuminousOpening(p, r, opening, {}); });
        AverageLuminance(loaded.record);
        ++painted;
    }
    EXPECT_GT(painted, 100u);
}

}  // namespace
}  // namespace lumibench::diagrams

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
