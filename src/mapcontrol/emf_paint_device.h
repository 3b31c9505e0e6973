#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>

#include <memory>

namespace mapcontrol {

class EmfPaintEngine;

// A paint device that records what is painted on it as an Enhanced Metafile
// (.emf): polygons, polylines, rectangles, ellipses and text as vector
// records with their pens, brushes and fonts, pictures as device-independent
// bitmaps. Coordinates are the device's pixels at 96 dots per inch. The
// metafile is complete once the painter has ended.
class EmfPaintDevice : public QPaintDevice {
public:
    explicit EmfPaintDevice(QSize pixels);
    ~EmfPaintDevice() override;

    QPaintEngine* paintEngine() const override;
    // The metafile: header, the records painted, end of file.
    QByteArray data() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    std::unique_ptr<EmfPaintEngine> m_engine;
};

// EMF record types written by the device, for readers of its files.
namespace emf {
enum RecordType : quint32 {
    Header = 1,
    Polygon = 3,
    Polyline = 4,
    PolyPolygon = 8,
    Eof = 14,
    SetBkMode = 18,
    SetPolyFillMode = 19,
    SetTextAlign = 22,
    SetTextColor = 24,
    SelectObject = 37,
    CreatePen = 38,
    CreateBrushIndirect = 39,
    DeleteObject = 40,
    Ellipse = 42,
    StretchDiBits = 81,
    ExtCreateFontIndirectW = 82,
    ExtTextOutW = 84,
};
}  // namespace emf

}  // namespace mapcontrol
