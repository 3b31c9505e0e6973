#include "query/map_tips.h"
#include "query/features_at.h"

#include "mapcontrol/vector_layer.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FeaturesAt : public ::testing::Test {
protected:
    void SetUp() override { fixtures::registerGdalDrivers(); }

    mapcontrol::VectorLayer layer(fixtures::ShapefileBuilder& b, const QString& name) {
        EXPECT_TRUE(b.write(dir.filePath(name)));
        return mapcontrol::VectorLayer(dir.filePath(name));
    }

    QTemporaryDir dir;
};

QStringList values(mapcontrol::RecordSet found, const QString& field) {
    QStringList list;
    for (found.moveFirst(); !found.isEnd(); found.moveNext()) list << found.text(field);
    return list;
}

}  // namespace

TEST_F(FeaturesAt, overlappingPolygonsAreFoundInOrderSoTheSecondGivesTheTip) {
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
    b.textField("NOME", 10);
    b.feature("POLYGON((0 0,0 2,2 2,2 0,0 0))", {QString("primeiro")});
    b.feature("POLYGON((1 1,1 3,3 3,3 1,1 1))", {QString("segundo")});
    b.feature("POLYGON((5 5,5 6,6 6,6 5,5 5))", {QString("longe")});
    const mapcontrol::VectorLayer polygons = layer(b, "p.shp");
    const mapcontrol::Rectangle extent(0, 10, 10, 0);
    EXPECT_EQ(values(query::featuresAt(polygons, {1.5, 1.5}, extent), "NOME"),
              QStringList({"primeiro", "segundo"}));
    EXPECT_TRUE(values(query::featuresAt(polygons, {4, 4}, extent), "NOME").isEmpty());
}

TEST_F(FeaturesAt, pointsAndLinesAreFoundWithinTheExtentSizeOver150) {
    fixtures::ShapefileBuilder b(fixtures::ShapeType::Point);
    b.textField("NOME", 10);
    b.feature("POINT(0.0099 0)", {QString("perto")});
    b.feature("POINT(0.0101 0)", {QString("fora")});
    const mapcontrol::VectorLayer points = layer(b, "pt.shp");
    const mapcontrol::Rectangle extent(-0.75, 0.75, 0.5, -0.5);  // size 1.5
    EXPECT_DOUBLE_EQ(query::searchRadius(extent), 0.01);
    EXPECT_EQ(values(query::featuresAt(points, {0, 0}, extent), "NOME"), QStringList({"perto"}));

    fixtures::ShapefileBuilder l(fixtures::ShapeType::Line);
    l.textField("NOME", 10);
    l.feature("LINESTRING(-1 0.005,1 0.005)", {QString("falha")});
    const mapcontrol::VectorLayer lines = layer(l, "l.shp");
    EXPECT_EQ(values(query::featuresAt(lines, {0, 0}, extent), "NOME"), QStringList({"falha"}));
}

TEST(MapTipBox, widthIsEightPixelsPerCharacterAndSix) {
    EXPECT_EQ(query::tipBoxWidth(QString(10, 'x')), 86);
    EXPECT_EQ(query::tipBoxWidth(QString()), 0);
}
