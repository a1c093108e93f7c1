// A busy diagram stays readable: labels placed along their contours apart
// from each other or left out, axis steps thinned to the room, and 25 data
// sets each drawn in a style of its own.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "diagrams/diagram_painters.h"
#include "diagrams/label_placement.h"

namespace lumibench::diagrams {
namespace {

TEST(LabelPlacement, CandidatesRunHalfwayFirstThenQuartersThenEighths) {
    const std::vector<QPointF> line = {{0, 0}, {80, 0}, {160, 0}};
    const std::vector<QPointF> candidates = LabelCandidates(line);
    ASSERT_GE(candidates.size(), 7u);
    const std::vector<double> expected = {80, 40, 120, 20, 60, 100, 140};
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_DOUBLE_EQ(candidates[i].x(), expected[i]) << i;
    EXPECT_TRUE(LabelCandidates({}).empty());
    EXPECT_EQ(LabelCandidates({{5, 5}, {5, 5}}).size(), 1u) << "a line of no length: its point";
}

// Three levels whose halfway points coincide (the "4000 ~~00_000)00" pile-up):
// the second moves along its own line, the third finds no room and is left out.
TEST(LabelPlacement, LabelsKeepApartOrAreLeftOut) {
    const QRectF plot(0, 0, 200, 100);
    const QSizeF size(40, 12);
    const std::vector<LabelRequest> requests = {
        {size, {{100, 50}, {30, 50}}},
        {size, {{100, 52}, {30, 52}, {170, 52}}},
        {size, {{101, 50}, {35, 55}}},
        {size, {{5, 5}, {180, 90}}},  // the first would stick out of the plot
    };
    const auto boxes = PlaceLabels(requests, plot, 4);
    ASSERT_EQ(boxes.size(), 4u);
    ASSERT_TRUE(boxes[0] && boxes[1] && boxes[3]);
    EXPECT_EQ(boxes[0]->center(), QPointF(100, 50));
    EXPECT_EQ(boxes[1]->center(), QPointF(30, 52));
    EXPECT_FALSE(boxes[2]) << "no room left along its line";
    EXPECT_EQ(boxes[3]->center(), QPointF(180, 90));
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            if (boxes[i] && boxes[j]) {
                EXPECT_FALSE(boxes[i]->intersects(*boxes[j])) << i << " and " << j;
            }
        }
    }
}

// Angle labels "-180°" about 40 px wide: 360° over 1000 px takes 30° steps
// (83 px apart), over 300 px only 90°, and never more than the largest step.
TEST(LabelPlacement, AxisStepsAreThinnedToTheRoom) {
    const std::vector<double> steps = {30, 45, 90, 180};
    EXPECT_EQ(ThinnedStep(steps, 1000.0 / 360, 40, 6), 30);
    EXPECT_EQ(ThinnedStep(steps, 300.0 / 360, 40, 6), 90);
    EXPECT_EQ(ThinnedStep(steps, 100.0 / 360, 40, 6), 180);
    EXPECT_EQ(ThinnedStep({}, 1, 40, 6), 0);
}

// A full list of 25 data sets: no two share colour and dash, and the first
// ones keep the plain colours catalogues print (red, then blue).
TEST(SeriesStyles, TwentyFiveDataSetsCanBeToldApart) {
    std::set<std::tuple<QRgb, std::vector<qreal>>> seen;
    for (int i = 0; i < 25; ++i) {
        const SeriesStyle style = SeriesStyleOf(i);
        EXPECT_TRUE(seen.insert({style.colour.rgb(), std::vector<qreal>(style.dashes.begin(), style.dashes.end())}).second)
            << "data set " << i << " looks like an earlier one";
    }
    EXPECT_EQ(SeriesStyleOf(0).colour, QColor(0xd0, 0x1c, 0x1c));
    EXPECT_TRUE(SeriesStyleOf(0).dashes.isEmpty());
    EXPECT_EQ(SeriesStyleOf(1).colour, QColor(0x1f, 0x4e, 0xd8));
}

}  // namespace
}  // namespace lumibench::diagrams
