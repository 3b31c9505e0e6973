#include "output/zoom_coordinates.h"
#include "output/screen_output.h"
#include "platform/text_file.h"

#include <gtest/gtest.h>

using output::DmsTexts;

TEST(ZoomCoordinates, cornersInDegreesMinutesAndSecondsKeepTheirSign) {
    const DmsTexts south = output::dmsTexts(-5.5);
    EXPECT_EQ(south.degrees, "  -5");
    EXPECT_EQ(south.minutes, "  30");
    EXPECT_EQ(south.seconds, "0.0000");
    const DmsTexts north = output::dmsTexts(5.5);
    EXPECT_EQ(north.degrees, "   5");
    EXPECT_EQ(north.minutes, "  30");
    EXPECT_EQ(north.seconds, "0.0000");
    EXPECT_DOUBLE_EQ(output::cornerValue("-47", "30", "0"), -47.5);
    EXPECT_DOUBLE_EQ(output::cornerValue("47", "30", ""), 47.5);
    EXPECT_DOUBLE_EQ(output::cornerValue("grau", "x", "y"), 0.0);

    // Between 0 and -1 degree the degrees read "-0", and the sign comes back.
    const DmsTexts near = output::dmsTexts(-0.5);
    EXPECT_EQ(near.degrees, "  -0");
    EXPECT_DOUBLE_EQ(output::cornerValue(near.degrees, near.minutes, near.seconds), -0.5);
    // A value a hair below a whole minute shows that minute, not 60 seconds.
    const DmsTexts carried = output::dmsTexts(-14.7);
    EXPECT_EQ(carried.minutes, "  42");
    EXPECT_EQ(carried.seconds, "0.0000");
    EXPECT_EQ(output::dmsTexts(-0.99999999999).degrees, "  -1");
    EXPECT_EQ(output::dmsTexts(0.0).degrees, "   0");
    // Typed degrees far beyond any map are shown, not cut to an integer type.
    EXPECT_EQ(output::dmsTexts(-1e20).degrees, "-100000000000000000000");
    EXPECT_EQ(output::dmsTexts(1e300).minutes, "   0");
    const DmsTexts seconds = output::dmsTexts(-47.2525);
    EXPECT_NEAR(output::cornerValue(seconds.degrees, seconds.minutes, seconds.seconds), -47.2525,
                1e-7);
}

TEST(ZoomCoordinates, worldFileLinesHaveFifteenAndFourteenDecimals) {
    const QStringList lines =
        output::worldFileLines(mapcontrol::Rectangle(-50, -43.95, -4.71, -10), QSize(605, 529));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], "0.010000000000000");
    EXPECT_EQ(lines[1], "0.000000000000000");
    EXPECT_EQ(lines[2], "0.000000000000000");
    EXPECT_EQ(lines[3], "-0.010000000000000");
    EXPECT_EQ(lines[4], "-50.00000000000000");
    EXPECT_EQ(lines[5], "-4.71000000000000");
    EXPECT_EQ(output::worldFilePath("/tmp/mapa.tif"), "/tmp/mapa.tfw");
    // Beside the picture, named from the file name: dots in folders do not count.
    EXPECT_EQ(output::worldFilePath("/home/joao.silva/mapas/mapa.tif"),
              "/home/joao.silva/mapas/mapa.tfw");
    EXPECT_EQ(output::worldFilePath("/tmp/v1.2/mapa.final.tif"), "/tmp/v1.2/mapa.tfw");
    EXPECT_EQ(output::worldFilePath("/tmp/v1.2/mapa"), "/tmp/v1.2/mapa.tfw");
}

TEST(ZoomCoordinates, zoomFilesUseCommasAndSixBlanks) {
    const QStringList lines =
        output::zoomFileLines({output::decimalText(-47.5), output::decimalText(-5.25),
                               output::decimalText(-46.5), output::decimalText(-6.25)});
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "-47,50000000      -5,25000000");
    EXPECT_EQ(lines[2], "-46,50000000      -6,25000000");
    EXPECT_EQ(output::zoomFileLines({"12", "3", "4", "5"})[0], ",12      ,3");

    const output::ZoomCorners read = output::readZoomFile(lines);
    EXPECT_EQ(read.left, "-47,50000000");
    EXPECT_EQ(read.top, "-5,25000000");
    EXPECT_EQ(read.right, "-46,50000000");
    EXPECT_EQ(read.bottom, "-6,25000000");
    const DmsTexts back = output::dmsFromCommaText(read.left);
    EXPECT_EQ(back.degrees, "-47");
    EXPECT_EQ(back.minutes, "30");
    EXPECT_DOUBLE_EQ(output::cornerValue(back.degrees, back.minutes, back.seconds), -47.5);

    // One line, junk, numbers without ",": empty or zero corners, no crash.
    EXPECT_TRUE(output::readZoomFile({"-47,5"}).bottom.isEmpty());
    EXPECT_EQ(output::dmsFromCommaText("lixo").minutes, "0");
    EXPECT_EQ(output::dmsFromCommaText("-47").degrees, "-47");
}

TEST(ScreenOutput, metafileFactorIsTheCurrentOverTheChosenScale) {
    EXPECT_EQ(output::listedScale("2.500.000"), 2500000);
    EXPECT_EQ(output::listedScale("1000.000"), 1000000);
    EXPECT_DOUBLE_EQ(output::metafileFactor("250000.0000", "250.000"), 1.0);
    EXPECT_DOUBLE_EQ(output::metafileFactor("250000.0000", "5.000.000"), 0.05);
    EXPECT_DOUBLE_EQ(output::metafileFactor("250000.0000", "100.000"), 2.5);
    EXPECT_EQ(output::metafileFactor("", "100.000"), 0.0);
    EXPECT_EQ(output::metafileFactor("0", "100.000"), 0.0);
}

// Inputs the fuzzer found that once broke the program, read as it reads them.
TEST(ZoomCoordinates, fuzzRegressionsReadWithoutFault) {
    const QByteArray hugeDegrees = QByteArray::fromBase64(
        "LTQ3LCAgLTQ4ODg4ODg4ODg4ODg4ODg4ODg4ODg4ODg4ODg4ODg4ODg4LDI1MHh4eHh4AAIAAHh4eHh4Ci00Pyw1Ci"
        "00"
        "MCAgATAAACAAAAAAMjU=");
    const output::ZoomCorners corners = output::readZoomFile(platform::splitTextLines(hugeDegrees));
    const output::DmsTexts top = output::dmsFromCommaText(corners.top);
    const double value = output::cornerValue(top.degrees, top.minutes, top.seconds);
    EXPECT_LT(value, -1e30);
    EXPECT_TRUE(output::dmsTexts(value).degrees.startsWith("-4888"));
}
