#include "symbology/class_breaks.h"

#include "mapcontrol/class_breaks_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

mapcontrol::FieldStatistics stats(double min, double max, double mean, double sd) {
    return {10, min, max, mean, sd};
}

}  // namespace

TEST(ClassBreaks, candidatesStepBySdFromThreeBelowTheMeanAndOnlyThoseInRangeStay) {
    // Values 2, 4, 4, 4, 5, 5, 7, 9: mean 5, population SD 2.
    const auto result = symbology::computeClassBreaks(stats(2, 9, 5, 2), 150);
    EXPECT_EQ(result.breaks, (std::vector<double>{3, 5, 7, 9}));
    ASSERT_EQ(result.values.size(), 151U);
    EXPECT_EQ(result.values[0], 3);  // kept breaks from index 0
    EXPECT_EQ(result.values[3], 9);
    // Past the kept breaks, the candidates as they were tried: the 5th was 7, the 6th 9, the
    // 7th 11.
    EXPECT_EQ(result.values[4], 7);
    EXPECT_EQ(result.values[6], 11);
}

TEST(ClassBreaks, fewCandidatesStopEarly) {
    const auto result = symbology::computeClassBreaks(stats(2, 9, 5, 2), 3);  // -1, 1, 3
    EXPECT_EQ(result.breaks, (std::vector<double>{3}));
}

TEST(ClassBreaks, zeroDeviationGivesTheMeanAsEveryBreak) {
    const auto result = symbology::computeClassBreaks(stats(4, 4, 4, 0), 5);
    EXPECT_EQ(result.breaks, (std::vector<double>(5, 4.0)));
}

TEST(ClassBreaks, noCandidateInRangeGivesNoBreakAndHugeCountsAreCut) {
    EXPECT_TRUE(symbology::computeClassBreaks(stats(100, 101, 0, 1), 50).breaks.empty());
    EXPECT_EQ(symbology::computeClassBreaks(stats(0, 1e12, 0, 1), 2'000'000'000).values.size(),
              static_cast<std::size_t>(symbology::kMaxCandidates) + 1);
    EXPECT_TRUE(symbology::computeClassBreaks(stats(0, 1, 0, 1), -5).breaks.empty());
}

TEST(ClassBreaks, layerIsRampedExceptPointsAndTextFieldsAreRefused) {
    fixtures::registerGdalDrivers();
    QTemporaryDir dir;
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
    b.realField("TEOR", 10, 2).textField("N", 4);
    double x = 0;
    for (const double v : {2.0, 4.0, 4.0, 4.0, 5.0, 5.0, 7.0, 9.0}) {
        b.feature(QString("POLYGON((%1 0,%1 1,%2 1,%2 0,%1 0))").arg(x).arg(x + 1),
                  {v, QString("a")});
        x += 1;
    }
    ASSERT_TRUE(b.write(dir.filePath("teor.shp")));
    mapcontrol::VectorLayer layer(dir.filePath("teor.shp"));
    EXPECT_FALSE(symbology::classifyByBreaks(layer, "N", 150, 0, 0xFFFFFF));
    ASSERT_TRUE(symbology::classifyByBreaks(layer, "TEOR", 150, mapcontrol::colourInt(0, 0, 0),
                                            mapcontrol::colourInt(200, 100, 0)));
    const auto* r = dynamic_cast<const mapcontrol::ClassBreaksRenderer*>(layer.renderer());
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->breakCount(), 4);
    EXPECT_EQ(r->breakValue(0), 3);
    EXPECT_EQ(r->symbol(0).colour, mapcontrol::colourInt(0, 0, 0));
    EXPECT_EQ(r->symbol(4).colour, mapcontrol::colourInt(200, 100, 0));
}

TEST(ClassBreaks, candidatesAreDoublesAfterEachAdditionSoTheRangeEndsAreMet) {
    fixtures::registerGdalDrivers();
    QTemporaryDir dir;
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Point);
    b.realField("TEOR", 10, 2);
    b.feature("POINT(0 0)", {0.1}).feature("POINT(1 0)", {1.0});
    ASSERT_TRUE(b.write(dir.filePath("teor.shp")));
    mapcontrol::VectorLayer layer(dir.filePath("teor.shp"));
    const auto breaks = symbology::classifyByBreaks(layer, "TEOR", 150, 0, 0);
    ASSERT_TRUE(breaks);
    // Mean 0.55, deviation 0.45: -0.8, -0.35, 0.1, 0.55, 1.0, ... of which
    // 0.55 and 1.0 lie within 0.1 .. 1.0 as the additions leave them.
    EXPECT_EQ(breaks->breaks.size(), 2U);
    EXPECT_EQ(breaks->breaks.back(), 1.0);
}
