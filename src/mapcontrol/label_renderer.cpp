#include "mapcontrol/label_renderer.h"

#include "mapcontrol/feature_painter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace mapcontrol {

namespace {

// Labels keep their ground height while zooming, but are never drawn under
// this height in pixels, the smallest text that can still be read: without
// it the usual sizes on a whole-map view come out one or two pixels high.
constexpr double kSmallestLabelPixels = 7.0;

}  // namespace

bool LabelRenderer::isOn(int number) const {
    const auto it = m_switches.find(number);
    return it != m_switches.end() && it->second;
}

void LabelRenderer::draw(const RenderContext& context) const {
    if (isOn(DrawBackground)) {
        if (m_background) {
            m_background->draw(context);
        } else {
            FeaturePainter painter(context.painter, context.view, context.scratch);
            painter.setSymbol(context.layerSymbol);
            for (const VectorData::FeatureId f : context.features) {
                painter.drawFeature(context.data, f);
            }
        }
    }
    const AttributeTable& table = context.data.table();
    const int column = table.fieldIndex(m_field);
    const double groundPixels = m_text.height * context.view.scale();
    if (column < 0 || !(groundPixels > 0)) {
        return;
    }
    const double pixels = std::max(groundPixels, kSmallestLabelPixels);

    QPainter& p = context.painter;
    p.save();
    QFont font(m_text.family);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    p.setFont(font);
    const QFontMetricsF metrics(font);
    const QColor colour = toQColor(m_text.colour);
    std::vector<QRectF> placed;
    const ShapeType type = context.data.shapeType();

    for (const VectorData::FeatureId f : context.features) {
        const QString text = table.text(column, f);
        if (text.isEmpty()) {
            continue;
        }
        const Shape shape = context.data.shape(f);
        if (shape.isEmpty()) {
            continue;
        }
        const QPointF anchor = context.view.toPixel(shape.labelPoint());
        const double width = metrics.horizontalAdvance(text);
        QRectF box;
        if (type == ShapeType::Point) {
            box = QRectF(anchor.x() + pixels * 0.4, anchor.y() - metrics.height() / 2, width,
                         metrics.height());
        } else {
            box = QRectF(anchor.x() - width / 2, anchor.y() - metrics.height() / 2, width,
                         metrics.height());
        }
        if (type == ShapeType::Polygon && isOn(InsidePolygons)) {
            const Rectangle ext = shape.extent();
            const QPointF a = context.view.toPixel({ext.left(), ext.top()});
            const QPointF b = context.view.toPixel({ext.right(), ext.bottom()});
            const QRectF polygonBox(a, b);
            if (box.width() > polygonBox.width() * 1.5 && box.height() > polygonBox.height()) {
                continue;  // far bigger than its polygon: it would label the neighbours
            }
        }
        if (isOn(RemoveOverlaps)) {
            if (std::any_of(placed.begin(), placed.end(),
                            [&](const QRectF& r) { return r.intersects(box); })) {
                continue;
            }
            placed.push_back(box);
        }
        const QPointF baseline(box.left(), box.top() + metrics.ascent());
        if (isOn(Halo)) {
            QPainterPath path;
            path.addText(baseline, font, text);
            p.setPen(QPen(Qt::white, std::max(1.0, pixels / 8), Qt::SolidLine, Qt::RoundCap,
                          Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
        }
        p.setPen(colour);
        p.drawText(baseline, text);
    }
    p.restore();
}

}  // namespace mapcontrol
