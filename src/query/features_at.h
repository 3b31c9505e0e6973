#pragma once

#include "mapcontrol/geometry.h"
#include "mapcontrol/record_set.h"

namespace mapcontrol {
class VectorLayer;
}

namespace query {

// The features of a layer at a map point, as identify and map tips find
// them: for polygons those containing the point; for points and lines those
// within the extent's size / 150 of it.
mapcontrol::RecordSet featuresAt(const mapcontrol::VectorLayer& layer,
                                 const mapcontrol::MapPoint& point,
                                 const mapcontrol::Rectangle& extent);

// The search radius of featuresAt for points and lines.
inline double searchRadius(const mapcontrol::Rectangle& extent) {
    return extent.size() / 150;
}

}  // namespace query
