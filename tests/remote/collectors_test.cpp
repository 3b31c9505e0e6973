#include "remote/collectors.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <limits>

namespace remote {
namespace {

// A 64 x 64 picture of the map from 0 to 64 degrees both ways, so the pixel
// of a position is (longitude, 64 - latitude).
const mapcontrol::Rectangle kExtent(0, 64, 64, 0);  // left, right, top, bottom
const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

QImage whitePicture() {
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

Position at(int x, int y) {
    return {QStringLiteral("p"), 64.0 - y, double(x)};
}

QColor pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// --- list lines and colours ---

TEST(CollectorLines, colourPartIsTheTextAfterTheFirstComma) {
    EXPECT_EQ(parseCollectorLine("ab12"), (CollectorLine{"ab12", std::nullopt}));
    EXPECT_EQ(parseCollectorLine("ab12,verde"), (CollectorLine{"ab12", QStringLiteral("verde")}));
    EXPECT_EQ(parseCollectorLine("ab12,RGB,1,2,3"),
              (CollectorLine{"ab12", QStringLiteral("RGB,1,2,3")}));
    EXPECT_EQ(parseCollectorLine("ab12,"), (CollectorLine{"ab12", QString()}));
    EXPECT_EQ(parseCollectorLine(""), (CollectorLine{"", std::nullopt}));
}

TEST(CollectorColours, tableNamesGiveThePlatformColoursExactlyAfterTrimming) {
    const std::pair<const char*, QColor> expected[] = {
        {"azul", QColor(0, 0, 255)},      {"vermelho", QColor(255, 0, 0)},
        {"preto", QColor(0, 0, 0)},       {"verde", QColor(0, 128, 0)},
        {"amarelo", QColor(255, 255, 0)}, {"cinza", QColor(128, 128, 128)},
    };
    for (const auto& [name, colour] : expected) {
        EXPECT_EQ(collectorColour(QString::fromLatin1(name)), colour) << name;
        EXPECT_EQ(collectorColour(QStringLiteral("  %1 ").arg(QLatin1String(name))), colour);
    }
    EXPECT_EQ(collectorColour("Verde"), std::nullopt);
    EXPECT_EQ(collectorColour("AZUL"), std::nullopt);
    EXPECT_EQ(collectorColour("roxo"), std::nullopt);
    EXPECT_EQ(collectorColour(""), std::nullopt);
}

TEST(CollectorColours, platformIntegersHoldRedInTheLowByte) {
    for (const NamedColour& named : kCollectorColours) {
        EXPECT_EQ(colourValue(*collectorColour(QString::fromLatin1(named.name))), named.value);
    }
    EXPECT_EQ(colourValue(QColor(0, 0, 255)), 16711680);
    EXPECT_EQ(colourFromValue(32768), QColor(0, 128, 0));
    EXPECT_EQ(defaultCollectorColour(), kRed);
}

TEST(CollectorColours, rgbTakesThreeNumbersAfterCommasInEitherCase) {
    EXPECT_EQ(collectorColour("RGB,10,20,30"), QColor(10, 20, 30));
    EXPECT_EQ(collectorColour("rgb, 0 ,255, 7 "), QColor(0, 255, 7));
    EXPECT_EQ(collectorColour(" RGB,255,2,2"), QColor(255, 2, 2));
    // Only the first three characters are looked at before the comma.
    EXPECT_EQ(collectorColour("RGBA,1,2,3"), QColor(1, 2, 3));
}

TEST(CollectorColours, badRgbPartsAreRefused) {
    for (const char* part : {"Rgb,1,2,3", "RGB,256,0,0", "RGB,-1,0,0", "RGB,1,2", "RGB,1,2,3,4",
                             "RGB,a,2,3", "RGB,1.5,2,3", "RGB,,2,3", "RGB", "RGB 1 2 3"}) {
        EXPECT_EQ(collectorColour(QString::fromLatin1(part)), std::nullopt) << part;
    }
}

TEST(CollectorColours, registeringPureRedStoresTwoInGreenAndBlue) {
    EXPECT_EQ(registeredLine("ab12", kRed), "ab12,RGB,255,2,2");
    EXPECT_EQ(registeredLine("ab12", QColor(0, 0, 0)), "ab12,RGB,0,0,0");
    EXPECT_EQ(registeredLine("c", QColor(255, 0, 1)), "c,RGB,255,0,1");
    EXPECT_EQ(registeredColour(kRed), QColor(255, 2, 2));
    EXPECT_EQ(registeredLine("a %1%2", QColor(1, 2, 3)), "a %1%2,RGB,1,2,3");
    // What "Cadastra" adds reads back as the colour it registered.
    EXPECT_EQ(collectorsOf({registeredLine("x", QColor(12, 34, 56))}).front().colour,
              QColor(12, 34, 56));
}

TEST(CollectorColours, listIsRedUntilAColourAndBarePrefixesKeepTheColourBefore) {
    const std::vector<Collector> collectors =
        collectorsOf({"a", "b,verde", "c", "d,RGB,1,2,3", "e,roxo", "f,azul"});
    const std::vector<Collector> expected{
        {"a", kRed},
        {"b", kGreen},
        {"c", kGreen},
        {"d", QColor(1, 2, 3)},
        {"e", QColor(1, 2, 3)},  // an unknown colour part changes nothing
        {"f", QColor(0, 0, 255)},
    };
    EXPECT_EQ(collectors, expected);
}

// --- position files ---

TEST(PositionFiles, threeFieldsNameLatitudeLongitude) {
    const std::vector<Position> positions =
        readPositions({"coletor 1,-4.5,-65.5", "b, 10 ,+20.25", "c,1e1,-180", "d,90,180"});
    const std::vector<Position> expected{
        {"coletor 1", -4.5, -65.5}, {"b", 10, 20.25}, {"c", 10, -180}, {"d", 90, 180}};
    EXPECT_EQ(positions, expected);
}

TEST(PositionFiles, linesOfAnotherFormAreSkipped) {
    const std::vector<Position> positions = readPositions({
        "",
        "a,1",
        "a,1,2,3",
        "a,1;5,2",
        "a,1,5,2",
        "a,nan,2",
        "a,1,inf",
        "a,91,0",
        "a,0,-180.5",
        "a,,2",
        "ok,-1,-2",
    });
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_EQ(positions.front(), (Position{"ok", -1, -2}));
}

TEST(PositionFiles, anHtmlErrorPageHoldsNoPositions) {
    const QStringList page{"<!DOCTYPE html>", "<html><head><title>500 Erro</title></head>",
                           "<body><p>Erro no servidor, tente 1,2,3 vezes</p></body></html>"};
    EXPECT_TRUE(readPositions(page).empty());
}

// --- pixels ---

TEST(CollectorPixels, nearestPixelOfTheExtentOnThePicture) {
    const mapcontrol::Rectangle brazil(-74, -34, 6, -34);  // 40 x 40 degrees
    const QSize size(400, 200);
    EXPECT_EQ(pixelOf(brazil, size, {"", -4.6, -65.5}), QPointF(85, 53));
    EXPECT_EQ(pixelOf(brazil, size, {"", 6, -74}), QPointF(0, 0));
    EXPECT_EQ(pixelOf(brazil, size, {"", -34, -34}), QPointF(400, 200));
    EXPECT_EQ(pixelOf(brazil, size, {"", 7, -75}), QPointF(-10, -5));
    EXPECT_EQ(pixelOf(brazil, size, {"", -4.52, -74.06}), QPointF(-1, 53));
}

TEST(CollectorPixels, flatOrEmptyExtentsPlaceNothing) {
    const Position p{"", 1, 1};
    EXPECT_EQ(pixelOf(mapcontrol::Rectangle(), {10, 10}, p), std::nullopt);
    EXPECT_EQ(pixelOf(mapcontrol::Rectangle(1, 1, 2, 0), {10, 10}, p), std::nullopt);
    EXPECT_EQ(pixelOf(mapcontrol::Rectangle(0, 2, 1, 1), {10, 10}, p), std::nullopt);
    const double tiny = std::numeric_limits<double>::denorm_min();
    EXPECT_EQ(pixelOf(mapcontrol::Rectangle(0, tiny, tiny, 0), {10, 10}, {"", 90, 180}),
              std::nullopt);
}

// --- drawing ---

TEST(CollectorDrawing, barePrefixIsRedAndTheNextLineTakesItsGreen) {
    const std::vector<Collector> collectors = collectorsOf({"a", "b,verde"});
    ASSERT_EQ(collectors.size(), 2u);
    QImage image = whitePicture();
    drawCollectors(image, kExtent,
                   {{collectors[0], {at(16, 16), at(16, 40)}}, {collectors[1], {at(40, 20)}}}, true,
                   false);
    EXPECT_EQ(pixel(image, 16, 16), kRed);
    EXPECT_EQ(pixel(image, 16, 40), kRed);
    EXPECT_EQ(pixel(image, 40, 20), kGreen);
    // Black outline 4 pixels from the centre; white beyond it.
    EXPECT_EQ(pixel(image, 12, 16), QColor(0, 0, 0));
    EXPECT_EQ(pixel(image, 20, 16), QColor(0, 0, 0));
    EXPECT_EQ(pixel(image, 16, 21), kWhite);
    EXPECT_EQ(pixel(image, 10, 16), kWhite);
    // Not joined: nothing between the two red circles.
    EXPECT_EQ(pixel(image, 16, 28), kWhite);
}

TEST(CollectorDrawing, circlesAreTheEllipsesOfTheirCornersEvenAtTheEdges) {
    const QColor blue(0, 0, 255);
    const std::vector<Position> points{at(20, 20), at(0, 0), at(63, 63), at(-3, 30), at(66, 5)};
    QImage drawn = whitePicture();
    drawCollectors(drawn, kExtent, {{{"a", blue}, points}}, true, false);
    QImage expected = whitePicture();
    {
        QPainter painter(&expected);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(blue);
        for (const auto& [x, y] : {std::pair{20, 20}, {0, 0}, {63, 63}, {-3, 30}, {66, 5}}) {
            painter.drawEllipse(QRectF(QPointF(x - 4, y - 4), QPointF(x + 4, y + 4)));
        }
    }
    EXPECT_EQ(drawn, expected);
    EXPECT_NE(drawn, whitePicture());
}

TEST(CollectorDrawing, lastPointOnlyDrawsOneCircleAtTheFourthAndNoLines) {
    const Collector red{"a", kRed};
    const std::vector<Position> four{at(8, 8), at(8, 56), at(56, 56), at(56, 8)};
    for (const bool join : {false, true}) {
        QImage image = whitePicture();
        drawCollectors(image, kExtent, {{red, four}}, false, join);
        EXPECT_EQ(pixel(image, 56, 8), kRed);
        for (const auto& [x, y] :
             {std::pair{8, 8}, {8, 56}, {56, 56}, {8, 32}, {32, 56}, {56, 32}}) {
            EXPECT_EQ(pixel(image, x, y), kWhite) << x << "," << y << " join " << join;
        }
    }
}

TEST(CollectorDrawing, pointsAreJoinedOnlyWithAllPointsAndJoin) {
    const Collector green{"b", kGreen};
    const std::vector<Position> three{at(8, 8), at(8, 56), at(56, 56)};
    QImage joined = whitePicture();
    drawCollectors(joined, kExtent, {{green, three}}, true, true);
    // Line 3 pixels wide in the collector's colour along each leg.
    for (const int dx : {-1, 0, 1}) EXPECT_EQ(pixel(joined, 8 + dx, 32), kGreen) << dx;
    EXPECT_EQ(pixel(joined, 6, 32), kWhite);
    EXPECT_EQ(pixel(joined, 32, 56), kGreen);
    // No leg back from the last point to the first.
    EXPECT_EQ(pixel(joined, 32, 32), kWhite);
    // The line to a point is drawn after its circle, across the outline.
    EXPECT_EQ(pixel(joined, 8, 52), kGreen);

    QImage apart = whitePicture();
    drawCollectors(apart, kExtent, {{green, three}}, true, false);
    EXPECT_EQ(pixel(apart, 8, 32), kWhite);
    EXPECT_EQ(pixel(apart, 8, 56), kGreen);
}

TEST(CollectorDrawing, eachCollectorStartsItsOwnLine) {
    QImage image = whitePicture();
    drawCollectors(image, kExtent, {{{"a", kRed}, {at(8, 8)}}, {{"b", kGreen}, {at(56, 56)}}}, true,
                   true);
    EXPECT_EQ(pixel(image, 32, 32), kWhite);
    EXPECT_EQ(pixel(image, 8, 8), kRed);
    EXPECT_EQ(pixel(image, 56, 56), kGreen);
}

TEST(CollectorDrawing, positionsFarOutsideThePictureStillAimTheLines) {
    // A zoom so deep that the first point is millions of pixels away: the
    // line into the picture keeps its direction.
    const mapcontrol::Rectangle deep(10, 10.0001, 20.0001, 20);
    QImage image = whitePicture();
    const Position far{"", 20.00005, -170};  // far to the left, on the middle row
    const Position inside{"", 20.00005, 10.00005};
    drawCollectors(image, deep, {{{"a", kGreen}, {far, inside}}}, true, true);
    EXPECT_EQ(pixel(image, 0, 32), kGreen);
    EXPECT_EQ(pixel(image, 20, 32), kGreen);
    EXPECT_EQ(pixel(image, 20, 28), kWhite);
    EXPECT_EQ(pixel(image, 32, 32), kGreen);
}

TEST(CollectorDrawing, anEmptyTrackOrFlatExtentDrawsNothing) {
    QImage image = whitePicture();
    const QImage before = image;
    drawCollectors(image, kExtent, {{{"a", kRed}, readPositions({"<html>", "</html>"})}}, true,
                   true);
    drawCollectors(image, mapcontrol::Rectangle(1, 1, 1, 1), {{{"a", kRed}, {at(8, 8)}}}, true,
                   true);
    EXPECT_EQ(image, before);
}

}  // namespace
}  // namespace remote
