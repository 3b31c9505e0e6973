#include "mapcontrol/vector_layer.h"

#include "mapcontrol/expression.h"
#include "mapcontrol/feature_painter.h"
#include "mapcontrol/vector_data_cache.h"

#include <QHash>
#include <QPainter>

#include <numeric>
#include <thread>

namespace {

// Pictures at least this high are drawn in two bands on two threads.
constexpr int kMinimumSplitHeight = 128;

}  // namespace

namespace mapcontrol {

VectorLayer::VectorLayer(const QString& nativePath) : Layer(nativePath) {
    auto loaded = VectorDataCache::shared().load(nativePath);
    if (auto* error = std::get_if<VectorData::LoadError>(&loaded)) {
        setError(error->message);
    } else {
        m_data = std::get<std::shared_ptr<const VectorData>>(std::move(loaded));
    }
    initSymbol();
}

VectorLayer::VectorLayer(const QString& nativePath, std::shared_ptr<const VectorData> data)
    : Layer(nativePath), m_data(std::move(data)) {
    initSymbol();
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

void VectorLayer::drawFeatures(QPainter& painter, const ViewTransform& view) const {
    // Some pixels beyond the view, so that markers and wide lines just
    // outside still show their edge.
    const double margin = 32 * view.pixelSize();
    const Rectangle& e = view.extent();
    const std::vector<VectorData::FeatureId> features = m_data->featuresInBox(
        Rectangle(e.left() - margin, e.right() + margin, e.top() + margin, e.bottom() - margin));
    const RenderContext context{painter, view, *m_data, features, m_symbol};
    if (m_renderer) {
        m_renderer->draw(context);
        return;
    }
    FeaturePainter featurePainter(painter, view);
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
    QImage* image = painter.device() && painter.device()->devType() == QInternal::Image
                        ? static_cast<QImage*>(painter.device())
                        : nullptr;
    const bool canSplit = image && image->format() == QImage::Format_ARGB32_Premultiplied &&
                          image->devicePixelRatio() == 1.0 && !painter.hasClipping() &&
                          painter.transform().isIdentity() && image->size() == view.pixels() &&
                          image->height() >= kMinimumSplitHeight &&
                          std::thread::hardware_concurrency() > 1;
    if (!canSplit) {
        drawFeatures(painter, view);
        return;
    }
    // Two bands of the picture drawn at once, each by its own painter over
    // the same pixels; a feature across the border is drawn in both, clipped.
    uchar* bits = image->bits();
    const qsizetype stride = image->bytesPerLine();
    const int width = image->width();
    const auto drawBand = [&](int y0, int y1) {
        try {
            QImage band(bits + y0 * stride, width, y1 - y0, stride,
                        QImage::Format_ARGB32_Premultiplied);
            QPainter bandPainter(&band);
            bandPainter.setRenderHints(painter.renderHints());
            const Rectangle& e = view.extent();
            const Rectangle bandExtent(e.left(), e.right(), e.top() - y0 * view.pixelSize(),
                                       e.top() - y1 * view.pixelSize());
            drawFeatures(bandPainter, ViewTransform(bandExtent, QSize(width, y1 - y0)));
        } catch (const std::exception&) {
            // A band that fails stays as it was; the map still draws.
        }
    };
    const int middle = image->height() / 2;
    std::thread top(drawBand, 0, middle);
    drawBand(middle, image->height());
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
