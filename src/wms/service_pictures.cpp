#include "wms/service_pictures.h"

#include "platform/text_codec.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QStringDecoder>
#include <QStringList>
#include <QXmlStreamReader>

#include <algorithm>
#include <optional>
#include <string_view>

namespace wms {

const QString kEmptyAnswerMessage = QStringLiteral("resposta vazia do servidor");
const QString kNotJpegMessage = QStringLiteral("resposta não é uma imagem JPEG");
const QString kNotPictureMessage = QStringLiteral("resposta não é uma imagem");

namespace {

// Characters of server text shown to the user.
constexpr int kServerTextLimit = 500;
// Bytes of an error answer that are looked at; a server's message is at its
// start, and a huge answer must not cost more than this.
constexpr qsizetype kErrorScanLimit = 1 << 20;
constexpr int kMaxPictureSide = 16384;

bool startsWith(const QByteArray& bytes, QByteArrayView prefix) {
    return QByteArrayView(bytes).startsWith(prefix);
}

// A picture format an answer can be recognised as: its name in messages
// and the image reader's format.
struct PictureFormat {
    const char* name = nullptr;  // null: not a picture
    const char* readerFormat = nullptr;
    explicit operator bool() const { return name != nullptr; }
    bool is(std::string_view reader) const { return name && readerFormat == reader; }
    bool isJpeg() const { return is("jpeg"); }
    bool isPng() const { return is("png"); }
};

// The picture format `bytes` starts like, when it is one.
PictureFormat pictureFormat(const QByteArray& bytes) {
    if (startsWith(bytes, "\xFF\xD8\xFF")) return {"JPEG", "jpeg"};
    if (startsWith(bytes, "\x89PNG\r\n\x1A\n")) return {"PNG", "png"};
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a")) return {"GIF", "gif"};
    if (startsWith(bytes, QByteArrayView("II*\0", 4)) ||
        startsWith(bytes, QByteArrayView("MM\0*", 4))) {
        return {"TIFF", "tiff"};
    }
    if (startsWith(bytes, "RIFF") && bytes.mid(8, 4) == "WEBP") return {"WebP", "webp"};
    if (startsWith(bytes, "BM") && bytes.size() >= 26) return {"BMP", "bmp"};
    return {};
}

// UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise. A sequence
// cut at the end (the bytes may be the start of a longer answer) is no error.
QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        text = platform::decodeWindows1252(bytes);
    }
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    return text;
}

// Text cut to the readable length, without splitting a surrogate pair.
QString cutText(QString text) {
    if (text.size() <= kServerTextLimit) {
        return text;
    }
    int cut = kServerTextLimit;
    if (text.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    text.truncate(cut);
    return text + QStringLiteral("…");
}

// The texts of the ServiceException elements of a WMS exception report (any
// namespace), or of the ExceptionText elements of an OWS exception report;
// the exception codes when the elements hold no text.
QString exceptionText(const QByteArray& xml) {
    QXmlStreamReader reader(xml);
    QStringList texts;
    QStringList codes;
    int length = 0;
    int depth = 0;  // inside an exception element, counting its children
    QString text;
    QString code;
    const auto finish = [&] {
        text = text.trimmed();
        if (!text.isEmpty()) {
            length += text.size();
            texts << text;
        } else if (!code.isEmpty()) {
            codes << code;
        }
    };
    while (!reader.atEnd() && length <= kServerTextLimit) {
        switch (reader.readNext()) {
            case QXmlStreamReader::StartElement:
                if (depth > 0) {
                    ++depth;
                } else if (reader.name() == u"ServiceException" ||
                           reader.name() == u"ExceptionText") {
                    depth = 1;
                    text.clear();
                    code = reader.attributes().value(QLatin1String("code")).toString().trimmed();
                } else if (reader.name() == u"Exception") {
                    const QString exceptionCode =
                        reader.attributes().value(QLatin1String("exceptionCode")).toString();
                    if (!exceptionCode.trimmed().isEmpty()) codes << exceptionCode.trimmed();
                }
                break;
            case QXmlStreamReader::Characters:
                if (depth > 0) text += reader.text();
                break;
            case QXmlStreamReader::EndElement:
                if (depth > 0 && --depth == 0) finish();
                break;
            default:
                break;
        }
    }
    // In a cut document the reader holds back the text of an open element;
    // what it gave of that element (before a child) still counts.
    if (depth > 0) finish();
    return (texts.isEmpty() ? codes : texts).join(QLatin1Char('\n'));
}

bool looksLikeHtml(const QString& start) {
    static const char* const kMarkers[] = {
        "<!doctype html", "<html", "<head", "<body", "<title", "<h1", "<p>", "<br", "<div", "<pre"};
    return std::any_of(std::begin(kMarkers), std::end(kMarkers), [&](const char* marker) {
        return start.contains(QLatin1String(marker), Qt::CaseInsensitive);
    });
}

// The characters of the HTML entities of Latin-1, U+00A0 to U+00FF, in order.
const char* const kLatin1Entities[] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

// The character an entity name (without & and ;) stands for; nothing when
// it is not known.
std::optional<char32_t> entityCharacter(QStringView name) {
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X')
                              ? name.mid(2).toUInt(&ok, 16)
                              : name.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return std::nullopt;
        }
        return char32_t(code);
    }
    if (name == u"amp") return U'&';
    if (name == u"lt") return U'<';
    if (name == u"gt") return U'>';
    if (name == u"quot") return U'"';
    if (name == u"apos") return U'\'';
    for (int i = 0; i < int(std::size(kLatin1Entities)); ++i) {
        if (name == QLatin1String(kLatin1Entities[i])) {
            return char32_t(0xA0 + i);
        }
    }
    return std::nullopt;
}

// `text` with its character references replaced; unknown ones stay.
QString decodeEntities(const QString& text) {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype amp = text.indexOf(QLatin1Char('&'), i);
        if (amp < 0) {
            out += QStringView(text).mid(i);
            break;
        }
        out += QStringView(text).mid(i, amp - i);
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), amp + 1);
        // Entity names are short; a far semicolon ends something else.
        if (semicolon > amp + 1 && semicolon - amp <= 10) {
            if (const auto c =
                    entityCharacter(QStringView(text).mid(amp + 1, semicolon - amp - 1))) {
                out += QString::fromUcs4(&*c, 1);
                i = semicolon + 1;
                continue;
            }
        }
        out += QLatin1Char('&');
        i = amp + 1;
    }
    return out;
}

// Inline elements, whose tags do not separate words.
bool isInlineTag(QStringView name) {
    static const char* const kInline[] = {"a",    "abbr", "b",   "big",  "code",  "em",
                                          "font", "i",    "kbd", "span", "small", "strong",
                                          "sub",  "sup",  "tt",  "u"};
    return std::any_of(std::begin(kInline), std::end(kInline), [&](const char* tag) {
        return name.compare(QLatin1String(tag), Qt::CaseInsensitive) == 0;
    });
}

// The text of `html` from `from` on with tags, comments, scripts, styles and
// the title removed, entities decoded and blanks collapsed. Stops once there
// is more text than can be shown, so the work is bounded by that as well as
// by the length of the input.
QString markupText(const QString& html, qsizetype from) {
    QString text;
    qsizetype i = from;
    while (i < html.size() && text.size() < 4 * kServerTextLimit) {
        const qsizetype open = html.indexOf(QLatin1Char('<'), i);
        text += QStringView(html).mid(i, (open < 0 ? html.size() : open) - i);
        if (open < 0) {
            break;
        }
        if (QStringView(html).mid(open).startsWith(u"<!--")) {
            const qsizetype end = html.indexOf(QLatin1String("-->"), open + 4);
            i = end < 0 ? html.size() : end + 3;
            continue;
        }
        // A "<" that starts no tag, comment or declaration is text.
        const QChar next = open + 1 < html.size() ? html[open + 1] : QChar();
        if (!next.isLetter() && next != u'/' && next != u'!' && next != u'?') {
            text += QLatin1Char('<');
            i = open + 1;
            continue;
        }
        qsizetype nameEnd = open + 1;
        if (nameEnd < html.size() && html[nameEnd] == u'/') ++nameEnd;
        while (nameEnd < html.size() && html[nameEnd].isLetterOrNumber()) ++nameEnd;
        const QStringView name = QStringView(html).mid(open + 1, nameEnd - open - 1);
        const qsizetype close = html.indexOf(QLatin1Char('>'), nameEnd);
        if (close < 0) {
            break;
        }
        i = close + 1;
        for (const char* skipped : {"script", "style", "title"}) {
            if (name.compare(QLatin1String(skipped), Qt::CaseInsensitive) == 0) {
                const qsizetype end = html.indexOf(QLatin1String("</") + QLatin1String(skipped), i,
                                                   Qt::CaseInsensitive);
                i = end < 0 ? html.size() : end;
            }
        }
        const QStringView bare = name.startsWith(u'/') ? name.mid(1) : name;
        if (!isInlineTag(bare)) {
            text += QLatin1Char(' ');
        }
    }
    return decodeEntities(text).simplified();
}

// The title of an HTML page and the text of its body, the title left out
// when the body starts with it.
QString htmlText(const QString& html) {
    QString title;
    const qsizetype titleTag = html.indexOf(QLatin1String("<title"), 0, Qt::CaseInsensitive);
    if (titleTag >= 0) {
        const qsizetype start = html.indexOf(QLatin1Char('>'), titleTag);
        const qsizetype end =
            start < 0 ? -1 : html.indexOf(QLatin1String("</title"), start, Qt::CaseInsensitive);
        if (end > start) {
            title = markupText(html.mid(start + 1, end - start - 1), 0);
        }
    }
    const qsizetype bodyTag = html.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    const QString body = markupText(html, std::max<qsizetype>(bodyTag, 0));
    if (title.isEmpty() || body.startsWith(title)) {
        return body;
    }
    return body.isEmpty() ? title : title + QLatin1Char('\n') + body;
}

// Text with no control characters but tabs, line ends and form feeds.
bool isPlainText(const QString& text) {
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.category() == QChar::Other_Control && c != u'\t' && c != u'\n' && c != u'\r' &&
               c != u'\f';
    });
}

}  // namespace

QString serverErrorText(const QByteArray& bytes) {
    if (bytes.isEmpty() || pictureFormat(bytes)) {
        return {};
    }
    const QByteArray head = bytes.left(kErrorScanLimit);
    const QString text = decodeText(head);
    const QString start = text.left(1024).trimmed();
    if (start.startsWith(QLatin1Char('<'))) {
        // An exception report may quote markup; a page says it is one.
        const bool page = start.contains(QLatin1String("<!doctype html"), Qt::CaseInsensitive) ||
                          start.contains(QLatin1String("<html"), Qt::CaseInsensitive);
        if (!page) {
            const QString exceptions = exceptionText(head);
            if (!exceptions.isEmpty()) {
                return cutText(exceptions);
            }
        }
        return page || looksLikeHtml(start) ? cutText(htmlText(text)) : QString();
    }
    if (isPlainText(text)) {
        return cutText(text.trimmed());
    }
    return {};
}

QString answerDetail(const QByteArray& bytes) {
    return QStringLiteral("%1 bytes starting with %2")
        .arg(bytes.size())
        .arg(QString::fromLatin1(bytes.left(8).toHex(' ')));
}

platform::Result checkPictureAnswer(const QByteArray& bytes, PictureAnswer asked) {
    if (bytes.isEmpty()) {
        return platform::Result::failure(kEmptyAnswerMessage);
    }
    const PictureFormat format = pictureFormat(bytes);
    if (format && (asked == PictureAnswer::AnyPicture || format.isJpeg())) {
        return platform::Result::success();
    }
    const QString detail = answerDetail(bytes);
    const QString serverText = serverErrorText(bytes);
    if (!serverText.isEmpty()) {
        return platform::Result::failure(serverText, detail);
    }
    if (asked == PictureAnswer::AnyPicture) {
        return platform::Result::failure(kNotPictureMessage, detail);
    }
    if (format) {
        return platform::Result::failure(
            kNotJpegMessage + QStringLiteral(" (imagem %1)").arg(QLatin1String(format.name)),
            detail);
    }
    return platform::Result::failure(kNotJpegMessage, detail);
}

namespace {

// Where an answer ends once the zero bytes and line ends some servers pad
// answers with are left out.
qsizetype paddedEnd(const QByteArray& bytes) {
    qsizetype end = bytes.size();
    while (end > 0 && (bytes[end - 1] == '\0' || bytes[end - 1] == '\n' || bytes[end - 1] == '\r' ||
                       bytes[end - 1] == ' ')) {
        --end;
    }
    return end;
}

// Whether a JPEG or PNG ends as a whole one does (other formats are left to
// their decoders). A cut JPEG ends inside the compressed data, where FF is
// always followed by 00 or a restart marker, so it never ends in the
// end-of-image marker FF D9; a PNG ends with its IEND chunk and that
// chunk's fixed CRC.
bool endsWhole(const QByteArray& bytes, const PictureFormat& format) {
    const qsizetype end = paddedEnd(bytes);
    const QByteArrayView data(bytes.constData(), end);
    if (format.isJpeg()) {
        return end >= 4 && data.endsWith("\xFF\xD9");
    }
    if (format.isPng()) {
        return data.endsWith(QByteArrayView("\0\0\0\0IEND\xAE\x42\x60\x82", 12));
    }
    return true;
}

DecodedPicture failed(QString message, QString detail = {}) {
    return {platform::Result::failure(std::move(message), std::move(detail)), {}};
}

}  // namespace

DecodedPicture decodeServicePicture(const QByteArray& bytes, qint64 maxPixels,
                                    PictureAnswer asked) {
    if (platform::Result check = checkPictureAnswer(bytes, asked); !check) {
        return {std::move(check), {}};
    }
    const PictureFormat format = pictureFormat(bytes);
    const QLatin1String name(format.name);
    if (!endsWhole(bytes, format)) {
        return failed(QStringLiteral("imagem %1 incompleta: a resposta termina antes do fim da "
                                     "imagem")
                          .arg(name),
                      QStringLiteral("no end marker in %1 bytes").arg(bytes.size()));
    }
    QByteArray data = bytes;  // shares, QBuffer only reads it
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format.readerFormat);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        // Reading the size alone sets no reader error.
        const QString reason = reader.error() == QImageReader::UnknownError
                                   ? QStringLiteral("cabeçalho ilegível")
                                   : reader.errorString();
        return failed(QStringLiteral("imagem %1 danificada (%2)").arg(name, reason),
                      QStringLiteral("the header gives no size"));
    }
    const QString sizeText = QStringLiteral("%1 × %2").arg(size.width()).arg(size.height());
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) {
        return failed(QStringLiteral("imagem do servidor grande demais: %1 pixels (o máximo é %2 "
                                     "pixels de lado)")
                          .arg(sizeText)
                          .arg(kMaxPictureSide));
    }
    if (qint64(size.width()) * size.height() > maxPixels) {
        return failed(QStringLiteral("imagem do servidor grande demais: %1 pixels (o máximo é %2 "
                                     "pixels)")
                          .arg(sizeText)
                          .arg(maxPixels));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        return failed(QStringLiteral("imagem %1 danificada (%2)").arg(name, reader.errorString()));
    }
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != wanted) {
        image = image.convertToFormat(wanted);
        if (image.isNull()) {
            return failed(
                QStringLiteral("memória insuficiente para a imagem de %1 pixels").arg(sizeText));
        }
    }
    return {platform::Result::success(), std::move(image)};
}

ServicePictureCombiner::ServicePictureCombiner(QSize size, OverlayMode mode)
    : m_image(size, QImage::Format_RGB32), m_mode(mode) {
    if (!m_image.isNull()) {
        m_image.fill(0xFFFFFFFFu);
    }
}

void ServicePictureCombiner::add(const QImage& picture, QPoint offset) {
    if (picture.isNull()) {
        return;
    }
    const bool first = m_count++ == 0;
    if (m_image.isNull()) {
        return;
    }
    QPainter painter(&m_image);
    if (first) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(offset, picture);
        return;
    }
    if (m_mode == OverlayMode::Invert) {
        // White XOR destination: every bit of blue, green and red flips.
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(m_image.rect(), Qt::white);
        return;
    }
    switch (m_mode) {
        case OverlayMode::And:
            painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
            break;
        case OverlayMode::Xor:
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            break;
        case OverlayMode::Or:
            painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
            break;
        case OverlayMode::NotOr:
            painter.setCompositionMode(QPainter::RasterOp_NotSourceAndNotDestination);
            break;
        case OverlayMode::Invert:
            break;
    }
    // Raster operations work on opaque 32-bit pixels.
    if (picture.format() == QImage::Format_RGB32) {
        painter.drawImage(offset, picture);
    } else {
        painter.drawImage(offset, picture.convertToFormat(QImage::Format_RGB32));
    }
}

}  // namespace wms
