#include "mapcontrol/feature_painter.h"

#include <QPainter>

#include <cmath>

namespace mapcontrol {

FeaturePainter::FeaturePainter(QPainter& painter, const ViewTransform& view) : m_painter(painter), m_view(view) {}

QBrush FeaturePainter::fillBrush(int style, const QColor& colour)
{
    switch (style) {
    case FillTransparent: return Qt::NoBrush;
    case FillHorizontal: return {colour, Qt::HorPattern};
    case FillVertical: return {colour, Qt::VerPattern};
    case FillUpwardDiagonal: return {colour, Qt::BDiagPattern};
    case FillDownwardDiagonal: return {colour, Qt::FDiagPattern};
    case FillCross: return {colour, Qt::CrossPattern};
    case FillDiagonalCross: return {colour, Qt::DiagCrossPattern};
    case FillLightGrey: return {colour, Qt::Dense6Pattern};
    case FillGrey: return {colour, Qt::Dense4Pattern};
    case FillDarkGrey: return {colour, Qt::Dense2Pattern};
    default: return {colour, Qt::SolidPattern};
    }
}

Qt::PenStyle FeaturePainter::lineStyle(int style)
{
    switch (style) {
    case LineDash: return Qt::DashLine;
    case LineDot: return Qt::DotLine;
    case LineDashDot: return Qt::DashDotLine;
    case LineDashDotDot: return Qt::DashDotDotLine;
    default: return Qt::SolidLine;
    }
}

void FeaturePainter::setSymbol(const Symbol& symbol)
{
    m_symbol = symbol;
    m_colour = toQColor(symbol.colour);
    m_prepared = false;
}

void FeaturePainter::prepare(ShapeType type)
{
    if (m_prepared && m_preparedType == type) {
        return;
    }
    m_prepared = true;
    m_preparedType = type;
    const QColor outline = toQColor(m_symbol.outlineColour);
    switch (type) {
    case ShapeType::Polygon:
    case ShapeType::Rectangle: {
        QPen pen = m_symbol.outline ? QPen(outline, 0) : QPen(Qt::NoPen);
        pen.setCosmetic(true);
        m_painter.setPen(pen);
        m_painter.setBrush(fillBrush(m_symbol.style, m_colour));
        break;
    }
    case ShapeType::Line:
        m_painter.setPen(QPen(m_colour, std::max(m_symbol.size, 1), lineStyle(m_symbol.style), Qt::RoundCap,
                              Qt::RoundJoin));
        m_painter.setBrush(Qt::NoBrush);
        break;
    case ShapeType::Point:
        m_painter.setPen(m_symbol.outline ? QPen(outline, 1) : QPen(Qt::NoPen));
        m_painter.setBrush(m_colour);
        break;
    }
}

void FeaturePainter::appendPixels(const MapPoint* points, std::size_t count)
{
    const double scale = m_view.scale();
    const double left = m_view.extent().left();
    const double top = m_view.extent().top();
    long lastX = std::numeric_limits<long>::min();
    long lastY = std::numeric_limits<long>::min();
    for (std::size_t i = 0; i < count; ++i) {
        const double x = (points[i].x - left) * scale;
        const double y = (top - points[i].y) * scale;
        const long px = std::lround(x);
        const long py = std::lround(y);
        if (px == lastX && py == lastY && i + 1 < count) {
            continue;
        }
        lastX = px;
        lastY = py;
        m_polygon.append(QPointF(x, y));
    }
}

void FeaturePainter::drawTinyFeature(const Rectangle& box)
{
    const QPointF p = m_view.toPixel(box.centre());
    const QColor colour = (m_symbol.type == SymbolType::Fill && m_symbol.style == FillTransparent)
                              ? toQColor(m_symbol.outlineColour)
                              : m_colour;
    m_painter.fillRect(QRectF(std::floor(p.x()), std::floor(p.y()), 1, 1), colour);
}

void FeaturePainter::drawPolygonParts(const MapPoint* const* parts, const std::size_t* sizes, std::size_t count)
{
    if (count == 1) {
        m_polygon.clear();
        appendPixels(parts[0], sizes[0]);
        m_painter.drawPolygon(m_polygon, Qt::OddEvenFill);
        return;
    }
    m_path.clear();
    m_path.setFillRule(Qt::OddEvenFill);
    for (std::size_t i = 0; i < count; ++i) {
        m_polygon.clear();
        appendPixels(parts[i], sizes[i]);
        m_path.addPolygon(m_polygon);
        m_path.closeSubpath();
    }
    m_painter.drawPath(m_path);
}

void FeaturePainter::drawLinePart(const MapPoint* points, std::size_t count)
{
    m_polygon.clear();
    appendPixels(points, count);
    m_painter.drawPolyline(m_polygon);
}

void FeaturePainter::drawMarker(const MapPoint& p)
{
    const QPointF c = m_view.toPixel(p);
    const double size = std::max(m_symbol.size, 1);
    const double r = size / 2.0;
    switch (m_symbol.style) {
    case MarkerSquare: m_painter.drawRect(QRectF(c.x() - r, c.y() - r, size, size)); break;
    case MarkerTriangle: {
        const QPointF corners[3] = {{c.x(), c.y() - r}, {c.x() + r, c.y() + r}, {c.x() - r, c.y() + r}};
        m_painter.drawPolygon(corners, 3);
        break;
    }
    case MarkerCross: {
        const QPen saved = m_painter.pen();
        m_painter.setPen(QPen(m_colour, std::max(1.0, size / 6.0)));
        m_painter.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
        m_painter.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
        m_painter.setPen(saved);  // the cross is drawn in the symbol's colour, not its outline
        break;
    }
    default: m_painter.drawEllipse(c, r, r); break;
    }
}

void FeaturePainter::drawFeature(const VectorData& data, VectorData::FeatureId feature)
{
    const std::uint32_t first = data.firstPart(feature);
    const std::uint32_t end = data.endPart(feature);
    if (first == end) {
        return;
    }
    prepare(data.shapeType());
    if (data.shapeType() == ShapeType::Point) {
        for (std::uint32_t part = first; part < end; ++part) {
            for (std::size_t i = 0; i < data.partSize(part); ++i) {
                drawMarker(data.partPoints(part)[i]);
            }
        }
        return;
    }
    const Rectangle box = data.box(feature);
    if (box.width() * m_view.scale() < 1.0 && box.height() * m_view.scale() < 1.0) {
        drawTinyFeature(box);
        return;
    }
    if (data.shapeType() == ShapeType::Line) {
        for (std::uint32_t part = first; part < end; ++part) {
            drawLinePart(data.partPoints(part), data.partSize(part));
        }
        return;
    }
    const std::size_t count = end - first;
    constexpr std::size_t kLocalParts = 16;
    const MapPoint* partsLocal[kLocalParts];
    std::size_t sizesLocal[kLocalParts];
    std::vector<const MapPoint*> partsHeap;
    std::vector<std::size_t> sizesHeap;
    const MapPoint** parts = partsLocal;
    std::size_t* sizes = sizesLocal;
    if (count > kLocalParts) {
        partsHeap.resize(count);
        sizesHeap.resize(count);
        parts = partsHeap.data();
        sizes = sizesHeap.data();
    }
    for (std::uint32_t part = first; part < end; ++part) {
        parts[part - first] = data.partPoints(part);
        sizes[part - first] = data.partSize(part);
    }
    drawPolygonParts(parts, sizes, count);
}

void FeaturePainter::drawShape(const Shape& shape)
{
    if (shape.isEmpty()) {
        return;
    }
    prepare(shape.type());
    switch (shape.type()) {
    case ShapeType::Point:
        for (const Shape::Part& part : shape.parts()) {
            for (const MapPoint& p : part.points) {
                drawMarker(p);
            }
        }
        break;
    case ShapeType::Line:
        for (const Shape::Part& part : shape.parts()) {
            drawLinePart(part.points.data(), part.points.size());
        }
        break;
    case ShapeType::Polygon:
    case ShapeType::Rectangle: {
        std::vector<const MapPoint*> parts;
        std::vector<std::size_t> sizes;
        for (const Shape::Part& part : shape.parts()) {
            parts.push_back(part.points.data());
            sizes.push_back(part.points.size());
        }
        drawPolygonParts(parts.data(), sizes.data(), parts.size());
        break;
    }
    }
}

}  // namespace mapcontrol
