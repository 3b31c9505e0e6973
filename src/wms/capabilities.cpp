#include "wms/capabilities.h"

#include <QRegularExpression>

#include "platform/text_codec.h"
#include "wms/service_pictures.h"
#include "wms/wms_text.h"

#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

namespace wms {

namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

enum class Encoding { Utf8, Windows1252 };

// The encoding the XML declaration names. Documents in ISO-8859-1 or
// Windows-1252 are read in the code page, so that both readers give the same
// accented titles; anything else is read as UTF-8.
Encoding declaredEncoding(QByteArrayView document) {
    if (!document.startsWith("<?xml")) return Encoding::Utf8;
    const QByteArrayView head = document.first(std::min<qsizetype>(document.size(), 1024));
    const qsizetype end = head.indexOf("?>");
    const QByteArrayView declaration = end < 0 ? head : head.first(end);
    const qsizetype at = declaration.indexOf("encoding");
    if (at < 0) return Encoding::Utf8;
    qsizetype begin = declaration.indexOf('=', at);
    if (begin < 0) return Encoding::Utf8;
    while (begin < declaration.size() &&
           !std::isalnum(static_cast<unsigned char>(declaration[begin]))) {
        ++begin;
    }
    qsizetype stop = begin;
    while (stop < declaration.size() && declaration[stop] != '"' && declaration[stop] != '\'') {
        ++stop;
    }
    const QByteArray name = declaration.sliced(begin, stop - begin).toByteArray().toLower();
    return name.startsWith("iso-8859") || name.startsWith("iso8859") || name == "latin1" ||
                   name == "windows-1252" || name == "cp1252"
               ? Encoding::Windows1252
               : Encoding::Utf8;
}

// One character reference or predefined entity at `text[at]` ("&"); the
// character(s) and the length it takes, or nothing when it is not one.
bool decodeReference(QStringView text, qsizetype at, QString& out, qsizetype& length) {
    // The longest reference is "&#x10FFFF;": look no further, so that a long
    // text full of "&" stays linear.
    const qsizetype semicolon =
        text.sliced(at, std::min<qsizetype>(text.size() - at, 12)).indexOf(QLatin1Char(';')) + at;
    if (semicolon < at) return false;
    const QStringView body = text.sliced(at + 1, semicolon - at - 1);
    length = semicolon - at + 1;
    static const std::pair<const char*, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [entity, c] : kNamed) {
        if (body == QLatin1String(entity)) {
            out.append(QLatin1Char(c));
            return true;
        }
    }
    if (!body.startsWith(QLatin1Char('#'))) return false;
    bool ok = false;
    const uint code = body.startsWith(QLatin1String("#x")) || body.startsWith(QLatin1String("#X"))
                          ? body.sliced(2).toUInt(&ok, 16)
                          : body.sliced(1).toUInt(&ok, 10);
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    const char32_t c = code;
    out.append(QString::fromUcs4(&c, 1));
    return true;
}

// Text between tags as the server meant it: references decoded.
QString decodeReferences(const QString& text) {
    if (!text.contains(QLatin1Char('&'))) return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = 0;
        if (text[i] == QLatin1Char('&') && decodeReference(text, i, out, length)) {
            i += length - 1;
        } else {
            out.append(text[i]);
        }
    }
    return out;
}

// Names go into requests, titles into the layer list: blanks and line breaks
// around them (a pretty-printed element) are not part of them.
QString cleanName(const QString& text) {
    return text.trimmed();
}
QString cleanTitle(const QString& text) {
    return text.simplified();
}

// The lines of a document, ended by CR LF, LF or CR alone, without copying.
class LineCursor {
public:
    explicit LineCursor(QByteArrayView bytes) : m_bytes(bytes) {}

    bool next(QByteArrayView& line) {
        if (m_at >= m_bytes.size()) return false;
        const char* begin = m_bytes.data() + m_at;
        const char* end = m_bytes.data() + m_bytes.size();
        const char* stop = std::find_if(begin, end, [](char c) { return c == '\r' || c == '\n'; });
        line = QByteArrayView(begin, stop - begin);
        if (stop < end && *stop == '\r') {
            ++stop;
            if (stop < end && *stop == '\n') ++stop;
        } else if (stop < end) {
            ++stop;
        }
        m_at = stop - m_bytes.data();
        return true;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

class LineReader {
public:
    LineReader(QByteArrayView document, int service) : m_service(service) {
        if (document.startsWith(kUtf8Bom)) document = document.sliced(kUtf8Bom.size());
        m_document = document;
        m_encoding = declaredEncoding(document);
    }

    Capabilities read() {
        Capabilities result;
        LineCursor lines(m_document);
        bool layerOpen = false;
        QByteArrayView line;
        while (lines.next(line)) {
            if (line.contains("Layer queryable") || line.contains("<Layer>")) layerOpen = true;
            if (layerOpen && line.contains("<Name>") && !line.contains("default")) {
                // The title is on the next line, which no other rule sees.
                QByteArrayView titleLine;
                if (!lines.next(titleLine)) titleLine = {};
                result.entries.append(
                    layerEntryText(m_service, cleanTitle(cut(titleLine)), cleanName(cut(line))));
                layerOpen = false;
            }
            if (!result.firstBox) {
                if (const qsizetype at = line.indexOf("LatLonBoundingBox"); at >= 0) {
                    result.firstBox = quotedBox(line.sliced(at));
                }
            }
        }
        return result;
    }

private:
    QString decode(QByteArrayView bytes) const {
        return decodeReferences(m_encoding == Encoding::Utf8
                                    ? QString::fromUtf8(bytes)
                                    : platform::decodeWindows1252(bytes.toByteArray()));
    }

    // The text after the line's first ">" up to the next "<", or to the end
    // of the line when no "<" follows.
    QString cut(QByteArrayView line) const {
        const qsizetype close = line.indexOf('>');
        const qsizetype begin = close < 0 ? 0 : close + 1;
        qsizetype end = line.indexOf('<', begin);
        if (end < 0) end = line.size();
        return decode(line.sliced(begin, end - begin));
    }

    // The first four quoted values, in order: minx, miny, maxx, maxy. Missing
    // values and values that are not numbers are 0.
    static LatLonBox quotedBox(QByteArrayView text) {
        double values[4] = {0, 0, 0, 0};
        qsizetype at = 0;
        for (double& value : values) {
            const auto open = std::find_if(text.begin() + at, text.end(),
                                           [](char c) { return c == '"' || c == '\''; });
            if (open == text.end()) break;
            const qsizetype begin = open - text.begin() + 1;
            const qsizetype close = text.indexOf(*open, begin);
            if (close < 0) break;
            value = numberOrZero(QString::fromLatin1(text.sliced(begin, close - begin)));
            at = close + 1;
        }
        return {values[0], values[1], values[2], values[3]};
    }

    QByteArrayView m_document;
    Encoding m_encoding = Encoding::Utf8;
    int m_service;
};

}  // namespace

Capabilities readCapabilitiesByLines(const QByteArray& document, int service) {
    return LineReader(document, service).read();
}

Capabilities readCapabilitiesAsXml(const QByteArray& document, int service) {
    struct Layer {
        int depth = 0;         // element depth of the Layer
        qsizetype entry = -1;  // its entry in `found`, once its Name is read
        bool hasName = false;  // its own Name was seen (kept or skipped)
        QString title;         // its own Title, when read before the Name
        bool hasTitle = false;
    };
    struct Found {
        QString name, title;
    };
    std::vector<Layer> open;
    std::vector<Found> found;
    Capabilities result;

    QXmlStreamReader xml(document);
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (!open.empty() && open.back().depth == depth) open.pop_back();
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement) continue;
        ++depth;
        const QStringView element = xml.name();
        if (element == QLatin1String("LatLonBoundingBox") && !result.firstBox) {
            const QXmlStreamAttributes a = xml.attributes();
            const auto number = [&a](const char* key) {
                return numberOrZero(a.value(QLatin1String(key)).toString());
            };
            result.firstBox =
                LatLonBox{number("minx"), number("miny"), number("maxx"), number("maxy")};
        }
        if (element == QLatin1String("Layer")) {
            Layer layer;
            layer.depth = depth;
            open.push_back(layer);
            continue;
        }
        if (open.empty() || open.back().depth != depth - 1) continue;
        Layer& layer = open.back();
        if (element == QLatin1String("Name") && !layer.hasName) {
            const QString name =
                cleanName(xml.readElementText(QXmlStreamReader::IncludeChildElements));
            --depth;  // the end element was read with the text
            layer.hasName = true;
            if (!name.contains(QLatin1String("default"))) {
                layer.entry = static_cast<qsizetype>(found.size());
                found.push_back({name, layer.title});
            }
        } else if (element == QLatin1String("Title") && !layer.hasTitle) {
            layer.title = cleanTitle(xml.readElementText(QXmlStreamReader::IncludeChildElements));
            --depth;
            layer.hasTitle = true;
            if (layer.entry >= 0) found[layer.entry].title = layer.title;
        }
    }
    for (const Found& f : found) result.entries.append(layerEntryText(service, f.title, f.name));
    return result;
}

Capabilities readCapabilities(const QByteArray& document, int service) {
    Capabilities byLines = readCapabilitiesByLines(document, service);
    const bool usable =
        !byLines.entries.isEmpty() &&
        std::none_of(byLines.entries.cbegin(), byLines.entries.cend(),
                     [](const QString& entry) { return layerNameOf(entry).isEmpty(); });
    if (usable) return byLines;
    Capabilities asXml = readCapabilitiesAsXml(document, service);
    return asXml.entries.isEmpty() ? byLines : asXml;
}

QStringList readListedSystems(const QByteArray& document) {
    QStringList systems;
    qsizetype at = 0;
    while ((at = document.indexOf('<', at)) >= 0) {
        const qsizetype nameEnd = document.indexOf('>', at);
        if (nameEnd < 0) break;
        QByteArrayView name = QByteArrayView(document).sliced(at + 1, nameEnd - at - 1).trimmed();
        at = nameEnd + 1;
        if (const qsizetype colon = name.lastIndexOf(':'); colon >= 0) {
            name = name.sliced(colon + 1);  // a namespace prefix
        }
        if (name != "SRS" && name != "CRS") continue;
        const qsizetype textEnd = document.indexOf('<', at);
        if (textEnd < 0) break;
        const QString text = QString::fromUtf8(document.sliced(at, textEnd - at)).toUpper();
        for (const QString& code :
             text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
            if (!systems.contains(code)) systems << code;
        }
        at = textEnd;
    }
    return systems;
}

const QString kNotCapabilitiesMessage =
    QStringLiteral("resposta não é um documento de capacidades WMS");

namespace {

constexpr qsizetype kRootScanLimit = 64 * 1024;

// The position after the declaration that starts at `at` ("<!"), whose
// internal subset in "[...]" and quoted texts may hold ">"; -1 when it does
// not end.
qsizetype declarationEnd(QStringView text, qsizetype at) {
    int depth = 0;
    QChar quote;
    for (qsizetype i = at + 2; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'[') {
            ++depth;
        } else if (c == u']') {
            --depth;
        } else if (c == u'>' && depth <= 0) {
            return i + 1;
        }
    }
    return -1;
}

// The name of the document's first element, or empty when none starts
// within `text`.
QString firstElementName(QStringView text) {
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c != u'<') return {};
        const QStringView rest = text.sliced(i);
        qsizetype end = -1;
        if (rest.startsWith(u"<?")) {
            end = text.indexOf(u"?>", i + 2);
            end = end < 0 ? -1 : end + 2;
        } else if (rest.startsWith(u"<!--")) {
            end = text.indexOf(u"-->", i + 4);
            end = end < 0 ? -1 : end + 3;
        } else if (rest.startsWith(u"<!")) {
            end = declarationEnd(text, i);
        } else {
            qsizetype stop = i + 1;
            while (stop < text.size() && !text[stop].isSpace() && text[stop] != u'>' &&
                   text[stop] != u'/') {
                ++stop;
            }
            return text.sliced(i + 1, stop - i - 1).toString();
        }
        if (end < 0) return {};
        i = end;
    }
    return {};
}

}  // namespace

bool isCapabilitiesDocument(const QByteArray& document) {
    const QByteArray head = document.left(kRootScanLimit);
    // Element names are ASCII in UTF-8 and every 8-bit encoding; UTF-16 says
    // so by its mark.
    QString text;
    if (head.startsWith(kUtf8Bom)) {
        text = QString::fromLatin1(head.sliced(kUtf8Bom.size()));
    } else if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        text = QStringDecoder(head.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                          : QStringConverter::Utf16BE)
                   .decode(head.sliced(2));
    } else {
        text = QString::fromLatin1(head);
    }
    const QString name = firstElementName(text);
    const QStringView local = QStringView(name).sliced(name.lastIndexOf(QLatin1Char(':')) + 1);
    return local == u"WMT_MS_Capabilities" || local == u"WMS_Capabilities";
}

platform::Result checkCapabilitiesAnswer(const QByteArray& document) {
    if (isCapabilitiesDocument(document)) {
        return platform::Result::success();
    }
    if (document.isEmpty()) {
        return platform::Result::failure(kEmptyAnswerMessage);
    }
    const QString serverText = serverErrorText(document);
    return platform::Result::failure(serverText.isEmpty() ? kNotCapabilitiesMessage : serverText,
                                     answerDetail(document));
}

void ExtentExtremes::add(const LatLonBox& box) {
    north = std::max(north, box.maxy);
    east = std::max(east, box.maxx);
    west = std::min(west, box.minx);
    south = std::min(south, box.miny);
}

QString addressBeforeComma(const QString& address) {
    const qsizetype comma = address.indexOf(QLatin1Char(','));
    return comma < 0 ? address : address.left(comma);
}

}  // namespace wms
