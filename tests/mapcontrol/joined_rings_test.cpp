// Polygons of several rings with a one-pixel outline, whose rings the
// feature painter fills as one polygon joined by edges that cancel: the
// fill must be the painter's fill of the rings as a path, to the pixel.
#include "mapcontrol/feature_painter.h"
#include "mapcontrol/vector_data.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace mapcontrol;

namespace {

// 128 x 128 pictures of the square (0, 0)-(128, 128): one map unit per pixel.
constexpr int kSide = 128;

using Ring = std::vector<MapPoint>;
using Polygon = std::vector<Ring>;

// Rings of 1 to 40 vertices two pixels apart or more (so that none is
// skipped as falling on the pixel before it), 8 to 80 pixels across, often
// overlapping one another or the picture's edge; most closed, some not, some
// closed on a point a hair away from their first.
std::vector<Polygon> randomPolygons(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> centre(-10, kSide + 10), across(8, 80), unit(0, 1);
    std::uniform_int_distribution<int> rings(2, 8), vertices(3, 40);
    std::vector<Polygon> polygons;
    for (int n = 0; n < count; ++n) {
        Polygon polygon;
        const double cx = centre(random), cy = centre(random), size = across(random);
        for (int r = rings(random); r > 0; --r) {
            const int k =
                unit(random) < 0.1 ? 1 + static_cast<int>(unit(random) * 2) : vertices(random);
            const double x = cx + (unit(random) - 0.5) * size;
            const double y = cy + (unit(random) - 0.5) * size;
            const double radius = std::max(4.0, size * unit(random) / 2);
            Ring ring;
            for (int i = 0; i < k; ++i) {
                const double angle = 2 * M_PI * i / k;
                // On quarter pixels, at least two pixels from the vertex before.
                const double step = std::max(radius * (0.5 + 0.5 * unit(random)), 2.5 * k / M_PI);
                ring.push_back({std::round((x + std::cos(angle) * step) * 4) / 4,
                                std::round((y + std::sin(angle) * step) * 4) / 4});
            }
            const double closing = unit(random);
            if (closing < 0.7) {
                ring.push_back(ring.front());
            } else if (closing < 0.85) {
                ring.push_back({ring.front().x * (1 + 1e-14), ring.front().y});
            }
            polygon.push_back(ring);
        }
        polygons.push_back(polygon);
    }
    return polygons;
}

std::shared_ptr<const VectorData> store(const std::vector<Polygon>& polygons) {
    VectorData::Builder builder(ShapeType::Polygon, AttributeTable{});
    for (const Polygon& polygon : polygons) {
        for (const Ring& ring : polygon) {
            builder.addPart(ring.data(), ring.size());
        }
        builder.endFeature();
    }
    return builder.finish();
}

QImage white() {
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

// Draws every polygon, antialiased as maps are.
void drawFeatures(QImage& image, const VectorData& data, const Symbol& symbol) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    FeaturePainter features(painter, ViewTransform(Rectangle(0, kSide, kSide, 0), {kSide, kSide}));
    features.setSymbol(symbol);
    for (VectorData::FeatureId f = 0; f < data.featureCount(); ++f) {
        features.drawFeature(data, f);
    }
}

}  // namespace

TEST(JoinedRings, fillAsThePaintersPathOfTheRingsToThePixel) {
    Symbol symbol;
    symbol.colour = colourInt(30, 160, 90);
    symbol.outlineColour = colourInt(120, 0, 0);
    Symbol outlineOnly = symbol;
    outlineOnly.style = FillTransparent;
    const std::vector<Polygon> polygons = randomPolygons(200, 5);
    for (std::size_t n = 0; n < polygons.size(); ++n) {
        const Polygon& polygon = polygons[n];
        const auto data = store({polygon});
        QImage drawn = white();
        drawFeatures(drawn, *data, symbol);

        // The fill as the painter's path of the rings, without antialiasing
        // (the outline covers the edge), then the outline alone over it.
        QImage expected = white();
        {
            QPainter painter(&expected);
            painter.setPen(Qt::NoPen);
            painter.setBrush(toQColor(symbol.colour));
            QPainterPath path;
            path.setFillRule(Qt::OddEvenFill);
            for (const Ring& ring : polygon) {
                QPolygonF pixels;
                for (const MapPoint& p : ring) {
                    pixels << QPointF(p.x, kSide - p.y);
                }
                path.addPolygon(pixels);
                path.closeSubpath();
            }
            painter.drawPath(path);
        }
        drawFeatures(expected, *data, outlineOnly);
        ASSERT_EQ(drawn, expected) << "polygon " << n;
    }
}
