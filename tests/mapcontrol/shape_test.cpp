#include "mapcontrol/shape.h"
#include "mapcontrol/map_picture.h"
#include "mapcontrol/strings.h"
#include "mapcontrol/symbol.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace mapcontrol;

namespace {

Shape::Part ring(std::initializer_list<MapPoint> points, bool hole = false) {
    return {points, hole};
}

// A 10 x 10 square with a 4 x 4 hole in the middle.
Shape squareWithHole() {
    return {ShapeType::Polygon,
            {ring({{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}),
             ring({{3, 3}, {7, 3}, {7, 7}, {3, 7}, {3, 3}}, true)}};
}

}  // namespace

TEST(Rectangle, sizeIsTheLargerSideAndScalingKeepsTheCentre) {
    const Rectangle r(10, 30, 50, 40);
    EXPECT_DOUBLE_EQ(r.width(), 20);
    EXPECT_DOUBLE_EQ(r.height(), 10);
    EXPECT_DOUBLE_EQ(r.size(), 20);
    const Rectangle s = r.scaled(0.5);
    EXPECT_EQ(s, Rectangle(15, 25, 47.5, 42.5));
    EXPECT_EQ(s.centre(), r.centre());
}

TEST(Rectangle, defaultIsEmptyAndTheIdentityOfUnion) {
    const Rectangle empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_FALSE(empty.contains({0, 0}));
    EXPECT_EQ(empty.united(Rectangle(1, 2, 4, 3)), Rectangle(1, 2, 4, 3));
    EXPECT_EQ(Rectangle::around({5, 6}).united(MapPoint{-1, 9}), Rectangle(-1, 5, 9, 6));
}

TEST(Shape, areaSubtractsHolesAndIgnoresRingOrientation) {
    EXPECT_DOUBLE_EQ(squareWithHole().area(), 100 - 16);
    const Shape counterClockwise(ShapeType::Polygon,
                                 {ring({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}})});
    EXPECT_DOUBLE_EQ(counterClockwise.area(), 16);
    EXPECT_DOUBLE_EQ(Shape(ShapeType::Line, {ring({{0, 0}, {3, 4}})}).area(), 0);
}

TEST(Shape, areaKeepsPrecisionWithCoordinatesInTheMillions) {
    const double x = 5'432'100.0, y = 7'654'300.0;
    const Shape square(ShapeType::Polygon,
                       {ring({{x, y}, {x, y + 1}, {x + 1, y + 1}, {x + 1, y}, {x, y}})});
    EXPECT_NEAR(square.area(), 1.0, 1e-9);
}

TEST(Shape, containsFollowsHolesAndCountsEdgesAsInside) {
    const Shape s = squareWithHole();
    EXPECT_TRUE(s.contains({1, 1}));
    EXPECT_FALSE(s.contains({5, 5}));   // in the hole
    EXPECT_TRUE(s.contains({0, 5}));    // outer edge
    EXPECT_TRUE(s.contains({3, 5}));    // hole edge
    EXPECT_TRUE(s.contains({10, 10}));  // corner
    EXPECT_FALSE(s.contains({11, 5}));
}

TEST(Shape, distanceIsZeroInsideAndMeasuredToTheNearestEdge) {
    const Shape s = squareWithHole();
    EXPECT_DOUBLE_EQ(s.distanceTo({1, 1}), 0);
    EXPECT_DOUBLE_EQ(s.distanceTo({5, 5}), 2);  // centre of the hole
    EXPECT_DOUBLE_EQ(s.distanceTo({13, 14}), 5);
    EXPECT_DOUBLE_EQ(Shape::point({1, 1}).distanceTo({4, 5}), 5);
}

TEST(Shape, labelPointOfAPolygonLiesInsideEvenAroundAHole) {
    const Shape s = squareWithHole();
    EXPECT_TRUE(s.contains(s.labelPoint()));
    // A U shape: its centre is outside.
    const Shape u(
        ShapeType::Polygon,
        {ring({{0, 0}, {0, 10}, {2, 10}, {2, 2}, {8, 2}, {8, 10}, {10, 10}, {10, 0}, {0, 0}})});
    EXPECT_FALSE(u.contains(u.extent().centre()));
    EXPECT_TRUE(u.contains(u.labelPoint()));
}

TEST(Shape, labelPointOfALineIsHalfwayAlongItsLongestPart) {
    const Shape line(ShapeType::Line, {ring({{0, 0}, {1, 0}}), ring({{0, 5}, {4, 5}, {4, 9}})});
    EXPECT_EQ(line.labelPoint(), (MapPoint{4, 5}));
}

TEST(Shape, extentCoversEveryPartAndEmptyShapeHasNone) {
    EXPECT_EQ(squareWithHole().extent(), Rectangle(0, 10, 10, 0));
    EXPECT_TRUE(Shape().extent().isEmpty());
    EXPECT_TRUE(Shape().isEmpty());
}

TEST(FitExtent, widensTheNarrowSideAboutTheCentreToThePictureShape) {
    const Rectangle fitted = fitExtent(Rectangle(0, 10, 10, 0), QSize(200, 100));
    EXPECT_EQ(fitted, Rectangle(-5, 15, 10, 0));
    const Rectangle tall = fitExtent(Rectangle(0, 10, 10, 0), QSize(100, 200));
    EXPECT_EQ(tall, Rectangle(0, 10, 15, -5));
    // A single point becomes a unit square first.
    EXPECT_EQ(fitExtent(Rectangle::around({3, 3}), QSize(10, 10)), Rectangle(2.5, 3.5, 3.5, 2.5));
    EXPECT_TRUE(fitExtent(Rectangle(), QSize(10, 10)).isEmpty());
}

TEST(FitExtent, aSideOfLengthZeroTakesItsLengthFromTheOther) {
    // A horizontal line, as a query can find: its length gives the height.
    EXPECT_EQ(fitExtent(Rectangle(0, 20, 5, 5), QSize(200, 100)), Rectangle(0, 20, 10, 0));
    // Typed corners with equal left and right: the height gives the width.
    EXPECT_EQ(fitExtent(Rectangle(7, 7, 10, 0), QSize(200, 100)), Rectangle(-3, 17, 10, 0));
}

TEST(Strings, keepEachTextOnceInAscendingExactOrder) {
    Strings strings;
    EXPECT_TRUE(strings.add("b"));
    EXPECT_TRUE(strings.add("B"));
    EXPECT_TRUE(strings.add("a"));
    EXPECT_FALSE(strings.add("b"));
    EXPECT_TRUE(strings.add(""));
    EXPECT_EQ(strings.items(), QStringList({"", "B", "a", "b"}));
    EXPECT_EQ(strings.item(7), QString());
}

TEST(Strings, manyTextsAtOnceGiveTheSameCollectionAsOneByOne) {
    const QStringList texts = {"b", "B", "a", "b", "", "a"};
    Strings one;
    for (const QString& t : texts) one.add(t);
    EXPECT_EQ(Strings::fromTexts(texts).items(), one.items());
}

TEST(Symbol, defaultClassColoursAreDistinctAndTheSameEveryTime) {
    QSet<ColourInt> seen;
    for (int i = 0; i < 64; ++i) {
        seen.insert(defaultClassColour(i));
        EXPECT_EQ(defaultClassColour(i), defaultClassColour(i));
    }
    EXPECT_EQ(seen.size(), 64);
    EXPECT_EQ(colourInt(255, 255, 0), 0xFFFFU);  // yellow: red in the low byte
    EXPECT_EQ(toQColor(colourInt(200, 10, 30)), QColor(200, 10, 30));
}
