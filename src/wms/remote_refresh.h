#pragma once

#include "mapcontrol/coordinate_system.h"
#include "mapcontrol/geometry.h"
#include "net/picture_cache.h"
#include "platform/result.h"
#include "wms/service_pictures.h"

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

namespace net {
class Downloader;
}

// The remote picture of a refresh: every service asked for its checked
// layers, the answers combined, then blended with the local themes. Works
// on pictures and the program folder's files; shows nothing.
namespace wms {

// A service of the list and the names of its checked layers, joined by ",".
struct ServiceLayers {
    QString address;
    QString layers;                             // empty: the service is not asked
    QString srs = QStringLiteral("EPSG:4326");  // the system the extent is sent in
};

// The system a service is asked in. A geographic map, or one whose themes
// declare no system, asks in EPSG:4326 as ever. A projected map asks in its
// own EPSG code when the service lists it among its systems (`listed`, from
// its capabilities); otherwise `srs` is empty and `refusal` is the message
// naming the service and the map's system: its extent in metres is never
// sent as degrees.
struct RequestSystem {
    QString srs;
    QString refusal;
};
RequestSystem requestSystem(const std::optional<mapcontrol::CoordinateSystem>& mapSystem,
                            const QString& address, const QStringList& listed);

// The checked entries' names grouped by service number, in list order.
std::vector<ServiceLayers> checkedLayersByService(
    const QStringList& services, const std::vector<std::pair<QString, bool>>& entries);

// How a picture is kept for work without a network and found again when no
// server can be reached. Without a cache nothing is kept. With a box (a map
// request), kept pictures of the same address, layers and SRS covering the
// box are cut to it; without one, the answer to the same URL is used.
struct Keeping {
    net::PictureCache* cache = nullptr;
    QString address;  // empty: the URL itself
    QString layers;
    QString srs;
    mapcontrol::Rectangle box;  // empty: looked up by URL
    QSize size;                 // the picture's pixels, with a box

    static Keeping byUrl(net::PictureCache* cache) {
        Keeping keeping;
        keeping.cache = cache;
        return keeping;
    }
    static Keeping byBox(net::PictureCache* cache, QString address, QString layers, QString srs,
                         const mapcontrol::Rectangle& box, QSize size) {
        return {cache, std::move(address), std::move(layers), std::move(srs), box, size};
    }
};

// One picture asked of a server: downloaded to `target`, checked and
// decoded. When the download fails, nothing is read from `target`.
struct FetchedPicture {
    bool answered = false;  // the download succeeded
    // On an answer that is not a picture, the message is the server's own text.
    platform::Result result;
    QImage image;
    QByteArray answer;  // the bytes that arrived, as they came
    // Valid when no server was reached and the picture is a kept one: when
    // it was kept. Such a picture is shown only with keptPictureNotice.
    QDateTime keptAt;
};
// A picture that decoded is kept (`keeping`); when the download fails
// because no server could be reached, a kept picture answers instead.
FetchedPicture fetchPicture(const QString& url, qint64 maxPixels, net::Downloader& downloader,
                            const QString& target, PictureAnswer asked = PictureAnswer::Jpeg,
                            const Keeping& keeping = {});

// The second half of fetchPicture, for a download that has run: `got` is
// how the download of `url` into `target` ended.
FetchedPicture readFetchedPicture(const QString& url, const platform::Result& got, qint64 maxPixels,
                                  const QString& target, PictureAnswer asked = PictureAnswer::Jpeg,
                                  const Keeping& keeping = {});

struct ServicePicturesResult {
    bool ok = false;  // the last service asked delivered its picture
    bool anyAsked = false;
    QImage combined;          // area-sized, white where no picture fell
    QStringList serverTexts;  // what servers answered instead of a picture, once each
    QDateTime keptAt;         // valid when a kept picture stands in: the oldest one used
};

// Asks each service with layers for its picture of `extent`, all at once
// (Downloader::downloadAll), then takes the answers in service order through
// "temp.jpg" in `programFolder`: checks that a JPEG arrived, decodes it and
// draws it at the place the picture-size rule gives, combining by `mode`.
// A cancelled download ends the refresh there (ok false). With `cache`,
// each picture is kept, and a service that cannot be reached is answered
// by a kept picture covering the extent when there is one.
ServicePicturesResult fetchServicePictures(const std::vector<ServiceLayers>& services,
                                           const mapcontrol::Rectangle& extent, QSize area,
                                           OverlayMode mode, net::Downloader& downloader,
                                           const QString& programFolder,
                                           net::PictureCache* cache = nullptr);

// The screen after a refresh: `remote` saved as "temp.bmp", the local map as
// "temp1.bmp", and `remote` blended over the local map at 0.5 when local
// themes are loaded, 1.0 when not. Without local themes the local map is
// the previous "temp.bmp" when there is one (blank otherwise).
struct Composite {
    QImage shown;
    platform::Result blend;
};
Composite composeWithLocalMap(const QImage& remote, bool localThemesLoaded,
                              const std::function<QImage(QSize)>& renderLocalMap,
                              const QString& programFolder);

// Loads a picture file of the program folder as an area-sized RGB32 image;
// blank (white) when the file is missing or unreadable.
QImage loadAreaPicture(const QString& nativePath, QSize area);

// Blends the picture file `foreground` over `background` (both in the
// program folder, missing ones blank) at `opacity`: the opacity control and
// the screen memories.
Composite blendFiles(const QString& background, const QString& foreground, double opacity,
                     QSize area);

}  // namespace wms
