#include "mapcontrol/vector_data_cache.h"

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

std::optional<std::vector<VectorDataCache::Stamp>> VectorDataCache::stampsOf(
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
        struct stat status {};
        if (::stat(entry->path().c_str(), &status) != 0) {
            continue;
        }
        stamps.push_back({suffix, static_cast<std::int64_t>(status.st_size),
                          static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
                              status.st_mtim.tv_nsec,
                          static_cast<std::uint64_t>(status.st_ino)});
    }
    const bool hasShp =
        std::any_of(stamps.begin(), stamps.end(), [](const Stamp& s) { return s.suffix == "shp"; });
    if (error || !hasShp) {
        return std::nullopt;
    }
    std::sort(stamps.begin(), stamps.end());
    return stamps;
}

VectorDataCache::Loaded VectorDataCache::load(const QString& nativePath,
                                              const std::optional<CoordinateSystem>& target) {
    const QString canonical = QFileInfo(nativePath).canonicalFilePath();
    const QString key = canonical + QLatin1Char('\n') + (target ? target->wkt() : QString());
    const std::optional<std::vector<Stamp>> stamps =
        canonical.isEmpty() ? std::nullopt : stampsOf(canonical);
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
    Loaded loaded = VectorData::load(nativePath, target);
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
