#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace net {

// What a kept answer was asked for. `address`, `layers` and `srs` name the
// picture's source (a service address and its layers, or for requests that
// are not a service's map, the request with its box left out); `box` is
// the picture's extent in map units with y growing north: x() is the west
// side, y() the south side, x() + width() the east and y() + height() the
// north (so QRectF's top() is the south); `size` is its pixels. A
// document (capabilities) has an empty box and size and is found by `url`.
struct KeptRequest {
    QString url;
    QString address;
    QString layers;
    QString srs;
    QRectF box;
    QSize size;
};

// One kept answer as its index record gives it.
struct KeptEntry {
    KeptRequest request;
    QDateTime keptAt;  // when the answer arrived (UTC)
    qint64 bytes = 0;  // size of the answer as it came
    QString key;       // the file name stem of the entry in the cache folder
};

// The answers of the web map services kept on disk for work without a
// network. Each entry is two files in the cache folder: "<key>.dat", the
// answer's bytes as they came, and "<key>.idx", a small text record of what
// was asked, when, and the bytes' size and SHA-1; both are written
// atomically, the bytes first. The key is the SHA-1 of the URL, so an
// answer to the same URL replaces the earlier one. An entry whose record
// does not read, whose bytes are missing or differ from the record is
// damaged: it is removed when met, never handed out. The folder's total
// size is kept within a limit by dropping the least recently used entries
// (a hit counts as a use). Not thread-safe; the program uses it from the
// window's thread. Knows nothing of pictures: deciding what an answer is
// and cutting it to a view is the caller's business.
class PictureCache {
public:
    // `folder` is created when missing; an empty folder, `maxBytes` 0 or a
    // false `enabled` keeps nothing and finds nothing.
    PictureCache(QString folder, qint64 maxBytes, bool enabled = true);

    bool isEnabled() const { return m_enabled; }
    const QString& folder() const { return m_folder; }

    // Keeps `answer` for `request` (time: now, or `keptAt` when given).
    // False when it could not be written or is larger than the limit; a
    // failed write leaves no part of the entry behind.
    bool keep(const KeptRequest& request, const QByteArray& answer,
              const QDateTime& keptAt = QDateTime());

    // The kept entry of exactly this URL, if any.
    std::optional<KeptEntry> findUrl(const QString& url);

    // The kept pictures of the same address, layers and SRS whose box covers
    // `box` (each side within `tolerance` map units), finest first (most
    // pixels per map unit across); ties go to the most recent.
    std::vector<KeptEntry> findCovering(const QString& address, const QString& layers,
                                        const QString& srs, const QRectF& box, double tolerance);

    // The bytes of an entry, checked against its record, and the entry
    // marked as used; nothing when they are missing or damaged (the entry
    // is then removed).
    std::optional<QByteArray> read(const KeptEntry& entry);

    // Drops an entry (an answer found damaged by the caller).
    void remove(const KeptEntry& entry);

    // Bytes the entries take on disk (answers and records).
    qint64 totalBytes();
    std::vector<KeptEntry> entries();

private:
    struct Held {
        KeptEntry entry;
        QByteArray sha1;
        qint64 diskBytes = 0;
        qint64 lastUse = 0;  // ms since the epoch; order of least recent use
    };
    void load();
    void trim();
    void forget(const QString& key);
    QString path(const QString& key, const char* suffix) const;

    QString m_folder;
    qint64 m_maxBytes;
    bool m_enabled;
    bool m_loaded = false;
    qint64 m_useCounter = 0;  // ties of equal clock readings broken in order of use
    std::vector<Held> m_held;
};

}  // namespace net
