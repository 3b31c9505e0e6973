#pragma once

#include "mapcontrol/vector_data.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

namespace mapcontrol {

// Vector layers already read, shared while anything still holds their data:
// a layer asking for a file (and a layer of it) that is loaded and unchanged
// on disk gets the same VectorData without reading it again, so that both
// maps, every rebuild of the layers and a theme added while its file is shown
// cost no second read. The cache does not own the data: it holds it weakly,
// and data goes when its last layer or record set goes. A file is unchanged
// while its canonical path and the size, modification time and inode of its
// files stay the same: a shapefile's .shp, .shx, .dbf, .cpg and .prj; a
// GeoPackage with its -wal and -shm; a GML file with its .gfs and .xsd; any
// other format's one file. Otherwise it is read again (the user may have
// rewritten it). A file that cannot be read is not remembered. Safe to use
// from several threads.
class VectorDataCache {
public:
    using Loaded = std::variant<std::shared_ptr<const VectorData>, VectorData::LoadError>;

    // The cache the vector layers of the program read through.
    static VectorDataCache& shared();

    // The data of the shapefile at the native path, or of the layer
    // `layerName` of a file of another format, in the `target` system (see
    // VectorData::load): the loaded data when the file is unchanged and was
    // loaded for the same target, otherwise what VectorData::load reads now.
    // The same file for two targets is two entries. `progress` hears a read.
    Loaded load(const QString& nativePath, const QString& layerName = QString(),
                const std::optional<CoordinateSystem>& target = std::nullopt,
                const LoadProgress& progress = {});

    // How many times this cache has read a file, whether it could or not.
    std::size_t readCount() const;
    // How many files (layers of files) have data loaded that something still holds.
    std::size_t loadedFileCount() const;

private:
    // What tells one state of a file from another: a file written anew
    // (through a temporary file renamed into place) is also another inode.
    struct Stamp {
        // Which file: a shapefile's side files by their lower-case extension
        // ("shp", "shx", "dbf", "cpg", "prj"); for other formats "" for the
        // file itself, else the companion's ending ("-wal", "-shm", ".gfs", ".xsd").
        std::string suffix;
        std::int64_t size = 0;
        std::int64_t modifiedNs = 0;  // modification time, nanoseconds since the epoch
        std::uint64_t inode = 0;

        friend bool operator==(const Stamp&, const Stamp&) = default;
        friend auto operator<=>(const Stamp&, const Stamp&) = default;
    };
    struct Entry {
        std::vector<Stamp> stamps;
        std::weak_ptr<const VectorData> data;
    };

    // The stamps of the file's files, read as the loader reads the file at
    // `nativePath`; nothing when its folder cannot be listed or the file
    // itself cannot be stamped.
    static std::optional<std::vector<Stamp>> stampsOf(const QString& nativePath,
                                                      const QString& canonicalPath);
    static std::optional<std::vector<Stamp>> shapefileStampsOf(const QString& canonicalPath);
    static std::optional<Stamp> stampOf(const std::string& path, std::string suffix);

    mutable std::mutex m_mutex;
    // Canonical path of the file (a shapefile's .shp), layer name and the
    // target's WKT.
    using Key = std::tuple<QString, QString, QString>;
    std::map<Key, Entry> m_entries;
    std::size_t m_reads = 0;
};

}  // namespace mapcontrol
