#pragma once

#include "mapcontrol/geometry.h"

#include <QString>
#include <QStringList>

// The request addresses of the web map services client, byte for byte as
// they are sent (the downloader turns blanks into "%20" and nothing else).
// A service address is a prefix the query follows at once.
namespace wms {

// GetCapabilities of one service.
QString capabilitiesUrl(const QString& address);

// The system a geographic or undeclared map asks for.
inline const QString kGeographicSrs = QStringLiteral("EPSG:4326");

// GetMap of the comma-joined `layers` over `extent` (see bboxText), in the
// system `srs` the extent is in.
QString getMapUrl(const QString& address, const QString& layers,
                  const mapcontrol::Rectangle& extent, int width, int height,
                  const QString& srs = kGeographicSrs);

// GetFeatureInfo of the layer named `layer` (layerNameOf of the selected
// entry) for the pixel (x, y) of a w × h picture of `extent` (in `srs`).
QString featureInfoUrl(const QString& address, const QString& layer,
                       const mapcontrol::Rectangle& extent, int w, int h, int x, int y,
                       const QString& srs = kGeographicSrs);

// GetFeatureInfo of the fixed bedrock-geology service, with its own fixed bbox.
QString bedrockFeatureInfoUrl(const QString& bedrockHost, int w, int h, int x, int y);

// The services whose legend is a REST legend page, in the order they are tried.
const QStringList& restLegendNames();

// The REST legend name the address holds; when it holds several, the longest
// (so an address of "Lito_1000000" is not taken for "Lito_100000"). Empty
// when it holds none.
QString restLegendName(const QString& address);

// Whether the service's legend is a REST legend page: the address holds one
// of the names and "services".
bool hasRestLegend(const QString& address);

// The legend of a layer: the REST legend page (the address up to its first
// "services", then "/rest/services/<name>/MapServer/legend") when the
// service has one, else GetLegendGraphic (WMS 1.1.1) of the entry's layer
// name as a PNG picture.
QString legendUrl(const QString& address, const QString& layerEntry);

// The gateway's service catalogue.
QString catalogueUrl(const QString& gatewayHost);

// The gateway's index map picture, w × h.
QString indexMapUrl(const QString& gatewayHost, int w, int h);

// The gateway's look-up of the map sheet under (longitude, latitude), each
// fixedText(v, 4, 8).
QString indexLookupUrl(const QString& gatewayHost, double longitude, double latitude);

}  // namespace wms
