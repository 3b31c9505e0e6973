#pragma once

#include "mapcontrol/layer_collection.h"
#include "mapcontrol/view_transform.h"

#include <QColor>

#include <functional>

class QPainter;

namespace mapcontrol {

// Fits `extent` to a picture of `pixels`: the rectangle is widened about its
// centre along one axis so that its shape matches the picture's. A rectangle
// without width and height is widened to one map unit first; an empty one
// gives an empty rectangle.
Rectangle fitExtent(const Rectangle& extent, QSize pixels);

// Draws the visible layers of `layers` from the bottom (the last index) to
// the top (index 0) over `background`, calling `afterLayer(index)` after
// each layer, hidden ones included (they draw nothing), so that the call for
// index 0 always comes last. The painter is still open during the call, so
// the handler can draw into the same picture. One layer that throws does not
// stop the others.
void drawLayers(QPainter& painter, const ViewTransform& view, const LayerCollection& layers,
                const QColor& background, const std::function<void(int)>& afterLayer);

}  // namespace mapcontrol
