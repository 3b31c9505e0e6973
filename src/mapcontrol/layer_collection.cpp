#include "mapcontrol/layer_collection.h"

namespace mapcontrol {

Layer* LayerCollection::item(int index) const {
    return index >= 0 && index < count() ? m_layers[static_cast<std::size_t>(index)].get()
                                         : nullptr;
}

Layer* LayerCollection::item(const QString& name) const {
    return item(indexOf(name));
}

int LayerCollection::indexOf(const QString& name) const {
    for (int i = 0; i < count(); ++i) {
        if (m_layers[static_cast<std::size_t>(i)]->name() == name) {
            return i;
        }
    }
    return -1;
}

std::shared_ptr<Layer> LayerCollection::shared(int index) const {
    return index >= 0 && index < count() ? m_layers[static_cast<std::size_t>(index)] : nullptr;
}

bool LayerCollection::add(std::shared_ptr<Layer> layer) {
    if (!layer || !layer->isValid()) {
        return false;
    }
    m_layers.insert(m_layers.begin(), std::move(layer));
    return true;
}

void LayerCollection::remove(int index) {
    if (index >= 0 && index < count()) {
        m_layers.erase(m_layers.begin() + index);
    }
}

void LayerCollection::move(int from, int to) {
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to) {
        return;
    }
    auto layer = std::move(m_layers[static_cast<std::size_t>(from)]);
    m_layers.erase(m_layers.begin() + from);
    m_layers.insert(m_layers.begin() + to, std::move(layer));
}

Rectangle LayerCollection::extent() const {
    Rectangle all;
    for (const auto& layer : m_layers) {
        if (layer->isValid()) {
            all = all.united(layer->extent());
        }
    }
    return all;
}

}  // namespace mapcontrol
