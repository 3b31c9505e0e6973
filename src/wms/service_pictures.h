#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <optional>

// The pictures services answer with: checking what arrived, decoding it and
// combining the pictures of several services into one.
namespace wms {

// Whether `bytes` is a JPEG (starts with FF D8 FF). Anything else is a
// failure whose message is the server's own text: the ServiceException
// text of an XML error document, the title or text of an HTML page, or a
// short description ("resposta vazia", "resposta não é uma imagem JPEG").
platform::Result checkJpegAnswer(const QByteArray& bytes);

// The text a server put in an error answer (ServiceException, HTML title and
// body text), trimmed and cut to a readable length; empty when none.
QString serverErrorText(const QByteArray& bytes);

struct DecodedPicture {
    platform::Result result;
    QImage image;  // Format_RGB32 on success
};

// Checks and decodes a service answer. A picture wider or higher than
// 16,384 pixels, or of more than `maxPixels` pixels, is refused before it
// is decoded; a damaged JPEG is a failure with the decoder's reason.
DecodedPicture decodeServicePicture(const QByteArray& bytes, qint64 maxPixels);

// The overlay modes of the overlay-mode window.
enum class OverlayMode { And = 0, Xor = 1, Or = 2, NotOr = 3, Invert = 4 };

// Combines service pictures on one W × H picture (Format_RGB32, starting
// white): the first picture is drawn plainly at its offset; each later one
// is drawn with the raster operation of the overlay mode (source AND, XOR or
// OR destination, NOT (source OR destination)), or, for Invert, the whole
// picture so far is inverted and the later picture ignored.
class ServicePictureCombiner {
public:
    ServicePictureCombiner(QSize size, OverlayMode mode);

    void add(const QImage& picture, QPoint offset);
    bool empty() const { return m_count == 0; }
    const QImage& result() const { return m_image; }

private:
    QImage m_image;
    OverlayMode m_mode;
    int m_count = 0;
};

}  // namespace wms
