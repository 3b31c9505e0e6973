#pragma once

#include "mapcontrol/shape.h"
#include "mapcontrol/symbol.h"
#include "mapcontrol/vector_data.h"
#include "mapcontrol/view_transform.h"

#include <QImage>
#include <QPainterPath>
#include <QPolygonF>

class QPainter;

namespace mapcontrol {

// Draws features of a vector store, or loose shapes, with one symbol at a
// time. Vertices that fall on the pixel of the vertex drawn before them are
// skipped, and a feature smaller than a pixel is drawn as one pixel, so the
// cost of a full view follows the pixels rather than the vertices. When the
// painter draws straight into a picture in memory, markers are stamped from
// a picture of the marker drawn once (and once per pixel), and polygons a
// few pixels across, which are mostly outline, have each of their pixels
// set once, in the outline or the fill colour, without the painter's cost
// per call; the result matches the painter's to the pixel grid.
class FeaturePainter {
public:
    FeaturePainter(QPainter& painter, const ViewTransform& view);
    // Gives the painter back its antialiasing setting.
    ~FeaturePainter();
    FeaturePainter(const FeaturePainter&) = delete;
    FeaturePainter& operator=(const FeaturePainter&) = delete;

    // The symbol of what is drawn next. Each geometry is drawn as its own
    // kind (polygons filled, lines stroked, points as markers) in the
    // symbol's colour, style and size.
    void setSymbol(const Symbol& symbol);
    void drawFeature(const VectorData& data, VectorData::FeatureId feature);
    void drawShape(const Shape& shape);

    // The brush of a fill style in `colour` (hatches and greys are patterns).
    static QBrush fillBrush(int style, const QColor& colour);
    static Qt::PenStyle lineStyle(int style);

private:
    void drawPolygonParts(const MapPoint* const* parts, const std::size_t* sizes,
                          std::size_t count);
    void drawLinePart(const MapPoint* points, std::size_t count);
    void drawMarker(const MapPoint& p);
    void drawTinyFeature(const Rectangle& box);
    // Fast paths into m_image; false when the feature needs the painter.
    bool stampMarker(const MapPoint& p);
    bool drawSmallPolygon(const VectorData& data, VectorData::FeatureId feature,
                          const Rectangle& box);
    void makeSprite();
    // One-pixel antialiased outlines straight into m_image.
    void strokeRing(const QPolygonF& ring);
    void plotLine(QPointF a, QPointF b);
    // Sets pen and brush for drawing geometry of `type` with the symbol.
    void prepare(ShapeType type);
    // Appends the part's pixels to m_polygon, skipping repeats of one pixel
    // and vertices that are not finite numbers.
    void appendPixels(const MapPoint* points, std::size_t count);

    QPainter& m_painter;
    ViewTransform m_view;
    bool m_antialiased = true;  // the painter's setting when we got it
    Symbol m_symbol;
    QColor m_colour;
    bool m_prepared = false;
    ShapeType m_preparedType = ShapeType::Point;
    QPolygonF m_polygon;
    QPainterPath m_path;

    QImage* m_image = nullptr;  // the painter's picture, when it can be written directly
    uchar* m_bits = nullptr;    // its pixels
    qsizetype m_stride = 0;
    QImage m_sprite;  // the marker of the current symbol
    QPoint m_spriteCentre;
    std::vector<std::uint64_t> m_stamped;  // pixels that hold the current sprite
    bool m_spriteReady = false;
    bool m_fastOutline = false;
    QRgb m_outlineRgb = 0;
    std::vector<QPolygonF> m_rings;
    std::vector<qsizetype> m_ringEnds;  // where each ring of a small polygon ends in m_polygon
};

}  // namespace mapcontrol
