#pragma once

#include "mapcontrol/geometry.h"

#include <QString>

// Addresses of the remote database's gateway and web map viewer, byte for
// byte as they are sent. Hosts carry their scheme and no final "/".
namespace remote {

// The result file of a search, by its name (see resultFileName).
QString resultDownloadUrl(const QString& gatewayHost, const QString& resultName);

// The list of the points found by the search `searchId`.
QString searchListUrl(const QString& gatewayHost, const QString& searchId);

// The map-area search page over `extent` (the map's full extent): top, left,
// bottom and right, each fixedText(v, 9, 12), so short numbers carry
// leading blanks, sent as they are.
QString areaSearchUrl(const QString& gatewayHost, const mapcontrol::Rectangle& extent);

// The external web map viewer's page.
QString webViewerUrl(const QString& webViewerHost);

}  // namespace remote
