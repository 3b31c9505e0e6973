#pragma once

#include "mapcontrol/draw_scratch.h"
#include "mapcontrol/shape.h"
#include "mapcontrol/symbol.h"
#include "mapcontrol/vector_data.h"
#include "mapcontrol/view_transform.h"

#include <QImage>

#include <array>
#include <memory>

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
// per call; the result matches the painter's to the pixel grid. Its working
// buffers are a DrawScratch, its own or one it borrows from whoever draws
// again and again (a layer), so that redraws need not allocate them anew.
class FeaturePainter {
public:
    // Draws with working buffers of its own.
    FeaturePainter(QPainter& painter, const ViewTransform& view);
    // Draws with `scratch`'s buffers, borrowed for the painter's lifetime.
    FeaturePainter(QPainter& painter, const ViewTransform& view, DrawScratch& scratch);
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
    FeaturePainter(QPainter& painter, const ViewTransform& view, std::unique_ptr<DrawScratch> own,
                   DrawScratch* borrowed);
    // Fills and outlines the rings held in the scratch.
    void drawRings();
    // Fills the rings held in the scratch as one polygon, when that gives
    // the painter's path of them to the pixel; false when it would not.
    bool fillJoinedRings();
    void drawLinePart(const MapPoint* points, std::size_t count);
    void drawMarker(const MapPoint& p);
    void drawTinyFeature(const Rectangle& box);
    // Fast paths into m_image; false when the feature needs the painter.
    bool stampMarker(const MapPoint& p);
    // Whether a polygon of this box (map units) may be drawn pixel by pixel.
    bool isSmallPolygon(const Rectangle& box) const;
    // Draws the rings held in the scratch pixel by pixel.
    bool drawSmallPolygon();
    void makeSprite();
    // One-pixel antialiased outlines straight into m_image.
    void strokeRing(const QPointF* ring, qsizetype count);
    void plotLine(QPointF a, QPointF b);
    // The pixels of plotLine from column xStart to xEnd (rows when Steep),
    // y at xStart in rows (columns when Steep) and growing by `gradient`.
    template <bool Steep>
    void plotSpans(int xStart, int xEnd, double y, double gradient);
    // Sets pen and brush for drawing geometry of `type` with the symbol.
    void prepare(ShapeType type);
    // Adds the part's pixels to the scratch as one ring, skipping repeats of
    // one pixel and vertices that are not finite numbers.
    void appendRing(const MapPoint* points, std::size_t count);

    QPainter& m_painter;
    ViewTransform m_view;
    std::unique_ptr<DrawScratch> m_ownScratch;  // when none is borrowed
    DrawScratch* m_scratch;
    bool m_antialiased = true;  // the painter's setting when we got it
    Symbol m_symbol;
    QColor m_colour;
    QRgb m_fillRgb = 0;  // m_colour as a pixel
    bool m_prepared = false;
    ShapeType m_preparedType = ShapeType::Point;

    QImage* m_image = nullptr;  // the painter's picture, when it can be written directly
    uchar* m_bits = nullptr;    // its pixels
    qsizetype m_stride = 0;
    int m_width = 0;
    int m_height = 0;
    QImage m_sprite;  // the marker of the current symbol
    QPoint m_spriteCentre;
    std::uint64_t* m_stamped = nullptr;  // pixels that hold the current sprite, in the scratch
    bool m_spriteReady = false;
    bool m_fastOutline = false;
    QRgb m_outlineRgb = 0;
    std::array<QRgb, 256> m_outlineRamp{};  // the outline colour at each coverage
};

}  // namespace mapcontrol
