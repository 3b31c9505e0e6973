#include "mapcontrol/metafile.h"

#include <QtEndian>

namespace mapcontrol {

namespace {

constexpr quint32 kHeaderRecord = 1;
constexpr quint32 kEofRecord = 14;
constexpr quint32 kStretchDiBitsRecord = 81;
constexpr quint32 kEmfSignature = 0x464D4520;  // " EMF"
constexpr quint32 kSourceCopy = 0x00CC0020;
constexpr quint32 kHeaderSize = 88;
constexpr quint32 kStretchFixedSize = 80;
constexpr quint32 kBitmapInfoSize = 40;
constexpr quint32 kEofSize = 20;

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
void putRect(QByteArray& out, qint32 left, qint32 top, qint32 right, qint32 bottom) {
    put32(out, static_cast<quint32>(left));
    put32(out, static_cast<quint32>(top));
    put32(out, static_cast<quint32>(right));
    put32(out, static_cast<quint32>(bottom));
}

}  // namespace

QByteArray enhancedMetafile(const QImage& picture) {
    const QImage image =
        picture.convertToFormat(QImage::Format_RGB32);  // bytes: blue, green, red, unused
    const auto width = static_cast<quint32>(image.width());
    const auto height = static_cast<quint32>(image.height());
    const quint32 bitsSize = width * height * 4;
    const quint32 stretchSize = kStretchFixedSize + kBitmapInfoSize + bitsSize;
    const quint32 total = kHeaderSize + stretchSize + kEofSize;
    // Hundredths of a millimetre at 96 dots per inch.
    const auto hundredthsMm = [](quint32 pixels) {
        return static_cast<qint32>(pixels * 2540 / 96);
    };

    QByteArray out;
    out.reserve(static_cast<qsizetype>(total));

    put32(out, kHeaderRecord);
    put32(out, kHeaderSize);
    putRect(out, 0, 0, static_cast<qint32>(width) - 1, static_cast<qint32>(height) - 1);
    putRect(out, 0, 0, hundredthsMm(width) - 1, hundredthsMm(height) - 1);
    put32(out, kEmfSignature);
    put32(out, 0x10000);  // version
    put32(out, total);
    put32(out, 3);  // records
    put16(out, 1);  // handles: the reserved handle 0
    put16(out, 0);
    put32(out, 0);     // description length
    put32(out, 0);     // description offset
    put32(out, 0);     // palette entries
    put32(out, 1920);  // reference device, pixels
    put32(out, 1080);
    put32(out, 508);  // reference device, millimetres (96 dpi)
    put32(out, 286);

    put32(out, kStretchDiBitsRecord);
    put32(out, stretchSize);
    putRect(out, 0, 0, static_cast<qint32>(width) - 1, static_cast<qint32>(height) - 1);
    put32(out, 0);  // destination x, y
    put32(out, 0);
    put32(out, 0);  // source x, y, width, height
    put32(out, 0);
    put32(out, width);
    put32(out, height);
    put32(out, kStretchFixedSize);  // bitmap info offset and size
    put32(out, kBitmapInfoSize);
    put32(out, kStretchFixedSize + kBitmapInfoSize);  // bits offset and size
    put32(out, bitsSize);
    put32(out, 0);  // colours are RGB values
    put32(out, kSourceCopy);
    put32(out, width);  // destination width, height
    put32(out, height);
    // BITMAPINFOHEADER: 32 bits per pixel, rows bottom-up.
    put32(out, kBitmapInfoSize);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);  // no compression
    put32(out, bitsSize);
    put32(out, 3780);  // 96 dpi in pixels per metre
    put32(out, 3780);
    put32(out, 0);
    put32(out, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        out.append(reinterpret_cast<const char*>(image.constScanLine(y)),
                   static_cast<qsizetype>(width) * 4);
    }

    put32(out, kEofRecord);
    put32(out, kEofSize);
    put32(out, 0);   // palette entries
    put32(out, 16);  // palette offset
    put32(out, kEofSize);
    return out;
}

}  // namespace mapcontrol
