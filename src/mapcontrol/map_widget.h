#pragma once

#include "mapcontrol/draw_scratch.h"
#include "mapcontrol/layer_collection.h"
#include "mapcontrol/shape.h"
#include "mapcontrol/symbol.h"
#include "mapcontrol/view_transform.h"
#include "platform/result.h"

#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

class QEventLoop;
class QPrinter;

namespace mapcontrol {

// The map on screen: a layer collection drawn into a back buffer that the
// widget only blits, so pointer moves never redraw the map. Redraws happen
// when the program asks (refresh, a new extent) or the widget is resized.
// Interactive pan and track-rectangle run until the mouse button is released.
// Shapes drawn with drawShape stay until the next redraw.
class MapWidget : public QWidget {
    Q_OBJECT
public:
    // Mouse pointer codes.
    enum Pointer { PointerArrow = 1, PointerIdentify = 14, PointerZoom = 50, PointerPan = 53 };
    // Export formats.
    enum ExportCode { ExportMetafile = 0, ExportPicture = 1, ExportClipboard = 3 };

    explicit MapWidget(QWidget* parent = nullptr);

    LayerCollection& layers() { return m_layers; }
    const LayerCollection& layers() const { return m_layers; }

    // The rectangle shown, in map units.
    Rectangle extent() const;
    // Shows `extent`, widened about its centre to the window's shape (so
    // reading it back gives what is shown), and redraws.
    void setExtent(const Rectangle& extent);
    // Union of the layers' extents; (-180, 180, 90, -90) when there is none.
    Rectangle fullExtent() const;
    // Makes `extent` the full extent in place of the layers' (an empty
    // rectangle gives the layers' back).
    void setFullExtent(const Rectangle& extent) { m_fullExtent = extent; }

    int mousePointer() const { return m_pointer; }
    void setMousePointer(int code);

    void setShowHints(bool on) { m_showHints = on; }
    bool showHints() const { return m_showHints; }

    // Redraws the map now (the after-layer-draw events fire inside).
    void refresh();
    // The picture last drawn, with the shapes drawn since.
    const QImage& picture() const { return m_buffer; }
    ViewTransform view() const;

    // Pixel of the window to map units.
    MapPoint toMapPoint(float x, float y) const;
    // Map units to pixel of the window.
    QPointF toPixel(const MapPoint& p) const;

    // Lets the user drag the map while the button is held; on release the
    // extent moves by the drag and the map redraws. Returns at once when no
    // button is down.
    void pan();
    // Lets the user drag a box while the button is held; returns it in map
    // units on release, or nothing when no button is down or the box is a
    // single pixel wide or high.
    std::optional<Rectangle> trackRectangle();

    // Shows the shape highlighted `times` times, then the map as it was.
    void flashShape(const Shape& shape, int times);
    // Milliseconds each flash stays on and off (tests set 0).
    void setFlashInterval(int ms) { m_flashMs = ms; }
    // Draws the shape over the map with the symbol: into the picture being
    // made while after-layer-draw handlers run, else over the picture shown.
    void drawShape(const Shape& shape, const Symbol& symbol);
    // The same for many shapes with one symbol, at the cost of one.
    void drawShapes(const std::vector<Shape>& shapes, const Symbol& symbol);

    // Prints the map on a page of `printer`, landscape or portrait, as a job
    // named `documentName`. False when the printer cannot be opened.
    bool printMap(const QString& documentName, QPrinter& printer, bool landscape);
    // Exports the view: code 0 a metafile (.emf; .svg and .pdf by their
    // extension), code 1 a picture in the format of the file's extension
    // (tif/tiff, bmp, jpg/jpeg, png), code 3 the clipboard (no file). The
    // output is the window's size times `scale`: a picture of at most 400
    // million pixels; a metafile of at most 80 million units a side (an
    // Enhanced Metafile's frame, in hundredths of a millimetre at 96 dpi, is
    // held in 32 bits). The failure says why for the user.
    platform::Result exportMap(int code, const QString& nativePath, double scale);
    // The current view drawn off-screen at `pixels` (the extent fitted to
    // that shape), as the export draws it; a null image when there is no
    // memory for it.
    QImage renderPicture(QSize pixels);

    static constexpr double kMaxPicturePixels = 4e8;
    static constexpr double kMaxMetafileSide = 8e7;

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // After each layer is drawn, bottom first; index 0 comes last.
    void afterLayerDraw(int index);
    void dragOver(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    bool event(QEvent* event) override;

private:
    enum class Drag { None, Pan, Track };

    // Renders the layers into `image` for `view`, with the after-layer-draw
    // events drawing into it too.
    void render(QImage& image, const ViewTransform& view);
    // Runs a nested event loop until the mouse button is released.
    bool runDrag(Drag mode);

    LayerCollection m_layers;
    // Refits the requested rectangle when the window's size has changed
    // since (hidden windows get no resize events).
    void fitToWindow() const;

    mutable Rectangle m_extent;  // shown: the requested rectangle fitted to the window
    mutable QSize m_fittedFor;
    Rectangle m_requested;  // as last set
    QImage m_buffer;
    DrawScratch m_shapeScratch;    // drawShapes' and flashShape's working buffers
    QPainter* m_target = nullptr;  // the picture being made, during render
    ViewTransform m_targetView;
    int m_pointer = PointerArrow;
    Rectangle m_fullExtent;  // set by setFullExtent; empty: the layers'
    bool m_showHints = true;
    int m_flashMs = 120;
    Drag m_drag = Drag::None;
    QPoint m_dragStart;
    QPoint m_dragNow;
    QEventLoop* m_dragLoop = nullptr;
};

}  // namespace mapcontrol
