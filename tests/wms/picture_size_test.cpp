#include "wms/picture_size.h"

#include <gtest/gtest.h>

namespace wms {
namespace {

TEST(PictureSize, SquareExtentTakesTheShortSideCentredWithHalvesToEven) {
    const PictureSize s = pictureSize(614, 529, mapcontrol::Rectangle(0, 10, 10, 0));
    EXPECT_EQ(s.width, 529);
    EXPECT_EQ(s.height, 529);
    EXPECT_EQ(s.x, 42);  // 42.5 rounds to the even 42
    EXPECT_EQ(s.y, 0);
}

TEST(PictureSize, LongSideOfTheAreaFollowsTheLongSideOfTheExtent) {
    // Wider than high: the width is the area's long side, centred down.
    PictureSize s = pictureSize(600, 400, mapcontrol::Rectangle(0, 40, 10, 0));
    EXPECT_EQ(s.width, 600);
    EXPECT_EQ(s.height, 150);
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(s.y, 125);
    // Higher than wide: the height is the long side even when the area is
    // wider than high, and the picture is centred across.
    s = pictureSize(600, 400, mapcontrol::Rectangle(0, 5, 10, 0));
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.width, 300);
    EXPECT_EQ(s.x, 150);
    EXPECT_EQ(s.y, 0);
    // 2.5 pixels of width round to the even 2.
    s = pictureSize(100, 100, mapcontrol::Rectangle(0, 2.5, 100, 0));
    EXPECT_EQ(s.width, 2);
    EXPECT_EQ(s.x, 49);
}

}  // namespace
}  // namespace wms
