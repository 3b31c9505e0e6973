#include "query/features_at.h"

#include "mapcontrol/vector_layer.h"

namespace query {

mapcontrol::RecordSet featuresAt(const mapcontrol::VectorLayer& layer,
                                 const mapcontrol::MapPoint& point,
                                 const mapcontrol::Rectangle& extent) {
    switch (layer.shapeType()) {
        case mapcontrol::ShapeType::Polygon:
            return layer.searchContaining(point);
        case mapcontrol::ShapeType::Point:
        case mapcontrol::ShapeType::Line:
            return layer.searchWithin(point, searchRadius(extent));
        default:
            return {};
    }
}

}  // namespace query
