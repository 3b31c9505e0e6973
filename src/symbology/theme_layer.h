#pragma once

#include <QString>

namespace mapcontrol {
class Renderer;
class VectorLayer;
}  // namespace mapcontrol

namespace symbology {

// The renderer that holds the layer's classes: its own, or, under text
// labels, the one the labels are drawn over. Null when it has none.
mapcontrol::Renderer* classRenderer(const mapcontrol::VectorLayer& layer);

// The geometry word of the layer: "poligono", "linha", "ponto", "retangulo".
QString geometryOf(const mapcontrol::VectorLayer& layer);

}  // namespace symbology
