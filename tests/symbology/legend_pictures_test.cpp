#include "symbology/legend_pictures.h"

#include <gtest/gtest.h>

using mapcontrol::colourInt;
using symbology::LegendItem;

namespace {

LegendItem classItem(const char* geometry, int style, mapcontrol::ColourInt colour,
                     bool classBreak = false) {
    LegendItem item;
    item.geometry = QString::fromLatin1(geometry);
    item.symbol.style = style;
    item.symbol.colour = colour;
    item.classBreak = classBreak;
    return item;
}

QRgb at(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;
constexpr QRgb kBlue = 0x0000FF;

}  // namespace

TEST(LegendPictures, polygonPicturesAreOutlinedBoxesFilledByStyle) {
    const mapcontrol::ColourInt blue = colourInt(0, 0, 255);
    const QImage solid = symbology::classPicture(classItem("poligono", 0, blue));
    ASSERT_EQ(solid.size(), QSize(15, 15));
    EXPECT_EQ(at(solid, 0, 0), kBlack);
    EXPECT_EQ(at(solid, 14, 14), kBlack);  // the box covers the whole picture
    EXPECT_EQ(at(solid, 7, 7), kBlue);

    const QImage hollow = symbology::classPicture(classItem("poligono", 1, blue));
    EXPECT_EQ(at(hollow, 7, 7), kWhite);
    EXPECT_EQ(at(hollow, 0, 7), kBlack);

    // Hatches: some inner pixels in the class colour, some white.
    for (int style = 2; style <= 7; ++style) {
        const QImage hatched = symbology::classPicture(classItem("poligono", style, blue));
        int coloured = 0;
        int white = 0;
        for (int y = 1; y < 14; ++y) {
            for (int x = 1; x < 14; ++x) {
                coloured += at(hatched, x, y) == kBlue;
                white += at(hatched, x, y) == kWhite;
            }
        }
        EXPECT_GT(coloured, 0) << style;
        EXPECT_GT(white, 0) << style;
    }
    // Horizontal hatch: a whole row coloured, a column not.
    const QImage horizontal = symbology::classPicture(classItem("poligono", 2, blue));
    int columnColoured = 0;
    for (int y = 1; y < 14; ++y) columnColoured += at(horizontal, 7, y) == kBlue;
    EXPECT_LT(columnColoured, 13);
}

TEST(LegendPictures, markersAreDrawnWithinTenPixels) {
    const mapcontrol::ColourInt green = colourInt(0, 160, 0);
    const QRgb g = 0x00A000;
    const QImage circle = symbology::classPicture(classItem("ponto", 0, green));
    EXPECT_EQ(at(circle, 5, 5), g);
    EXPECT_EQ(at(circle, 0, 0), kWhite);  // the circle leaves the corners
    EXPECT_EQ(at(circle, 12, 12), kWhite);

    const QImage square = symbology::classPicture(classItem("ponto", 1, green));
    EXPECT_EQ(at(square, 0, 0), g);
    EXPECT_EQ(at(square, 10, 10), g);
    EXPECT_EQ(at(square, 5, 5), g);  // filled
    EXPECT_EQ(at(square, 11, 11), kWhite);

    const QImage triangle = symbology::classPicture(classItem("ponto", 2, green));
    EXPECT_EQ(at(triangle, 5, 5), g);
    EXPECT_EQ(at(triangle, 0, 0), kWhite);

    const QImage cross = symbology::classPicture(classItem("ponto", 3, green));
    EXPECT_EQ(at(cross, 0, 5), g);
    EXPECT_EQ(at(cross, 5, 0), g);
    EXPECT_EQ(at(cross, 2, 2), kWhite);
}

TEST(LegendPictures, linesAreAZigzagAndClassBreaksAreSmallBoxes) {
    const QImage line = symbology::classPicture(classItem("linha", 0, colourInt(0, 0, 255)));
    EXPECT_EQ(at(line, 0, 0), kBlue);
    EXPECT_EQ(at(line, 5, 8), kBlue);
    EXPECT_EQ(at(line, 0, 14), kWhite);

    const QImage box =
        symbology::classPicture(classItem("poligono", 0, colourInt(0, 0, 255), true));
    EXPECT_EQ(at(box, 0, 0), kBlack);
    EXPECT_EQ(at(box, 5, 5), kBlue);
    EXPECT_EQ(at(box, 12, 12), kWhite);  // 10 x 10 only

    const QImage point = symbology::classPicture(classItem("ponto", 0, colourInt(0, 0, 255), true));
    EXPECT_EQ(at(point, 2, 2), kBlack);  // 3 x 3: an outline round one pixel
    EXPECT_EQ(at(point, 1, 1), kBlue);
    EXPECT_EQ(at(point, 3, 3), kWhite);

    const QImage rectangle = symbology::classPicture(classItem("retangulo", 0, 0));
    EXPECT_EQ(rectangle.pixel(0, 0), rectangle.pixel(7, 7));  // blank
}

TEST(LegendPictures, pureRedBecomesTransparentAndNearRedStays) {
    const QImage red = symbology::withRedTransparent(
        symbology::classPicture(classItem("ponto", 1, colourInt(255, 0, 0))));
    EXPECT_EQ(qAlpha(red.pixel(5, 5)), 0);
    EXPECT_EQ(qAlpha(red.pixel(12, 12)), 255);  // the white ground stays
    const QImage nearRed = symbology::withRedTransparent(
        symbology::classPicture(classItem("ponto", 1, colourInt(255, 2, 2))));
    EXPECT_EQ(qAlpha(nearRed.pixel(5, 5)), 255);
    EXPECT_EQ(symbology::separatorPicture().size(), QSize(10, 10));
}
