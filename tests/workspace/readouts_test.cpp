#include "workspace/readouts.h"

#include <gtest/gtest.h>

#include <cmath>

using mapcontrol::MapPoint;
using mapcontrol::Rectangle;

TEST(Readouts, fixedTextPadsToTheWidthWithLeadingBlanks) {
    EXPECT_EQ(workspace::fixedText(-45.5, 12, 10), "-45.5000000000");
    EXPECT_EQ(workspace::fixedText(10.79823, 10, 4), "   10.7982");
    EXPECT_EQ(workspace::fixedText(111.321447, 12, 2), "      111.32");
    EXPECT_EQ(workspace::fixedText(-0.00000000001, 12, 10), "0.0000000000");
}

TEST(Readouts, degreesMinutesSecondsFollowTheWrittenDigits) {
    EXPECT_EQ(workspace::dmsText(-45.5), QString::fromUtf8("-45°   30´  0.0000000000´´"));
    EXPECT_EQ(workspace::dmsText(12.2575), QString::fromUtf8("12°   15´  27.0000000000´´"));
    EXPECT_EQ(workspace::dmsText(-0.5), QString::fromUtf8("-0°   30´  0.0000000000´´"));
}

TEST(Readouts, pointerTextsInDegreesOrDms) {
    const auto plain = workspace::coordinateTexts({-45.5, -15.25}, false);
    EXPECT_FALSE(plain.projected);
    EXPECT_EQ(plain.x, "-45.5000000000");
    EXPECT_EQ(plain.y, "-15.2500000000");
    const auto dms = workspace::coordinateTexts({-45.5, -15.25}, true);
    EXPECT_EQ(dms.x, QString::fromUtf8("-45°   30´  0.0000000000´´"));
    EXPECT_EQ(dms.y, QString::fromUtf8("-15°   15´  0.0000000000´´"));
}

TEST(Readouts, projectedPointerGetsMetresWhateverTheDmsChoice) {
    const auto texts = workspace::coordinateTexts({500000.0, 7500000.0}, true);
    EXPECT_TRUE(texts.projected);
    EXPECT_EQ(texts.x, "500000.0000000000   m");
    EXPECT_EQ(texts.y, "7500000.0000000000   m");
    EXPECT_FALSE(workspace::coordinateTexts({180.9, 0}, false).projected);  // integer part 180
    EXPECT_TRUE(workspace::coordinateTexts({-181.0, 0}, false).projected);
}

TEST(Readouts, oneDegreeOnAThousandPixelsIsTheScaleOfTheExample) {
    const double scale = workspace::numericScale(1000, Rectangle(-46, -45, 0, -1));
    EXPECT_NEAR(scale, 342527.5302, 5e-5);
    EXPECT_EQ(workspace::scaleText(scale), "342527.5302");
    EXPECT_EQ(workspace::scaleBarText(97, scale), "   10.7982 Km");
}

TEST(Readouts, projectedScaleIsGroundMetresPerScreenMetre) {
    EXPECT_NEAR(workspace::numericScale(1000, Rectangle(500000, 532500, 10, 0)), 100000.0, 1e-6);
    // A zero width leaves the ground width undivided.
    EXPECT_NEAR(workspace::numericScale(0, Rectangle(500000, 532500, 10, 0)), 32500.0, 1e-6);
}

TEST(Readouts, typedScaleGivesBackTheLeftEdgeOfThatScale) {
    const double left = workspace::leftEdgeForScale(342527.5302, 1000, -45, false);
    EXPECT_NEAR(left, -46, 1e-9);
    EXPECT_NEAR(workspace::numericScale(1000, Rectangle(left, -45, 0, -1)), 342527.5302, 1e-6);
    // Projected: the width in metres is the scale times the screen width.
    EXPECT_NEAR(workspace::leftEdgeForScale(100000, 1000, 532500, true), 500000, 1e-6);
}

TEST(Readouts, oneDegreeAlongTheEquatorMeasuresItsArc) {
    const MapPoint a = workspace::polyconicKilometres({-46, 0}, -45.5);
    const MapPoint b = workspace::polyconicKilometres({-45, 0}, -45.5);
    const double km = std::hypot(b.x - a.x, b.y - a.y);
    EXPECT_NEAR(km, 111.321447, 5e-7);
    EXPECT_EQ(workspace::runningDistanceText(km), "      111.32 Km");
    EXPECT_EQ(workspace::totalDistanceText(km), "  111.321447  Km");
}

TEST(Readouts, polyconicKeepsTheCentralMeridianStraightAndNorthUp) {
    const MapPoint onMeridian = workspace::polyconicKilometres({-45.5, -15}, -45.5);
    EXPECT_NEAR(onMeridian.x, 0, 1e-9);
    EXPECT_LT(onMeridian.y, 0);  // south of the equator
    const MapPoint east = workspace::polyconicKilometres({-44.5, -15}, -45.5);
    const MapPoint west = workspace::polyconicKilometres({-46.5, -15}, -45.5);
    EXPECT_GT(east.x, 0);
    EXPECT_NEAR(east.x, -west.x, 1e-9);
    // One degree of longitude at 15 degrees south is about cos(15°) of the equator's.
    EXPECT_NEAR(east.x, 111.32 * std::cos(15 * M_PI / 180), 1.0);
}
