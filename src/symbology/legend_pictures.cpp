#include "symbology/legend_pictures.h"

#include "mapcontrol/feature_painter.h"

#include <QPainter>
#include <QPolygon>

namespace symbology {

namespace {

using mapcontrol::toQColor;

const QPolygon kZigzag({QPoint(0, 0), QPoint(5, 8), QPoint(10, 0), QPoint(15, 8)});

// A box covering the pixels from `x0, y0` up to but not including `x1, y1`.
void drawBox(QPainter& painter, int x0, int y0, int x1, int y1) {
    painter.drawRect(x0, y0, x1 - x0 - 1, y1 - y0 - 1);
}

void drawUniqueValueClass(QPainter& painter, const LegendItem& item) {
    const QColor colour = toQColor(item.symbol.colour);
    if (item.geometry == QLatin1String("poligono")) {
        painter.setPen(Qt::black);
        // The map's own brushes, so the picture shows the class as the map
        // draws it; a transparent fill shows the white ground.
        painter.setBrush(item.symbol.style == mapcontrol::FillTransparent
                             ? QBrush(Qt::white)
                             : mapcontrol::FeaturePainter::fillBrush(item.symbol.style, colour));
        drawBox(painter, 0, 0, kClassPictureSize, kClassPictureSize);
    } else if (item.geometry == QLatin1String("linha")) {
        painter.setPen(QPen(colour, 1, mapcontrol::FeaturePainter::lineStyle(item.symbol.style)));
        painter.drawPolyline(kZigzag);
    } else if (item.geometry == QLatin1String("ponto")) {
        painter.setPen(colour);
        painter.setBrush(colour);
        switch (item.symbol.style) {
            case mapcontrol::MarkerCircle:
                painter.drawEllipse(0, 0, 9, 9);
                break;
            case mapcontrol::MarkerSquare:
                drawBox(painter, 0, 0, 11, 11);
                break;
            case mapcontrol::MarkerTriangle:
                painter.drawPolygon(QPolygon({QPoint(0, 10), QPoint(5, 0), QPoint(10, 10)}));
                break;
            case mapcontrol::MarkerCross:
                painter.drawLine(0, 5, 10, 5);
                painter.drawLine(5, 10, 5, 0);
                break;
            default:
                break;
        }
    }
}

void drawClassBreakClass(QPainter& painter, const LegendItem& item) {
    const QColor colour = toQColor(item.symbol.colour);
    painter.setPen(Qt::black);
    painter.setBrush(colour);
    if (item.geometry == QLatin1String("poligono")) {
        drawBox(painter, 0, 0, 10, 10);
    } else if (item.geometry == QLatin1String("linha")) {
        painter.setPen(colour);
        painter.drawPolyline(kZigzag);
    } else if (item.geometry == QLatin1String("ponto")) {
        drawBox(painter, 0, 0, 3, 3);
    }
}

}  // namespace

QImage classPicture(const LegendItem& item) {
    QImage picture(kClassPictureSize, kClassPictureSize, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    if (item.classBreak) {
        drawClassBreakClass(painter, item);
    } else {
        drawUniqueValueClass(painter, item);
    }
    return picture;
}

QImage separatorPicture() {
    QImage picture(kSeparatorPictureSize, kSeparatorPictureSize, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

QImage withRedTransparent(const QImage& picture) {
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == 0xFF0000) {
                line[x] = 0;
            }
        }
    }
    return result;
}

}  // namespace symbology
