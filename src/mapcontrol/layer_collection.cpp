#include "mapcontrol/layer_collection.h"

namespace mapcontrol {

Layer* LayerCollection::item(int index) const {
    return index >= 0 && index < count() ? m_layers[static_cast<std::size_t>(index)].layer.get()
                                         : nullptr;
}

Layer* LayerCollection::item(const QString& name) const {
    return item(indexOf(name));
}

int LayerCollection::indexOf(const QString& name) const {
    for (int i = 0; i < count(); ++i) {
        if (m_layers[static_cast<std::size_t>(i)].layer->name() == name) {
            return i;
        }
    }
    return -1;
}

std::shared_ptr<Layer> LayerCollection::shared(int index) const {
    return index >= 0 && index < count() ? m_layers[static_cast<std::size_t>(index)].layer
                                         : nullptr;
}

bool LayerCollection::add(std::shared_ptr<Layer> layer) {
    if (!layer || !layer->isValid()) {
        return false;
    }
    const bool visible = layer->isVisible();
    m_layers.insert(m_layers.begin(), Entry{std::move(layer), visible});
    return true;
}

void LayerCollection::addPlaceholder(std::shared_ptr<Layer> layer) {
    if (!layer) {
        return;
    }
    const bool visible = layer->isVisible();
    m_layers.insert(m_layers.begin(), Entry{std::move(layer), visible});
}

void LayerCollection::remove(int index) {
    if (index >= 0 && index < count()) {
        m_layers.erase(m_layers.begin() + index);
    }
}

std::vector<std::shared_ptr<Layer>> LayerCollection::takeAll() {
    std::vector<std::shared_ptr<Layer>> layers;
    layers.reserve(m_layers.size());
    for (Entry& entry : m_layers) {
        layers.push_back(std::move(entry.layer));
    }
    m_layers.clear();
    return layers;
}

void LayerCollection::move(int from, int to) {
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to) {
        return;
    }
    auto layer = std::move(m_layers[static_cast<std::size_t>(from)]);
    m_layers.erase(m_layers.begin() + from);
    m_layers.insert(m_layers.begin() + to, std::move(layer));
}

bool LayerCollection::isVisible(int index) const {
    return index >= 0 && index < count() && m_layers[static_cast<std::size_t>(index)].visible;
}

void LayerCollection::setVisible(int index, bool visible) {
    if (index >= 0 && index < count()) {
        m_layers[static_cast<std::size_t>(index)].visible = visible;
    }
}

Rectangle LayerCollection::extent() const {
    Rectangle all;
    for (const Entry& entry : m_layers) {
        if (entry.layer->isValid()) {
            all = all.united(entry.layer->extent());
        }
    }
    return all;
}

}  // namespace mapcontrol
