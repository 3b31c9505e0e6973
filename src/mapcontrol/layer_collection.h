#pragma once

#include "mapcontrol/layer.h"

#include <memory>
#include <vector>

namespace mapcontrol {

// The layers of one map, top first: layer 0 is drawn last, over the others.
// A layer object may be in two collections at once (the overview map shows
// the very layers of the main map, with their renderers and visibility);
// it lives while a collection holds it.
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
    std::shared_ptr<Layer> shared(int index) const;
    // Out-of-range indexes change nothing.
    void remove(int index);
    void move(int from, int to);
    void clear() { m_layers.clear(); }

    // Union of the valid layers' extents; empty when there is none.
    Rectangle extent() const;

private:
    std::vector<std::shared_ptr<Layer>> m_layers;
};

}  // namespace mapcontrol
