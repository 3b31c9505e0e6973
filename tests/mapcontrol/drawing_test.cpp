#include "mapcontrol/class_breaks_renderer.h"
#include "mapcontrol/label_renderer.h"
#include "mapcontrol/map_picture.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "support/fixtures/gdal_support.h"
#include "support/fixtures/shapefile_builder.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace mapcontrol;
using fixtures::ShapefileBuilder;

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
const QSize kPicture(100, 100);

// Draws polygons, lines and points into 100 x 100 pictures of the square
// (0, 0)-(100, 100): one map unit per pixel, y upwards.
class Drawing : public ::testing::Test {
protected:
    void SetUp() override { fixtures::registerGdalDrivers(); }

    std::unique_ptr<VectorLayer> layer(
        const QString& name, fixtures::ShapeType type,
        const QList<std::pair<QString, QList<fixtures::FieldValue>>>& features,
        bool numeric = false) {
        ShapefileBuilder b(type);
        if (numeric) {
            b.realField("V", 10, 2);
        } else {
            b.textField("V", 10);
        }
        for (const auto& [wkt, values] : features) {
            b.feature(wkt, values);
        }
        const QString path = dir.filePath(name + ".shp");
        EXPECT_TRUE(b.write(path));
        auto result = std::make_unique<VectorLayer>(path);
        EXPECT_TRUE(result->isValid()) << result->error().toStdString();
        return result;
    }

    QImage draw(const LayerCollection& layers, std::vector<int>* order = nullptr) {
        QImage image(kPicture, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        drawLayers(painter, ViewTransform(Rectangle(0, 100, 100, 0), kPicture), layers, Qt::white,
                   [order](int index) {
                       if (order) order->push_back(index);
                   });
        painter.end();
        return image;
    }

    QImage drawOne(std::unique_ptr<VectorLayer> l) {
        LayerCollection layers;
        layers.add(std::move(l));
        return draw(layers);
    }

    // Pixel at map coordinates (x, y).
    static QRgb at(const QImage& image, int x, int y) { return image.pixel(x, 99 - y); }

    // Distinct colours in the box of map coordinates [x0, x1) x [y0, y1).
    static QSet<QRgb> coloursIn(const QImage& image, int x0, int y0, int x1, int y1) {
        QSet<QRgb> colours;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                colours.insert(at(image, x, y));
            }
        }
        return colours;
    }

    static Symbol fill(ColourInt colour, int style = FillSolid) {
        Symbol s;
        s.colour = colour;
        s.style = style;
        return s;
    }

    QTemporaryDir dir;
};

const QString kSquare = "POLYGON((10 10,10 90,90 90,90 10,10 10))";
constexpr ColourInt kRed = 0x0000FF;  // red in the low byte
constexpr ColourInt kBlue = 0xFF0000;

}  // namespace

TEST_F(Drawing, solidFillColoursTheInsideAndTheOutlineTheEdge) {
    auto l = layer("sq", fixtures::ShapeType::Polygon, {{kSquare, {QString("a")}}});
    l->symbol() = fill(kRed);
    const QImage image = drawOne(std::move(l));
    EXPECT_EQ(at(image, 50, 50), qRgb(255, 0, 0));
    EXPECT_EQ(at(image, 5, 5), kWhite);
    EXPECT_EQ(qRed(at(image, 10, 50)) < 128 && qGreen(at(image, 10, 50)) < 128,
              true);  // black outline
}

TEST_F(Drawing, transparentFillLeavesTheBackgroundInside) {
    auto l = layer("sq", fixtures::ShapeType::Polygon, {{kSquare, {QString("a")}}});
    l->symbol() = fill(kRed, FillTransparent);
    const QImage image = drawOne(std::move(l));
    EXPECT_EQ(coloursIn(image, 20, 20, 80, 80), QSet<QRgb>({kWhite}));
}

TEST_F(Drawing, everyHatchStyleShowsItsColourAndTheBackground) {
    for (int style = FillHorizontal; style <= FillDarkGrey; ++style) {
        auto l = layer("sq", fixtures::ShapeType::Polygon, {{kSquare, {QString("a")}}});
        l->symbol() = fill(kBlue, style);
        const QSet<QRgb> inside = coloursIn(drawOne(std::move(l)), 20, 20, 80, 80);
        EXPECT_TRUE(inside.contains(qRgb(0, 0, 255))) << style;
        EXPECT_TRUE(inside.contains(kWhite)) << style;
    }
}

TEST_F(Drawing, horizontalAndVerticalHatchesRunTheirWay) {
    auto horizontal = layer("h", fixtures::ShapeType::Polygon, {{kSquare, {QString("a")}}});
    horizontal->symbol() = fill(kBlue, FillHorizontal);
    const QImage h = drawOne(std::move(horizontal));
    auto vertical = layer("v", fixtures::ShapeType::Polygon, {{kSquare, {QString("a")}}});
    vertical->symbol() = fill(kBlue, FillVertical);
    const QImage v = drawOne(std::move(vertical));
    // A row of a horizontal hatch is all one colour; a column of a vertical one too.
    for (int y = 20; y < 30; ++y) {
        EXPECT_EQ(coloursIn(h, 20, y, 80, y + 1).size(), 1) << y;
    }
    for (int x = 20; x < 30; ++x) {
        EXPECT_EQ(coloursIn(v, x, 20, x + 1, 80).size(), 1) << x;
    }
}

TEST_F(Drawing, markersHaveTheirShapes) {
    const auto cornerOfMarker = [&](int style) {
        auto l = layer("p", fixtures::ShapeType::Point, {{"POINT(50 50)", {QString("a")}}});
        Symbol s;
        s.type = SymbolType::Marker;
        s.colour = kRed;
        s.style = style;
        s.size = 20;
        s.outline = false;
        l->symbol() = s;
        const QImage image = drawOne(std::move(l));
        EXPECT_EQ(at(image, 50, 50), qRgb(255, 0, 0)) << style;
        return qGreen(at(image, 42, 42));  // near the lower-left corner of the marker's box
    };
    EXPECT_EQ(cornerOfMarker(MarkerSquare), 0);    // red there
    EXPECT_GT(cornerOfMarker(MarkerCircle), 240);  // background there
    EXPECT_GT(cornerOfMarker(MarkerCross), 240);
}

TEST_F(Drawing, layerZeroIsDrawnLastOnTopAndEventsComeBottomFirst) {
    auto bottom = layer("bottom", fixtures::ShapeType::Polygon, {{kSquare, {QString("a")}}});
    bottom->symbol() = fill(kRed);
    auto top = layer("top", fixtures::ShapeType::Polygon,
                     {{"POLYGON((40 40,40 60,60 60,60 40,40 40))", {QString("a")}}});
    top->symbol() = fill(kBlue);
    auto hidden = layer("hidden", fixtures::ShapeType::Polygon, {{kSquare, {QString("a")}}});
    hidden->setVisible(false);
    LayerCollection layers;
    layers.add(std::move(bottom));
    layers.add(std::move(hidden));
    layers.add(std::move(top));
    std::vector<int> order;
    const QImage image = draw(layers, &order);
    EXPECT_EQ(at(image, 50, 50), qRgb(0, 0, 255));
    EXPECT_EQ(at(image, 20, 20), qRgb(255, 0, 0));
    EXPECT_EQ(order, (std::vector<int>{2, 1, 0}));
}

TEST_F(Drawing, uniqueValuesColourTheirClassesAndUnlistedValuesGetTheDefault) {
    auto l = layer("units", fixtures::ShapeType::Polygon,
                   {{"POLYGON((0 0,0 50,50 50,50 0,0 0))", {QString("GR")}},
                    {"POLYGON((50 0,50 50,100 50,100 0,50 0))", {QString("gr")}},
                    {"POLYGON((0 50,0 100,50 100,50 50,0 50))", {QString("XX")}}});
    auto renderer = std::make_unique<ValueMapRenderer>();
    renderer->setField("V");
    renderer->setValueCount(2);
    renderer->setValue(0, "GR");
    renderer->setValue(1, "gr");
    renderer->symbol(0).colour = kRed;
    renderer->symbol(1).colour = kBlue;
    renderer->defaultSymbol().colour = colourInt(0, 255, 0);
    l->setRenderer(std::move(renderer));
    const QImage image = drawOne(std::move(l));
    EXPECT_EQ(at(image, 25, 25), qRgb(255, 0, 0));
    EXPECT_EQ(at(image, 75, 25), qRgb(0, 0, 255));
    EXPECT_EQ(at(image, 25, 75), qRgb(0, 255, 0));
    EXPECT_EQ(at(image, 75, 75), kWhite);
}

TEST_F(Drawing, rendererChangedInPlaceShowsAtTheNextDraw) {
    auto l = layer("sq", fixtures::ShapeType::Polygon, {{kSquare, {QString("GR")}}});
    auto renderer = std::make_unique<ValueMapRenderer>();
    renderer->setField("V");
    renderer->setValueCount(1);
    renderer->setValue(0, "GR");
    ValueMapRenderer* kept = renderer.get();
    l->setRenderer(std::move(renderer));
    LayerCollection layers;
    layers.add(std::move(l));
    kept->symbol(0).colour = kRed;
    EXPECT_EQ(at(draw(layers), 50, 50), qRgb(255, 0, 0));
    kept->setValue(0, "other");
    kept->defaultSymbol().colour = kBlue;
    EXPECT_EQ(at(draw(layers), 50, 50), qRgb(0, 0, 255));
}

TEST_F(Drawing, classBreakColoursFollowTheRamp) {
    auto l = layer("teor", fixtures::ShapeType::Polygon,
                   {{"POLYGON((0 0,0 100,30 100,30 0,0 0))", {1.0}},
                    {"POLYGON((30 0,30 100,60 100,60 0,30 0))", {5.0}},
                    {"POLYGON((60 0,60 100,100 100,100 0,60 0))", {9.0}}},
                   true);
    auto renderer = std::make_unique<ClassBreaksRenderer>();
    renderer->setField("V");
    renderer->setBreakCount(2);
    renderer->setBreakValue(0, 2.0);
    renderer->setBreakValue(1, 5.0);
    renderer->rampColours(colourInt(0, 0, 0), colourInt(200, 100, 250));
    EXPECT_EQ(renderer->symbol(1).colour, colourInt(100, 50, 125));
    for (int i = 0; i < 3; ++i) renderer->symbol(i).outline = false;
    l->setRenderer(std::move(renderer));
    const QImage image = drawOne(std::move(l));
    EXPECT_EQ(at(image, 15, 50), qRgb(0, 0, 0));
    EXPECT_EQ(at(image, 45, 50), qRgb(100, 50, 125));  // 5 is in the class that ends at 5
    EXPECT_EQ(at(image, 80, 50), qRgb(200, 100, 250));
}

TEST_F(Drawing, classOfAValueFollowsTheBreaks) {
    ClassBreaksRenderer r;
    r.setBreakCount(3);
    r.setBreakValue(0, 10);
    r.setBreakValue(1, 20);
    r.setBreakValue(2, 30);
    EXPECT_EQ(r.classOf(-5), 0);
    EXPECT_EQ(r.classOf(10), 0);
    EXPECT_EQ(r.classOf(10.001), 1);
    EXPECT_EQ(r.classOf(30), 2);
    EXPECT_EQ(r.classOf(31), 3);
    EXPECT_EQ(r.breakCount(), 3);
}

TEST_F(Drawing, labelsAreDrawnOverTheBackgroundRenderer) {
    auto l = layer("units", fixtures::ShapeType::Polygon, {{kSquare, {QString("WWWW")}}});
    l->symbol() = fill(colourInt(255, 255, 0));
    auto labels = std::make_unique<LabelRenderer>();
    labels->setField("V");
    labels->textSymbol().height = 16;
    labels->textSymbol().colour = 0;
    l->setRenderer(std::move(labels));
    const QImage image = drawOne(std::move(l));
    const QSet<QRgb> middle = coloursIn(image, 30, 42, 70, 58);
    EXPECT_TRUE(middle.contains(qRgb(255, 255, 0)));  // the background renderer drew the fill
    const bool dark =
        std::any_of(middle.begin(), middle.end(), [](QRgb c) { return qGray(c) < 60; });
    EXPECT_TRUE(dark);                                // and the text is on it
    EXPECT_EQ(at(image, 50, 20), qRgb(255, 255, 0));  // no text away from the label point
}

TEST_F(Drawing, labelsAreNeverDrawnSmallerThanSevenPixels) {
    auto l = layer("units", fixtures::ShapeType::Polygon, {{kSquare, {QString("WWWW")}}});
    l->symbol() = fill(colourInt(255, 255, 0));
    auto labels = std::make_unique<LabelRenderer>();
    labels->setField("V");
    labels->textSymbol().height = 0.5;  // half a pixel at this view
    labels->textSymbol().colour = 0;
    l->symbol().outline = false;
    l->setRenderer(std::move(labels));
    const QImage image = drawOne(std::move(l));
    int top = image.height();
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 100) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_GE(bottom, 0) << "the label is drawn";
    EXPECT_GE(bottom - top + 1, 5);  // capitals of a 7-pixel font
    EXPECT_LE(bottom - top + 1, 9);
}

TEST_F(Drawing, lineStylesDashAndSolidDiffer) {
    const auto row = [&](int style) {
        auto l =
            layer("f", fixtures::ShapeType::Line, {{"LINESTRING(0 50,100 50)", {QString("a")}}});
        Symbol s;
        s.type = SymbolType::Line;
        s.colour = kRed;
        s.style = style;
        s.size = 2;
        l->symbol() = s;
        return coloursIn(drawOne(std::move(l)), 5, 50, 95, 51);
    };
    EXPECT_FALSE(row(LineSolid).contains(kWhite));
    EXPECT_TRUE(row(LineDash).contains(kWhite));
    EXPECT_TRUE(row(LineDash).contains(qRgb(255, 0, 0)));
}

TEST_F(Drawing, featuresSmallerThanAPixelStillShowAsOnePixel) {
    auto l =
        layer("tiny", fixtures::ShapeType::Polygon,
              {{"POLYGON((50.1 50.1,50.1 50.3,50.3 50.3,50.3 50.1,50.1 50.1))", {QString("a")}}});
    l->symbol() = fill(kRed);
    const QImage image = drawOne(std::move(l));
    EXPECT_EQ(at(image, 50, 50), qRgb(255, 0, 0));
}

TEST_F(Drawing, pictureDrawnInTwoBandsEqualsThePictureDrawnWhole) {
    auto l = layer("units", fixtures::ShapeType::Polygon,
                   {{"POLYGON((5 5,20 95,50 60,95 90,80 10,5 5))", {QString("a")}},
                    {"POLYGON((30 40,30 60,70 60,70 40,30 40),(40 45,60 45,60 55,40 55,40 45))",
                     {QString("b")}}});
    Symbol s = fill(kRed);
    s.outline = false;
    l->symbol() = s;
    LayerCollection layers;
    layers.add(std::move(l));
    const QSize size(200, 256);
    const ViewTransform view(fitExtent(Rectangle(0, 100, 100, 0), size), size);
    QImage split(size, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&split);
        drawLayers(painter, view, layers, Qt::white, {});
    }
    // A clip keeps the painter to one pass over the whole picture.
    QImage whole(size, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&whole);
        painter.setClipRect(QRect(QPoint(0, 0), size));
        drawLayers(painter, view, layers, Qt::white, {});
    }
    EXPECT_EQ(split, whole);
}

TEST_F(Drawing, pointLabelsStandBesideTheirPoint) {
    auto l = layer("pts", fixtures::ShapeType::Point, {{"POINT(20 50)", {QString("WWWW")}}});
    Symbol s;
    s.type = SymbolType::Marker;
    s.colour = kRed;
    s.size = 4;
    l->symbol() = s;
    auto labels = std::make_unique<LabelRenderer>();
    labels->setField("V");
    labels->textSymbol().height = 12;
    l->setRenderer(std::move(labels));
    const QImage image = drawOne(std::move(l));
    const QSet<QRgb> right = coloursIn(image, 24, 44, 60, 56);
    const QSet<QRgb> left = coloursIn(image, 0, 44, 16, 56);
    EXPECT_TRUE(std::any_of(right.begin(), right.end(), [](QRgb c) { return qGray(c) < 60; }));
    EXPECT_EQ(left, QSet<QRgb>({kWhite}));
}
