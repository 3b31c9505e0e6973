#include "wms/field_area.h"

#include "wms/picture_size.h"

#include <algorithm>
#include <cmath>

namespace wms {

namespace {

// A piece spans this many views of its level on a side and steps by
// kStep views: a view as large as (kSpan - kStep) views of the level, that
// is two, lies inside one piece. kSpan squared stays within the eight map
// areas a refresh accepts as one picture.
constexpr double kSpan = 2.8;
constexpr double kStep = 0.8;

// Where the pieces of one axis start, as shares of the extent's length, for
// pieces `length` long (shares too).
std::vector<double> starts(double length) {
    if (length >= 1.0) {
        return {0.0};
    }
    const double step = length * kStep / kSpan;
    const int count = int(std::ceil((1.0 - length) / step - 1e-9)) + 1;
    std::vector<double> result;
    for (int i = 0; i < count - 1; ++i) result.push_back(i * step);
    result.push_back(1.0 - length);  // the last one ends with the extent
    return result;
}

}  // namespace

std::vector<FieldPiece> fieldPieces(const mapcontrol::Rectangle& extent, QSize area) {
    std::vector<FieldPiece> pieces;
    if (extent.isEmpty() || extent.width() <= 0 || extent.height() <= 0 || area.isEmpty()) {
        return pieces;
    }
    // The map's own picture of the extent, as a refresh asks for it.
    const PictureSize own = pictureSize(area.width(), area.height(), extent);
    if (own.width <= 0 || own.height <= 0) {
        return pieces;
    }
    for (const int level : {2, 4, 8}) {
        const double length = std::min(1.0, kSpan / level);  // share of the extent
        const int width = int(std::lround(length * level * own.width));
        const int height = int(std::lround(length * level * own.height));
        const std::vector<double> along = starts(length);
        for (const double down : along) {
            const double top = extent.top() - down * extent.height();
            const double bottom = top - length * extent.height();
            for (const double across : along) {
                const double left = extent.left() + across * extent.width();
                const double right = left + length * extent.width();
                pieces.push_back({mapcontrol::Rectangle(left, std::min(right, extent.right()), top,
                                                        std::max(bottom, extent.bottom())),
                                  width, height, level});
            }
        }
    }
    return pieces;
}

}  // namespace wms
