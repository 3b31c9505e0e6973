#include "net/picture_cache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <map>

namespace net {

namespace {

constexpr char kMagic[] = "quelvora-cache 1";
// Records larger than this are not records.
constexpr qint64 kMaxRecordBytes = 64 * 1024;

QByteArray sha1(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

QByteArray field(const char* name, const QString& value) {
    return QByteArray(name) + '=' + value.toUtf8().toPercentEncoding() + '\n';
}

QString number(double value) {
    return QString::number(value, 'g', 17);
}

QByteArray record(const KeptEntry& entry, const QByteArray& digest) {
    const KeptRequest& r = entry.request;
    QByteArray text = QByteArray(kMagic) + '\n';
    text += field("url", r.url);
    text += field("address", r.address);
    text += field("layers", r.layers);
    text += field("srs", r.srs);
    text += field("box", QStringLiteral("%1,%2,%3,%4")
                             .arg(number(r.box.left()), number(r.box.top()), number(r.box.right()),
                                  number(r.box.bottom())));
    // A document has no size (QSize() is -1 × -1).
    text += field(
        "size",
        QStringLiteral("%1x%2").arg(std::max(0, r.size.width())).arg(std::max(0, r.size.height())));
    text += field("time", entry.keptAt.toUTC().toString(Qt::ISODateWithMs));
    text += field("bytes", QString::number(entry.bytes));
    text += field("sha1", QString::fromLatin1(digest));
    return text;
}

// The entry a record describes; nothing when any field is missing or bad.
std::optional<std::pair<KeptEntry, QByteArray>> parseRecord(const QByteArray& text) {
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.first() != kMagic) {
        return std::nullopt;
    }
    std::map<QByteArray, QString> values;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if (line.isEmpty()) continue;
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0) return std::nullopt;
        values[line.left(eq)] =
            QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(eq + 1)));
    }
    for (const char* name :
         {"url", "address", "layers", "srs", "box", "size", "time", "bytes", "sha1"}) {
        if (!values.count(name)) return std::nullopt;
    }
    KeptEntry entry;
    KeptRequest& r = entry.request;
    r.url = values["url"];
    r.address = values["address"];
    r.layers = values["layers"];
    r.srs = values["srs"];
    const QStringList box = values["box"].split(QLatin1Char(','));
    if (box.size() != 4) return std::nullopt;
    double sides[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        sides[i] = box[i].toDouble(&ok);
        if (!ok || !std::isfinite(sides[i])) return std::nullopt;
    }
    r.box = QRectF(QPointF(sides[0], sides[1]), QPointF(sides[2], sides[3]));
    const QStringList size = values["size"].split(QLatin1Char('x'));
    bool okWidth = false;
    bool okHeight = false;
    if (size.size() != 2) return std::nullopt;
    r.size = QSize(size[0].toInt(&okWidth), size[1].toInt(&okHeight));
    entry.keptAt = QDateTime::fromString(values["time"], Qt::ISODateWithMs);
    bool okBytes = false;
    entry.bytes = values["bytes"].toLongLong(&okBytes);
    const QByteArray digest = values["sha1"].toLatin1();
    if (!okWidth || !okHeight || r.size.width() < 0 || r.size.height() < 0 ||
        !entry.keptAt.isValid() || !okBytes || entry.bytes < 0 || digest.size() != 40) {
        return std::nullopt;
    }
    return std::make_pair(entry, digest);
}

bool writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace

PictureCache::PictureCache(QString folder, qint64 maxBytes, bool enabled)
    : m_folder(std::move(folder)),
      m_maxBytes(maxBytes),
      m_enabled(enabled && maxBytes > 0 && !m_folder.isEmpty()) {}

QString PictureCache::path(const QString& key, const char* suffix) const {
    return QDir(m_folder).filePath(key + QLatin1String(suffix));
}

void PictureCache::load() {
    if (m_loaded || !m_enabled) {
        return;
    }
    m_loaded = true;
    QDir().mkpath(m_folder);
    const QDir dir(m_folder);
    const QFileInfoList records =
        dir.entryInfoList({QStringLiteral("*.idx")}, QDir::Files, QDir::NoSort);
    QStringList keys;
    for (const QFileInfo& info : records) {
        const QString key = info.completeBaseName();
        QFile file(info.filePath());
        std::optional<std::pair<KeptEntry, QByteArray>> parsed;
        if (info.size() <= kMaxRecordBytes && file.open(QIODevice::ReadOnly)) {
            parsed = parseRecord(file.readAll());
        }
        const QFileInfo data(path(key, ".dat"));
        if (!parsed || !data.isFile() || data.size() != parsed->first.bytes) {
            QFile::remove(info.filePath());
            QFile::remove(data.filePath());
            continue;
        }
        Held held;
        held.entry = parsed->first;
        held.entry.key = key;
        held.sha1 = parsed->second;
        held.diskBytes = data.size() + info.size();
        held.lastUse = data.lastModified().toMSecsSinceEpoch();
        m_held.push_back(std::move(held));
        keys << key;
    }
    // Answers whose record never came (the program ended between the two
    // writes) are removed.
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*.dat")}, QDir::Files)) {
        if (!keys.contains(info.completeBaseName())) QFile::remove(info.filePath());
    }
    for (const Held& held : m_held) m_useCounter = std::max(m_useCounter, held.lastUse);
    trim();
}

bool PictureCache::keep(const KeptRequest& request, const QByteArray& answer,
                        const QDateTime& keptAt) {
    if (!m_enabled) {
        return false;
    }
    load();
    KeptEntry entry;
    entry.request = request;
    entry.keptAt = (keptAt.isValid() ? keptAt : QDateTime::currentDateTimeUtc()).toUTC();
    entry.bytes = answer.size();
    entry.key = QString::fromLatin1(sha1(request.url.toUtf8()));
    const QByteArray digest = sha1(answer);
    const QByteArray text = record(entry, digest);
    if (answer.size() + text.size() > m_maxBytes) {
        return false;
    }
    forget(entry.key);
    const QString dataPath = path(entry.key, ".dat");
    const QString recordPath = path(entry.key, ".idx");
    QFile::remove(recordPath);  // no record may describe other bytes
    if (!writeWhole(dataPath, answer) || !writeWhole(recordPath, text)) {
        QFile::remove(dataPath);
        QFile::remove(recordPath);
        return false;
    }
    Held held;
    held.entry = entry;
    held.sha1 = digest;
    held.diskBytes = answer.size() + text.size();
    held.lastUse = m_useCounter = std::max(m_useCounter + 1, QDateTime::currentMSecsSinceEpoch());
    m_held.push_back(std::move(held));
    trim();
    return true;
}

std::optional<KeptEntry> PictureCache::findUrl(const QString& url) {
    if (!m_enabled) {
        return std::nullopt;
    }
    load();
    const auto it = std::find_if(m_held.begin(), m_held.end(),
                                 [&](const Held& h) { return h.entry.request.url == url; });
    if (it == m_held.end()) return std::nullopt;
    return it->entry;
}

std::vector<KeptEntry> PictureCache::findCovering(const QString& address, const QString& layers,
                                                  const QString& srs, const QRectF& box,
                                                  double tolerance) {
    std::vector<KeptEntry> found;
    if (!m_enabled) {
        return found;
    }
    load();
    for (const Held& held : m_held) {
        const KeptRequest& r = held.entry.request;
        if (r.address != address || r.layers != layers || r.srs != srs || r.size.isEmpty() ||
            r.box.width() <= 0 || r.box.height() <= 0) {
            continue;
        }
        if (r.box.left() <= box.left() + tolerance && r.box.right() >= box.right() - tolerance &&
            r.box.top() <= box.top() + tolerance && r.box.bottom() >= box.bottom() - tolerance) {
            found.push_back(held.entry);
        }
    }
    const auto detail = [](const KeptEntry& e) {
        return e.request.size.width() / e.request.box.width();
    };
    std::stable_sort(found.begin(), found.end(), [&](const KeptEntry& a, const KeptEntry& b) {
        const double da = detail(a);
        const double db = detail(b);
        if (da != db) return da > db;
        return a.keptAt > b.keptAt;
    });
    return found;
}

std::optional<QByteArray> PictureCache::read(const KeptEntry& entry) {
    load();
    const auto it = std::find_if(m_held.begin(), m_held.end(),
                                 [&](const Held& h) { return h.entry.key == entry.key; });
    if (it == m_held.end()) {
        return std::nullopt;
    }
    QFile file(path(entry.key, ".dat"));
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly | QIODevice::ExistingOnly)) {
        bytes = file.read(it->entry.bytes + 1);
    }
    if (bytes.size() != it->entry.bytes || sha1(bytes) != it->sha1) {
        remove(entry);
        return std::nullopt;
    }
    it->lastUse = m_useCounter = std::max(m_useCounter + 1, QDateTime::currentMSecsSinceEpoch());
    // The answer's time of change keeps the order of use for the next run.
    file.setFileTime(QDateTime::fromMSecsSinceEpoch(it->lastUse),
                     QFileDevice::FileModificationTime);
    return bytes;
}

void PictureCache::remove(const KeptEntry& entry) {
    forget(entry.key);
    QFile::remove(path(entry.key, ".idx"));
    QFile::remove(path(entry.key, ".dat"));
}

void PictureCache::forget(const QString& key) {
    m_held.erase(std::remove_if(m_held.begin(), m_held.end(),
                                [&](const Held& h) { return h.entry.key == key; }),
                 m_held.end());
}

void PictureCache::trim() {
    qint64 total = totalBytes();
    while (total > m_maxBytes && !m_held.empty()) {
        const auto oldest =
            std::min_element(m_held.begin(), m_held.end(),
                             [](const Held& a, const Held& b) { return a.lastUse < b.lastUse; });
        total -= oldest->diskBytes;
        const KeptEntry dropped = oldest->entry;
        remove(dropped);
    }
}

qint64 PictureCache::totalBytes() {
    load();
    qint64 total = 0;
    for (const Held& held : m_held) total += held.diskBytes;
    return total;
}

std::vector<KeptEntry> PictureCache::entries() {
    load();
    std::vector<KeptEntry> all;
    for (const Held& held : m_held) all.push_back(held.entry);
    return all;
}

}  // namespace net
