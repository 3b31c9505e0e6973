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

// What an answer must be to count as the picture asked for: a JPEG (the
// map pictures, which the raster operations combine), or any picture format
// (legends: PNG, GIF, JPEG, TIFF, WebP or BMP).
enum class PictureAnswer { Jpeg, AnyPicture };

// The messages of answers that hold no server text: an empty answer, one
// that is no JPEG (a picture of another format gets its name added, as in
// "resposta não é uma imagem JPEG (imagem PNG)"), and one that is no picture.
extern const QString kEmptyAnswerMessage;
extern const QString kNotJpegMessage;
extern const QString kNotPictureMessage;

// Whether `bytes` is a picture of the kind asked, judged by its first bytes.
// Anything else is a failure whose message is the server's own text
// (serverErrorText), or kEmptyAnswerMessage, kNotJpegMessage or
// kNotPictureMessage when it has none; the detail gives the answer's size
// and first bytes.
platform::Result checkPictureAnswer(const QByteArray& bytes, PictureAnswer asked);

inline platform::Result checkJpegAnswer(const QByteArray& bytes) {
    return checkPictureAnswer(bytes, PictureAnswer::Jpeg);
}

// The text a server put in an error answer, trimmed and cut to about 500
// characters: the ServiceException (or OWS ExceptionText) elements of an
// XML exception report, one a line; the title and body text of an HTML
// page; a plain text answer as it is. Only the first megabyte is looked at.
// Empty for pictures, binary data and XML without an exception.
QString serverErrorText(const QByteArray& bytes);

// The technical detail of an answer that is not what was asked: its size
// and first bytes ("1520 bytes starting with 3c 21 44 4f ...").
QString answerDetail(const QByteArray& bytes);

struct DecodedPicture {
    platform::Result result;
    // On success Format_RGB32, or Format_ARGB32_Premultiplied for a picture
    // with transparency (never a JPEG).
    QImage image;
};

// Checks (checkPictureAnswer) and decodes a service answer. A picture wider
// or higher than 16,384 pixels, or of more than `maxPixels` pixels, is
// refused before it is decoded; a damaged picture is a failure with the
// decoder's reason, and a cut JPEG or PNG (no end-of-image marker, no end
// chunk) is refused before it reaches the decoder.
DecodedPicture decodeServicePicture(const QByteArray& bytes, qint64 maxPixels,
                                    PictureAnswer asked = PictureAnswer::Jpeg);

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
