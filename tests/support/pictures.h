#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QSize>

namespace support {

// The bytes of `image` in `format` ("jpeg", "png"), as a server sends them;
// empty when it cannot be encoded.
inline QByteArray encodedPicture(const QImage& image, const char* format, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

// A JPEG of one colour, at the best quality so the colour comes back close.
inline QByteArray solidJpeg(QColor colour, QSize size = {64, 64}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return encodedPicture(image, "jpeg", 100);
}

}  // namespace support
