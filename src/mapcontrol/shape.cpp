#include "mapcontrol/shape.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mapcontrol {

namespace planar {

double signedArea(const MapPoint* points, std::size_t count) {
    if (count < 3) {
        return 0.0;
    }
    // Relative to the first vertex, so that coordinates in the millions keep
    // their precision.
    const MapPoint o = points[0];
    double twice = 0.0;
    for (std::size_t i = 1; i + 1 < count; ++i) {
        const double x1 = points[i].x - o.x, y1 = points[i].y - o.y;
        const double x2 = points[i + 1].x - o.x, y2 = points[i + 1].y - o.y;
        twice += x1 * y2 - x2 * y1;
    }
    return twice / 2.0;
}

double pathLength(const MapPoint* points, std::size_t count) {
    double length = 0.0;
    for (std::size_t i = 1; i < count; ++i) {
        length += std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y);
    }
    return length;
}

namespace {

double segmentDistance(const MapPoint& a, const MapPoint& b, const MapPoint& p) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

}  // namespace

bool ringContains(const MapPoint* points, std::size_t count, const MapPoint& p, bool& onEdge) {
    bool inside = false;
    for (std::size_t i = 0, j = count - 1; i < count; j = i++) {
        const MapPoint& a = points[i];
        const MapPoint& b = points[j];
        // On the edge: collinear and within the segment's box.
        const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        if (cross == 0.0 && p.x >= std::min(a.x, b.x) && p.x <= std::max(a.x, b.x) &&
            p.y >= std::min(a.y, b.y) && p.y <= std::max(a.y, b.y)) {
            onEdge = true;
            return true;
        }
        if ((a.y > p.y) != (b.y > p.y)) {
            const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (p.x < x) {
                inside = !inside;
            }
        }
    }
    return inside;
}

double distanceToPath(const MapPoint* points, std::size_t count, const MapPoint& p, bool closed) {
    if (count == 0) {
        return std::numeric_limits<double>::infinity();
    }
    if (count == 1) {
        return std::hypot(points[0].x - p.x, points[0].y - p.y);
    }
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < count; ++i) {
        best = std::min(best, segmentDistance(points[i - 1], points[i], p));
    }
    if (closed) {
        best = std::min(best, segmentDistance(points[count - 1], points[0], p));
    }
    return best;
}

}  // namespace planar

Shape Shape::rectangle(const Rectangle& r) {
    Part ring{{{r.left(), r.top()},
               {r.right(), r.top()},
               {r.right(), r.bottom()},
               {r.left(), r.bottom()},
               {r.left(), r.top()}},
              false};
    return {ShapeType::Rectangle, {std::move(ring)}};
}

Rectangle Shape::extent() const {
    Rectangle box;
    for (const Part& part : m_parts) {
        for (const MapPoint& p : part.points) {
            box = box.united(p);
        }
    }
    return box;
}

double Shape::area() const {
    if (m_type != ShapeType::Polygon && m_type != ShapeType::Rectangle) {
        return 0.0;
    }
    double area = 0.0;
    for (const Part& part : m_parts) {
        const double a = std::abs(planar::signedArea(part.points.data(), part.points.size()));
        area += part.isHole ? -a : a;
    }
    return std::max(area, 0.0);
}

double Shape::length() const {
    double length = 0.0;
    for (const Part& part : m_parts) {
        length += planar::pathLength(part.points.data(), part.points.size());
    }
    return length;
}

bool Shape::contains(const MapPoint& p) const {
    if (m_type != ShapeType::Polygon && m_type != ShapeType::Rectangle) {
        return false;
    }
    bool inside = false;
    for (const Part& part : m_parts) {
        if (part.points.size() < 3) {
            continue;
        }
        bool onEdge = false;
        if (planar::ringContains(part.points.data(), part.points.size(), p, onEdge)) {
            if (onEdge) {
                return true;
            }
            inside = !inside;
        }
    }
    return inside;
}

double Shape::distanceTo(const MapPoint& p) const {
    if (contains(p)) {
        return 0.0;
    }
    const bool closed = m_type == ShapeType::Polygon || m_type == ShapeType::Rectangle;
    double best = std::numeric_limits<double>::infinity();
    for (const Part& part : m_parts) {
        best = std::min(best,
                        planar::distanceToPath(part.points.data(), part.points.size(), p, closed));
    }
    return best;
}

namespace {

// A point inside the polygon made of `rings` (an outer ring and its holes):
// the middle of the widest inside stretch of a horizontal line through the
// ring's box, tried at a few heights.
MapPoint interiorPoint(const std::vector<const Shape::Part*>& rings) {
    const Rectangle box = [&] {
        Rectangle b;
        for (const MapPoint& p : rings.front()->points) b = b.united(p);
        return b;
    }();
    MapPoint best = box.centre();
    double bestWidth = -1.0;
    for (const double fraction : {0.5, 0.25, 0.75, 0.125, 0.375, 0.625, 0.875}) {
        const double y = box.bottom() + box.height() * fraction;
        std::vector<double> crossings;
        for (const Shape::Part* ring : rings) {
            const auto& pts = ring->points;
            for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
                const MapPoint& a = pts[i];
                const MapPoint& b = pts[j];
                if ((a.y > y) != (b.y > y)) {
                    crossings.push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
                }
            }
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            const double width = crossings[i + 1] - crossings[i];
            if (width > bestWidth) {
                bestWidth = width;
                best = {(crossings[i] + crossings[i + 1]) / 2, y};
            }
        }
        if (bestWidth > box.width() * 0.5) {
            break;  // good enough: the middle of a wide stretch
        }
    }
    return best;
}

}  // namespace

MapPoint Shape::labelPoint() const {
    if (m_parts.empty()) {
        return {};
    }
    if (m_type == ShapeType::Point) {
        return m_parts.front().points.empty() ? MapPoint{} : m_parts.front().points.front();
    }
    if (m_type == ShapeType::Line) {
        const Part* longest = &m_parts.front();
        double longestLength = -1.0;
        for (const Part& part : m_parts) {
            const double l = planar::pathLength(part.points.data(), part.points.size());
            if (l > longestLength) {
                longestLength = l;
                longest = &part;
            }
        }
        const auto& pts = longest->points;
        if (pts.size() < 2) {
            return pts.empty() ? MapPoint{} : pts.front();
        }
        double remaining = longestLength / 2;
        for (std::size_t i = 1; i < pts.size(); ++i) {
            const double step = std::hypot(pts[i].x - pts[i - 1].x, pts[i].y - pts[i - 1].y);
            if (step >= remaining && step > 0) {
                const double t = remaining / step;
                return {pts[i - 1].x + t * (pts[i].x - pts[i - 1].x),
                        pts[i - 1].y + t * (pts[i].y - pts[i - 1].y)};
            }
            remaining -= step;
        }
        return pts.back();
    }
    // Polygons: the outer ring of largest area, with its holes.
    std::vector<const Part*> bestRings;
    double bestArea = -1.0;
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        if (m_parts[i].isHole || m_parts[i].points.size() < 3) {
            continue;
        }
        std::vector<const Part*> rings{&m_parts[i]};
        for (std::size_t j = i + 1; j < m_parts.size() && m_parts[j].isHole; ++j) {
            rings.push_back(&m_parts[j]);
        }
        const double a =
            std::abs(planar::signedArea(m_parts[i].points.data(), m_parts[i].points.size()));
        if (a > bestArea) {
            bestArea = a;
            bestRings = std::move(rings);
        }
    }
    if (bestRings.empty()) {
        return extent().centre();
    }
    return interiorPoint(bestRings);
}

}  // namespace mapcontrol
