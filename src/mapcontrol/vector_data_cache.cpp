#include "mapcontrol/vector_data_cache.h"

#include "mapcontrol/vector_source.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

namespace mapcontrol {

namespace fs = std::filesystem;

VectorDataCache& VectorDataCache::shared() {
    static VectorDataCache cache;
    return cache;
}

std::optional<VectorDataCache::Stamp> VectorDataCache::stampOf(const std::string& path,
                                                               std::string suffix) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return Stamp{
        std::move(suffix), static_cast<std::int64_t>(status.st_size),
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec,
        static_cast<std::uint64_t>(status.st_ino)};
}

std::optional<std::vector<VectorDataCache::Stamp>> VectorDataCache::shapefileStampsOf(
    const QString& canonicalPath) {
    const QFileInfo info(canonicalPath);
    const QString base = info.completeBaseName();
    std::vector<Stamp> stamps;
    std::error_code error;
    // The companions are found whatever the case of their names, as the
    // loader finds them.
    fs::directory_iterator entry(QFile::encodeName(info.absolutePath()).toStdString(), error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        const QString name = QFile::decodeName(entry->path().filename().c_str());
        if (name.size() != base.size() + 4 || name[base.size()] != QLatin1Char('.') ||
            !name.startsWith(base, Qt::CaseInsensitive)) {
            continue;
        }
        const std::string suffix = name.right(3).toLower().toStdString();
        if (suffix != "shp" && suffix != "shx" && suffix != "dbf" && suffix != "cpg" &&
            suffix != "prj") {
            continue;
        }
        if (std::optional<Stamp> stamp = stampOf(entry->path().string(), suffix)) {
            stamps.push_back(std::move(*stamp));
        }
    }
    const bool hasShp =
        std::any_of(stamps.begin(), stamps.end(), [](const Stamp& s) { return s.suffix == "shp"; });
    if (error || !hasShp) {
        return std::nullopt;
    }
    std::sort(stamps.begin(), stamps.end());
    return stamps;
}

std::optional<std::vector<VectorDataCache::Stamp>> VectorDataCache::stampsOf(
    const QString& nativePath, const QString& canonicalPath) {
    const VectorFormat format = vectorFormatOf(nativePath);
    if (format == VectorFormat::Shapefile) {
        return shapefileStampsOf(canonicalPath);
    }
    const std::string path = QFile::encodeName(canonicalPath).toStdString();
    std::optional<Stamp> file = stampOf(path, "");
    if (!file) {
        return std::nullopt;
    }
    std::vector<Stamp> stamps{std::move(*file)};
    // Companions that hold part of the data, or tell the driver how to read it.
    std::vector<std::pair<std::string, std::string>> companions;
    if (format == VectorFormat::GeoPackage) {
        // What a writer has committed but not yet copied into the file.
        companions = {{path + "-wal", "-wal"}, {path + "-shm", "-shm"}};
    } else if (format == VectorFormat::Gml) {
        const std::string base =
            QFile::encodeName(QFileInfo(canonicalPath).path() + QLatin1Char('/') +
                              QFileInfo(canonicalPath).completeBaseName())
                .toStdString();
        companions = {{base + ".gfs", ".gfs"}, {base + ".xsd", ".xsd"}};
    }
    for (auto& [companion, suffix] : companions) {
        if (std::optional<Stamp> stamp = stampOf(companion, suffix)) {
            stamps.push_back(std::move(*stamp));
        }
    }
    std::sort(stamps.begin(), stamps.end());
    return stamps;
}

VectorDataCache::Loaded VectorDataCache::load(const QString& nativePath, const QString& layerName,
                                              const std::optional<CoordinateSystem>& target,
                                              const LoadProgress& progress) {
    const QString canonical = QFileInfo(nativePath).canonicalFilePath();
    const Key key(canonical, layerName, target ? target->wkt() : QString());
    const std::optional<std::vector<Stamp>> stamps =
        canonical.isEmpty() ? std::nullopt : stampsOf(nativePath, canonical);
    if (stamps) {
        const std::lock_guard lock(m_mutex);
        std::erase_if(m_entries, [](const auto& entry) { return entry.second.data.expired(); });
        const auto found = m_entries.find(key);
        if (found != m_entries.end() && found->second.stamps == *stamps) {
            if (std::shared_ptr<const VectorData> data = found->second.data.lock()) {
                return data;
            }
        }
    }
    // Read without the lock: other files can be served meanwhile.
    Loaded loaded = VectorData::load(nativePath, layerName, target, progress);
    const std::lock_guard lock(m_mutex);
    ++m_reads;
    const auto* data = std::get_if<std::shared_ptr<const VectorData>>(&loaded);
    if (stamps && data) {
        m_entries[key] = Entry{*stamps, *data};
    }
    return loaded;
}

std::size_t VectorDataCache::readCount() const {
    const std::lock_guard lock(m_mutex);
    return m_reads;
}

std::size_t VectorDataCache::loadedFileCount() const {
    const std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(
        std::count_if(m_entries.begin(), m_entries.end(),
                      [](const auto& entry) { return !entry.second.data.expired(); }));
}

}  // namespace mapcontrol
