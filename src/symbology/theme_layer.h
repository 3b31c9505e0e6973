#pragma once

#include <QString>

namespace mapcontrol {
class MapWidget;
class Renderer;
class VectorLayer;
}  // namespace mapcontrol

namespace symbology {

// The vector layer of a theme line in the map, found by the theme's layer
// name; null when the theme has no vector layer there.
mapcontrol::VectorLayer* themeVectorLayer(const mapcontrol::MapWidget& map, const QString& line);

// The renderer that holds the layer's classes: its own, or, under text
// labels, the one the labels are drawn over. Null when it has none.
mapcontrol::Renderer* classRenderer(const mapcontrol::VectorLayer& layer);

// The geometry word of the layer: "poligono", "linha", "ponto", "retangulo".
QString geometryOf(const mapcontrol::VectorLayer& layer);

}  // namespace symbology
