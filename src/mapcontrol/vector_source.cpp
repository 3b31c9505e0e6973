#include "mapcontrol/vector_source.h"

#include "mapcontrol/gdal_support.h"

#include <QFile>
#include <QFileInfo>

#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <vector>

namespace mapcontrol {

namespace {

// The drivers that read a format: at least one of `needed` must be there
// (the message names them when none is); `extra` ones serve when present.
struct Drivers {
    std::vector<const char*> needed;
    std::vector<const char*> extra;
};

Drivers driversOf(VectorFormat format) {
    switch (format) {
        case VectorFormat::Shapefile:
            return {{"ESRI Shapefile"}, {}};
        case VectorFormat::GeoPackage:
            return {{"GPKG"}, {}};
        case VectorFormat::GeoJson:
            return {{"GeoJSON"}, {"ESRIJSON", "TopoJSON"}};
        case VectorFormat::Kml:
        case VectorFormat::Kmz:
            return {{"LIBKML", "KML"}, {}};
        case VectorFormat::FlatGeobuf:
            return {{"FlatGeobuf"}, {}};
        case VectorFormat::Gml:
            return {{"GML"}, {}};
    }
    return {};
}

QString missingDriversMessage(VectorFormat format, const std::vector<const char*>& needed) {
    QStringList names;
    for (const char* name : needed) {
        names.append(QString::fromLatin1(name));
    }
    const QString listed = names.size() == 1
                               ? names.first()
                               : names.mid(0, names.size() - 1).join(QStringLiteral(", ")) +
                                     QStringLiteral(" e ") + names.last();
    return names.size() == 1
               ? QStringLiteral("o GDAL instalado não tem o driver %1, que lê arquivos %2")
                     .arg(listed, vectorFormatName(format))
               : QStringLiteral("o GDAL instalado não tem os drivers %1, que leem arquivos %2")
                     .arg(listed, vectorFormatName(format));
}

QString unreadableMessage(VectorFormat format) {
    return format == VectorFormat::Shapefile
               ? QStringLiteral("não é um shapefile legível")
               : QStringLiteral("não é um arquivo %1 legível").arg(vectorFormatName(format));
}

// The KML document inside a KMZ, for the KML driver, which does not open the
// archive itself: "doc.kml" at its root, else the first ".kml" there.
QByteArray kmlInsideKmz(const QByteArray& kmzPath) {
    const QByteArray archive = "/vsizip/" + kmzPath;
    const CPLStringList entries(VSIReadDir(archive.constData()));
    QByteArray found;
    for (int i = 0; i < entries.size(); ++i) {
        const QByteArray name(entries[i]);
        if (name.compare("doc.kml", Qt::CaseInsensitive) == 0) {
            return archive + '/' + name;
        }
        if (found.isEmpty() && name.toLower().endsWith(".kml")) {
            found = archive + '/' + name;
        }
    }
    return found;
}

std::vector<OGRLayer*> vectorLayers(GDALDataset& dataset) {
    std::vector<OGRLayer*> layers;
    for (int i = 0; i < dataset.GetLayerCount(); ++i) {
        OGRLayer* layer = dataset.GetLayer(i);
        if (layer && layer->GetGeomType() != wkbNone) {
            layers.push_back(layer);
        }
    }
    return layers;
}

}  // namespace

VectorFormat vectorFormatOf(const QString& nativePath) {
    const QString suffix = QFileInfo(nativePath).suffix().toLower();
    if (suffix == QLatin1String("gpkg")) return VectorFormat::GeoPackage;
    if (suffix == QLatin1String("geojson") || suffix == QLatin1String("json")) {
        return VectorFormat::GeoJson;
    }
    if (suffix == QLatin1String("kml")) return VectorFormat::Kml;
    if (suffix == QLatin1String("kmz")) return VectorFormat::Kmz;
    if (suffix == QLatin1String("fgb")) return VectorFormat::FlatGeobuf;
    if (suffix == QLatin1String("gml")) return VectorFormat::Gml;
    return VectorFormat::Shapefile;
}

QString vectorFormatName(VectorFormat format) {
    switch (format) {
        case VectorFormat::Shapefile:
            return QStringLiteral("shapefile");
        case VectorFormat::GeoPackage:
            return QStringLiteral("GeoPackage");
        case VectorFormat::GeoJson:
            return QStringLiteral("GeoJSON");
        case VectorFormat::Kml:
            return QStringLiteral("KML");
        case VectorFormat::Kmz:
            return QStringLiteral("KMZ");
        case VectorFormat::FlatGeobuf:
            return QStringLiteral("FlatGeobuf");
        case VectorFormat::Gml:
            return QStringLiteral("GML");
    }
    return {};
}

void VectorSource::Closer::operator()(GDALDataset* dataset) const {
    GDALClose(dataset);
}

std::variant<VectorSource, QString> VectorSource::openDataset(const QString& nativePath,
                                                              VectorFormat format,
                                                              const QStringList& shapefileOptions) {
    registerGdal();
    const Drivers drivers = driversOf(format);
    CPLStringList allowed;
    for (const auto* list : {&drivers.needed, &drivers.extra}) {
        for (const char* name : *list) {
            if (GDALGetDriverByName(name)) {
                allowed.AddString(name);
            }
        }
    }
    bool hasNeeded = false;
    for (const char* name : drivers.needed) {
        hasNeeded = hasNeeded || GDALGetDriverByName(name) != nullptr;
    }
    if (!hasNeeded) {
        return missingDriversMessage(format, drivers.needed);
    }
    QByteArray path = QFile::encodeName(nativePath);
    if (format == VectorFormat::Kmz && !GDALGetDriverByName("LIBKML")) {
        path = kmlInsideKmz(path);
        if (path.isEmpty()) {
            return unreadableMessage(format);
        }
    }
    CPLStringList options;
    if (format == VectorFormat::Shapefile) {
        for (const QString& option : shapefileOptions) {
            options.AddString(option.toUtf8().constData());
        }
    } else if (format == VectorFormat::Gml) {
        // A viewer writes nothing beside the data it shows: the schema the
        // driver works out is not kept in a .gfs.
        options.AddString("WRITE_GFS=NO");
    }
    VectorSource source;
    source.m_format = format;
    source.m_dataset.reset(GDALDataset::Open(path.constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY,
                                             allowed.List(), options.List(), nullptr));
    if (!source.m_dataset) {
        return unreadableMessage(format);
    }
    return source;
}

std::variant<VectorSource, QString> VectorSource::open(const QString& nativePath,
                                                       const QString& layerName,
                                                       const QStringList& shapefileOptions) {
    const VectorFormat format = vectorFormatOf(nativePath);
    std::variant<VectorSource, QString> opened = openDataset(nativePath, format, shapefileOptions);
    auto* source = std::get_if<VectorSource>(&opened);
    if (!source) {
        return opened;
    }
    GDALDataset& dataset = *source->m_dataset;
    if (!layerName.isEmpty()) {
        OGRLayer* layer = dataset.GetLayerByName(layerName.toUtf8().constData());
        if (!layer) {
            return QStringLiteral("o arquivo não tem a camada \"%1\"").arg(layerName);
        }
        if (layer->GetGeomType() == wkbNone) {
            return QStringLiteral("a camada \"%1\" não tem geometria").arg(layerName);
        }
        source->m_layer = layer;
        return opened;
    }
    if (format == VectorFormat::Shapefile) {
        if (dataset.GetLayerCount() < 1) {
            return unreadableMessage(format);
        }
        source->m_layer = dataset.GetLayer(0);
        return opened;
    }
    const std::vector<OGRLayer*> layers = vectorLayers(dataset);
    if (layers.empty()) {
        return QStringLiteral("o arquivo não tem camada vetorial");
    }
    if (layers.size() > 1) {
        return QStringLiteral(
                   "o arquivo tem %1 camadas vetoriais e a linha do tema não diz qual mostrar")
            .arg(layers.size());
    }
    source->m_layer = layers.front();
    return opened;
}

std::variant<QStringList, QString> vectorLayerNames(const QString& nativePath) {
    const VectorFormat format = vectorFormatOf(nativePath);
    std::variant<VectorSource, QString> opened = VectorSource::openDataset(nativePath, format, {});
    if (const auto* error = std::get_if<QString>(&opened)) {
        return *error;
    }
    QStringList names;
    for (OGRLayer* layer : vectorLayers(*std::get<VectorSource>(opened).m_dataset)) {
        names.append(QString::fromUtf8(layer->GetName()));
    }
    return names;
}

}  // namespace mapcontrol
