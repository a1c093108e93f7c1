// Diagram data and painters on records with known distributions: the curves
// carry the right values, the files written are what their names say, and no
// size of diagram breaks a painter.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

#include "diagrams/diagram_data.h"
#include "diagrams/diagram_export.h"
#include "diagrams/diagram_painters.h"
#include "diagrams/ratio_map.h"
#include "diagrams/save_whole.h"
#include "file_size_limit.h"

namespace lumibench::diagrams {
namespace {

PhotometricRecord Record(int type, std::vector<float> horizontal, std::vector<float> vertical,
                         const std::function<double(double, double)>& candela, float lumens = 1000) {
    PhotometricRecord r;
    r.Filename = "/samples/analytic.ies";
    r.PhotometricType = static_cast<std::int16_t>(type);
    r.LampCount = 1;
    r.LumensPerLamp = lumens;
    r.CandelaMultiplier = 1;
    r.UnitsType = 2;
    r.HorAngles = horizontal;
    r.VertAngles = vertical;
    r.HorAngleCount = static_cast<std::int16_t>(horizontal.size());
    r.VertAngleCount = static_cast<std::int16_t>(vertical.size());
    for (float h : horizontal) {
        r.Candela.emplace_back();
        for (float v : vertical) r.Candela.back().push_back(candela(h, v));
    }
    return r;
}

std::vector<float> Steps(float from, float to, float step) {
    std::vector<float> out;
    for (float a = from; a <= to + 1e-3f; a += step) out.push_back(a);
    return out;
}

double At(const std::vector<std::vector<CurvePoint>>& pieces, double angle) {
    for (const auto& piece : pieces)
        for (const auto& p : piece)
            if (std::abs(p.angle - angle) < 1e-9) return p.value;
    return std::nan("");
}

// I = 100 + C: linear in the plane angle, so interpolation is exact and each
// half of a plane pair shows its own plane.
TEST(DiagramData, PlanePairsShowEachHalfPlane) {
    const auto record = Record(1, Steps(0, 360, 30), Steps(0, 180, 10), [](double c, double) { return 100 + c; });
    const Series series = MakeSeries(record, IntensityUnit::Candela, "linear");
    struct Row {
        double plane, angle, value;
    };
    const Row rows[] = {{0, 40, 100}, {0, -40, 280}, {30, 10, 130}, {30, -10, 310}, {90, 180, 190},
                        {90, -90, 370}, {45, 20, 145}, {45, -20, 325}};
    for (const Row& row : rows) {
        const auto pieces = SectionCurve(series, {Section::Kind::PlanePair, row.plane});
        ASSERT_EQ(pieces.size(), 1u);
        EXPECT_DOUBLE_EQ(pieces[0].front().angle, -180);
        EXPECT_DOUBLE_EQ(pieces[0].back().angle, 180);
        EXPECT_NEAR(At(pieces, row.angle), row.value, 1e-6) << "C" << row.plane << " at " << row.angle;
    }
    EXPECT_EQ(SectionName({Section::Kind::PlanePair, 30}), "C30-C210");
    EXPECT_EQ(SectionName({Section::Kind::PlanePair, 270}), "C270-C90");
}

// The halves a diagram labels, and the plane pair through the maximum.
TEST(DiagramData, HalvesAndTheSectionThroughTheMaximum) {
    EXPECT_EQ(SectionHalves({Section::Kind::PlanePair, 0}), std::make_pair(std::string("C180"), std::string("C0")));
    EXPECT_EQ(SectionHalves({Section::Kind::PlanePair, 90}), std::make_pair(std::string("C270"), std::string("C90")));
    EXPECT_EQ(SectionHalves({Section::Kind::Horizontal, 0}).second, "H+");
    // One bright direction at C250, gamma 40: the pair C70-C250 holds it.
    const auto peak = [](double c, double g) { return c == 250 && g == 40 ? 900.0 : 100.0; };
    const photometry::IntensityDistribution bright(Record(1, Steps(0, 360, 10), Steps(0, 180, 10), peak));
    EXPECT_EQ(MaximumSection(bright), (Section{Section::Kind::PlanePair, 70}));
}

TEST(DiagramData, MeasuredRangesUnitsAndFluxes) {
    const auto iso = [](double, double) { return 100.0; };
    // Downlight measured 0-90: one piece from -90 to 90.
    const auto down = Record(1, {0}, Steps(0, 90, 5), iso);
    auto pieces = SectionCurve(MakeSeries(down, IntensityUnit::Candela, "d"), DefaultSections(1)[0]);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_DOUBLE_EQ(pieces[0].front().angle, -90);
    EXPECT_DOUBLE_EQ(pieces[0].back().angle, 90);
    // Uplight measured 90-180: a left and a right piece, no chord across the nadir.
    const auto up = Record(1, {0}, Steps(90, 180, 5), iso);
    pieces = SectionCurve(MakeSeries(up, IntensityUnit::Candela, "u"), DefaultSections(1)[0]);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_DOUBLE_EQ(pieces[0].back().angle, -90);
    EXPECT_DOUBLE_EQ(pieces[1].front().angle, 90);
    // Type B: the horizontal sweep runs over H, the vertical one over V.
    const auto flood = Record(2, Steps(-90, 90, 10), Steps(-90, 90, 10), [](double h, double v) { return 1000 - 5 * std::abs(h) - v; });
    const Series b = MakeSeries(flood, IntensityUnit::Candela, "b");
    EXPECT_NEAR(At(SectionCurve(b, {Section::Kind::Horizontal, 0}), -40), 800, 1e-6);
    EXPECT_NEAR(At(SectionCurve(b, {Section::Kind::Vertical, 0}), -40), 1040, 1e-6);
    EXPECT_NEAR(At(SectionCurve(b, {Section::Kind::Vertical, 20}), 30), 870, 1e-6);
    // Overlaid on type C planes, a type B set shows its sweeps through the
    // axis (whole, not half a sweep) and a type C set its planes for the sweeps.
    EXPECT_EQ(SectionCurve(b, {Section::Kind::PlanePair, 0}), SectionCurve(b, {Section::Kind::Vertical, 0}));
    EXPECT_EQ(SectionCurve(b, {Section::Kind::PlanePair, 90}), SectionCurve(b, {Section::Kind::Horizontal, 0}));
    const Series c = MakeSeries(down, IntensityUnit::Candela, "c");
    EXPECT_EQ(SectionCurve(c, {Section::Kind::Horizontal, 0}), SectionCurve(c, {Section::Kind::PlanePair, 90}));

    // cd/klm: by the lamps' flux; absolute photometry by the luminaire's own
    // flux, 4 pi I for an isotropic source.
    const auto full = Record(1, {0}, Steps(0, 180, 5), iso, 2000);
    EXPECT_DOUBLE_EQ(MakeSeries(full, IntensityUnit::CandelaPerKilolumen, "").factor, 0.5);
    EXPECT_DOUBLE_EQ(MakeSeries(full, IntensityUnit::Candela, "").factor, 1);
    const auto absolute = Record(1, {0}, Steps(0, 180, 5), iso, -1);
    EXPECT_NEAR(ReferenceFlux(absolute), 4 * std::numbers::pi * 100, 0.001 * 4 * std::numbers::pi * 100);
    EXPECT_TRUE(FluxesDiffer({&full, &absolute}));
    EXPECT_FALSE(FluxesDiffer({&full, &full}));
    auto dark = Record(1, {0}, Steps(0, 180, 5), iso, 0);
    EXPECT_DOUBLE_EQ(MakeSeries(dark, IntensityUnit::CandelaPerKilolumen, "").factor, 1);  // no flux to refer to
}

TEST(DiagramData, IsocandelaGridIsFinerThanTheStoredOne) {
    const auto record = Record(1, Steps(0, 360, 30), Steps(0, 90, 10), [](double c, double g) {
        return 500 - 5 * g + (c <= 180 ? c : 360 - c) / 10;  // C360 is C0 again
    });
    const IsoGrid grid = IsocandelaGrid(MakeSeries(record, IntensityUnit::Candela, ""));
    ASSERT_EQ(grid.xs.size(), 145u);  // 0..360 every 2.5
    ASSERT_EQ(grid.ys.size(), 37u);   // 0..90 every 2.5
    EXPECT_DOUBLE_EQ(grid.maximum, 518);
    EXPECT_NEAR(grid.values[1][1], 500 - 12.5 + 0.25, 1e-9);  // C2.5, gamma 2.5
    EXPECT_EQ(IsocandelaLevels(518, 8), (std::vector<double>{100, 200, 300, 400, 500}));
    EXPECT_TRUE(IsocandelaLevels(0).empty());
}

std::size_t RedPixels(const QImage& image) {
    std::size_t n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += qRed(p) > 170 && qGreen(p) < 90 && qBlue(p) < 90;
        }
    return n;
}

TEST(DiagramPainters, EverySizeAndEveryExportFormat) {
    const auto record = Record(1, Steps(0, 360, 30), Steps(0, 180, 10), [](double c, double g) { return g < 90 ? 400 * std::cos(g * std::numbers::pi / 180) + c : 0; });
    const std::vector<Series> series{MakeSeries(record, IntensityUnit::Candela, "a")};
    const LuminousOpening opening = OpeningOf(-0.3f, -0.3f, 0.2f, 2);
    const std::vector<std::pair<const char*, PaintFunction>> painters = {
        {"polar", [&](QPainter& p, const QRectF& r) { PaintPolarDiagram(p, r, series, {}); }},
        {"cartesian", [&](QPainter& p, const QRectF& r) { PaintCartesianDiagram(p, r, series, {}); }},
        {"isocandela", [&](QPainter& p, const QRectF& r) { PaintIsocandelaDiagram(p, r, series[0], {}); }},
        {"opening", [&](QPainter& p, const QRectF& r) { PaintLuminousOpening(p, r, opening, {}); }},
        {"empty polar", [&](QPainter& p, const QRectF& r) { PaintPolarDiagram(p, r, {}, {}); }},
        {"empty isocandela", [&](QPainter& p, const QRectF& r) { PaintIsocandelaDiagram(p, r, Series{}, {}); }},
    };
    for (const auto& [name, paint] : painters) {
        for (QSize size : {QSize(24, 24), QSize(320, 180), QSize(1600, 1600)}) {
            const QImage image = RenderDiagram(size, paint);
            ASSERT_EQ(image.size(), size) << name;
            // The curves of the first plane are red; polar and cartesian show them at every size.
            if (std::string(name) == "polar" || std::string(name) == "cartesian") {
                EXPECT_GT(RedPixels(image), size.width() > 100 ? 10u : 0u) << name << " " << size.width();
            }
        }
    }

    QTemporaryDir folder;
    struct Row {
        const char* file;
        const char* starts;
    };
    const Row rows[] = {{"d.png", "\x89PNG"}, {"d.SVG", "<?xml"}, {"d.pdf", "%PDF"}};
    for (const Row& row : rows) {
        const QString path = folder.filePath(row.file);
        QString error;
        ASSERT_TRUE(ExportDiagram(path, QSize(600, 600), painters[0].second, &error)) << row.file << " " << error.toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith(row.starts)) << row.file;
        EXPECT_GT(bytes.size(), 2000) << row.file;
    }
    EXPECT_GT(RedPixels(QImage(folder.filePath("d.png"))), 100u);
    QString error;
    EXPECT_FALSE(ExportDiagram(folder.filePath("d.bmp"), QSize(100, 100), painters[0].second, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(ExportDiagram(folder.filePath("missing/d.png"), QSize(100, 100), painters[0].second, &error));

    // Out of room half way (a file size limit stands in for a full disk and
    // holds for root too): the earlier file stays whole and nothing is left.
    const QStringList before = QDir(folder.path()).entryList(QDir::Files);
    std::vector<std::string> errors;
    bool csvSaved = true;
    {
        testing::FileSizeLimit full(1000);
        for (const Row& row : rows) {
            ExportDiagram(folder.filePath(row.file), QSize(600, 600), painters[0].second, &error);
            errors.push_back(error.toStdString());
        }
        csvSaved = SaveWhole(folder.filePath("t.csv"), [](QIODevice& file) { return file.write(QByteArray(5000, 'x')) == 5000; }, &error);
    }
    for (const std::string& text : errors) EXPECT_TRUE(text.ends_with(": File too large")) << text;
    EXPECT_FALSE(csvSaved);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), before);
    EXPECT_TRUE(QImage(folder.filePath("d.png")).size() == QSize(600, 600));
}

TEST(RatioMap, ColoursRunFromBlueThroughWhiteToRed) {
    struct Row {
        double ratio;
        QColor colour;
    };
    const double span = 1;  // a factor of 2 either way saturates
    const Row rows[] = {{1, Qt::white},
                        {2, QColor(0xd0, 0x1c, 0x1c)},
                        {8, QColor(0xd0, 0x1c, 0x1c)},
                        {0.5, QColor(0x1f, 0x4e, 0xd8)},
                        {0, QColor(0x1f, 0x4e, 0xd8)},
                        {std::nan(""), QColor(0xd8, 0xd8, 0xd8)},
                        {INFINITY, QColor(0xd8, 0xd8, 0xd8)}};
    for (const Row& row : rows) EXPECT_EQ(RatioColour(row.ratio, span).rgb(), row.colour.rgb()) << row.ratio;
    const QColor halfway = RatioColour(std::sqrt(2.0), span);
    EXPECT_GT(halfway.red(), halfway.blue());
    EXPECT_GT(halfway.blue(), 0x1c);
}

TEST(RatioMap, BrighterDataSetPaintsRedAtEverySize) {
    const auto reference = Record(1, Steps(0, 360, 30), Steps(0, 90, 10), [](double, double g) { return 500 * std::cos(g * std::numbers::pi / 180); });
    auto brighter = reference;
    brighter.CandelaMultiplier = 2;
    const photometry::IntensityDistribution a(brighter), b(reference);
    const photometry::RatioGrid grid = photometry::IntensityRatioGrid(a, 1, b, 1);
    ASSERT_TRUE(grid.problem.empty());
    photometry::RatioGrid none;
    none.problem = "no common angles";
    for (QSize size : {QSize(24, 24), QSize(320, 180), QSize(1200, 900)}) {
        const QImage image = RenderDiagram(size, [&](QPainter& p, const QRectF& r) { PaintRatioMap(p, r, grid, {}); });
        // Too small a map leaves the cells out; it still paints without harm.
        if (size.width() > 100) {
            EXPECT_GT(RedPixels(image), 1000u) << size.width();
        }
        const QImage empty = RenderDiagram(size, [&](QPainter& p, const QRectF& r) { PaintRatioMap(p, r, none, {}); });
        EXPECT_EQ(RedPixels(empty), 0u);
    }
}

}  // namespace
}  // namespace lumibench::diagrams

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
