#include "symbology/theme_layer.h"

#include "files/colour_file.h"
#include "mapcontrol/label_renderer.h"
#include "mapcontrol/vector_layer.h"

namespace symbology {

mapcontrol::Renderer* classRenderer(const mapcontrol::VectorLayer& layer) {
    mapcontrol::Renderer* renderer = layer.renderer();
    // Labels may lie over labels: the classes are under the last of them.
    while (const auto* labels = dynamic_cast<const mapcontrol::LabelRenderer*>(renderer)) {
        renderer = labels->background();
    }
    return renderer;
}

QString geometryOf(const mapcontrol::VectorLayer& layer) {
    return files::geometryWord(static_cast<int>(layer.shapeType()));
}

}  // namespace symbology
