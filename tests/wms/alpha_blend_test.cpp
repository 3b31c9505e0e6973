#include "wms/alpha_blend.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

namespace wms {
namespace {

// RGB32 picture of one colour; `fourth` is the fourth byte of every pixel.
QImage filled(int width, int height, int blue, int green, int red, int fourth = 0xFF) {
    QImage image(width, height, QImage::Format_RGB32);
    // Written word by word: fill() would make the fourth byte 0xFF.
    const std::uint32_t value =
        uint(fourth) << 24 | uint(red) << 16 | uint(green) << 8 | uint(blue);
    for (int y = 0; y < height; ++y) {
        std::fill_n(reinterpret_cast<std::uint32_t*>(image.scanLine(y)), width, value);
    }
    return image;
}

std::uint32_t word(const QImage& image, int x, int y) {
    return reinterpret_cast<const std::uint32_t*>(image.constScanLine(y))[x];
}

int byteAt(const QImage& image, int x, int y, int k) {
    return image.constScanLine(y)[4 * x + k];
}

// The rule written out byte by byte, as plainly as it reads.
QImage referenceBlend(int x, int y, const QImage& foreground, double opacity, QImage background) {
    const int f = int(std::nearbyint(opacity * 255)) & 0xFF;
    const QImage before = background.copy();
    for (int i = 0; i < foreground.height(); ++i) {
        if (y + i < 0 || y + i >= background.height()) continue;
        for (int j = 0; j < foreground.width(); ++j) {
            if (x + j < 0 || x + j >= background.width()) continue;
            for (int k = 0; k < 3; ++k) {
                const int d = foreground.constScanLine(i)[4 * j + k];
                const int e = before.constScanLine(y + i)[4 * (x + j) + k];
                const int product = (d - e) * f;
                const int quotient = product >= 0 ? product / 256 : -((-product + 255) / 256);
                background.scanLine(y + i)[4 * (x + j) + k] = uchar(e + quotient);
            }
        }
    }
    return background;
}

QImage randomImage(int width, int height, std::mt19937& random) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int row = 0; row < height; ++row) {
        uchar* line = image.scanLine(row);
        for (int i = 0; i < 4 * width; ++i) line[i] = uchar(random());
    }
    return image;
}

TEST(AlphaBlend, HalfOpacityMeetsHalfwayBothWays) {
    QImage background = filled(3, 2, 100, 100, 100);
    ASSERT_TRUE(AlphaBlend(0, 0, filled(3, 2, 200, 200, 200), 0.5, background));
    EXPECT_EQ(byteAt(background, 2, 1, 0), 150);
    EXPECT_EQ(byteAt(background, 2, 1, 1), 150);
    EXPECT_EQ(byteAt(background, 2, 1, 2), 150);

    // Going down, the floor of -50 is -50: the same 150.
    background = filled(3, 2, 200, 200, 200);
    ASSERT_TRUE(AlphaBlend(0, 0, filled(3, 2, 100, 100, 100), 0.5, background));
    EXPECT_EQ(byteAt(background, 0, 0, 0), 150);
}

TEST(AlphaBlend, FullOpacityStopsOneShortOfTheForeground) {
    QImage background = filled(2, 2, 0, 0, 0);
    ASSERT_TRUE(AlphaBlend(0, 0, filled(2, 2, 255, 255, 255), 1.0, background));
    EXPECT_EQ(word(background, 1, 1) & 0x00FFFFFFu, 0x00FEFEFEu);
}

TEST(AlphaBlend, ZeroOpacityLeavesTheBackground) {
    QImage background = filled(2, 2, 10, 20, 30);
    ASSERT_TRUE(AlphaBlend(0, 0, filled(2, 2, 255, 0, 128), 0.0, background));
    EXPECT_EQ(word(background, 0, 0), 0xFF1E140Au);
}

TEST(AlphaBlend, NegativeDifferencesRoundDown) {
    // (0 - 255) × 128 / 256 is exactly -127.5: the floor gives 127, not 128.
    QImage background = filled(1, 1, 255, 1, 3);
    ASSERT_TRUE(AlphaBlend(0, 0, filled(1, 1, 0, 0, 0), 0.5, background));
    EXPECT_EQ(byteAt(background, 0, 0, 0), 127);
    EXPECT_EQ(byteAt(background, 0, 0, 1), 0);  // 1 + floor(-0.5)
    EXPECT_EQ(byteAt(background, 0, 0, 2), 1);  // 3 + floor(-1.5)
}

TEST(AlphaBlend, OpacityRoundsToTheNearestFactorHalvesToEven) {
    EXPECT_EQ(blendFactor(0.0), 0);
    EXPECT_EQ(blendFactor(0.5), 128);  // 127.5 goes to the even 128
    EXPECT_EQ(blendFactor(1.0), 255);
    EXPECT_EQ(blendFactor(0.3), 76);  // 76.5: down to the even 76
    EXPECT_EQ(blendFactor(0.1), 26);  // 25.5: up to the even 26
    EXPECT_EQ(blendFactor(0.7), 178);
    EXPECT_EQ(blendFactor(0.9), 230);
    EXPECT_EQ(blendFactor(0.2), 51);
}

TEST(AlphaBlend, FourthByteOfTheBackgroundNeverChanges) {
    QImage background = filled(4, 3, 10, 20, 30, 0x5A);
    ASSERT_TRUE(AlphaBlend(0, 0, filled(4, 3, 250, 240, 230, 0xC3), 0.8, background));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(byteAt(background, x, y, 3), 0x5A);
            EXPECT_NE(byteAt(background, x, y, 0), 10);
        }
    }
}

TEST(AlphaBlend, LargerForegroundBlendsOnlyWhereTheyOverlap) {
    QImage background = filled(3, 2, 0, 0, 0);
    ASSERT_TRUE(AlphaBlend(0, 0, filled(8, 5, 200, 200, 200), 0.5, background));
    EXPECT_EQ(background.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(word(background, x, y), 0xFF646464u);
    }
}

TEST(AlphaBlend, OffsetsClipOnEverySide) {
    std::mt19937 random(11);
    const QImage background = randomImage(9, 7, random);
    const QImage foreground = randomImage(5, 4, random);
    for (const QPoint offset : {QPoint(-2, -1), QPoint(6, 5), QPoint(-4, 6), QPoint(9, 0),
                                QPoint(0, -4), QPoint(-100, 3), QPoint(2, 2)}) {
        QImage blended = background;
        ASSERT_TRUE(AlphaBlend(offset.x(), offset.y(), foreground, 0.6, blended));
        EXPECT_EQ(blended, referenceBlend(offset.x(), offset.y(), foreground, 0.6, background))
            << offset.x() << ", " << offset.y();
    }
}

TEST(AlphaBlend, MatchesThePlainRuleOnRandomPictures) {
    std::mt19937 random(20250101);
    const QSize sizes[] = {{1, 1}, {3, 2}, {7, 5}, {17, 9}, {33, 4}, {100, 3}};
    const double opacities[] = {0.0, 0.001, 0.25, 0.5, 0.5019, 0.75, 0.999, 1.0};
    for (const QSize size : sizes) {
        for (const double opacity : opacities) {
            const QImage foreground = randomImage(size.width(), size.height(), random);
            const QImage background = randomImage(size.width(), size.height(), random);
            QImage blended = background;
            ASSERT_TRUE(AlphaBlend(0, 0, foreground, opacity, blended));
            ASSERT_EQ(blended, referenceBlend(0, 0, foreground, opacity, background))
                << size.width() << " x " << size.height() << " at " << opacity;
        }
    }
}

TEST(AlphaBlend, EveryPairOfBytesAtEveryFactorMatchesThePlainRule) {
    // One row holds all 256 × 256 pairs of foreground and background bytes.
    QImage foreground(256 * 256, 1, QImage::Format_RGB32);
    QImage background(256 * 256, 1, QImage::Format_RGB32);
    for (int d = 0; d < 256; ++d) {
        for (int e = 0; e < 256; ++e) {
            reinterpret_cast<std::uint32_t*>(foreground.scanLine(0))[d * 256 + e] =
                0x01000000u * 0x11 | 0x00010101u * uint(d);
            reinterpret_cast<std::uint32_t*>(background.scanLine(0))[d * 256 + e] =
                0x01000000u * 0x22 | 0x00010101u * uint(e);
        }
    }
    for (int f = 0; f < 256; f += 5) {
        QImage blended = background;
        ASSERT_TRUE(AlphaBlend(0, 0, foreground, f / 255.0, blended));
        ASSERT_EQ(blended, referenceBlend(0, 0, foreground, f / 255.0, background)) << f;
    }
}

TEST(AlphaBlend, PictureBlendedOntoItselfReadsItsOldPixels) {
    std::mt19937 random(5);
    QImage picture = randomImage(12, 10, random);
    const QImage expected = referenceBlend(3, 2, picture, 0.4, picture);
    ASSERT_TRUE(AlphaBlend(3, 2, picture, 0.4, picture));
    EXPECT_EQ(picture, expected);
}

TEST(AlphaBlend, CopiesSharingTheBackgroundKeepTheirPixels) {
    QImage background = filled(2, 2, 0, 0, 0);
    const QImage copy = background;
    ASSERT_TRUE(AlphaBlend(0, 0, filled(2, 2, 255, 255, 255), 1.0, background));
    EXPECT_EQ(word(copy, 0, 0), 0xFF000000u);
    EXPECT_EQ(word(background, 0, 0), 0xFFFEFEFEu);
}

TEST(AlphaBlend, OtherFormatsAreConvertedAndTheBackgroundEndsAsRgb32) {
    QImage background(2, 1, QImage::Format_RGB888);
    background.fill(QColor(100, 100, 100));
    QImage foreground(2, 1, QImage::Format_Grayscale8);
    foreground.fill(200);
    ASSERT_TRUE(AlphaBlend(0, 0, foreground, 0.5, background));
    EXPECT_EQ(background.format(), QImage::Format_RGB32);
    EXPECT_EQ(word(background, 1, 0) & 0x00FFFFFFu, 0x00969696u);
}

TEST(AlphaBlend, MissingPictureIsRefusedAndTheBackgroundKept) {
    QImage background = filled(2, 2, 1, 2, 3);
    platform::Result r = AlphaBlend(0, 0, QImage(), 0.5, background);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.message, kBlendMissingMessage);
    EXPECT_EQ(word(background, 0, 0), 0xFF030201u);

    QImage none;
    r = AlphaBlend(0, 0, filled(2, 2, 1, 2, 3), 0.5, none);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.message, kBlendMissingMessage);
    EXPECT_TRUE(none.isNull());
    EXPECT_EQ(kBlendMissingMessage,
              "The foreground or background bitmaps do not have any actual images in them!");
}

TEST(AlphaBlend, OpacityOutsideZeroToOneIsRefusedAndTheBackgroundKept) {
    for (const double opacity : {-0.001, 1.001, -1.0, 255.0, std::nan("")}) {
        QImage background = filled(2, 2, 1, 2, 3);
        const platform::Result r = AlphaBlend(0, 0, filled(2, 2, 9, 9, 9), opacity, background);
        EXPECT_FALSE(r) << opacity;
        EXPECT_EQ(r.message, kBlendValueMessage);
        EXPECT_EQ(word(background, 1, 1), 0xFF030201u);
    }
    EXPECT_EQ(kBlendValueMessage,
              "The image blend value must be between 0.0 (fully transparent foreground) to 1.0 "
              "(fully opaque foreground)");
    EXPECT_EQ(kBlendErrorMessage,
              "ERROR: Unable to Draw Foreground Bitmap onto Background Bitmap using an Alpha "
              "Channel");
}

}  // namespace
}  // namespace wms
