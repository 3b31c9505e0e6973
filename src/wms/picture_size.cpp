#include "wms/picture_size.h"

#include <algorithm>
#include <cmath>

namespace wms {

namespace {

// Nearest integer, halves to even (the default rounding mode).
int roundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

}  // namespace

PictureSize pictureSize(int areaWidth, int areaHeight, const mapcontrol::Rectangle& extent) {
    const int longSide = std::max(areaWidth, areaHeight);
    const int shortSide = std::min(areaWidth, areaHeight);
    const double dx = extent.right() - extent.left();
    const double dy = extent.top() - extent.bottom();
    PictureSize size;
    if (dx < dy) {
        size.height = longSide;
        size.width = roundEven(dx * longSide / dy);
        size.x = roundEven((areaWidth - size.width) / 2.0);
    } else if (dx == dy) {
        size.width = size.height = shortSide;
        size.x = roundEven((areaWidth - areaHeight) / 2.0);
    } else {
        size.width = longSide;
        size.height = roundEven(dy * longSide / dx);
        size.y = roundEven((areaHeight - size.height) / 2.0);
    }
    return size;
}

}  // namespace wms
