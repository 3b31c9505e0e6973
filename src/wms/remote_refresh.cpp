#include "wms/remote_refresh.h"

#include "net/answers_in_order.h"
#include "net/downloader.h"
#include "wms/alpha_blend.h"
#include "wms/kept_pictures.h"
#include "wms/picture_size.h"
#include "wms/urls.h"
#include "wms/wms_text.h"

#include <QDir>
#include <QFile>
#include <QPainter>

#include <optional>

namespace wms {

std::vector<ServiceLayers> checkedLayersByService(
    const QStringList& services, const std::vector<std::pair<QString, bool>>& entries) {
    std::vector<ServiceLayers> result;
    result.reserve(static_cast<size_t>(services.size()));
    for (const QString& address : services) {
        result.push_back({address, QString()});
    }
    for (const auto& [text, checked] : entries) {
        if (!checked) continue;
        const std::optional<LayerEntry> entry = parseLayerEntry(text);
        if (!entry || entry->service < 0 || entry->service >= services.size()) continue;
        QString& layers = result[static_cast<size_t>(entry->service)].layers;
        if (!layers.isEmpty()) layers += QLatin1Char(',');
        layers += entry->name;
    }
    return result;
}

RequestSystem requestSystem(const std::optional<mapcontrol::CoordinateSystem>& mapSystem,
                            const QString& address, const QStringList& listed) {
    if (!mapSystem || !mapSystem->isProjected()) {
        return {kGeographicSrs, {}};
    }
    const QString described =
        mapSystem->epsgCode() ? QStringLiteral("%1, %2").arg(mapSystem->label(), mapSystem->name())
                              : mapSystem->name();
    if (!mapSystem->epsgCode()) {
        return {{},
                QStringLiteral("O sistema de coordenadas do mapa (%1) não tem código EPSG; o "
                               "serviço %2 não foi consultado.")
                    .arg(described, address)};
    }
    const QString code = mapSystem->label();
    if (!listed.contains(code, Qt::CaseInsensitive)) {
        return {{},
                QStringLiteral("O serviço %1 não oferece o sistema de coordenadas do mapa (%2); "
                               "o mapa não foi pedido a ele.")
                    .arg(address, described)};
    }
    return {code, {}};
}

namespace {

QImage blankPicture(QSize area) {
    QImage image(area, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

}  // namespace

namespace {

// A kept picture standing in for an answer that never came.
std::optional<KeptPicture> keptInstead(const QString& url, qint64 maxPixels, PictureAnswer asked,
                                       const Keeping& keeping) {
    if (!keeping.box.isEmpty()) {
        return cutKeptPicture(*keeping.cache, keeping.address, keeping.layers, keeping.srs,
                              keeping.box, keeping.size, asked);
    }
    return keptAnswer(*keeping.cache, url, maxPixels, asked);
}

}  // namespace

FetchedPicture fetchPicture(const QString& url, qint64 maxPixels, net::Downloader& downloader,
                            const QString& target, PictureAnswer asked, const Keeping& keeping) {
    return readFetchedPicture(url, downloader.download(url, target), maxPixels, target, asked,
                              keeping);
}

FetchedPicture readFetchedPicture(const QString& url, const platform::Result& got, qint64 maxPixels,
                                  const QString& target, PictureAnswer asked,
                                  const Keeping& keeping) {
    FetchedPicture fetched;
    fetched.result = got;
    if (!fetched.result) {
        if (keeping.cache && fetched.result.unreachable && !fetched.result.cancelled) {
            if (std::optional<KeptPicture> kept = keptInstead(url, maxPixels, asked, keeping)) {
                fetched.result = platform::Result::success();
                fetched.image = std::move(kept->image);
                fetched.answer = std::move(kept->answer);
                fetched.keptAt = kept->keptAt;
            }
        }
        return fetched;
    }
    fetched.answered = true;
    QFile file(target);
    if (!file.open(QIODevice::ReadOnly)) {
        fetched.result = platform::Result::failure(file.errorString());
        return fetched;
    }
    fetched.answer = file.readAll();
    DecodedPicture picture = decodeServicePicture(fetched.answer, maxPixels, asked);
    fetched.result = picture.result;
    fetched.image = std::move(picture.image);
    if (fetched.result && keeping.cache) {
        const bool byBox = !keeping.box.isEmpty();
        (void)keeping.cache->keep(
            {url, byBox ? keeping.address : url, keeping.layers, keeping.srs,
             byBox ? keptBox(keeping.box) : QRectF(), byBox ? keeping.size : fetched.image.size()},
            fetched.answer);  // a picture not kept is still shown
    }
    return fetched;
}

ServicePicturesResult fetchServicePictures(const std::vector<ServiceLayers>& services,
                                           const mapcontrol::Rectangle& extent, QSize area,
                                           OverlayMode mode, net::Downloader& downloader,
                                           const QString& programFolder, net::PictureCache* cache) {
    ServicePicturesResult result;
    const PictureSize size = pictureSize(area.width(), area.height(), extent);
    const QString target = QDir(programFolder).filePath(QStringLiteral("temp.jpg"));
    // A picture larger than eight times the area is not what was asked for.
    const qint64 maxPixels = 8LL * area.width() * area.height();
    ServicePictureCombiner combiner(area, mode);
    // Every service is asked at once; the answers are taken in service
    // order through "temp.jpg", as when the services were asked in turn.
    std::vector<QString> urls(services.size());
    for (size_t i = 0; i < services.size(); ++i) {
        const ServiceLayers& service = services[i];
        if (service.layers.isEmpty()) continue;
        urls[i] = getMapUrl(service.address, service.layers, extent, size.width, size.height,
                            service.srs);
    }
    net::AnswersInOrder answers(downloader, target, urls);
    for (size_t i = 0; i < services.size(); ++i) {
        const ServiceLayers& service = services[i];
        QFile::remove(target);
        if (service.layers.isEmpty()) {
            continue;  // nothing checked: the service is not asked
        }
        result.anyAsked = true;
        const QString& url = urls[i];
        const platform::Result answer = answers.take(i);
        const FetchedPicture picture =
            readFetchedPicture(url, answer, maxPixels, target, PictureAnswer::Jpeg,
                               Keeping::byBox(cache, service.address, service.layers, service.srs,
                                              extent, QSize(size.width, size.height)));
        result.ok = picture.result.ok;
        if (picture.keptAt.isValid() &&
            (!result.keptAt.isValid() || picture.keptAt < result.keptAt)) {
            result.keptAt = picture.keptAt;
        }
        if (picture.result.cancelled) {
            break;  // the user ended the whole refresh: no later service is asked
        }
        if (!result.ok) {
            if (picture.answered && !result.serverTexts.contains(picture.result.message)) {
                result.serverTexts << picture.result.message;
            }
            continue;
        }
        combiner.add(picture.image, QPoint(size.x, size.y));
    }
    result.combined = combiner.empty() ? blankPicture(area) : combiner.result();
    return result;
}

QImage loadAreaPicture(const QString& nativePath, QSize area) {
    QImage picture(nativePath);
    QImage image = blankPicture(area);
    if (!picture.isNull()) {
        QPainter painter(&image);
        painter.drawImage(QPoint(0, 0), picture);
    }
    return image;
}

Composite composeWithLocalMap(const QImage& remote, bool localThemesLoaded,
                              const std::function<QImage(QSize)>& renderLocalMap,
                              const QString& programFolder) {
    const QDir folder(programFolder);
    const QString remoteFile = folder.filePath(QStringLiteral("temp.bmp"));
    const QSize area = remote.size();
    QImage local;
    if (localThemesLoaded) {
        local = renderLocalMap(area).convertToFormat(QImage::Format_RGB32);
    } else {
        local = loadAreaPicture(remoteFile, area);  // the previous remote picture
    }
    if (local.isNull()) {
        local = blankPicture(area);
    }
    (void)remote.save(remoteFile, "BMP");  // a scratch file; the blend goes on without it
    (void)local.save(folder.filePath(QStringLiteral("temp1.bmp")), "BMP");
    Composite composite;
    composite.blend = AlphaBlend(0, 0, remote, localThemesLoaded ? 0.5 : 1.0, local);
    composite.shown = local;
    return composite;
}

Composite blendFiles(const QString& background, const QString& foreground, double opacity,
                     QSize area) {
    Composite composite;
    composite.shown = loadAreaPicture(background, area);
    composite.blend = AlphaBlend(0, 0, loadAreaPicture(foreground, area), opacity, composite.shown);
    return composite;
}

}  // namespace wms
