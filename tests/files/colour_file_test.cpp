#include "files/colour_file.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using files::ColourEntry;

namespace {

mapcontrol::ValueMapRenderer renderer(mapcontrol::SymbolType type, const QStringList& values) {
    mapcontrol::ValueMapRenderer r;
    r.setField("SIGLA");
    r.setSymbolType(type);
    r.setValueCount(static_cast<int>(values.size()));
    for (int i = 0; i < values.size(); ++i) {
        r.setValue(i, values[i]);
    }
    return r;
}

class ApplyColourTable : public ::testing::Test {
protected:
    void SetUp() override { fixtures::registerGdalDrivers(); }

    std::unique_ptr<mapcontrol::VectorLayer> polygons(const QStringList& values) {
        fixtures::ShapefileBuilder b(fixtures::ShapeType::Polygon);
        b.textField("SIGLA", 10);
        double x = 0;
        for (const QString& v : values) {
            b.feature(QString("POLYGON((%1 0,%1 1,%2 1,%2 0,%1 0))").arg(x).arg(x + 1), {v});
            x += 1;
        }
        EXPECT_TRUE(b.write(dir.filePath("geo.shp")));
        return std::make_unique<mapcontrol::VectorLayer>(dir.filePath("geo.shp"));
    }

    std::unique_ptr<mapcontrol::VectorLayer> points(const QStringList& values) {
        fixtures::ShapefileBuilder b(fixtures::ShapeType::Point);
        b.textField("NOME", 10);
        double x = 0;
        for (const QString& v : values) {
            b.feature(QString("POINT(%1 0)").arg(x++), {v});
        }
        EXPECT_TRUE(b.write(dir.filePath("pontos.shp")));
        return std::make_unique<mapcontrol::VectorLayer>(dir.filePath("pontos.shp"));
    }

    QTemporaryDir dir;
};

const mapcontrol::ValueMapRenderer& rendererOf(const mapcontrol::VectorLayer& layer) {
    return static_cast<const mapcontrol::ValueMapRenderer&>(*layer.renderer());
}

}  // namespace

TEST(ColourFileWriting, polygonClassLineHasValueRgbAndStyle) {
    auto r = renderer(mapcontrol::SymbolType::Fill, {"GR", "Q2a"});
    r.symbol(0).colour = mapcontrol::colourInt(200, 10, 30);
    r.symbol(0).style = 3;
    r.symbol(1).style = mapcontrol::FillGrey;  // 9 is not written
    r.symbol(1).colour = 0;
    EXPECT_EQ(files::colourFileLines(r, "poligono"),
              QStringList({"SIGLA,2", "GR,200,10,30,3", "Q2a,0,0,0,0"}));
}

TEST(ColourFileWriting, pointsWriteStyleAndSizeWithZeroSizeAsSix) {
    auto r = renderer(mapcontrol::SymbolType::Marker, {"a", "b"});
    r.symbol(0).size = 0;
    r.symbol(0).style = 2;
    r.symbol(1).size = 9;
    r.symbol(1).style = 7;  // outside the markers: written 0
    const QStringList lines = files::colourFileLines(r, "ponto");
    EXPECT_TRUE(lines[1].endsWith(",2,6"));
    EXPECT_TRUE(lines[2].endsWith(",0,9"));
    EXPECT_EQ(files::colourFileLines(r, "retangulo"), QStringList({"SIGLA,2"}));
}

TEST(ColourFileReading, fieldsFollowTheGeometry) {
    const auto poly =
        files::parseColourFile({"SIGLA,2", "GR,200,10,30,3", "Q2a,1,2,3"}, "poligono");
    EXPECT_EQ(poly.field, "SIGLA");
    ASSERT_EQ(poly.entries.size(), 2U);
    EXPECT_EQ(poly.entries[0], (ColourEntry{"GR", 200, 10, 30, "3", {}}));
    EXPECT_EQ(poly.entries[1].style, "0");  // missing style reads as solid
    const auto points =
        files::parseColourFile({"N,3", "a,1,2,3,2,9", "b,1,2,3,1", "c,1,2,3"}, "ponto");
    EXPECT_EQ(points.entries[0].size, 9);
    EXPECT_EQ(points.entries[1].size, 6);  // style without size: 6 for points
    EXPECT_EQ(points.entries[2].style, "");
    EXPECT_EQ(points.entries[2].size, std::nullopt);  // colour only: no size
    const auto lines = files::parseColourFile({"N,1", "a,1,2,3,4"}, "linha");
    EXPECT_EQ(lines.entries[0].size, 1);
}

TEST(ColourFileReading, badNumbersReadAsZeroAndMissingLinesAsEmpty) {
    const auto table =
        files::parseColourFile({"SIGLA,4", "GR,x,2147483648,-5,3", "\x01\xff"}, "poligono");
    ASSERT_EQ(table.entries.size(), 4U);
    EXPECT_EQ(table.entries[0].red, 0);
    EXPECT_EQ(table.entries[0].green, 0);
    EXPECT_EQ(table.entries[0].blue, -5);
    EXPECT_EQ(table.entries[3], (ColourEntry{"", 0, 0, 0, "0", {}}));
}

TEST(ColourFileReading, hugeCountsAreBoundedAndJunkHeadersGiveNoEntries) {
    EXPECT_EQ(files::parseColourFile({"SIGLA,99999999999"}, "poligono").entries.size(), 0U);
    EXPECT_EQ(files::parseColourFile({"SIGLA,2000000000"}, "poligono").entries.size(), 8001U);
    EXPECT_EQ(files::parseColourFile({}, "poligono").entries.size(), 0U);
    EXPECT_EQ(files::parseColourFile({"no comma"}, "linha").field, "no comma");
}

TEST_F(ApplyColourTable, classesComeFromTheDataAndTheLastMatchingEntryWins) {
    auto layer = polygons({"GR", "gr", "Q2a", "GR"});
    files::applyColourTable(*layer, files::parseColourFile({"SIGLA,4", "GR,1,1,1,3", "XX,9,9,9,0",
                                                            "GR,200,10,30,9", "Q2a,5,6,7,11"},
                                                           "poligono"));
    const auto& r = rendererOf(*layer);
    ASSERT_EQ(r.valueCount(), 3);  // GR, Q2a, gr: from the data
    const int gr = r.classOf("GR");
    EXPECT_EQ(r.symbol(gr).colour, mapcontrol::colourInt(200, 10, 30));
    EXPECT_EQ(r.symbol(gr).style, 9);  // styles up to 10 are read
    const int q2a = r.classOf("Q2a");
    EXPECT_EQ(r.symbol(q2a).colour, mapcontrol::colourInt(5, 6, 7));
    EXPECT_EQ(r.symbol(q2a).style, 0);  // 11 is outside: the style stays
    const int lower = r.classOf("gr");  // another case: not coloured
    EXPECT_EQ(r.symbol(lower).colour, mapcontrol::defaultClassColour(lower));
}

TEST_F(ApplyColourTable, styleNineWrittenAsZeroComesBackSolid) {
    auto layer = polygons({"GR"});
    auto r = renderer(mapcontrol::SymbolType::Fill, {"GR"});
    r.symbol(0).style = mapcontrol::FillGrey;
    files::applyColourTable(
        *layer, files::parseColourFile(files::colourFileLines(r, "poligono"), "poligono"));
    EXPECT_EQ(rendererOf(*layer).symbol(0).style, mapcontrol::FillSolid);
}

TEST_F(ApplyColourTable, aPointLineWithoutStyleSetsTheColourAndKeepsTheMarkerSize) {
    auto layer = points({"poco", "furo"});
    files::applyColourTable(
        *layer, files::parseColourFile({"NOME,2", "poco,255,0,255", "furo,1,2,3,1,9"}, "ponto"));
    const auto& r = rendererOf(*layer);
    const mapcontrol::Symbol& poco = r.symbol(r.classOf("poco"));
    EXPECT_EQ(poco.colour, mapcontrol::colourInt(255, 0, 255));
    EXPECT_EQ(poco.size, 6);  // the markers' own size, not a 1-pixel dot
    EXPECT_EQ(poco.style, mapcontrol::MarkerCircle);
    EXPECT_EQ(r.symbol(r.classOf("furo")).size, 9);
}

TEST_F(ApplyColourTable, aLaterLineWithAStyleOutOfRangeKeepsTheEarlierStyle) {
    auto layer = polygons({"GR"});
    files::applyColourTable(
        *layer, files::parseColourFile({"SIGLA,2", "GR,1,1,1,3", "GR,200,10,30,12"}, "poligono"));
    const auto& r = rendererOf(*layer);
    EXPECT_EQ(r.symbol(0).style, 3);                                    // from the first line
    EXPECT_EQ(r.symbol(0).colour, mapcontrol::colourInt(200, 10, 30));  // from the last
}
