// Redraws work in the buffers the draws before them sized (each layer's
// rings, marker marks and band pictures): they must make no new room for a
// view drawn before, and what they draw must not depend on what was drawn
// before.
#include "mapcontrol/draw_scratch.h"
#include "mapcontrol/map_picture.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"

#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace mapcontrol;

namespace {

// A closed ring of `vertices` vertices around (cx, cy), its radius waving
// between 0.7 and 1 times `radius`, as WKT coordinates.
QString ring(double cx, double cy, double radius, int vertices) {
    QStringList points;
    for (int i = 0; i <= vertices; ++i) {
        const double angle = -2 * M_PI * (i % vertices) / vertices;
        const double r = radius * (0.85 + 0.15 * std::sin(7 * angle));
        points << QStringLiteral("%1 %2")
                      .arg(cx + r * std::cos(angle), 0, 'f', 6)
                      .arg(cy + r * std::sin(angle), 0, 'f', 6);
    }
    return QLatin1Char('(') + points.join(QLatin1Char(',')) + QLatin1Char(')');
}

// Polygons, lines and points over (0, 0)-(100, 100) whose drawing takes
// every road: a region with a hole and islands (its first ring the
// smallest), large and small single rings in both orders, polygons of a few
// pixels and under a pixel, lines, and markers.
class Redraw : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::registerGdalDrivers();
        fixtures::ShapefileBuilder polygons(fixtures::ShapeType::Polygon);
        polygons.textField("V", 4);
        polygons.feature("MULTIPOLYGON((" + ring(80, 80, 2, 12) + ")," + "(" +
                             ring(40, 50, 30, 400) + "," + ring(40, 50, 8, 60) + ")," + "(" +
                             ring(85, 20, 3, 16) + "))",
                         {QString("a")});
        polygons.feature("POLYGON(" + ring(60, 60, 25, 300) + ")", {QString("b")});
        polygons.feature("POLYGON(" + ring(10, 90, 4, 9) + ")", {QString("a")});
        for (int i = 0; i < 12; ++i) {
            polygons.feature(
                "POLYGON(" + ring(5 + 7.5 * i, 8 + (i % 3) * 3, 0.4 + 0.3 * i, 11) + ")",
                {QString(i % 2 ? "a" : "b")});
        }
        polygons.feature("POLYGON(" + ring(95, 95, 0.05, 5) + ")", {QString("b")});
        ASSERT_TRUE(polygons.write(dir.filePath("regions.shp")));

        fixtures::ShapefileBuilder lines(fixtures::ShapeType::Line);
        lines.textField("V", 4);
        lines.feature("LINESTRING(0 0,30 70,50 40,100 95)", {QString("a")});
        lines.feature("LINESTRING(70 10,72 12)", {QString("b")});
        ASSERT_TRUE(lines.write(dir.filePath("rivers.shp")));

        fixtures::ShapefileBuilder points(fixtures::ShapeType::Point);
        points.textField("V", 4);
        for (int i = 0; i < 20; ++i) {
            points.feature(QStringLiteral("POINT(%1 %2)").arg(3 + 5 * i).arg(97 - 4.5 * i),
                           {QString("a")});
        }
        ASSERT_TRUE(points.write(dir.filePath("wells.shp")));
    }

    // The three layers, made anew, points on top.
    void addLayers(MapWidget& map) const {
        for (const char* name : {"regions", "rivers", "wells"}) {
            auto layer = std::make_unique<VectorLayer>(dir.filePath(QString(name) + ".shp"));
            ASSERT_TRUE(layer->isValid());
            ASSERT_TRUE(map.layers().add(std::move(layer)));
        }
    }

    // What a widget that never drew before shows at `size` for `extent`.
    QImage freshPicture(QSize size, const Rectangle& extent) const {
        MapWidget fresh;
        addLayers(fresh);
        fresh.resize(size);
        fresh.setExtent(extent);
        return fresh.picture();
    }

    QTemporaryDir dir;
};

const Rectangle kAll(0, 100, 100, 0);
const Rectangle kZoomed(20, 45, 60, 40);

}  // namespace

TEST(DrawScratch, ringsHeldSurviveTheRoomMadeForALargerRing) {
    DrawScratch scratch;
    QPointF* first = scratch.ringRoom(3);
    first[0] = {1, 2};
    first[1] = {3, 4};
    scratch.endRing(first + 2);
    const std::size_t grown = scratch.growthCount();
    QPointF* second = scratch.ringRoom(10'000);
    EXPECT_GT(scratch.growthCount(), grown);
    second[9'999] = {5, 6};
    scratch.endRing(second + 10'000);
    ASSERT_EQ(scratch.pixelCount(), 10'002);
    EXPECT_EQ(scratch.pixels()[0], QPointF(1, 2));
    EXPECT_EQ(scratch.pixels()[1], QPointF(3, 4));
    EXPECT_EQ(scratch.pixels()[10'001], QPointF(5, 6));
    EXPECT_EQ(scratch.ringEnds(), (std::vector<qsizetype>{2, 10'002}));
    EXPECT_EQ(scratch.ringPolygon(0), QPolygonF({QPointF(1, 2), QPointF(3, 4)}));
}

TEST(DrawScratch, clearedRingsReuseTheirRoom) {
    DrawScratch scratch;
    scratch.endRing(scratch.ringRoom(500) + 500);
    scratch.endRing(scratch.ringRoom(300) + 300);
    scratch.clearMarks(1000);
    scratch.emptyPath(900);
    scratch.ringPolygon(0);
    const std::size_t grown = scratch.growthCount();
    scratch.clearRings();
    EXPECT_EQ(scratch.pixelCount(), 0);
    EXPECT_TRUE(scratch.ringEnds().empty());
    scratch.endRing(scratch.ringRoom(300) + 300);
    scratch.endRing(scratch.ringRoom(500) + 500);
    EXPECT_EQ(scratch.ringPolygon(1).size(), 500);
    EXPECT_EQ(scratch.clearMarks(1000), std::vector<std::uint64_t>(1000, 0));
    EXPECT_TRUE(scratch.emptyPath(900).isEmpty());
    EXPECT_EQ(scratch.growthCount(), grown);
}

TEST_F(Redraw, aViewDrawnAgainMakesNoRoomForItsBuffers) {
    MapWidget map;
    addLayers(map);
    // A renderer draws in the layer's buffers as the layer's symbol does.
    auto classes = std::make_unique<ValueMapRenderer>();
    classes->setField("V");
    classes->setValueCount(1);
    classes->setValue(0, "a");
    classes->symbol(0).style = FillCross;
    auto* regions = static_cast<VectorLayer*>(map.layers().item("regions"));
    regions->setRenderer(std::move(classes));
    const auto growths = [&] {
        std::vector<std::size_t> counts;
        for (int i = 0; i < map.layers().count(); ++i) {
            counts.push_back(static_cast<VectorLayer*>(map.layers().item(i))->drawingGrowthCount());
        }
        return counts;
    };
    map.resize(300, 200);  // two bands
    map.setExtent(kAll);
    const std::vector<std::size_t> first = growths();
    EXPECT_TRUE(std::all_of(first.begin(), first.end(), [](std::size_t n) { return n > 0; }));
    map.refresh();
    EXPECT_EQ(growths(), first);
    map.resize(300, 100);  // one band
    map.refresh();
    map.resize(300, 200);
    map.refresh();
    const std::vector<std::size_t> again = growths();
    map.refresh();
    EXPECT_EQ(growths(), again);
}

TEST_F(Redraw, layersShownOnTwoMapsMakeNoRoomWhenTheMapsRedrawInTurn) {
    MapWidget map;
    MapWidget overview;
    addLayers(map);
    for (int i = map.layers().count() - 1; i >= 0; --i) {
        overview.layers().add(map.layers().shared(i));  // the very layers, as the overview has
    }
    map.resize(300, 200);
    overview.resize(260, 150);
    map.setExtent(kAll);
    overview.setExtent(kAll);
    const auto growths = [&] {
        std::vector<std::size_t> counts;
        for (int i = 0; i < map.layers().count(); ++i) {
            counts.push_back(static_cast<VectorLayer*>(map.layers().item(i))->drawingGrowthCount());
        }
        return counts;
    };
    const std::vector<std::size_t> first = growths();
    for (int i = 0; i < 3; ++i) {
        map.refresh();
        overview.refresh();
    }
    EXPECT_EQ(growths(), first);
    EXPECT_EQ(overview.picture(), freshPicture(QSize(260, 150), kAll));
}

TEST_F(Redraw, picturesAfterOtherViewsAndSizesEqualAFreshWidgets) {
    MapWidget map;
    addLayers(map);
    map.resize(300, 200);
    map.setExtent(kAll);
    EXPECT_EQ(map.picture(), freshPicture(QSize(300, 200), kAll));
    map.refresh();
    EXPECT_EQ(map.picture(), freshPicture(QSize(300, 200), kAll)) << "drawn twice in a row";
    for (const QSize size : {QSize(500, 400), QSize(160, 130), QSize(120, 90), QSize(300, 200)}) {
        map.resize(size);
        map.refresh();
        EXPECT_EQ(map.picture(), freshPicture(size, kAll))
            << size.width() << " x " << size.height();
    }
    map.setExtent(kZoomed);
    EXPECT_EQ(map.picture(), freshPicture(QSize(300, 200), kZoomed)) << "zoomed in";
    map.setExtent(kAll);
    EXPECT_EQ(map.picture(), freshPicture(QSize(300, 200), kAll)) << "zoomed out";
}

TEST_F(Redraw, aLayerDrawnIntoAnotherPictureDrawsItWhole) {
    // The same layer drawn into two pictures in turn, as the map and its
    // export are: each picture gets its own bands.
    MapWidget map;
    addLayers(map);
    const auto draw = [&](QImage& image) {
        QPainter painter(&image);
        drawLayers(painter, ViewTransform(fitExtent(kAll, image.size()), image.size()),
                   map.layers(), Qt::white, {});
    };
    QImage a(300, 200, QImage::Format_ARGB32_Premultiplied);
    QImage b(300, 200, QImage::Format_ARGB32_Premultiplied);
    draw(a);
    draw(b);
    draw(a);
    EXPECT_EQ(a, freshPicture(QSize(300, 200), kAll));
    EXPECT_EQ(b, a);
    // Pictures of other sizes over the same memory, as a picture made where
    // the one before it was freed can be.
    std::vector<uchar> memory(500 * 400 * 4);
    QImage large(memory.data(), 500, 400, 500 * 4, QImage::Format_ARGB32_Premultiplied);
    QImage small(memory.data(), 300, 200, 300 * 4, QImage::Format_ARGB32_Premultiplied);
    draw(large);
    draw(small);
    EXPECT_EQ(small, freshPicture(QSize(300, 200), kAll));
    draw(large);
    EXPECT_EQ(large, freshPicture(QSize(500, 400), kAll));
}
