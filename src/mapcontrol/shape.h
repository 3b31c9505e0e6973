#pragma once

#include "mapcontrol/geometry.h"

#include <vector>

namespace mapcontrol {

// Shape type codes of a vector layer.
enum class ShapeType : int { Point = 21, Line = 22, Polygon = 23, Rectangle = 25 };

// One feature's geometry as a value: a point, a polyline of one or more parts
// or a polygon of one or more rings. A polygon's rings are grouped: each outer
// ring is followed by its holes. Inside means inside by the even-odd rule
// over all rings, which is also how polygons are filled. An empty shape (null
// geometry) has no parts.
class Shape {
public:
    struct Part {
        std::vector<MapPoint> points;
        bool isHole = false;  // polygons: a hole of the outer ring before it
    };

    Shape() = default;
    Shape(ShapeType type, std::vector<Part> parts) : m_type(type), m_parts(std::move(parts)) {}
    static Shape point(const MapPoint& p) { return {ShapeType::Point, {{{p}, false}}}; }
    static Shape rectangle(const Rectangle& r);

    ShapeType type() const { return m_type; }
    const std::vector<Part>& parts() const { return m_parts; }
    bool isEmpty() const { return m_parts.empty(); }

    // Smallest rectangle holding every vertex; empty for an empty shape.
    Rectangle extent() const;
    // Planar area in square map units: outer rings minus their holes; 0 for
    // points and lines.
    double area() const;
    // Planar length of all parts; the perimeter of polygons.
    double length() const;
    // A point for the label: inside the largest polygon (never in a hole),
    // the middle of the longest line part by length, the point itself.
    MapPoint labelPoint() const;
    // Polygons by the even-odd rule, edges inside; other types: false.
    bool contains(const MapPoint& p) const;
    // Shortest planar distance from `p` to the shape (0 inside a polygon).
    double distanceTo(const MapPoint& p) const;

private:
    ShapeType m_type = ShapeType::Point;
    std::vector<Part> m_parts;
};

// Helpers on rings and paths given as point arrays, shared by Shape and the
// layer store (which keeps its coordinates in one array).
namespace planar {
// Signed area by the shoelace formula: positive counter-clockwise.
double signedArea(const MapPoint* points, std::size_t count);
double pathLength(const MapPoint* points, std::size_t count);
// Crossings of the ring with a ray to the right of p; an edge through p counts as inside via
// `onEdge`.
bool ringContains(const MapPoint* points, std::size_t count, const MapPoint& p, bool& onEdge);
double distanceToPath(const MapPoint* points, std::size_t count, const MapPoint& p, bool closed);
}  // namespace planar

}  // namespace mapcontrol
