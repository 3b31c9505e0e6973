#pragma once

#include "symbology/legend_items.h"

#include <QImage>

namespace symbology {

// Size of a class picture and of the picture of title and separator lines.
inline constexpr int kClassPictureSize = 15;
inline constexpr int kSeparatorPictureSize = 10;

// The small picture of a legend class on a white ground. Unique-value
// classes: polygons a 15 x 15 box outlined in black and filled in the fill
// style (transparent fills white), lines a zigzag in the line style, points
// the marker shape within 10 x 10. Class-break classes: a 10 x 10 box for
// polygons, the zigzag for lines, a 3 x 3 box for points. Anything else
// (rectangle layers) is left blank.
QImage classPicture(const LegendItem& item);

// The blank picture of title and separator lines.
QImage separatorPicture();

// The picture as the legend shows it: pure red pixels (255, 0, 0) become
// transparent, so the symbol editors store that colour as 255, 2, 2.
QImage withRedTransparent(const QImage& picture);

}  // namespace symbology
