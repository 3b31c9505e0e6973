#pragma once

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
// name, the next line the title; the first "LatLonBoundingBox" line gives the
// box from its four quoted values, non-numbers as 0). Lines end in CR LF, LF
// or CR alone; a UTF-8 byte order mark is skipped.
Capabilities readCapabilitiesByLines(const QByteArray& document, int service);

// The same entries read with an XML reader: each Layer's own Name and Title
// (a Name holding "default" is skipped), the first LatLonBoundingBox.
// A document that is not well-formed gives what was read up to the fault.
Capabilities readCapabilitiesAsXml(const QByteArray& document, int service);

// The line rules; when they give no entry or an entry with an empty name,
// the XML reader's result (when it has any entry).
Capabilities readCapabilities(const QByteArray& document, int service);

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
