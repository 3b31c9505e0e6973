#include "mapcontrol/feature_painter.h"

#include <QPainter>

#include <bit>
#include <cmath>
#include <limits>

namespace mapcontrol {

namespace {

// Polygons up to this many pixels across are drawn pixel by pixel: at that
// size they are mostly outline, which the painter would draw over the fill
// edge by edge.
constexpr double kSmallPolygonPixels = 4.0;
// The side of the pixel mask of such a polygon (the pixels its box touches),
// one bit per pixel in a 64-bit word.
constexpr int kMaskSide = 8;
static_assert(kSmallPolygonPixels + 1 <= kMaskSide);

// Nearest integer, halves away from zero, for pixel coordinates; values far
// outside any picture (and NaN) are clamped first so the conversion stays
// defined. Written without branches (minimum, maximum and sign selections)
// for the loop over every vertex.
inline long roundToLong(double x) {
    x = x > -1e15 ? x : -1e15;  // NaN too
    x = x < 1e15 ? x : 1e15;
    return static_cast<long>(x + std::copysign(0.5, x));
}

// Floor and ceiling as int, for values well within its range (pixel
// coordinates near the picture), without the cost of the general functions.
inline int floorToInt(double v) {
    const int i = static_cast<int>(v);
    return i - (v < i);
}
inline int ceilToInt(double v) {
    const int i = static_cast<int>(v);
    return i + (v > i);
}

// Each byte of x times a / 255, two channels at a time.
inline QRgb byteMul(QRgb x, unsigned a) {
    QRgb t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = x + ((x >> 8) & 0xff00ff) + 0x800080;
    x &= 0xff00ff00;
    return x | t;
}

// Premultiplied source over destination.
inline QRgb blend(QRgb src, QRgb dst) {
    const unsigned alpha = qAlpha(src);
    return alpha == 255 ? src : src + byteMul(dst, 255 - alpha);
}

}  // namespace

FeaturePainter::FeaturePainter(QPainter& painter, const ViewTransform& view)
    : FeaturePainter(painter, view, std::make_unique<DrawScratch>(), nullptr) {}

FeaturePainter::FeaturePainter(QPainter& painter, const ViewTransform& view, DrawScratch& scratch)
    : FeaturePainter(painter, view, nullptr, &scratch) {}

FeaturePainter::FeaturePainter(QPainter& painter, const ViewTransform& view,
                               std::unique_ptr<DrawScratch> own, DrawScratch* borrowed)
    : m_painter(painter),
      m_view(view),
      m_ownScratch(std::move(own)),
      m_scratch(m_ownScratch ? m_ownScratch.get() : borrowed),
      m_antialiased(painter.testRenderHint(QPainter::Antialiasing)) {
    QPaintDevice* device = painter.device();
    if (device && device->devType() == QInternal::Image && !painter.hasClipping() &&
        painter.transform().isIdentity() && painter.opacity() == 1.0 &&
        painter.compositionMode() == QPainter::CompositionMode_SourceOver) {
        auto* image = static_cast<QImage*>(device);
        if (image->format() == QImage::Format_ARGB32_Premultiplied &&
            image->devicePixelRatio() == 1.0) {
            m_image = image;
            m_bits = image->bits();  // the painter has detached the picture already
            m_stride = image->bytesPerLine();
            m_width = image->width();
            m_height = image->height();
        }
    }
}

FeaturePainter::~FeaturePainter() {
    m_painter.setRenderHint(QPainter::Antialiasing, m_antialiased);
}

QBrush FeaturePainter::fillBrush(int style, const QColor& colour) {
    switch (style) {
        case FillTransparent:
            return Qt::NoBrush;
        case FillHorizontal:
            return {colour, Qt::HorPattern};
        case FillVertical:
            return {colour, Qt::VerPattern};
        case FillUpwardDiagonal:
            return {colour, Qt::BDiagPattern};
        case FillDownwardDiagonal:
            return {colour, Qt::FDiagPattern};
        case FillCross:
            return {colour, Qt::CrossPattern};
        case FillDiagonalCross:
            return {colour, Qt::DiagCrossPattern};
        case FillLightGrey:
            return {colour, Qt::Dense6Pattern};
        case FillGrey:
            return {colour, Qt::Dense4Pattern};
        case FillDarkGrey:
            return {colour, Qt::Dense2Pattern};
        default:
            return {colour, Qt::SolidPattern};
    }
}

Qt::PenStyle FeaturePainter::lineStyle(int style) {
    switch (style) {
        case LineDash:
            return Qt::DashLine;
        case LineDot:
            return Qt::DotLine;
        case LineDashDot:
            return Qt::DashDotLine;
        case LineDashDotDot:
            return Qt::DashDotDotLine;
        default:
            return Qt::SolidLine;
    }
}

void FeaturePainter::setSymbol(const Symbol& symbol) {
    m_symbol = symbol;
    m_colour = toQColor(symbol.colour);
    m_fillRgb = m_colour.rgb();
    m_prepared = false;
    m_spriteReady = false;
}

void FeaturePainter::makeSprite() {
    const int size = std::max(m_symbol.size, 1);
    const int side = size + 4;
    m_sprite = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    m_sprite.fill(Qt::transparent);
    m_spriteCentre = QPoint(side / 2, side / 2);
    {
        QPainter spritePainter(&m_sprite);
        spritePainter.setRenderHints(m_painter.renderHints());
        FeaturePainter drawer(spritePainter, m_view, *m_scratch);
        drawer.setSymbol(m_symbol);
        drawer.m_image = nullptr;  // draw the marker itself with the painter
        drawer.prepare(ShapeType::Point);
        // Marker centred on the middle of the sprite's centre pixel.
        const MapPoint centre =
            m_view.toMap(QPointF(m_spriteCentre.x() + 0.5, m_spriteCentre.y() + 0.5));
        drawer.drawMarker(centre);
    }
    // Keep only the rows and columns the marker touches.
    int left = side, top = side, right = -1, bottom = -1;
    for (int y = 0; y < side; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(m_sprite.constScanLine(y));
        for (int x = 0; x < side; ++x) {
            if (qAlpha(row[x]) != 0) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    }
    if (right >= left) {
        m_sprite = m_sprite.copy(left, top, right - left + 1, bottom - top + 1);
        m_spriteCentre -= QPoint(left, top);
    }
    if (m_image) {
        m_stamped =
            m_scratch->clearMarks((static_cast<std::size_t>(m_width) * m_height + 63) / 64).data();
    }
    m_spriteReady = true;
}

bool FeaturePainter::stampMarker(const MapPoint& p) {
    if (!m_image) {
        return false;
    }
    if (!m_spriteReady) {
        makeSprite();
    }
    const QPointF pixel = m_view.toPixel(p);
    if (!(std::abs(pixel.x()) < 1e9 && std::abs(pixel.y()) < 1e9)) {
        return true;  // far outside the picture
    }
    const int px = static_cast<int>(std::floor(pixel.x()));
    const int py = static_cast<int>(std::floor(pixel.y()));
    const int width = m_width;
    const int height = m_height;
    if (px >= 0 && py >= 0 && px < width && py < height) {
        const std::size_t bit = static_cast<std::size_t>(py) * width + px;
        std::uint64_t& word = m_stamped[bit / 64];
        const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
        if (word & mask) {
            return true;  // the same marker is already there
        }
        word |= mask;
    }
    const int left = px - m_spriteCentre.x();
    const int top = py - m_spriteCentre.y();
    const int x0 = std::max(0, -left), y0 = std::max(0, -top);
    const int x1 = std::min(m_sprite.width(), width - left),
              y1 = std::min(m_sprite.height(), height - top);
    for (int y = y0; y < y1; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(m_sprite.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(m_bits + (top + y) * m_stride) + left;
        for (int x = x0; x < x1; ++x) {
            if (qAlpha(src[x]) != 0) {
                dst[x] = blend(src[x], dst[x]);
            }
        }
    }
    return true;
}

bool FeaturePainter::isSmallPolygon(const Rectangle& box) const {
    if (!m_image || !(m_symbol.style == FillSolid || m_symbol.style == FillTransparent) ||
        (m_symbol.outline && m_symbol.size > 1)) {
        return false;  // patterns and wide outlines need the painter
    }
    const double scale = m_view.scale();
    return box.width() * scale <= kSmallPolygonPixels &&
           box.height() * scale <= kSmallPolygonPixels;
}

bool FeaturePainter::drawSmallPolygon() {
    const bool filled = m_symbol.style == FillSolid;
    const qsizetype count = m_scratch->pixelCount();
    if (count == 0) {
        return true;
    }
    const QPointF* points = m_scratch->pixels();
    double minX = points[0].x(), maxX = minX, minY = points[0].y(), maxY = minY;
    for (qsizetype i = 0; i < count; ++i) {
        const QPointF& p = points[i];
        minX = std::min(minX, p.x()), maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y()), maxY = std::max(maxY, p.y());
    }
    const int width = m_width;
    const int height = m_height;
    if (maxX < 0 || maxY < 0 || minX >= width || minY >= height) {
        return true;  // outside the picture
    }
    // The pixels the rings' box touches, one bit each, row by row. They are
    // worked out whole, also where the picture cuts them, so that a picture
    // drawn in bands gets the pixels of the picture drawn whole.
    const int x0 = floorToInt(minX);
    const int y0 = floorToInt(minY);
    const int x1 = floorToInt(maxX);
    const int y1 = floorToInt(maxY);
    if (x1 - x0 >= kMaskSide || y1 - y0 >= kMaskSide) {
        return false;
    }
    const auto bit = [&](int x, int y) {
        return std::uint64_t{1} << ((y - y0) * kMaskSide + (x - x0));
    };
    const int columns = x1 - x0 + 1;
    std::uint64_t everyPixel = 0;
    for (int y = y0; y <= y1; ++y) {
        everyPixel |= ((std::uint64_t{1} << columns) - 1) << ((y - y0) * kMaskSide);
    }
    // Calls visit(a, b) for each edge of each ring until it returns false.
    const auto forEachEdge = [&](const auto& visit) {
        qsizetype ringStart = 0;
        for (const qsizetype ringEnd : m_scratch->ringEnds()) {
            for (qsizetype i = ringStart, j = ringEnd - 1; i < ringEnd; j = i++) {
                if (!visit(points[i], points[j])) {
                    return;
                }
            }
            ringStart = ringEnd;
        }
    };
    // A pixel whose centre lies within half a pixel of an edge shows the
    // outline, as a one-pixel pen does; only the pixels around the edge can.
    std::uint64_t outline = 0;
    if (m_symbol.outline) {
        forEachEdge([&](const QPointF& a, const QPointF& b) {
            const int ex0 = std::max(x0, ceilToInt(std::min(a.x(), b.x()) - 1));
            const int ex1 = std::min(x1, floorToInt(std::max(a.x(), b.x())));
            const int ey0 = std::max(y0, ceilToInt(std::min(a.y(), b.y()) - 1));
            const int ey1 = std::min(y1, floorToInt(std::max(a.y(), b.y())));
            const double dx = b.x() - a.x(), dy = b.y() - a.y();
            const double lengthSquared = dx * dx + dy * dy;
            const double inverse = lengthSquared > 0 ? 1.0 / lengthSquared : 0.0;
            for (int y = ey0; y <= ey1; ++y) {
                const double cy = y + 0.5;
                for (int x = ex0; x <= ex1; ++x) {
                    if (outline & bit(x, y)) {
                        continue;  // another edge got there first
                    }
                    const double cx = x + 0.5;
                    // The nearest point of the edge to the centre.
                    const double t =
                        std::clamp(((cx - a.x()) * dx + (cy - a.y()) * dy) * inverse, 0.0, 1.0);
                    const double nx = a.x() + t * dx - cx, ny = a.y() + t * dy - cy;
                    if (nx * nx + ny * ny <= 0.25) {
                        outline |= bit(x, y);
                    }
                }
            }
            return outline != everyPixel;  // a tiny polygon is soon all outline
        });
    }
    // The even-odd rule at pixel centres: an edge crossing a row of centres
    // flips every centre left of the crossing.
    std::uint64_t inside = 0;
    if (filled && outline != everyPixel) {
        forEachEdge([&](const QPointF& a, const QPointF& b) {
            // The rows whose centre cy the edge crosses, min <= cy < max
            // (exact: pixel coordinates have bits to spare for the halves).
            const int rowFirst = std::max(y0, ceilToInt(std::min(a.y(), b.y()) - 0.5));
            const int rowLast = std::min(y1, ceilToInt(std::max(a.y(), b.y()) - 0.5) - 1);
            for (int y = rowFirst; y <= rowLast; ++y) {
                const double cy = y + 0.5;
                const double crossing = a.x() + (cy - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
                // Centres x + 0.5 < crossing: the first `left` columns.
                const int left = std::clamp(ceilToInt(crossing - 0.5) - x0, 0, columns);
                inside ^= ((std::uint64_t{1} << left) - 1) << ((y - y0) * kMaskSide);
            }
            return true;
        });
    }
    const QRgb fill = m_fillRgb;
    const auto put = [&](int x, int y, QRgb colour) {
        if (x >= 0 && y >= 0 && x < width && y < height) {
            reinterpret_cast<QRgb*>(m_bits + y * m_stride)[x] = colour;
        }
    };
    if ((outline | inside) == 0) {
        // No pixel centre falls on it: like a feature smaller than a pixel,
        // it still shows as one pixel.
        put(floorToInt((minX + maxX) / 2), floorToInt((minY + maxY) / 2),
            filled ? fill : m_outlineRgb);
        return true;
    }
    for (std::uint64_t bits = outline | inside; bits != 0; bits &= bits - 1) {
        const int index = std::countr_zero(bits);
        const std::uint64_t b = std::uint64_t{1} << index;
        put(x0 + index % kMaskSide, y0 + index / kMaskSide, (outline & b) ? m_outlineRgb : fill);
    }
    return true;
}

void FeaturePainter::prepare(ShapeType type) {
    if (m_prepared && m_preparedType == type) {
        return;
    }
    m_prepared = true;
    m_preparedType = type;
    const QColor outline = toQColor(m_symbol.outlineColour);
    m_fastOutline = false;
    switch (type) {
        case ShapeType::Polygon:
        case ShapeType::Rectangle: {
            // With the picture at hand, outlines are drawn by plotLine after the
            // fill, which costs far less than the painter's stroke.
            const bool thick = m_symbol.size > 1;
            m_fastOutline = m_symbol.outline && m_image != nullptr && !thick;
            m_outlineRgb = outline.rgb();
            if (m_fastOutline && m_outlineRamp[255] != m_outlineRgb) {
                for (unsigned alpha = 0; alpha < 256; ++alpha) {
                    m_outlineRamp[alpha] = byteMul(m_outlineRgb, alpha);
                }
            }
            QPen pen = m_symbol.outline && !m_fastOutline ? QPen(outline, thick ? m_symbol.size : 0)
                                                          : QPen(Qt::NoPen);
            pen.setCosmetic(true);
            m_painter.setPen(pen);
            // The antialiased outline covers the fill's edge, so the fill itself
            // need not be antialiased, which halves its cost.
            m_painter.setRenderHint(QPainter::Antialiasing, m_antialiased && !m_fastOutline);
            m_painter.setBrush(fillBrush(m_symbol.style, m_colour));
            break;
        }
        case ShapeType::Line:
            m_painter.setRenderHint(QPainter::Antialiasing, m_antialiased);
            m_painter.setPen(QPen(m_colour, std::max(m_symbol.size, 1), lineStyle(m_symbol.style),
                                  Qt::RoundCap, Qt::RoundJoin));
            m_painter.setBrush(Qt::NoBrush);
            break;
        case ShapeType::Point:
            m_painter.setRenderHint(QPainter::Antialiasing, m_antialiased);
            m_painter.setPen(m_symbol.outline ? QPen(outline, 1) : QPen(Qt::NoPen));
            m_painter.setBrush(m_colour);
            break;
    }
}

void FeaturePainter::appendRing(const MapPoint* points, std::size_t count) {
    const double scale = m_view.scale();
    const double left = m_view.extent().left();
    const double top = m_view.extent().top();
    // Written through a pointer into room made at once: appending point by
    // point costs more than the arithmetic.
    QPointF* out = m_scratch->ringRoom(count);
    long lastX = std::numeric_limits<long>::min();
    long lastY = std::numeric_limits<long>::min();
    for (std::size_t i = 0; i < count; ++i) {
        const double x = (points[i].x - left) * scale;
        const double y = (top - points[i].y) * scale;
        const long px = roundToLong(x);
        const long py = roundToLong(y);
        // Written always, kept only when it moved to another pixel (or ends
        // the part), and never when a damaged file gave it no position: no
        // branch to mispredict on every other vertex.
        const bool moved = (px != lastX) | (py != lastY) | (i + 1 == count);
        *out = QPointF(x, y);
        out += moved & std::isfinite(x) & std::isfinite(y);
        lastX = px;
        lastY = py;
    }
    m_scratch->endRing(out);
}

void FeaturePainter::drawTinyFeature(const Rectangle& box) {
    const QPointF p = m_view.toPixel(box.centre());
    const QColor colour = (m_symbol.type == SymbolType::Fill && m_symbol.style == FillTransparent)
                              ? toQColor(m_symbol.outlineColour)
                              : m_colour;
    m_painter.fillRect(QRectF(std::floor(p.x()), std::floor(p.y()), 1, 1), colour);
}

void FeaturePainter::drawRings() {
    const QPointF* pixels = m_scratch->pixels();
    const std::vector<qsizetype>& ends = m_scratch->ringEnds();
    if (ends.size() == 1) {
        m_painter.drawPolygon(pixels, static_cast<int>(ends[0]), Qt::OddEvenFill);
    } else if (!(m_fastOutline && fillJoinedRings())) {
        QPainterPath& path = m_scratch->emptyPath(m_scratch->pixelCount() +
                                                  2 * static_cast<qsizetype>(ends.size()) + 1);
        path.setFillRule(Qt::OddEvenFill);
        for (std::size_t i = 0; i < ends.size(); ++i) {
            path.addPolygon(m_scratch->ringPolygon(i));
            path.closeSubpath();
        }
        m_painter.drawPath(path);
    }
    if (m_fastOutline) {
        qsizetype start = 0;
        for (const qsizetype end : ends) {
            strokeRing(pixels + start, end - start);
            start = end;
        }
    }
}

bool FeaturePainter::fillJoinedRings() {
    // The rings one after another, each closed, from the top one down (by
    // their first vertex), then back up through the first vertex of each:
    // every edge between two rings is then the same line both ways, so
    // under the even-odd rule it cancels and the fill is the fill of the
    // rings. That holds exactly for the painter's fill without antialiasing
    // (a line gives the same crossings either way) and only for a polygon it
    // takes whole: one of at most 65,535 points that it need not clip (its
    // coordinates well within +-32,767). Going down the rings keeps the
    // edges between them short in rows, where their crossings cost. Rings
    // of fewer than three vertices fill nothing and are left out.
    constexpr std::size_t kMostPoints = 0xffff;
    constexpr double kLimit = 16'000;
    const QPointF* pixels = m_scratch->pixels();
    const std::vector<qsizetype>& ends = m_scratch->ringEnds();
    std::pair<double, std::size_t>* const order = m_scratch->orderRoom(ends.size());
    std::size_t rings = 0;
    std::size_t room = 0;
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const qsizetype start = i == 0 ? 0 : ends[i - 1];
        if (ends[i] - start >= 3) {
            order[rings++] = {pixels[start].y(), i};
            room += static_cast<std::size_t>(ends[i] - start) + 2;
        }
    }
    if (rings < 2 || room > kMostPoints) {
        return false;
    }
    std::sort(order, order + rings);
    QPointF* const joined = m_scratch->joinedRoom(room);
    QPointF* out = joined;
    double low = 0, high = 0;
    for (std::size_t k = 0; k < rings; ++k) {
        const std::size_t i = order[k].second;
        const qsizetype start = i == 0 ? 0 : ends[i - 1];
        const QPointF* ring = pixels + start;
        const qsizetype count = ends[i] - start;
        for (qsizetype v = 0; v < count; ++v) {
            low = std::min({low, ring[v].x(), ring[v].y()});
            high = std::max({high, ring[v].x(), ring[v].y()});
        }
        out = std::copy(ring, ring + count, out);
        // Closed as QPainterPath::closeSubpath closes a ring.
        const QPointF first = ring[0];
        QPointF& last = out[-1];
        if (first.x() != last.x() || first.y() != last.y()) {
            if (qFuzzyCompare(first.x(), last.x()) && qFuzzyCompare(first.y(), last.y())) {
                last = first;
            } else {
                *out++ = first;
            }
        }
    }
    if (low < -kLimit || high > kLimit) {
        return false;
    }
    // Back up: the first vertex of each ring above the last one.
    for (std::size_t k = rings - 1; k-- > 0;) {
        const std::size_t i = order[k].second;
        *out++ = pixels[i == 0 ? 0 : ends[i - 1]];
    }
    m_painter.drawPolygon(joined, static_cast<int>(out - joined), Qt::OddEvenFill);
    return true;
}

void FeaturePainter::strokeRing(const QPointF* ring, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i) {
        const QPointF& a = ring[i];
        const QPointF& b = ring[i + 1 < n ? i + 1 : 0];
        if (a != b) {
            plotLine(a, b);
        }
    }
}

namespace {

// Clips the segment to the rectangle [0, w] x [0, h] (Liang-Barsky); false
// when nothing of it is inside.
bool clipSegment(double& x0, double& y0, double& x1, double& y1, double w, double h) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0, w - x0, y0, h - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    x1 = x0 + t1 * dx;
    y1 = y0 + t1 * dy;
    x0 = x0 + t0 * dx;
    y0 = y0 + t0 * dy;
    return true;
}

}  // namespace

void FeaturePainter::plotLine(QPointF a, QPointF b) {
    // An antialiased one-pixel line (Wu's algorithm) straight into the picture;
    // pixel centres sit at +0.5, as for the painter.
    double x0 = a.x() - 0.5, y0 = a.y() - 0.5, x1 = b.x() - 0.5, y1 = b.y() - 0.5;
    const int width = m_width;
    const int height = m_height;
    if (x0 >= 0 && x0 <= width && x1 >= 0 && x1 <= width && y0 >= 0 && y0 <= height && y1 >= 0 &&
        y1 <= height) {
        // Inside the picture, where clipping keeps the whole segment: its
        // end as clipping computes it, without clipping's divisions.
        x1 = x0 + (x1 - x0);
        y1 = y0 + (y1 - y0);
    } else if (!clipSegment(x0, y0, x1, y1, width, height)) {
        return;
    }
    const bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
    if (steep) {
        std::swap(x0, y0);
        std::swap(x1, y1);
    }
    if (x0 > x1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const double dx = x1 - x0;
    const double gradient = dx > 0 ? (y1 - y0) / dx : 0.0;
    const int xStart = static_cast<int>(roundToLong(x0));
    const int xEnd = static_cast<int>(roundToLong(x1));
    const double y = y0 + gradient * (xStart - x0);
    if (steep) {
        plotSpans<true>(xStart, xEnd, y, gradient);
    } else {
        plotSpans<false>(xStart, xEnd, y, gradient);
    }
}

template <bool Steep>
void FeaturePainter::plotSpans(int xStart, int xEnd, double y, double gradient) {
    const auto width = static_cast<unsigned>(m_width);
    const auto height = static_cast<unsigned>(m_height);
    uchar* const bits = m_bits;
    const qsizetype stride = m_stride;
    const QRgb* const ramp = m_outlineRamp.data();
    const auto plot = [&](int x, int y, double coverage) {
        if (static_cast<unsigned>(x) >= width || static_cast<unsigned>(y) >= height ||
            coverage <= 0.0) {
            return;
        }
        const auto alpha = static_cast<unsigned>(std::min(coverage, 1.0) * 255 + 0.5);
        QRgb& dst = reinterpret_cast<QRgb*>(bits + y * stride)[x];
        dst = blend(ramp[alpha], dst);
    };
    for (int x = xStart; x <= xEnd; ++x) {
        // y stays above -1 inside the clipped segment, so truncating y + 1 floors it.
        const int iy = static_cast<int>(y + 1.0) - 1;
        const double fraction = y - iy;
        if constexpr (Steep) {
            plot(iy, x, 1.0 - fraction);
            plot(iy + 1, x, fraction);
        } else {
            plot(x, iy, 1.0 - fraction);
            plot(x, iy + 1, fraction);
        }
        y += gradient;
    }
}

void FeaturePainter::drawLinePart(const MapPoint* points, std::size_t count) {
    m_scratch->clearRings();
    appendRing(points, count);
    m_painter.drawPolyline(m_scratch->pixels(), static_cast<int>(m_scratch->pixelCount()));
}

void FeaturePainter::drawMarker(const MapPoint& p) {
    if (stampMarker(p)) {
        return;
    }
    const QPointF c = m_view.toPixel(p);
    const double size = std::max(m_symbol.size, 1);
    const double r = size / 2.0;
    switch (m_symbol.style) {
        case MarkerSquare:
            m_painter.drawRect(QRectF(c.x() - r, c.y() - r, size, size));
            break;
        case MarkerTriangle: {
            const QPointF corners[3] = {
                {c.x(), c.y() - r}, {c.x() + r, c.y() + r}, {c.x() - r, c.y() + r}};
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
        default:
            m_painter.drawEllipse(c, r, r);
            break;
    }
}

void FeaturePainter::drawFeature(const VectorData& data, VectorData::FeatureId feature) {
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
    const bool small = isSmallPolygon(box);
    if (small && m_symbol.style == FillTransparent && !m_symbol.outline) {
        return;  // nothing of it shows
    }
    // Every ring in pixels, with its vertices on the same pixel skipped.
    m_scratch->clearRings();
    for (std::uint32_t part = first; part < end; ++part) {
        appendRing(data.partPoints(part), data.partSize(part));
    }
    if (small && drawSmallPolygon()) {
        return;
    }
    drawRings();
}

void FeaturePainter::drawShape(const Shape& shape) {
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
        case ShapeType::Rectangle:
            m_scratch->clearRings();
            for (const Shape::Part& part : shape.parts()) {
                appendRing(part.points.data(), part.points.size());
            }
            drawRings();
            break;
    }
}

}  // namespace mapcontrol
