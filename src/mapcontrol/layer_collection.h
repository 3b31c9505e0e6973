#pragma once

#include "mapcontrol/layer.h"

#include <memory>
#include <vector>

namespace mapcontrol {

// The layers of one map, top first: layer 0 is drawn last, over the others.
// A layer object may be in two collections at once (the overview map shows
// the very layers of the main map, with their renderers); it lives while a
// collection holds it. Whether a layer is drawn is each collection's own
// choice, so a theme hidden on the main map can stay on the overview; it
// starts as the layer's own visibility when the layer is added.
class LayerCollection {
public:
    int count() const { return static_cast<int>(m_layers.size()); }
    // Null when the index is out of range.
    Layer* item(int index) const;
    // The first layer with this name (exact comparison); null when none.
    Layer* item(const QString& name) const;
    int indexOf(const QString& name) const;

    // Puts a valid layer on top (index 0) and reports true; refuses an
    // invalid one (the collection is unchanged).
    bool add(std::shared_ptr<Layer> layer);
    // Puts a layer on top even when it is not valid: it then draws nothing
    // and finds nothing, and holds its theme's place in the list.
    void addPlaceholder(std::shared_ptr<Layer> layer);
    std::shared_ptr<Layer> shared(int index) const;
    // Whether this map draws the layer; false for an index out of range.
    bool isVisible(int index) const;
    void setVisible(int index, bool visible);
    // Out-of-range indexes change nothing.
    void remove(int index);
    void move(int from, int to);
    void clear() { m_layers.clear(); }
    // Empties the collection and hands its layers over, top first.
    std::vector<std::shared_ptr<Layer>> takeAll();

    // Union of the valid layers' extents; empty when there is none.
    Rectangle extent() const;

private:
    struct Entry {
        std::shared_ptr<Layer> layer;
        bool visible = true;
    };
    std::vector<Entry> m_layers;
};

}  // namespace mapcontrol
