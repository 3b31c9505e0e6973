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

// The messages of answers that hold no server text: an empty answer, and
// one that is no JPEG (a picture of another format gets its name added, as
// in "resposta não é uma imagem JPEG (imagem PNG)").
extern const QString kEmptyAnswerMessage;
extern const QString kNotJpegMessage;

// Whether `bytes` is a JPEG (starts with FF D8 FF). Anything else is a
// failure whose message is the server's own text (serverErrorText), or
// kEmptyAnswerMessage or kNotJpegMessage when it has none; the detail gives
// the answer's size and first bytes.
platform::Result checkJpegAnswer(const QByteArray& bytes);

// The text a server put in an error answer, trimmed and cut to about 500
// characters: the ServiceException (or OWS ExceptionText) elements of an
// XML exception report, one a line; the title and body text of an HTML
// page; a plain text answer as it is. Only the first megabyte is looked at.
// Empty for pictures, binary data and XML without an exception.
QString serverErrorText(const QByteArray& bytes);

struct DecodedPicture {
    platform::Result result;
    QImage image;  // Format_RGB32 on success
};

// Checks and decodes a service answer. A picture wider or higher than
// 16,384 pixels, or of more than `maxPixels` pixels, is refused before it
// is decoded; a damaged JPEG is a failure with the decoder's reason, and a
// cut one (no end-of-image marker) is refused before it reaches the decoder.
DecodedPicture decodeServicePicture(const QByteArray& bytes, qint64 maxPixels);

// The overlay modes of the overlay-mode window.
enum class OverlayMode { And = 0, Xor = 1, Or = 2, NotOr = 3, Invert = 4 };

// Combines service pictures on one W × H picture (Format_RGB32, starting
// white): the first picture is drawn plainly at its offset; each later one
// is drawn with the raster operation of the overlay mode (source AND, XOR or
// OR destination, NOT (source OR destination)), or, for Invert, the whole
// picture so far is inverted and the later picture ignored. Null pictures
// are not added. Owns its picture; result() is null for an empty size.
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
