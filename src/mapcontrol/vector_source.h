#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <variant>

class GDALDataset;
class OGRLayer;

namespace mapcontrol {

// The file formats vector themes are read from, told by the file's extension
// in any case: GeoPackage ".gpkg", GeoJSON ".geojson" and ".json", KML
// ".kml", KMZ ".kmz" (zipped KML), FlatGeobuf ".fgb", GML ".gml". Every other
// file is read as a shapefile, as every vector theme was before the others.
enum class VectorFormat { Shapefile, GeoPackage, GeoJson, Kml, Kmz, FlatGeobuf, Gml };

VectorFormat vectorFormatOf(const QString& nativePath);
// The format's name for messages: "shapefile", "GeoPackage", "GeoJSON", ...
QString vectorFormatName(VectorFormat format);

// A vector file opened for reading through OGR, and the one layer of it a
// theme shows: opening only opens the file and picks the layer, reading it
// is the loader's. A source that exists is open and has its layer. Owns the
// dataset; the layer lives as long as the source.
class VectorSource {
public:
    // Opens the file at the native path with the drivers of its format and
    // picks the layer named `layerName`, or, with an empty name, the file's
    // only vector layer (a layer with geometry; a shapefile's layer). Each
    // of `openOptions` ("KEY=VALUE") goes to a shapefile's driver. On failure
    // the reason, in Portuguese, without the file's name: a driver this GDAL
    // does not have, a file the drivers cannot read, a layer it does not
    // have, several vector layers and no name, a layer without geometry.
    // GDAL's own messages are left to the caller's error handler.
    static std::variant<VectorSource, QString> open(const QString& nativePath,
                                                    const QString& layerName,
                                                    const QStringList& shapefileOptions = {});

    VectorFormat format() const { return m_format; }
    OGRLayer& layer() const { return *m_layer; }

private:
    friend std::variant<QStringList, QString> vectorLayerNames(const QString& nativePath);

    struct Closer {
        void operator()(GDALDataset* dataset) const;
    };
    // The dataset alone, and why it could not be opened.
    static std::variant<VectorSource, QString> openDataset(const QString& nativePath,
                                                           VectorFormat format,
                                                           const QStringList& shapefileOptions);

    VectorFormat m_format = VectorFormat::Shapefile;
    std::unique_ptr<GDALDataset, Closer> m_dataset;
    OGRLayer* m_layer = nullptr;
};

// The names of the file's vector layers (those with geometry) in the file's
// order, or why the file cannot be read, as VectorSource::open says it.
std::variant<QStringList, QString> vectorLayerNames(const QString& nativePath);

}  // namespace mapcontrol
