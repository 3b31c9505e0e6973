#pragma once

#include "mapcontrol/geometry.h"

// The size and place of a service picture inside the W × H map area: the
// long side of the area along the extent's long side, the picture centred
// across the other one.
namespace wms {

struct PictureSize {
    int width = 0;
    int height = 0;
    int x = 0;  // offset of the picture in the map area
    int y = 0;
};

// Rounding is to the nearest integer, halves to even: a square extent in
// 614 × 529 gives 529 × 529 at x 42.
PictureSize pictureSize(int areaWidth, int areaHeight, const mapcontrol::Rectangle& extent);

}  // namespace wms
