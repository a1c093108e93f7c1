#include "formats/eulumdat/eulumdat_conversion.h"

#include <gtest/gtest.h>

#include "formats/reader_errors.h"

namespace lumibench {
namespace {

TEST(EulumdatConversion, KeptPlaneCountBySymmetry) {
    struct Row { std::int16_t isym; std::int16_t mc; std::int16_t kept; };
    const Row rows[] = {
        {0, 24, 24}, {1, 24, 1}, {2, 24, 13}, {3, 24, 13}, {4, 24, 7},
        {5, 24, 24}, {-1, 24, 24},
        // Halves and quarters of odd counts round to nearest, ties to even.
        {2, 5, 4}, {3, 5, 4}, {2, 7, 4}, {4, 6, 2}, {4, 10, 4}, {4, 2, 2},
        {3, 144, 73}, {4, 360, 91}, {2, 32767, 16384},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(KeptPlaneCount(row.isym, row.mc), row.kept) << row.isym << " " << row.mc;
    }
}

std::vector<float> Steps(int count, float step) {
    std::vector<float> angles;
    for (int i = 0; i < count; ++i) angles.push_back(static_cast<float>(i) * step);
    return angles;
}

// Plane i holds the values i*10 + j, so every plane is recognisable.
EulumdatPlanes Planes(int count, int gammas) {
    EulumdatPlanes planes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < gammas; ++j) planes[i].push_back(static_cast<float>(i * 10 + j));
    }
    return planes;
}

TEST(EulumdatConversion, SymmetryLaysOutHorizontalAnglesAndPlanes) {
    struct Row {
        std::int16_t isym;
        std::vector<float> cAngles;
        int planes;
        std::vector<float> horAngles;
        std::vector<double> firstValues;  // value at gamma 0 of each resulting plane
    };
    const Row rows[] = {
        // A full circle ending at 345 is closed with a copy of the 0 plane.
        {0, Steps(4, 90), 4, {0, 90, 180, 270, 360}, {0, 10, 20, 30, 0}},
        {0, {0, 180, 360}, 3, {0, 180, 360}, {0, 10, 20}},
        {1, {0, 15, 30}, 1, {0}, {0}},
        {2, Steps(8, 45), 5, {0, 45, 90, 135, 180}, {0, 10, 20, 30, 40}},
        // C90-C270 symmetry: angles 90 .. 270, planes in file order.
        {3, Steps(8, 45), 5, {90, 135, 180, 225, 270}, {0, 10, 20, 30, 40}},
        {4, Steps(8, 45), 3, {0, 45, 90}, {0, 10, 20}},
    };
    for (const Row& row : rows) {
        PhotometricRecord record;
        ApplySymmetry(row.isym, row.cAngles, Planes(row.planes, 2), record);
        EXPECT_EQ(record.HorAngles, row.horAngles) << "Isym " << row.isym;
        ASSERT_EQ(record.HorAngleCount, static_cast<std::int16_t>(row.horAngles.size()));
        ASSERT_EQ(record.Candela.size(), row.horAngles.size());
        for (std::size_t i = 0; i < row.firstValues.size(); ++i) {
            EXPECT_EQ(record.Candela[i][0], row.firstValues[i]) << "Isym " << row.isym << " plane " << i;
            EXPECT_EQ(record.Candela[i].size(), 2u);
        }
    }
}

TEST(EulumdatConversion, Isym3WithFifteenDegreeStepsKeepsThirteenPlanes) {
    const std::vector<float> cAngles = Steps(24, 15);
    const std::int16_t kept = KeptPlaneCount(3, 24);
    PhotometricRecord record;
    ApplySymmetry(3, cAngles, Planes(kept, 1), record);
    ASSERT_EQ(record.HorAngleCount, 13);
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(record.HorAngles[i], 90.0f + 15.0f * static_cast<float>(i));
        EXPECT_EQ(record.Candela[i][0], i * 10);
    }
}

TEST(EulumdatConversion, Isym3NamesPlanesOfAnUnevenListByTheListsOwnAngles) {
    const std::vector<float> uneven = {0, 30, 90, 120, 180, 240, 270, 330};
    PhotometricRecord record;
    ApplySymmetry(3, uneven, Planes(5, 1), record);
    EXPECT_EQ(record.HorAngles, (std::vector<float>{90, 120, 180, 240, 270}));
    // Without 90 .. 270 in the list the even-spacing arithmetic stays.
    ApplySymmetry(3, {0, 40, 80, 120, 160, 200, 240, 280}, Planes(5, 1), record);
    EXPECT_EQ(record.HorAngles, (std::vector<float>{110, 150, 190, 230, 270}));
}

TEST(EulumdatConversion, MorePlanesThanCAnglesIsOutOfRange) {
    PhotometricRecord record;
    try {
        ApplySymmetry(2, {0}, Planes(2, 1), record);
        FAIL() << "no error";
    } catch (const ReaderError& error) {
        EXPECT_EQ(error.kind(), ReaderErrorKind::SubscriptOutOfRange);
    }
}

TEST(EulumdatConversion, LampSetAndFluxFactor) {
    EXPECT_FLOAT_EQ(LumensPerLampOfSet(2, 1000), 500);
    EXPECT_FLOAT_EQ(LumensPerLampOfSet(-3, 1200), 1200);
    EXPECT_THROW(LumensPerLampOfSet(0, 1000), ReaderError);

    PhotometricRecord relative;
    relative.LampCount = 2;
    relative.LumensPerLamp = 500;
    EXPECT_FLOAT_EQ(FluxFactor(relative), 1.0f);
    EXPECT_EQ(relative.LampCount, 2);
    EXPECT_FLOAT_EQ(relative.LumensPerLamp, 500);

    PhotometricRecord absolute;
    absolute.LampCount = -2;
    absolute.LumensPerLamp = 3000;  // the total flux, kept by LumensPerLampOfSet
    EXPECT_FLOAT_EQ(FluxFactor(absolute), 3.0f);
    EXPECT_EQ(absolute.LampCount, 2);
    EXPECT_FLOAT_EQ(absolute.LumensPerLamp, -1);

    PhotometricRecord noLamps;  // no lamp set at all
    EXPECT_FLOAT_EQ(FluxFactor(noLamps), 0.0f);
    EXPECT_FLOAT_EQ(noLamps.LumensPerLamp, -1);

    PhotometricRecord extreme;
    extreme.LampCount = INT16_MIN;
    EXPECT_THROW(FluxFactor(extreme), ReaderError);
}

}  // namespace
}  // namespace lumibench
