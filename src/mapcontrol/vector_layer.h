#pragma once

#include "mapcontrol/expression.h"
#include "mapcontrol/layer.h"
#include "mapcontrol/record_set.h"
#include "mapcontrol/renderer.h"
#include "mapcontrol/symbol.h"
#include "mapcontrol/vector_data.h"

#include <memory>
#include <variant>

namespace mapcontrol {

// A vector theme: a shapefile, or one layer of a file of another format OGR
// reads (VectorSource). Its data is read once and shared, unchanged, with every
// other layer made from the same data (both maps show the same themes); the
// renderer, the symbol and the visibility are the layer's own. Without a
// renderer the layer draws every feature with its symbol. The layer keeps
// the working buffers of its drawing (and the bands of the last two
// pictures it drew in) for its next draws.
class VectorLayer final : public Layer {
public:
    // The shapefile at the native path, or the layer `sourceLayer` of a file
    // of another format (empty: its only vector layer), through
    // VectorDataCache::shared(): data another layer still holds is taken as
    // it is when the file is unchanged, else the file is read. A file that
    // cannot be read gives an invalid layer with error() set. Data in another
    // system than `target` is transformed into it at load (see
    // VectorData::load); `progress` hears a read.
    explicit VectorLayer(const QString& nativePath, const QString& sourceLayer = QString(),
                         const std::optional<CoordinateSystem>& target = std::nullopt,
                         const LoadProgress& progress = {});
    // A second layer over data already read.
    VectorLayer(const QString& nativePath, std::shared_ptr<const VectorData> data);
    ~VectorLayer() override;

    Kind kind() const override { return Kind::Vector; }
    bool isValid() const override { return m_data != nullptr; }
    Rectangle extent() const override;
    void draw(QPainter& painter, const ViewTransform& view) const override;

    // Point, Line or Polygon; Point for an invalid layer.
    ShapeType shapeType() const;
    const std::shared_ptr<const VectorData>& data() const { return m_data; }
    // How many times the layer's drawing had to make room: a working buffer
    // that grew, or a band picture made over a picture not drawn in before.
    // Drawing a view again into the same picture adds none.
    std::size_t drawingGrowthCount() const;

    // The renderer, owned by the layer, to be changed in place; null when none.
    Renderer* renderer() const { return m_renderer.get(); }
    void setRenderer(std::unique_ptr<Renderer> renderer) { m_renderer = std::move(renderer); }
    std::unique_ptr<Renderer> takeRenderer() { return std::move(m_renderer); }

    // The symbol used without a renderer; its colour is chosen from the layer
    // name so that a theme looks the same every time it is opened.
    Symbol& symbol() { return m_symbol; }
    const Symbol& symbol() const { return m_symbol; }

    // Every record, in file order.
    RecordSet records() const;
    // Records matching an attribute expression, or why it cannot be run.
    std::variant<RecordSet, ExpressionError> searchExpression(const QString& expression) const;

    // Polygons containing the point (edges count as inside).
    RecordSet searchContaining(const MapPoint& point) const;
    // Features within `distance` map units of the point (inclusive).
    RecordSet searchWithin(const MapPoint& point, double distance) const;

private:
    struct DrawState;

    void initSymbol();
    // Draws the features in the view's extent with the renderer or the symbol.
    void drawFeatures(QPainter& painter, const ViewTransform& view, DrawScratch& scratch) const;

    std::shared_ptr<const VectorData> m_data;
    std::unique_ptr<Renderer> m_renderer;
    Symbol m_symbol;
    std::unique_ptr<DrawState> m_drawState;  // changed by draw, one draw at a time
};

}  // namespace mapcontrol
