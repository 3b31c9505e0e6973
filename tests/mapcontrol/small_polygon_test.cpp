// Polygons a few pixels across, which the feature painter sets pixel by
// pixel straight into the picture instead of filling and stroking them.
#include "mapcontrol/feature_painter.h"
#include "mapcontrol/vector_data.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <set>

using namespace mapcontrol;

namespace {

// 32 x 32 pictures of the square (0, 0)-(32, 32): one map unit per pixel.
const QSize kSize(32, 32);
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kRedPixel = 0xFFFF0000;
constexpr ColourInt kRed = 0x0000FF;  // red in the low byte

using Ring = std::vector<MapPoint>;
using Polygon = std::vector<Ring>;  // the outer ring, then the holes

// A ring given in pixel coordinates (y downwards), closed.
Ring pixelRing(std::initializer_list<QPointF> pixels) {
    Ring ring;
    for (const QPointF& p : pixels) {
        ring.push_back({p.x(), kSize.height() - p.y()});
    }
    ring.push_back(ring.front());
    return ring;
}

std::shared_ptr<const VectorData> store(const std::vector<Polygon>& polygons) {
    VectorData::Builder builder(ShapeType::Polygon, AttributeTable{});
    for (const Polygon& polygon : polygons) {
        for (std::size_t r = 0; r < polygon.size(); ++r) {
            builder.addPart(polygon[r].data(), polygon[r].size(), r > 0);
        }
        builder.endFeature();
    }
    return builder.finish();
}

Symbol solid(ColourInt colour = kRed) {
    Symbol s;
    s.colour = colour;
    s.style = FillSolid;
    return s;
}

// Draws every polygon on white, antialiased as maps are. `throughPainter`
// sets a clip, which keeps the feature painter to the painter's own calls.
QImage draw(const std::vector<Polygon>& polygons, const Symbol& symbol,
            bool throughPainter = false) {
    const auto data = store(polygons);
    QImage image(kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (throughPainter) {
        painter.setClipRect(QRect(QPoint(0, 0), kSize));
    }
    {
        FeaturePainter features(painter, ViewTransform(Rectangle(0, 32, 32, 0), kSize));
        features.setSymbol(symbol);
        for (VectorData::FeatureId f = 0; f < data->featureCount(); ++f) {
            features.drawFeature(*data, f);
        }
    }
    painter.end();
    return image;
}

// The pixels of `image` that are not white, as (x, y) pairs.
std::set<std::pair<int, int>> paintedPixels(const QImage& image) {
    std::set<std::pair<int, int>> painted;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kWhite) {
                painted.insert({x, y});
            }
        }
    }
    return painted;
}

// Star-shaped rings one to four pixels across (their box at least a pixel
// wide or high, so not drawn as a single pixel), of 3 to 30 vertices, at
// random places away from the picture's edges.
std::vector<Polygon> randomSmallPolygons(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> centre(6, 26), across(1.0, 4.0), jitter(0.6, 1.0);
    std::uniform_int_distribution<int> vertices(3, 30);
    std::vector<Polygon> polygons;
    while (static_cast<int>(polygons.size()) < count) {
        const double cx = centre(random), cy = centre(random);
        const double radius = across(random) / 2;
        const int k = vertices(random);
        Ring ring;
        for (int i = 0; i < k; ++i) {
            const double angle = -2 * M_PI * i / k;
            const double r = radius * jitter(random);
            ring.push_back({cx + std::cos(angle) * r, cy + std::sin(angle) * r});
        }
        ring.push_back(ring.front());
        double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
        for (const MapPoint& p : ring) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
        if (std::max(maxX - minX, maxY - minY) >= 1.0) {
            polygons.push_back({ring});
        }
    }
    return polygons;
}

// The pixels of the polygon's box in pixel coordinates (floor of its corners).
QRect pixelBox(const Polygon& polygon) {
    double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
    for (const Ring& ring : polygon) {
        for (const MapPoint& p : ring) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, kSize.height() - p.y),
            maxY = std::max(maxY, kSize.height() - p.y);
        }
    }
    return QRect(QPoint(static_cast<int>(std::floor(minX)), static_cast<int>(std::floor(minY))),
                 QPoint(static_cast<int>(std::floor(maxX)), static_cast<int>(std::floor(maxY))));
}

// The rule a small polygon is drawn by, written out pixel by pixel: the
// vertices that fall on the pixel of the vertex kept before them are
// skipped (the last one stays); then each pixel whose centre lies within
// half a pixel of an edge is outline, and each other pixel whose centre is
// inside by the even-odd rule is fill.
QImage byTheRule(const Polygon& polygon, const Symbol& symbol) {
    std::vector<std::vector<QPointF>> rings;
    for (const Ring& ring : polygon) {
        std::vector<QPointF> kept;
        QPoint last(INT_MIN, INT_MIN);
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const QPointF p(ring[i].x, kSize.height() - ring[i].y);
            const QPoint pixel(static_cast<int>(std::lround(p.x())),
                               static_cast<int>(std::lround(p.y())));
            if (pixel != last || i + 1 == ring.size()) {
                kept.push_back(p);
            }
            last = pixel;
        }
        rings.push_back(kept);
    }
    QImage image(kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const QRect box = pixelBox(polygon);
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            const QPointF c(x + 0.5, y + 0.5);
            bool inside = false;
            bool nearEdge = false;
            for (const auto& ring : rings) {
                for (std::size_t i = 0; i < ring.size(); ++i) {
                    const QPointF a = ring[i];
                    const QPointF b = ring[(i + 1) % ring.size()];
                    if ((a.y() > c.y()) != (b.y() > c.y()) &&
                        c.x() < a.x() + (c.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y())) {
                        inside = !inside;
                    }
                    const QPointF d = b - a;
                    const double length = QPointF::dotProduct(d, d);
                    const double t =
                        length > 0 ? std::clamp(QPointF::dotProduct(c - a, d) / length, 0.0, 1.0)
                                   : 0.0;
                    const QPointF nearest = a + t * d - c;
                    nearEdge |= QPointF::dotProduct(nearest, nearest) <= 0.25;
                }
            }
            if (symbol.outline && nearEdge) {
                image.setPixel(x, y, kBlack);
            } else if (inside && symbol.style == FillSolid) {
                image.setPixel(x, y, toQColor(symbol.colour).rgb());
            }
        }
    }
    return image;
}

}  // namespace

TEST(SmallPolygons, followThePixelRuleExactly) {
    for (const bool outline : {true, false}) {
        Symbol symbol = solid();
        symbol.outline = outline;
        int drawn = 0;
        for (const Polygon& polygon : randomSmallPolygons(400, 1)) {
            const QImage expected = byTheRule(polygon, symbol);
            if (paintedPixels(expected).empty()) {
                continue;  // no pixel centre on it: the one-pixel rule, tested below
            }
            ++drawn;
            ASSERT_EQ(draw({polygon}, symbol), expected)
                << "outline " << outline << ", polygon at " << polygon[0][0].x << " "
                << polygon[0][0].y << " of " << polygon[0].size() << " vertices";
        }
        EXPECT_GT(drawn, 300);
    }
}

TEST(SmallPolygons, lookLikeThePainterWithinTolerance) {
    // The painter antialiases the outline where the pixels are set whole,
    // so pixels differ in shade, but not in where the polygon is: every
    // pixel the painter covers at least three quarters is set, at most 2 %
    // of the pixels set are ones the painter covers less than a quarter
    // (1 % seen), and nothing is set outside the polygon's pixels.
    int set = 0, faint = 0;
    for (const Polygon& polygon : randomSmallPolygons(1000, 2)) {
        const QImage fast = draw({polygon}, solid());
        const QImage painter = draw({polygon}, solid(), true);
        const QRect box = pixelBox(polygon);
        for (const auto& [x, y] : paintedPixels(fast)) {
            ASSERT_TRUE(box.contains(x, y)) << x << " " << y;
        }
        for (int y = 0; y < kSize.height(); ++y) {
            for (int x = 0; x < kSize.width(); ++x) {
                const QRgb p = painter.pixel(x, y);
                const int cover = 255 - std::min({qRed(p), qGreen(p), qBlue(p)});
                const bool isSet = fast.pixel(x, y) != kWhite;
                ASSERT_TRUE(isSet || cover < 192) << x << " " << y;
                set += isSet;
                faint += isSet && cover < 64;
            }
        }
    }
    EXPECT_LT(faint * 50, set);
}

TEST(SmallPolygons, polygonOnTwoPixelsIsAllOutlineAndStaysOnThem) {
    const Polygon p{pixelRing({{10.2, 10.3}, {11.7, 10.4}, {11.8, 10.6}, {10.3, 10.7}})};
    const QImage image = draw({p}, solid());
    EXPECT_EQ(paintedPixels(image), (std::set<std::pair<int, int>>{{10, 10}, {11, 10}}));
    EXPECT_EQ(image.pixel(10, 10), kBlack);
    EXPECT_EQ(image.pixel(11, 10), kBlack);
}

TEST(SmallPolygons, withoutOutlineAPolygonMissingEveryPixelCentreStillShowsAsOnePixel) {
    // A diamond 1.1 pixels across by the corner of four pixels: no centre
    // inside it.
    const Polygon p{pixelRing({{10.1, 9.55}, {10.65, 10.1}, {10.1, 10.65}, {9.55, 10.1}})};
    Symbol s = solid();
    s.outline = false;
    const QImage image = draw({p}, s);
    EXPECT_EQ(paintedPixels(image), (std::set<std::pair<int, int>>{{10, 10}}));
    EXPECT_EQ(image.pixel(10, 10), kRedPixel);
}

TEST(SmallPolygons, transparentFillShowsTheOutlineOnly) {
    const Polygon square{pixelRing({{10.2, 10.2}, {13.8, 10.2}, {13.8, 13.8}, {10.2, 13.8}})};
    Symbol s = solid();
    s.style = FillTransparent;
    const QImage image = draw({square}, s);
    EXPECT_EQ(image.pixel(10, 10), kBlack);
    EXPECT_EQ(image.pixel(13, 12), kBlack);
    EXPECT_EQ(image.pixel(11, 11), kWhite);
    EXPECT_EQ(image.pixel(12, 12), kWhite);
    s.outline = false;
    EXPECT_TRUE(paintedPixels(draw({square}, s)).empty());
}

TEST(SmallPolygons, holeLeavesItsPixelsOut) {
    const Polygon withHole{pixelRing({{10, 10}, {14, 10}, {14, 14}, {10, 14}}),
                           pixelRing({{11, 11}, {11, 13}, {13, 13}, {13, 11}})};
    Symbol s = solid();
    s.outline = false;
    const QImage image = draw({withHole}, s);
    EXPECT_EQ(image.pixel(10, 10), kRedPixel);
    EXPECT_EQ(image.pixel(13, 12), kRedPixel);
    EXPECT_EQ(image.pixel(11, 11), kWhite);
    EXPECT_EQ(image.pixel(12, 12), kWhite);
}

TEST(SmallPolygons, wideOutlineIsDrawnWide) {
    const Polygon p{pixelRing({{10.2, 10.2}, {12.8, 10.2}, {12.8, 12.8}, {10.2, 12.8}})};
    Symbol s = solid();
    s.size = 4;
    const QImage image = draw({p}, s);
    // A pixel beside the polygon's own: only a pen four pixels wide reaches it.
    EXPECT_LT(qGray(image.pixel(9, 11)), 128);
    EXPECT_LT(qGray(image.pixel(13, 11)), 128);
}

TEST(SmallPolygons, cutByThePictureEdgeKeepsItsPixelsInside) {
    const Polygon p{pixelRing({{-1.5, 10.2}, {1.5, 10.2}, {1.5, 12.5}, {-1.5, 12.5}})};
    const QImage image = draw({p}, solid());
    EXPECT_EQ(image.pixel(0, 11), kRedPixel);
    EXPECT_EQ(image.pixel(1, 10), kBlack);
    EXPECT_EQ(image.pixel(2, 11), kWhite);
}

TEST(SmallPolygons, vertexThatIsNotANumberIsLeftOutAtAnySize) {
    // A small polygon and one the painter draws, each with a damaged vertex.
    for (const double side : {2.6, 15.0}) {
        Polygon p{pixelRing(
            {{10.2, 10.2}, {10.2 + side, 10.2}, {10.2 + side, 10.2 + side}, {10.2, 10.2 + side}})};
        p[0].insert(p[0].begin() + 2, MapPoint{std::nan(""), 20.0});
        const QImage image = draw({p}, solid());
        const QRect box(9, 9, static_cast<int>(side) + 3, static_cast<int>(side) + 3);
        for (const auto& [x, y] : paintedPixels(image)) {
            ASSERT_TRUE(box.contains(x, y)) << side << ": " << x << " " << y;
        }
        EXPECT_EQ(image.pixel(11, 11), kRedPixel) << side;
    }
}
