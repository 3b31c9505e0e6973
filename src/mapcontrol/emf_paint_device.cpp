#include "mapcontrol/emf_paint_device.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPixmap>
#include <QTextItem>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace mapcontrol {

namespace {

constexpr quint32 kEmfSignature = 0x464D4520;  // " EMF"
constexpr quint32 kHeaderSize = 88;
constexpr quint32 kEofSize = 20;
constexpr quint32 kNullBrush = 0x80000005;  // stock objects
constexpr quint32 kNullPen = 0x80000008;
constexpr quint32 kSourceCopy = 0x00CC0020;
// Object handles: 1 the pen, 2 the brush, 3 the font (0 is reserved).
constexpr quint32 kPenHandle = 1;
constexpr quint32 kBrushHandle = 2;
constexpr quint32 kFontHandle = 3;
constexpr quint16 kHandleCount = 4;

void put32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}
void put16(QByteArray& out, quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}
qint32 toInt(double v) {
    constexpr double kLimit = 1.0e9;  // far beyond any picture, well inside 32 bits
    return static_cast<qint32>(
        std::lround(std::clamp(std::isfinite(v) ? v : 0.0, -kLimit, kLimit)));
}
void putRect(QByteArray& out, qint32 left, qint32 top, qint32 right, qint32 bottom) {
    put32(out, static_cast<quint32>(left));
    put32(out, static_cast<quint32>(top));
    put32(out, static_cast<quint32>(right));
    put32(out, static_cast<quint32>(bottom));
}
quint32 colorRef(const QColor& c) {
    return static_cast<quint32>(c.red()) | static_cast<quint32>(c.green()) << 8 |
           static_cast<quint32>(c.blue()) << 16;
}

}  // namespace

class EmfPaintEngine : public QPaintEngine {
public:
    explicit EmfPaintEngine(QSize size) : QPaintEngine(QPaintEngine::AllFeatures), m_size(size) {}

    bool begin(QPaintDevice*) override {
        m_records.clear();
        m_count = 0;
        m_penDirty = m_brushDirty = m_fontDirty = true;
        m_penCreated = m_brushCreated = m_fontCreated = false;
        m_fillMode = 0;
        simple(emf::SetBkMode, 1);      // hatches over a transparent ground
        simple(emf::SetTextAlign, 24);  // text placed by its baseline
        return true;
    }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override {
        const DirtyFlags flags = state.state();
        if (flags & DirtyPen) {
            m_pen = state.pen();
            m_penDirty = true;
        }
        if (flags & DirtyBrush) {
            m_brush = state.brush();
            m_brushDirty = true;
        }
        if (flags & DirtyTransform) {
            m_transform = state.transform();
        }
        if (flags & DirtyFont) {
            m_font = state.font();
            m_fontDirty = true;
        }
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        if (count <= 0) return;
        QPolygonF polygon;
        polygon.reserve(count);
        for (int i = 0; i < count; ++i) polygon.append(m_transform.map(points[i]));
        if (mode == PolylineMode) {
            polyline(polygon);
            return;
        }
        setFillMode(mode == WindingMode ? 2 : 1);
        selectPen();
        selectBrush();
        pointsRecord(emf::Polygon, polygon);
    }

    void drawPath(const QPainterPath& path) override {
        const QList<QPolygonF> parts = path.toSubpathPolygons(m_transform);
        if (parts.isEmpty()) return;
        if (m_brush.style() == Qt::NoBrush) {
            for (const QPolygonF& part : parts) polyline(part);
            return;
        }
        setFillMode(path.fillRule() == Qt::WindingFill ? 2 : 1);
        selectPen();
        selectBrush();
        QByteArray body;
        quint32 total = 0;
        QRectF bounds;
        for (const QPolygonF& part : parts) total += static_cast<quint32>(part.size());
        put32(body, static_cast<quint32>(parts.size()));
        put32(body, total);
        for (const QPolygonF& part : parts) {
            put32(body, static_cast<quint32>(part.size()));
            bounds = bounds.united(part.boundingRect());
        }
        for (const QPolygonF& part : parts) {
            for (const QPointF& p : part) {
                put32(body, static_cast<quint32>(toInt(p.x())));
                put32(body, static_cast<quint32>(toInt(p.y())));
            }
        }
        QByteArray withBounds;
        putBounds(withBounds, bounds);
        record(emf::PolyPolygon, withBounds + body);
    }

    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QPolygonF corners = m_transform.map(QPolygonF(rects[i]));
            selectPen();
            selectBrush();
            pointsRecord(emf::Polygon, corners.mid(0, 4));
        }
    }
    void drawRects(const QRect* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QRectF r(rects[i]);
            drawRects(&r, 1);
        }
    }

    void drawLines(const QLineF* lines, int count) override {
        for (int i = 0; i < count; ++i) {
            polyline(QPolygonF({m_transform.map(lines[i].p1()), m_transform.map(lines[i].p2())}));
        }
    }
    void drawLines(const QLine* lines, int count) override {
        for (int i = 0; i < count; ++i) {
            const QLineF l(lines[i]);
            drawLines(&l, 1);
        }
    }

    void drawPoints(const QPointF* points, int count) override {
        for (int i = 0; i < count; ++i) {
            const QPointF p = m_transform.map(points[i]);
            polyline(QPolygonF({p, p + QPointF(1, 0)}));
        }
    }

    void drawEllipse(const QRectF& rect) override {
        if (m_transform.isRotating()) {
            QPainterPath path;
            path.addEllipse(rect);
            drawPath(path);
            return;
        }
        const QRectF box = m_transform.mapRect(rect);
        selectPen();
        selectBrush();
        QByteArray body;
        putRect(body, toInt(box.left()), toInt(box.top()), toInt(box.right()), toInt(box.bottom()));
        record(emf::Ellipse, body);
    }
    void drawEllipse(const QRect& rect) override { drawEllipse(QRectF(rect)); }

    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& source) override {
        drawImage(r, pixmap.toImage(), source, Qt::AutoColor);
    }

    void drawImage(const QRectF& r, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags) override {
        const QImage part =
            image.copy(source.toAlignedRect()).convertToFormat(QImage::Format_RGB32);
        if (part.isNull()) return;
        const QRect target = m_transform.mapRect(r).toAlignedRect();
        stretchDiBits(part, target);
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        const QString text = item.text();
        if (text.isEmpty()) return;
        const double scale = std::sqrt(std::fabs(m_transform.determinant()));
        selectFont(item.font(), scale);
        simple(emf::SetTextColor, colorRef(m_pen.color()));
        const QPointF at = m_transform.map(p);
        const QFontMetricsF metrics(item.font());
        const double width = metrics.horizontalAdvance(text) * scale;
        const double height = metrics.height() * scale;

        QByteArray body;
        putRect(body, toInt(at.x()), toInt(at.y() - height), toInt(at.x() + width), toInt(at.y()));
        put32(body, 1);  // compatible graphics mode
        const float unit = 1.0f;
        quint32 unitBits = 0;
        std::memcpy(&unitBits, &unit, 4);
        put32(body, unitBits);  // x and y scales
        put32(body, unitBits);
        const auto chars = static_cast<quint32>(text.size());
        const quint32 stringOffset = 76;
        const quint32 stringBytes = (chars * 2 + 3) / 4 * 4;
        put32(body, static_cast<quint32>(toInt(at.x())));  // reference point
        put32(body, static_cast<quint32>(toInt(at.y())));
        put32(body, chars);
        put32(body, stringOffset);
        put32(body, 0);                           // options
        putRect(body, 0, 0, -1, -1);              // no clipping rectangle
        put32(body, stringOffset + stringBytes);  // character advances
        QByteArray utf16(reinterpret_cast<const char*>(text.utf16()),
                         static_cast<qsizetype>(chars) * 2);
        utf16.resize(static_cast<qsizetype>(stringBytes), '\0');
        body.append(utf16);
        for (const QChar c : text) {
            put32(body, static_cast<quint32>(toInt(metrics.horizontalAdvance(c) * scale)));
        }
        record(emf::ExtTextOutW, body);
    }

    // The metafile: the header before the records, the end after them.
    QByteArray data() const {
        const auto total = static_cast<quint32>(kHeaderSize + m_records.size() + kEofSize);
        // The frame in hundredths of a millimetre at 96 dpi, held in 32 bits.
        const auto hundredthsMm = [](int pixels) {
            return static_cast<qint32>(
                std::min<qint64>(qint64(pixels) * 2540 / 96, std::numeric_limits<qint32>::max()));
        };
        QByteArray out;
        out.reserve(static_cast<qsizetype>(total));
        put32(out, emf::Header);
        put32(out, kHeaderSize);
        putRect(out, 0, 0, m_size.width() - 1, m_size.height() - 1);
        putRect(out, 0, 0, hundredthsMm(m_size.width()) - 1, hundredthsMm(m_size.height()) - 1);
        put32(out, kEmfSignature);
        put32(out, 0x10000);  // version
        put32(out, total);
        put32(out, m_count + 2);  // with the header and the end
        put16(out, kHandleCount);
        put16(out, 0);
        put32(out, 0);  // description length and offset
        put32(out, 0);
        put32(out, 0);     // palette entries
        put32(out, 1920);  // reference device, pixels
        put32(out, 1080);
        put32(out, 508);  // reference device, millimetres (96 dpi)
        put32(out, 286);
        out.append(m_records);
        put32(out, emf::Eof);
        put32(out, kEofSize);
        put32(out, 0);   // palette entries
        put32(out, 16);  // palette offset
        put32(out, kEofSize);
        return out;
    }

private:
    void record(quint32 type, const QByteArray& body) {
        put32(m_records, type);
        put32(m_records, static_cast<quint32>(8 + body.size()));
        m_records.append(body);
        ++m_count;
    }
    void simple(quint32 type, quint32 value) {
        QByteArray body;
        put32(body, value);
        record(type, body);
    }
    static void putBounds(QByteArray& out, const QRectF& r) {
        putRect(out, toInt(std::floor(r.left())), toInt(std::floor(r.top())),
                toInt(std::ceil(r.right())), toInt(std::ceil(r.bottom())));
    }
    void pointsRecord(quint32 type, const QPolygonF& points) {
        QByteArray body;
        putBounds(body, points.boundingRect());
        put32(body, static_cast<quint32>(points.size()));
        for (const QPointF& p : points) {
            put32(body, static_cast<quint32>(toInt(p.x())));
            put32(body, static_cast<quint32>(toInt(p.y())));
        }
        record(type, body);
    }
    void polyline(const QPolygonF& points) {
        if (points.size() < 2 || m_pen.style() == Qt::NoPen) return;
        selectPen();
        pointsRecord(emf::Polyline, points);
    }
    void setFillMode(quint32 mode) {
        if (mode != m_fillMode) {
            simple(emf::SetPolyFillMode, mode);
            m_fillMode = mode;
        }
    }
    // Replaces the object at `handle` by a new one made by `create`.
    void replaceObject(quint32 handle, bool& created, quint32 stock, const QByteArray& create,
                       quint32 createType) {
        if (created) {
            simple(emf::SelectObject, stock);
            simple(emf::DeleteObject, handle);
        }
        record(createType, create);
        simple(emf::SelectObject, handle);
        created = true;
    }
    void selectPen() {
        if (!m_penDirty) return;
        m_penDirty = false;
        if (m_pen.style() == Qt::NoPen || m_pen.color().alpha() == 0) {
            simple(emf::SelectObject, kNullPen);
            return;
        }
        quint32 style = 0;
        switch (m_pen.style()) {
            case Qt::DashLine:
                style = 1;
                break;
            case Qt::DotLine:
                style = 2;
                break;
            case Qt::DashDotLine:
                style = 3;
                break;
            case Qt::DashDotDotLine:
                style = 4;
                break;
            default:
                break;
        }
        const double scale =
            m_pen.isCosmetic() ? 1.0 : std::sqrt(std::fabs(m_transform.determinant()));
        const quint32 width = static_cast<quint32>(std::max(1, toInt(m_pen.widthF() * scale)));
        QByteArray body;
        put32(body, kPenHandle);
        put32(body, style);
        put32(body, width);
        put32(body, 0);
        put32(body, colorRef(m_pen.color()));
        replaceObject(kPenHandle, m_penCreated, kNullPen, body, emf::CreatePen);
    }
    void selectBrush() {
        if (!m_brushDirty) return;
        m_brushDirty = false;
        const Qt::BrushStyle pattern = m_brush.style();
        if (pattern == Qt::NoBrush || m_brush.color().alpha() == 0) {
            simple(emf::SelectObject, kNullBrush);
            return;
        }
        quint32 style = 0;  // solid
        quint32 hatch = 0;
        switch (pattern) {
            case Qt::HorPattern:
                style = 2;
                hatch = 0;
                break;
            case Qt::VerPattern:
                style = 2;
                hatch = 1;
                break;
            case Qt::FDiagPattern:
                style = 2;
                hatch = 2;
                break;
            case Qt::BDiagPattern:
                style = 2;
                hatch = 3;
                break;
            case Qt::CrossPattern:
                style = 2;
                hatch = 4;
                break;
            case Qt::DiagCrossPattern:
                style = 2;
                hatch = 5;
                break;
            default:
                break;  // dotted greys and gradients as solid colour
        }
        QByteArray body;
        put32(body, kBrushHandle);
        put32(body, style);
        put32(body, colorRef(m_brush.color()));
        put32(body, hatch);
        replaceObject(kBrushHandle, m_brushCreated, kNullBrush, body, emf::CreateBrushIndirect);
    }
    void selectFont(const QFont& font, double scale) {
        if (!m_fontDirty && font == m_lastFont && scale == m_lastFontScale) return;
        m_fontDirty = false;
        m_lastFont = font;
        m_lastFontScale = scale;
        const double pixels =
            font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
        QByteArray body;
        put32(body, kFontHandle);
        put32(body, static_cast<quint32>(-std::max(1, toInt(pixels * scale))));  // character height
        put32(body, 0);  // width, escapement, orientation
        put32(body, 0);
        put32(body, 0);
        put32(body, static_cast<quint32>(font.weight()));
        QByteArray flags(
            8, '\0');  // italic, underline, strike-out, charset, precisions, quality, pitch
        flags[0] = font.italic() ? 1 : 0;
        flags[1] = font.underline() ? 1 : 0;
        flags[3] = 1;  // default character set
        body.append(flags);
        QString face = font.family().left(31);
        QByteArray name(reinterpret_cast<const char*>(face.utf16()), face.size() * 2);
        name.resize(64, '\0');
        body.append(name);
        // The font is selected only when needed, so the stock object to put
        // back before deleting it is the system font.
        replaceObject(kFontHandle, m_fontCreated, 0x8000000D, body, emf::ExtCreateFontIndirectW);
    }
    void stretchDiBits(const QImage& image, const QRect& target) {
        const auto width = static_cast<quint32>(image.width());
        const auto height = static_cast<quint32>(image.height());
        const quint32 bitsSize = width * height * 4;
        constexpr quint32 kFixed = 80;
        constexpr quint32 kInfo = 40;
        QByteArray body;
        putRect(body, target.left(), target.top(), target.right(), target.bottom());
        put32(body, static_cast<quint32>(target.left()));  // destination x, y
        put32(body, static_cast<quint32>(target.top()));
        put32(body, 0);  // source x, y, width, height
        put32(body, 0);
        put32(body, width);
        put32(body, height);
        put32(body, kFixed);  // bitmap info offset and size
        put32(body, kInfo);
        put32(body, kFixed + kInfo);  // bits offset and size
        put32(body, bitsSize);
        put32(body, 0);  // colours are RGB values
        put32(body, kSourceCopy);
        put32(body, static_cast<quint32>(target.width()));  // destination width, height
        put32(body, static_cast<quint32>(target.height()));
        // BITMAPINFOHEADER: 32 bits per pixel, rows bottom-up.
        put32(body, kInfo);
        put32(body, width);
        put32(body, height);
        put16(body, 1);
        put16(body, 32);
        put32(body, 0);  // no compression
        put32(body, bitsSize);
        put32(body, 3780);  // 96 dpi in pixels per metre
        put32(body, 3780);
        put32(body, 0);
        put32(body, 0);
        for (int y = image.height() - 1; y >= 0; --y) {
            body.append(reinterpret_cast<const char*>(image.constScanLine(y)),
                        static_cast<qsizetype>(width) * 4);
        }
        record(emf::StretchDiBits, body);
    }

    QSize m_size;
    QByteArray m_records;
    quint32 m_count = 0;
    QPen m_pen;
    QBrush m_brush;
    QFont m_font;
    QFont m_lastFont;
    double m_lastFontScale = 0;
    QTransform m_transform;
    quint32 m_fillMode = 0;
    bool m_penDirty = true;
    bool m_brushDirty = true;
    bool m_fontDirty = true;
    bool m_penCreated = false;
    bool m_brushCreated = false;
    bool m_fontCreated = false;
};

EmfPaintDevice::EmfPaintDevice(QSize pixels)
    : m_size(pixels.expandedTo(QSize(1, 1))), m_engine(std::make_unique<EmfPaintEngine>(m_size)) {}

EmfPaintDevice::~EmfPaintDevice() = default;

QPaintEngine* EmfPaintDevice::paintEngine() const {
    return m_engine.get();
}

QByteArray EmfPaintDevice::data() const {
    return m_engine->data();
}

int EmfPaintDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return m_size.width() * 254 / 960;
        case PdmHeightMM:
            return m_size.height() * 254 / 960;
        case PdmNumColors:
            return std::numeric_limits<int>::max();
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 0;
    }
}

}  // namespace mapcontrol
