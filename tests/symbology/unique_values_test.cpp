#include "symbology/unique_values.h"

#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class UniqueValues : public ::testing::Test {
protected:
    void SetUp() override { fixtures::registerGdalDrivers(); }

    std::unique_ptr<mapcontrol::VectorLayer> layer(fixtures::ShapeType type,
                                                   const QStringList& values) {
        fixtures::ShapefileBuilder b(type);
        b.textField("SIGLA", 10);
        double x = 0;
        for (const QString& v : values) {
            const QString wkt =
                type == fixtures::ShapeType::Point
                    ? QString("POINT(%1 0)").arg(x)
                    : QString("POLYGON((%1 0,%1 1,%2 1,%2 0,%1 0))").arg(x).arg(x + 1);
            b.feature(wkt, {v});
            x += 1;
        }
        EXPECT_TRUE(b.write(dir.filePath("t.shp")));
        return std::make_unique<mapcontrol::VectorLayer>(dir.filePath("t.shp"));
    }

    QTemporaryDir dir;
};

const mapcontrol::ValueMapRenderer& rendererOf(const mapcontrol::VectorLayer& l) {
    return dynamic_cast<const mapcontrol::ValueMapRenderer&>(*l.renderer());
}

}  // namespace

TEST_F(UniqueValues, oneClassPerDistinctValueInTextOrder) {
    auto l = layer(fixtures::ShapeType::Polygon, {"NP1", "K2", "NP1", "a"});
    ASSERT_TRUE(symbology::classifyByUniqueValues(*l, "SIGLA", false));
    const auto& r = rendererOf(*l);
    ASSERT_EQ(r.valueCount(), 3);
    EXPECT_EQ(r.value(0), "K2");
    EXPECT_EQ(r.value(2), "a");
    EXPECT_EQ(r.symbol(0).style, mapcontrol::FillSolid);
    EXPECT_NE(r.symbol(0).colour, r.symbol(1).colour);
}

TEST_F(UniqueValues, transparencyModeGivesOutlinesAndPointsGetCircles) {
    auto polygons = layer(fixtures::ShapeType::Polygon, {"a"});
    ASSERT_TRUE(symbology::classifyByUniqueValues(*polygons, "SIGLA", true));
    EXPECT_EQ(rendererOf(*polygons).symbol(0).style, mapcontrol::FillTransparent);
    auto points = layer(fixtures::ShapeType::Point, {"a", "b"});
    ASSERT_TRUE(symbology::classifyByUniqueValues(*points, "SIGLA", true));
    EXPECT_EQ(rendererOf(*points).symbolType(), mapcontrol::SymbolType::Marker);
    EXPECT_EQ(rendererOf(*points).symbol(1).style, mapcontrol::MarkerCircle);
}

TEST_F(UniqueValues, missingFieldIsRefusedAndTheLayerKeepsItsRenderer) {
    auto l = layer(fixtures::ShapeType::Polygon, {"a"});
    EXPECT_FALSE(symbology::classifyByUniqueValues(*l, "NOPE", false));
    EXPECT_EQ(l->renderer(), nullptr);
}
