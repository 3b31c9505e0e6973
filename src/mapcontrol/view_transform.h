#pragma once

#include "mapcontrol/geometry.h"

#include <QPointF>
#include <QSize>

namespace mapcontrol {

// Maps between map units and the pixels of a picture of a given size that
// shows `extent`. The extent is expected to have the picture's shape already
// (the map widget widens it so); x grows to the right in both spaces, y grows
// upwards in map units and downwards in pixels. Pixel (0, 0) is the top-left
// corner of the top-left pixel.
class ViewTransform {
public:
    ViewTransform() = default;
    ViewTransform(const Rectangle& extent, QSize pixels)
        : m_extent(extent),
          m_pixels(pixels),
          m_scale(pixels.width() > 0 && extent.width() > 0 ? pixels.width() / extent.width()
                                                           : 1.0) {}

    const Rectangle& extent() const { return m_extent; }
    QSize pixels() const { return m_pixels; }
    // Pixels per map unit.
    double scale() const { return m_scale; }
    // Map units per pixel.
    double pixelSize() const { return 1.0 / m_scale; }

    QPointF toPixel(const MapPoint& p) const {
        return {(p.x - m_extent.left()) * m_scale, (m_extent.top() - p.y) * m_scale};
    }
    MapPoint toMap(QPointF pixel) const {
        return {m_extent.left() + pixel.x() / m_scale, m_extent.top() - pixel.y() / m_scale};
    }

private:
    Rectangle m_extent;
    QSize m_pixels;
    double m_scale = 1.0;
};

}  // namespace mapcontrol
