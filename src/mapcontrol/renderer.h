#pragma once

#include "mapcontrol/draw_scratch.h"
#include "mapcontrol/symbol.h"
#include "mapcontrol/vector_data.h"
#include "mapcontrol/view_transform.h"

#include <memory>
#include <vector>

class QPainter;

namespace mapcontrol {

// What a renderer draws into: the picture, its view, the layer's data and
// the features in view (ascending), the layer's own symbol for features
// the renderer has no class for, and the working buffers to draw them with.
struct RenderContext {
    QPainter& painter;
    const ViewTransform& view;
    const VectorData& data;
    const std::vector<VectorData::FeatureId>& features;
    const Symbol& layerSymbol;
    DrawScratch& scratch;
};

// Decides how each feature of a vector layer is drawn, and draws it.
// Renderers only draw; they read nothing from files. A layer owns its
// renderer; callers change a renderer in place through the pointer the layer
// hands out, and see the change at the next redraw.
class Renderer {
public:
    enum class Kind { ValueMap, ClassBreaks, Labels };

    virtual ~Renderer() = default;
    virtual Kind kind() const = 0;
    // Called once before a draw that may run on several threads at once:
    // whatever the renderer caches about `data` is made here.
    virtual void prepare(const VectorData& data) const { (void)data; }
    // Draws the context's features; may run on several threads at once, each
    // with its own painter and part of the picture.
    virtual void draw(const RenderContext& context) const = 0;
};

}  // namespace mapcontrol
