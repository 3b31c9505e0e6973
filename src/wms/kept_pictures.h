#pragma once

#include "mapcontrol/geometry.h"
#include "net/picture_cache.h"
#include "wms/service_pictures.h"

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// Pictures kept from earlier answers, used when the network is gone: the
// part of a kept picture that covers the view, cut out and scaled to the
// size asked, or a kept answer to exactly the same request. Every picture
// handed out comes with the time it was kept, so that the user can be told
// (kKeptPictureMessage); a kept answer that does not decode is removed.
namespace wms {

// "Sem conexão: imagem guardada em <data hora>".
extern const QString kKeptPictureMessage;

// The status line text for a picture kept at `keptAt` (shown in local
// time as dd/MM/yyyy HH:mm).
QString keptPictureNotice(const QDateTime& keptAt);

// Whether a status line text is such a notice: a picture that is not a kept
// one must not go on under it.
bool isKeptPictureNotice(const QString& text);

// A map extent as the cache keeps boxes (see net::KeptRequest).
QRectF keptBox(const mapcontrol::Rectangle& extent);

struct KeptPicture {
    QImage image;  // Format_RGB32 or Format_ARGB32_Premultiplied
    QDateTime keptAt;
    QByteArray answer;  // the kept bytes, for an answer to the same URL
};

// The finest kept picture of `address`, `layers` and `srs` whose box covers
// `extent` within one pixel of `size`, cut to `extent` and scaled to `size`.
// Pictures that are damaged are removed and the next one is tried; nothing
// when none covers.
std::optional<KeptPicture> cutKeptPicture(net::PictureCache& cache, const QString& address,
                                          const QString& layers, const QString& srs,
                                          const mapcontrol::Rectangle& extent, QSize size,
                                          PictureAnswer asked = PictureAnswer::Jpeg);

// A request URL with the values of its box and size parameters ("bbox",
// "width", "height", any case) left empty: what names the source of the
// fixed connections' pictures, whatever view they were asked for.
QString requestWithoutBox(const QString& url);

// The kept answer to exactly `url`, decoded (at most `maxPixels`); a damaged
// one is removed.
std::optional<KeptPicture> keptAnswer(net::PictureCache& cache, const QString& url,
                                      qint64 maxPixels, PictureAnswer asked);

}  // namespace wms
