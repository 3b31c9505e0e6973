#pragma once

#include <QPointF>

#include <algorithm>
#include <cmath>

namespace mapcontrol {

// A point in map units (for geographic data x is the longitude, y the latitude).
struct MapPoint {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const MapPoint&, const MapPoint&) = default;
};

// An axis-aligned rectangle in map units. `top` is the larger y. A rectangle
// made by the default constructor is empty (it contains nothing) and is the
// identity of `united`.
class Rectangle {
public:
    Rectangle() = default;
    Rectangle(double left, double right, double top, double bottom)
        : m_left(left), m_right(right), m_top(top), m_bottom(bottom), m_set(true) {}
    static Rectangle around(const MapPoint& p) { return {p.x, p.x, p.y, p.y}; }

    double left() const { return m_left; }
    double right() const { return m_right; }
    double top() const { return m_top; }
    double bottom() const { return m_bottom; }
    void setLeft(double v) {
        m_left = v;
        m_set = true;
    }
    void setRight(double v) {
        m_right = v;
        m_set = true;
    }
    void setTop(double v) {
        m_top = v;
        m_set = true;
    }
    void setBottom(double v) {
        m_bottom = v;
        m_set = true;
    }

    bool isEmpty() const { return !m_set || m_right < m_left || m_top < m_bottom; }
    double width() const { return m_right - m_left; }
    double height() const { return m_top - m_bottom; }
    // The larger of width and height: the yardstick for search distances and
    // label heights.
    double size() const { return std::max(width(), height()); }
    MapPoint centre() const { return {(m_left + m_right) / 2, (m_top + m_bottom) / 2}; }

    // The rectangle scaled by `factor` about its centre (2 doubles its sides).
    Rectangle scaled(double factor) const {
        const MapPoint c = centre();
        const double hw = width() / 2 * factor;
        const double hh = height() / 2 * factor;
        return {c.x - hw, c.x + hw, c.y + hh, c.y - hh};
    }
    Rectangle united(const Rectangle& other) const {
        if (isEmpty()) return other;
        if (other.isEmpty()) return *this;
        return {std::min(m_left, other.m_left), std::max(m_right, other.m_right),
                std::max(m_top, other.m_top), std::min(m_bottom, other.m_bottom)};
    }
    Rectangle united(const MapPoint& p) const { return united(around(p)); }
    // Edges count as inside.
    bool contains(const MapPoint& p) const {
        return !isEmpty() && p.x >= m_left && p.x <= m_right && p.y >= m_bottom && p.y <= m_top;
    }
    bool intersects(const Rectangle& o) const {
        return !isEmpty() && !o.isEmpty() && o.m_left <= m_right && o.m_right >= m_left &&
               o.m_bottom <= m_top && o.m_top >= m_bottom;
    }

    friend bool operator==(const Rectangle&, const Rectangle&) = default;

private:
    double m_left = 0.0;
    double m_right = 0.0;
    double m_top = 0.0;
    double m_bottom = 0.0;
    bool m_set = false;
};

}  // namespace mapcontrol
