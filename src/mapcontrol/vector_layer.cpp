#include "mapcontrol/vector_layer.h"

#include "mapcontrol/expression.h"
#include "mapcontrol/feature_painter.h"
#include "mapcontrol/vector_data_cache.h"

#include <QHash>
#include <QPainter>

#include <mutex>
#include <numeric>
#include <optional>
#include <thread>

namespace {

// Pictures at least this high are drawn in two bands on two threads.
constexpr int kMinimumSplitHeight = 128;

}  // namespace

namespace mapcontrol {

// The working buffers of each band, and the band pictures over the pixels
// of the last two pictures drawn in two bands (a layer shows on the main
// map and on the overview), kept with their painting engines and the
// engines' own buffers while a picture has the same pixels, stride and size.
struct VectorLayer::DrawState {
    struct Bands {
        const uchar* bits = nullptr;
        qsizetype stride = 0;
        QSize size;
        QImage images[2];
        std::uint64_t lastUse = 0;
    };

    std::mutex busy;  // held by the draw using the state
    DrawScratch scratch[2];
    Bands bands[2];
    std::uint64_t draws = 0;
    std::size_t bandsMade = 0;

    // The bands of `image`, split at its middle row.
    QImage* bandsOf(QImage& image) {
        uchar* pixels = image.bits();
        Bands* found = nullptr;
        for (Bands& b : bands) {
            if (b.bits == pixels && b.stride == image.bytesPerLine() && b.size == image.size()) {
                found = &b;
            }
        }
        if (!found) {
            found = bands[0].lastUse <= bands[1].lastUse ? &bands[0] : &bands[1];
            const int middle = image.height() / 2;
            found->images[0] = QImage(pixels, image.width(), middle, image.bytesPerLine(),
                                      QImage::Format_ARGB32_Premultiplied);
            found->images[1] = QImage(pixels + middle * image.bytesPerLine(), image.width(),
                                      image.height() - middle, image.bytesPerLine(),
                                      QImage::Format_ARGB32_Premultiplied);
            found->bits = pixels;
            found->stride = image.bytesPerLine();
            found->size = image.size();
            bandsMade += 2;
        }
        found->lastUse = ++draws;
        return found->images;
    }
};

VectorLayer::VectorLayer(const QString& nativePath, const QString& sourceLayer,
                         const std::optional<CoordinateSystem>& target,
                         const LoadProgress& progress)
    : Layer(nativePath), m_drawState(std::make_unique<DrawState>()) {
    auto loaded = VectorDataCache::shared().load(nativePath, sourceLayer, target, progress);
    if (auto* error = std::get_if<VectorData::LoadError>(&loaded)) {
        setError(error->message);
    } else {
        m_data = std::get<std::shared_ptr<const VectorData>>(std::move(loaded));
        setCoordinateSystem(m_data->coordinateSystem(), m_data->systemProblem());
    }
    initSymbol();
}

VectorLayer::VectorLayer(const QString& nativePath, std::shared_ptr<const VectorData> data)
    : Layer(nativePath), m_data(std::move(data)), m_drawState(std::make_unique<DrawState>()) {
    if (m_data) {
        setCoordinateSystem(m_data->coordinateSystem(), m_data->systemProblem());
    }
    initSymbol();
}

VectorLayer::~VectorLayer() = default;

std::size_t VectorLayer::drawingGrowthCount() const {
    const std::lock_guard lock(m_drawState->busy);
    return m_drawState->scratch[0].growthCount() + m_drawState->scratch[1].growthCount() +
           m_drawState->bandsMade;
}

void VectorLayer::initSymbol() {
    m_symbol.colour = defaultClassColour(static_cast<int>(qHash(name()) % 97));
    switch (shapeType()) {
        case ShapeType::Point:
            m_symbol.type = SymbolType::Marker;
            m_symbol.size = 6;
            break;
        case ShapeType::Line:
            m_symbol.type = SymbolType::Line;
            break;
        default:
            m_symbol.type = SymbolType::Fill;
            break;
    }
}

ShapeType VectorLayer::shapeType() const {
    return m_data ? m_data->shapeType() : ShapeType::Point;
}

Rectangle VectorLayer::extent() const {
    return m_data ? m_data->extent() : Rectangle();
}

void VectorLayer::drawFeatures(QPainter& painter, const ViewTransform& view,
                               DrawScratch& scratch) const {
    // Some pixels beyond the view, so that markers and wide lines just
    // outside still show their edge.
    const double margin = 32 * view.pixelSize();
    const Rectangle& e = view.extent();
    const std::vector<VectorData::FeatureId> features = m_data->featuresInBox(
        Rectangle(e.left() - margin, e.right() + margin, e.top() + margin, e.bottom() - margin));
    const RenderContext context{painter, view, *m_data, features, m_symbol, scratch};
    if (m_renderer) {
        m_renderer->draw(context);
        return;
    }
    FeaturePainter featurePainter(painter, view, scratch);
    featurePainter.setSymbol(m_symbol);
    for (const VectorData::FeatureId f : features) {
        featurePainter.drawFeature(*m_data, f);
    }
}

void VectorLayer::draw(QPainter& painter, const ViewTransform& view) const {
    if (!m_data) {
        return;
    }
    if (m_renderer) {
        m_renderer->prepare(*m_data);
    }
    // A draw that finds the state in use (the same layer drawn on another
    // thread) works in buffers of its own.
    std::unique_lock lock(m_drawState->busy, std::try_to_lock);
    std::optional<DrawState> ownState;
    DrawState& state = lock.owns_lock() ? *m_drawState : ownState.emplace();
    QImage* image = painter.device() && painter.device()->devType() == QInternal::Image
                        ? static_cast<QImage*>(painter.device())
                        : nullptr;
    const bool canSplit = image && image->format() == QImage::Format_ARGB32_Premultiplied &&
                          image->devicePixelRatio() == 1.0 && !painter.hasClipping() &&
                          painter.transform().isIdentity() && image->size() == view.pixels() &&
                          image->height() >= kMinimumSplitHeight &&
                          std::thread::hardware_concurrency() > 1;
    if (!canSplit) {
        drawFeatures(painter, view, state.scratch[0]);
        return;
    }
    // Two bands of the picture drawn at once, each by its own painter over
    // the same pixels; a feature across the border is drawn in both, clipped.
    const int width = image->width();
    const int middle = image->height() / 2;
    QImage* bands = state.bandsOf(*image);
    const auto drawBand = [&](int index, int y0, int y1) {
        try {
            QPainter bandPainter(&bands[index]);
            bandPainter.setRenderHints(painter.renderHints());
            const Rectangle& e = view.extent();
            const Rectangle bandExtent(e.left(), e.right(), e.top() - y0 * view.pixelSize(),
                                       e.top() - y1 * view.pixelSize());
            drawFeatures(bandPainter, ViewTransform(bandExtent, QSize(width, y1 - y0)),
                         state.scratch[index]);
        } catch (const std::exception&) {
            // A band that fails stays as it was; the map still draws.
        }
    };
    std::thread top(drawBand, 0, 0, middle);
    drawBand(1, middle, image->height());
    top.join();
}

RecordSet VectorLayer::records() const {
    if (!m_data) {
        return {};
    }
    std::vector<VectorData::FeatureId> rows(m_data->featureCount());
    std::iota(rows.begin(), rows.end(), VectorData::FeatureId{0});
    return {m_data, std::move(rows)};
}

std::variant<RecordSet, ExpressionError> VectorLayer::searchExpression(
    const QString& expression) const {
    if (!m_data) {
        return ExpressionError{QStringLiteral("camada inválida"), 0};
    }
    auto parsed = Expression::parse(expression, m_data->table());
    if (auto* error = std::get_if<ExpressionError>(&parsed)) {
        return *error;
    }
    const std::vector<qsizetype> matches = std::get<Expression>(parsed).select(m_data->table());
    return RecordSet(m_data, {matches.begin(), matches.end()});
}

RecordSet VectorLayer::searchContaining(const MapPoint& point) const {
    return m_data ? RecordSet(m_data, m_data->featuresContaining(point)) : RecordSet();
}

RecordSet VectorLayer::searchWithin(const MapPoint& point, double distance) const {
    return m_data ? RecordSet(m_data, m_data->featuresWithin(point, distance)) : RecordSet();
}

}  // namespace mapcontrol
