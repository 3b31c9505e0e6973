#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QStringList>

#include <optional>

// Reading the layers and the extent out of a WMS 1.1.1 GetCapabilities
// document.
namespace wms {

// A LatLonBoundingBox: minx, miny, maxx, maxy in decimal degrees.
struct LatLonBox {
    double minx = 0, miny = 0, maxx = 0, maxy = 0;
};

struct Capabilities {
    QStringList entries;                // layer entries, document order
    std::optional<LatLonBox> firstBox;  // the document's first box
};

// The line rules: one element per line ("Layer queryable" or "<Layer>" opens
// a layer; a "<Name>" line without "default" inside an open layer gives the
// name, the next line the title, each the text after the line's first ">"
// up to the next "<", and closes the layer; the first "LatLonBoundingBox"
// line gives the box from the four quoted values after that word, missing
// values and non-numbers as 0). Lines end in CR LF, LF or CR alone; a UTF-8
// byte order mark is skipped. Text is UTF-8, or Windows-1252 when the XML
// declaration names ISO-8859-x or Windows-1252; character references are
// decoded, names trimmed and titles' blanks collapsed, as the XML reader
// gives them. Linear in the document's size.
Capabilities readCapabilitiesByLines(const QByteArray& document, int service);

// The same entries read with an XML reader: each Layer's own Name and Title
// (a Name holding "default" is skipped; a Layer without a Name has no entry),
// in the order of the names, and the first LatLonBoundingBox (attributes
// minx, miny, maxx, maxy). A document that is not well-formed gives what was
// read up to the fault.
Capabilities readCapabilitiesAsXml(const QByteArray& document, int service);

// The line rules; when they give no entry or an entry with an empty name,
// the XML reader's result (when it has any entry).
Capabilities readCapabilities(const QByteArray& document, int service);

// Whether `document` is a WMS capabilities document: its first element
// (after any byte order mark, blanks, XML declaration, comments and
// document type declaration) is WMT_MS_Capabilities or WMS_Capabilities,
// with or without a namespace prefix. Looks only at the first 64 KB.
bool isCapabilitiesDocument(const QByteArray& document);

// Every coordinate system the document lists (the text of its SRS and CRS
// elements, with or without a namespace prefix; several codes in one element
// are separated by blanks), upper case, each once, in document order.
// Linear in the document's size, whatever its line layout.
QStringList readListedSystems(const QByteArray& document);

extern const QString kNotCapabilitiesMessage;

// The answer to a GetCapabilities request checked before it is read: a
// capabilities document passes; anything else (a web page, an exception
// report) is a failure whose message is the server's own text
// (serverErrorText), or kEmptyAnswerMessage or kNotCapabilitiesMessage
// when it has none.
platform::Result checkCapabilitiesAnswer(const QByteArray& document);

// The running extremes over the first boxes of all services, starting at the
// values that mean "no box read yet".
struct ExtentExtremes {
    double north = -12121212121.0;
    double east = -1212121212.0;
    double west = 12121212121.0;
    double south = 1212121212.0;
    void add(const LatLonBox& box);
};

// A service address as the capabilities read leaves it: cut before its first ",".
QString addressBeforeComma(const QString& address);

}  // namespace wms
