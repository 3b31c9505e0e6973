#include "wms/kept_pictures.h"

#include <QPainter>
#include <QStringList>

#include <algorithm>

namespace wms {

const QString kKeptPictureMessage = QStringLiteral("Sem conexão: imagem guardada em %1");

namespace {

// A kept picture is decoded whole before it is cut; it was checked against
// this bound when it arrived, as every answer is.
constexpr qint64 kKeptMaxPixels = 16384LL * 16384;

}  // namespace

QString keptPictureNotice(const QDateTime& keptAt) {
    return kKeptPictureMessage.arg(
        keptAt.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")));
}

bool isKeptPictureNotice(const QString& text) {
    return text.startsWith(kKeptPictureMessage.arg(QString()));
}

QRectF keptBox(const mapcontrol::Rectangle& extent) {
    return QRectF(QPointF(extent.left(), extent.bottom()), QPointF(extent.right(), extent.top()));
}

std::optional<KeptPicture> cutKeptPicture(net::PictureCache& cache, const QString& address,
                                          const QString& layers, const QString& srs,
                                          const mapcontrol::Rectangle& extent, QSize size,
                                          PictureAnswer asked) {
    if (size.isEmpty() || extent.width() <= 0 || extent.height() <= 0) {
        return std::nullopt;
    }
    const double pixel = std::max(extent.width() / size.width(), extent.height() / size.height());
    const QRectF wanted = keptBox(extent);
    for (const net::KeptEntry& entry : cache.findCovering(address, layers, srs, wanted, pixel)) {
        const std::optional<QByteArray> bytes = cache.read(entry);
        if (!bytes) {
            continue;  // removed by the cache
        }
        DecodedPicture decoded = decodeServicePicture(*bytes, kKeptMaxPixels, asked);
        if (!decoded.result || decoded.image.size() != entry.request.size) {
            cache.remove(entry);
            continue;
        }
        // The wanted box in the kept picture's pixels (rows run south from
        // its north side).
        const QRectF kept = entry.request.box;
        const double sx = decoded.image.width() / kept.width();
        const double sy = decoded.image.height() / kept.height();
        const QRectF source((wanted.left() - kept.left()) * sx,
                            (kept.bottom() - wanted.bottom()) * sy, wanted.width() * sx,
                            wanted.height() * sy);
        QImage cut(size, decoded.image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
        cut.fill(decoded.image.hasAlphaChannel() ? Qt::transparent : Qt::white);
        {
            QPainter painter(&cut);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), decoded.image, source);
        }
        return KeptPicture{std::move(cut), entry.keptAt, {}};
    }
    return std::nullopt;
}

QString requestWithoutBox(const QString& url) {
    const qsizetype query = url.indexOf(QLatin1Char('?'));
    if (query < 0) {
        return url;
    }
    QStringList parts = url.mid(query + 1).split(QLatin1Char('&'));
    for (QString& part : parts) {
        const QString key = part.section(QLatin1Char('='), 0, 0).toLower();
        if (key == u"bbox" || key == u"width" || key == u"height") {
            part = part.section(QLatin1Char('='), 0, 0) + QLatin1Char('=');
        }
    }
    return url.left(query + 1) + parts.join(QLatin1Char('&'));
}

std::optional<KeptPicture> keptAnswer(net::PictureCache& cache, const QString& url,
                                      qint64 maxPixels, PictureAnswer asked) {
    const std::optional<net::KeptEntry> entry = cache.findUrl(url);
    if (!entry) {
        return std::nullopt;
    }
    const std::optional<QByteArray> bytes = cache.read(*entry);
    if (!bytes) {
        return std::nullopt;
    }
    DecodedPicture decoded = decodeServicePicture(*bytes, maxPixels, asked);
    if (!decoded.result) {
        cache.remove(*entry);
        return std::nullopt;
    }
    return KeptPicture{std::move(decoded.image), entry->keptAt, *bytes};
}

}  // namespace wms
