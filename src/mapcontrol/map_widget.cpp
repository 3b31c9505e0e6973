#include "mapcontrol/map_widget.h"

#include "mapcontrol/emf_paint_device.h"
#include "mapcontrol/feature_painter.h"
#include "mapcontrol/map_picture.h"
#include "platform/text_file.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDragMoveEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>
#include <QTimer>
#include <QToolTip>

namespace mapcontrol {

namespace {

const QColor kBackground(Qt::white);
const Rectangle kWorld(-180.0, 180.0, 90.0, -90.0);

Qt::CursorShape cursorFor(int code) {
    switch (code) {
        case MapWidget::PointerIdentify:
            return Qt::WhatsThisCursor;
        case MapWidget::PointerZoom:
            return Qt::CrossCursor;
        case MapWidget::PointerPan:
            return Qt::OpenHandCursor;
        default:
            return Qt::ArrowCursor;
    }
}

// The flash colour: a symbol in the inverse of the map's highlight yellow.
Symbol flashSymbol(ShapeType type) {
    Symbol s;
    s.colour = colourInt(0, 0, 255);
    s.type = type == ShapeType::Point  ? SymbolType::Marker
             : type == ShapeType::Line ? SymbolType::Line
                                       : SymbolType::Fill;
    s.size = type == ShapeType::Point ? 10 : 3;
    s.outlineColour = colourInt(0, 0, 255);
    return s;
}

}  // namespace

MapWidget::MapWidget(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAcceptDrops(true);
    setCursor(cursorFor(m_pointer));
}

Rectangle MapWidget::fullExtent() const {
    if (!m_fullExtent.isEmpty()) {
        return m_fullExtent;
    }
    const Rectangle all = m_layers.extent();
    return all.isEmpty() ? kWorld : all;
}

void MapWidget::setExtent(const Rectangle& extent) {
    if (extent.isEmpty() || !std::isfinite(extent.width()) || !std::isfinite(extent.height())) {
        return;  // nothing sensible to show: keep the view
    }
    m_requested = extent;
    m_extent = fitExtent(extent, size());
    m_fittedFor = size();
    refresh();
}

void MapWidget::fitToWindow() const {
    if (m_fittedFor != size() && !m_requested.isEmpty()) {
        m_extent = fitExtent(m_requested, size());
        m_fittedFor = size();
    }
}

Rectangle MapWidget::extent() const {
    fitToWindow();
    return m_extent;
}

ViewTransform MapWidget::view() const {
    fitToWindow();
    return {m_extent, size()};
}

void MapWidget::setMousePointer(int code) {
    m_pointer = code;
    setCursor(cursorFor(code));
}

void MapWidget::render(QImage& image, const ViewTransform& view) {
    QPainter painter(&image);
    QPainter* previous = m_target;
    const ViewTransform previousView = m_targetView;
    m_target = &painter;
    m_targetView = view;
    drawLayers(painter, view, m_layers, kBackground, [this](int index) {
        m_target->save();
        emit afterLayerDraw(index);
        m_target->restore();
    });
    m_target = previous;
    m_targetView = previousView;
}

void MapWidget::refresh() {
    if (width() <= 0 || height() <= 0) {
        return;
    }
    fitToWindow();
    if (m_extent.isEmpty()) {
        m_requested = fullExtent();
        m_extent = fitExtent(m_requested, size());
        m_fittedFor = size();
    }
    if (m_buffer.size() != size()) {
        m_buffer = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    }
    render(m_buffer, view());
    update();
}

MapPoint MapWidget::toMapPoint(float x, float y) const {
    return view().toMap(QPointF(x, y));
}

QPointF MapWidget::toPixel(const MapPoint& p) const {
    return view().toPixel(p);
}

void MapWidget::drawShape(const Shape& shape, const Symbol& symbol) {
    drawShapes({shape}, symbol);
}

void MapWidget::drawShapes(const std::vector<Shape>& shapes, const Symbol& symbol) {
    const auto draw = [&](QPainter& target, const ViewTransform& view) {
        FeaturePainter painter(target, view, m_shapeScratch);
        painter.setSymbol(symbol);
        for (const Shape& shape : shapes) {
            painter.drawShape(shape);
        }
    };
    if (m_target) {
        draw(*m_target, m_targetView);
        return;
    }
    if (m_buffer.isNull()) {
        return;
    }
    QPainter bufferPainter(&m_buffer);
    bufferPainter.setRenderHint(QPainter::Antialiasing, true);
    draw(bufferPainter, view());
    update();
}

void MapWidget::flashShape(const Shape& shape, int times) {
    if (m_buffer.isNull() || shape.isEmpty()) {
        return;
    }
    const QImage saved = m_buffer;
    const auto pause = [this] {
        repaint();
        if (m_flashMs > 0) {
            QEventLoop loop;
            QTimer::singleShot(m_flashMs, &loop, &QEventLoop::quit);
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
    };
    for (int i = 0; i < times; ++i) {
        {
            QPainter bufferPainter(&m_buffer);
            bufferPainter.setRenderHint(QPainter::Antialiasing, true);
            FeaturePainter painter(bufferPainter, view(), m_shapeScratch);
            painter.setSymbol(flashSymbol(shape.type()));
            painter.drawShape(shape);
        }
        pause();
        m_buffer = saved;
        pause();
    }
}

bool MapWidget::runDrag(Drag mode) {
    if (QApplication::mouseButtons() == Qt::NoButton) {
        return false;
    }
    m_drag = mode;
    m_dragStart = m_dragNow = mapFromGlobal(QCursor::pos());
    QEventLoop loop;
    m_dragLoop = &loop;
    loop.exec();
    m_dragLoop = nullptr;
    m_drag = Drag::None;
    update();
    return true;
}

void MapWidget::pan() {
    if (!runDrag(Drag::Pan)) {
        return;
    }
    const QPoint moved = m_dragNow - m_dragStart;
    if (moved.isNull()) {
        return;
    }
    const double unit = view().pixelSize();
    const double dx = -moved.x() * unit;
    const double dy = moved.y() * unit;
    const Rectangle e = extent();
    setExtent(Rectangle(e.left() + dx, e.right() + dx, e.top() + dy, e.bottom() + dy));
}

std::optional<Rectangle> MapWidget::trackRectangle() {
    if (!runDrag(Drag::Track)) {
        return std::nullopt;
    }
    const QRect box = QRect(m_dragStart, m_dragNow).normalized();
    if (box.width() < 2 || box.height() < 2) {
        return std::nullopt;
    }
    const MapPoint a = toMapPoint(static_cast<float>(box.left()), static_cast<float>(box.top()));
    const MapPoint b =
        toMapPoint(static_cast<float>(box.right()), static_cast<float>(box.bottom()));
    return Rectangle(a.x, b.x, a.y, b.y);
}

bool MapWidget::printMap(const QString& documentName, QPrinter& printer, bool landscape) {
    printer.setDocName(documentName);
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QSize area = page.size();
    const Rectangle extent =
        fitExtent(this->extent().isEmpty() ? fullExtent() : this->extent(), area);
    QImage image(area, QImage::Format_ARGB32_Premultiplied);
    render(image, ViewTransform(extent, area));
    painter.drawImage(QPoint(0, 0), image);
    return painter.end();
}

QImage MapWidget::renderPicture(QSize pixels) {
    const Rectangle shown = fitExtent(extent().isEmpty() ? fullExtent() : extent(), pixels);
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull()) {
        render(image, ViewTransform(shown, pixels));
    }
    return image;
}

platform::Result MapWidget::exportMap(int code, const QString& nativePath, double scale) {
    const double factor = scale > 0 && std::isfinite(scale) ? scale : 1.0;
    const double wide = std::max(1.0, std::round(width() * factor));
    const double high = std::max(1.0, std::round(height() * factor));
    // Metafile coordinates are 32-bit integers; pictures are made in memory.
    if (code == ExportMetafile ? std::max(wide, high) > kMaxMetafileSide
                               : wide * high > kMaxPicturePixels) {
        return platform::Result::failure(
            QStringLiteral("O mapa nessa escala teria %1 × %2 pixels: é grande demais para ser "
                           "gerado%3. Escolha uma escala menor.")
                .arg(wide, 0, 'f', 0)
                .arg(high, 0, 'f', 0)
                .arg(code == ExportMetafile ? QString()
                                            : QStringLiteral(" como imagem (o limite é de 400 "
                                                             "milhões de pixels)")));
    }
    const QSize pixels(static_cast<int>(wide), static_cast<int>(high));
    const Rectangle extent =
        fitExtent(this->extent().isEmpty() ? fullExtent() : this->extent(), pixels);
    const ViewTransform exportView(extent, pixels);
    const QString suffix = QFileInfo(nativePath).suffix().toLower();
    const auto cannotWrite = [&nativePath](const QString& detail) {
        return platform::Result::failure(
            QStringLiteral("Não foi possível gravar o arquivo %1").arg(nativePath), detail);
    };

    // The file is made in memory and written in one piece: a full disk or a
    // folder that cannot be written leaves any old file as it was.
    QByteArray bytes;
    if (code == ExportMetafile) {
        // Vector output: an Enhanced Metafile unless the name asks for SVG or PDF.
        const auto drawInto = [&](QPaintDevice& device) {
            QPainter painter(&device);
            m_target = &painter;
            m_targetView = exportView;
            drawLayers(painter, exportView, m_layers, kBackground,
                       [this](int i) { emit afterLayerDraw(i); });
            m_target = nullptr;
            return painter.end();
        };
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        bool ok = false;
        if (suffix != QLatin1String("svg") && suffix != QLatin1String("pdf")) {
            EmfPaintDevice emf(pixels);
            ok = drawInto(emf);
            bytes = emf.data();
        } else if (suffix == QLatin1String("svg")) {
            QSvgGenerator svg;
            svg.setOutputDevice(&buffer);
            svg.setSize(pixels);
            svg.setViewBox(QRect(QPoint(0, 0), pixels));
            ok = drawInto(svg);
        } else {
            QPdfWriter pdf(&buffer);
            pdf.setResolution(96);
            pdf.setPageSize(QPageSize(QSizeF(pixels) * 25.4 / 96.0, QPageSize::Millimeter));
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            ok = drawInto(pdf);
        }
        buffer.close();
        if (!ok) {
            return cannotWrite(QStringLiteral("o desenho não pôde ser concluído"));
        }
        return platform::writeFileAtomically(nativePath, bytes);
    }

    if (code != ExportPicture && code != ExportClipboard) {
        return platform::Result::failure(QStringLiteral("Formato de exportação desconhecido"),
                                         QString::number(code));
    }
    const QByteArray format = suffix == QLatin1String("tiff")   ? QByteArray("tif")
                              : suffix == QLatin1String("jpeg") ? QByteArray("jpg")
                                                                : suffix.toLatin1();
    if (code == ExportPicture && format != "tif" && format != "bmp" && format != "jpg" &&
        format != "png") {
        return platform::Result::failure(
            QStringLiteral("Não foi possível gravar o arquivo %1: o tipo de imagem \"%2\" não é "
                           "conhecido. Use .tif, .bmp, .jpg ou .png.")
                .arg(nativePath, suffix));
    }
    const QImage image = renderPicture(pixels);
    if (image.isNull()) {
        return platform::Result::failure(
            QStringLiteral("Não há memória para uma imagem de %1 × %2 pixels.")
                .arg(pixels.width())
                .arg(pixels.height()));
    }
    if (code == ExportClipboard) {
        QApplication::clipboard()->setImage(image);
        return platform::Result::success();
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, format.constData())) {
        return cannotWrite(QStringLiteral("a imagem não pôde ser codificada"));
    }
    buffer.close();
    return platform::writeFileAtomically(nativePath, bytes);
}

void MapWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_buffer.isNull()) {
        painter.fillRect(rect(), kBackground);
        return;
    }
    if (m_drag == Drag::Pan) {
        painter.fillRect(rect(), kBackground);
        painter.drawImage(m_dragNow - m_dragStart, m_buffer);
        return;
    }
    painter.drawImage(QPoint(0, 0), m_buffer);
    if (m_drag == Drag::Track) {
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(m_dragStart, m_dragNow).normalized());
    }
}

void MapWidget::resizeEvent(QResizeEvent*) {
    // The rectangle asked for stays in view, whatever shapes the window went through.
    fitToWindow();
    refresh();
}

void MapWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    emit mouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void MapWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (m_drag != Drag::None) {
        m_dragNow = p;
        update();
        return;
    }
    emit mouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
}

void MapWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (m_drag != Drag::None && m_dragLoop) {
        m_dragNow = p;
        m_dragLoop->quit();
    }
    emit mouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

void MapWidget::dragEnterEvent(QDragEnterEvent* event) {
    event->acceptProposedAction();
}

void MapWidget::dragMoveEvent(QDragMoveEvent* event) {
    const QPoint p = event->position().toPoint();
    emit dragOver(p.x(), p.y());
    event->acceptProposedAction();
}

bool MapWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !m_showHints) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

}  // namespace mapcontrol
