#include "mapcontrol/map_picture.h"

#include <QPainter>

#include <exception>

namespace mapcontrol {

Rectangle fitExtent(const Rectangle& extent, QSize pixels) {
    if (extent.isEmpty() || pixels.width() <= 0 || pixels.height() <= 0) {
        return extent.isEmpty() ? Rectangle() : extent;
    }
    Rectangle r = extent;
    if (r.width() <= 0 && r.height() <= 0) {
        r = Rectangle(r.left() - 0.5, r.right() + 0.5, r.top() + 0.5, r.bottom() - 0.5);
    }
    const double pictureRatio = static_cast<double>(pixels.width()) / pixels.height();
    const MapPoint c = r.centre();
    double width = r.width();
    double height = r.height();
    // A side of length zero (a horizontal or vertical line) takes its length
    // from the other side and the window's shape.
    if (height > 0 && (width <= 0 || width / height < pictureRatio)) {
        width = height * pictureRatio;
    } else {
        height = width / pictureRatio;
    }
    return {c.x - width / 2, c.x + width / 2, c.y + height / 2, c.y - height / 2};
}

void drawLayers(QPainter& painter, const ViewTransform& view, const LayerCollection& layers,
                const QColor& background, const std::function<void(int)>& afterLayer) {
    painter.fillRect(QRect(QPoint(0, 0), view.pixels()), background);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (int index = layers.count() - 1; index >= 0; --index) {
        const Layer* layer = layers.item(index);
        if (layers.isVisible(index) && layer->isValid()) {
            painter.save();
            try {
                layer->draw(painter, view);
            } catch (const std::exception&) {
                // A layer that fails is left out; the rest of the map still draws.
            }
            painter.restore();
        }
        if (afterLayer) {
            afterLayer(index);
        }
    }
}

}  // namespace mapcontrol
