#include "symbology/unique_values.h"

#include "mapcontrol/strings.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"

namespace symbology {

bool classifyByUniqueValues(mapcontrol::VectorLayer& layer, const QString& field,
                            bool transparencyMode) {
    if (!layer.data() || layer.data()->table().fieldIndex(field) < 0) {
        return false;
    }
    const mapcontrol::Strings values = layer.records().distinctTexts(field);
    if (values.count() > kMaxUniqueClasses) {
        return false;
    }
    auto renderer = std::make_unique<mapcontrol::ValueMapRenderer>();
    renderer->setField(field);
    renderer->setValueCount(static_cast<int>(values.count()));
    const mapcontrol::ShapeType type = layer.shapeType();
    if (type == mapcontrol::ShapeType::Line) {
        renderer->setSymbolType(mapcontrol::SymbolType::Line);
    } else if (type == mapcontrol::ShapeType::Point || type == mapcontrol::ShapeType::Rectangle) {
        renderer->setSymbolType(mapcontrol::SymbolType::Marker);
    }
    for (int i = 0; i < renderer->valueCount(); ++i) {
        if (type == mapcontrol::ShapeType::Point) {
            renderer->symbol(i).style = mapcontrol::MarkerCircle;
        } else if (type == mapcontrol::ShapeType::Polygon) {
            renderer->symbol(i).style =
                transparencyMode ? mapcontrol::FillTransparent : mapcontrol::FillSolid;
        }
        renderer->setValue(i, values.item(i));
    }
    layer.setRenderer(std::move(renderer));
    return true;
}

}  // namespace symbology
