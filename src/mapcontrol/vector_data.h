#pragma once

#include "mapcontrol/attribute_table.h"
#include "mapcontrol/coordinate_system.h"
#include "mapcontrol/geometry.h"
#include "mapcontrol/shape.h"

#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/geometries/point.hpp>
#include <boost/geometry/index/rtree.hpp>

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace mapcontrol {

// Hears how much of a file has been read: a share from 0 to 1.
using LoadProgress = std::function<void(double share)>;

// The contents of a vector layer (a shapefile, or one layer of a file of
// another format OGR reads) held in memory, read once and then shared,
// unchanged, by every layer that shows it. Geometry is kept compactly: all
// vertices in one array, parts as ranges of it, features as ranges of parts,
// with one box per feature (one point per point) in an R-tree. Features are numbered from 0 in file
// order, as the rows of the attribute table. A feature with a null geometry
// has no parts and is in no search result.
class VectorData {
public:
    using FeatureId = std::uint32_t;

    struct LoadError {
        QString message;  // file name and what went wrong
    };

    // Reads a shapefile, or the layer `layerName` of a file of another
    // format (VectorSource: by the native path's extension; an empty name
    // takes the file's only vector layer). A shapefile's attribute text is
    // decoded by the .cpg beside it, a file without one is taken as
    // Windows-1252; the other formats' text is UTF-8. Points, lines and
    // polygons, their multi forms and (for the other formats) their curved
    // forms make the three shape types; a layer that declares no type takes
    // the one its geometries have, and one that mixes them is refused. With a
    // `target` system, data that declares another system is transformed
    // into it once, here; data that declares none is taken as it is.
    // `progress`, when given, hears the share of the features read so far
    // (0 to 1) every few thousand features, on the calling thread.
    static std::variant<std::shared_ptr<const VectorData>, LoadError> load(
        const QString& nativePath, const QString& layerName = QString(),
        const std::optional<CoordinateSystem>& target = std::nullopt,
        const LoadProgress& progress = {});

    ShapeType shapeType() const { return m_type; }
    std::size_t featureCount() const { return m_featureParts.size() - 1; }
    const AttributeTable& table() const { return m_table; }
    // Union of the feature boxes; empty when no feature has a geometry.
    const Rectangle& extent() const { return m_extent; }
    // The system the coordinates are in: the target of the load when they
    // were transformed, else the one the data declares; none when the data
    // declares none (or an unreadable one).
    const std::optional<CoordinateSystem>& coordinateSystem() const { return m_system; }
    // Why the data declares a system it could not be read in, or could not
    // be transformed into the target (PROJ's reason); empty when neither.
    const QString& systemProblem() const { return m_systemProblem; }

    // Parts of a feature: indexes into partPoints().
    std::uint32_t firstPart(FeatureId f) const { return m_featureParts[f]; }
    std::uint32_t endPart(FeatureId f) const { return m_featureParts[f + 1]; }
    const MapPoint* partPoints(std::uint32_t part) const {
        return m_points.data() + m_partStarts[part];
    }
    std::size_t partSize(std::uint32_t part) const {
        return m_partStarts[part + 1] - m_partStarts[part];
    }
    bool partIsHole(std::uint32_t part) const { return m_partHoles[part] != 0; }
    // The feature's box; empty for a null geometry.
    Rectangle box(FeatureId f) const;

    // The feature's geometry as a value.
    Shape shape(FeatureId f) const;

    // Features whose box meets `area`, ascending.
    std::vector<FeatureId> featuresInBox(const Rectangle& area) const;
    // Polygon features containing `p` (edges count as inside), ascending.
    std::vector<FeatureId> featuresContaining(const MapPoint& p) const;
    // Features at a planar distance of at most `distance` from `p` (inside a
    // polygon counts as distance 0), ascending.
    std::vector<FeatureId> featuresWithin(const MapPoint& p, double distance) const;

    bool featureContains(FeatureId f, const MapPoint& p) const;
    double featureDistance(FeatureId f, const MapPoint& p) const;

    // Bytes held in memory by the geometry, its index and the attributes.
    std::size_t memoryBytes() const;

    // Builds the store from parts already in memory; for the loader and tests.
    class Builder;

private:
    using IndexPoint = boost::geometry::model::point<double, 2, boost::geometry::cs::cartesian>;
    using IndexBox = boost::geometry::model::box<IndexPoint>;
    using IndexValue = std::pair<IndexBox, FeatureId>;
    using Index = boost::geometry::index::rtree<IndexValue, boost::geometry::index::quadratic<8>>;
    using PointValue = std::pair<IndexPoint, FeatureId>;
    using PointIndex =
        boost::geometry::index::rtree<PointValue, boost::geometry::index::quadratic<16>>;

    // The box of a feature's vertices (inverted for a null geometry).
    IndexBox boxOfVertices(FeatureId f) const;

    ShapeType m_type = ShapeType::Point;
    std::vector<MapPoint> m_points;
    std::vector<std::uint32_t> m_partStarts{0};
    std::vector<std::uint8_t> m_partHoles;
    std::vector<std::uint32_t> m_featureParts{0};
    std::vector<IndexBox> m_boxes;  // per feature; empty for point layers (the point is its box)
    Rectangle m_extent;
    Index m_index;            // lines and polygons
    PointIndex m_pointIndex;  // points
    AttributeTable m_table;
    std::optional<CoordinateSystem> m_system;
    QString m_systemProblem;
};

// Fills a VectorData feature by feature: parts first, then endFeature().
class VectorData::Builder {
public:
    Builder(ShapeType type, AttributeTable table);
    void reserve(std::size_t features, std::size_t points);
    void addPart(const MapPoint* points, std::size_t count, bool isHole = false);
    void endFeature();
    AttributeTable& table() { return m_data->m_table; }
    // Moves every vertex added so far through `transformation` and boxes the
    // features again; nothing changes when a point fails. Before buildIndex().
    Transformation::Outcome transform(const Transformation& transformation);
    void setCoordinateSystem(std::optional<CoordinateSystem> system, QString problem);
    // Builds the index and the extent once every feature is in; finish()
    // does it when it was not done before.
    void buildIndex();
    // Hands the data over.
    std::shared_ptr<const VectorData> finish();

private:
    std::shared_ptr<VectorData> m_data;
    bool m_indexed = false;
};

}  // namespace mapcontrol
