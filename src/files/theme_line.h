#pragma once

#include <QString>
#include <QStringList>

namespace files {

// The layer a theme line gets, from the text of its path (case as listed,
// anywhere in the path): Shape for ".shp", ".SHP"; Image for ".tif", ".TIF",
// ".bmp", ".BMP", ".SID", ".sid"; Jpeg for ".jpg", ".JPG"; Vector for the
// other vector formats read through OGR: ".gpkg", ".GPKG", ".geojson",
// ".GEOJSON", ".json", ".JSON", ".kml", ".KML", ".kmz", ".KMZ", ".fgb",
// ".FGB", ".gml", ".GML"; None otherwise. The first that matches wins, in
// that order, so a path holding several gets one layer and every path that
// names a shapefile or a picture keeps the kind it always had. In a path
// naming a layer of a file of the Vector kind (kLayerNameTag), only the
// text before the tag is looked at: a layer's own name never changes the
// kind. Any other path holding the tag is read whole, but never as Vector.
enum class ThemeKind { None, Image, Jpeg, Shape, Vector };

ThemeKind themeKind(const QString& path);
// The extensions of the Vector kind, without their ".", in the spellings
// looked for.
inline const QStringList kVectorExtensions = {
    QStringLiteral("gpkg"),    QStringLiteral("GPKG"), QStringLiteral("geojson"),
    QStringLiteral("GEOJSON"), QStringLiteral("json"), QStringLiteral("JSON"),
    QStringLiteral("kml"),     QStringLiteral("KML"),  QStringLiteral("kmz"),
    QStringLiteral("KMZ"),     QStringLiteral("fgb"),  QStringLiteral("FGB"),
    QStringLiteral("gml"),     QStringLiteral("GML")};
inline bool isPictureKind(ThemeKind kind) {
    return kind == ThemeKind::Image || kind == ThemeKind::Jpeg;
}
// Shapefiles and the other vector formats: themes with records, classes and
// colour files.
inline bool isVectorKind(ThemeKind kind) {
    return kind == ThemeKind::Shape || kind == ThemeKind::Vector;
}

// Whether a theme line names a shapefile: ".SHP" or ".shp" anywhere in it.
inline bool namesShapefile(const QString& line) {
    return line.contains(QLatin1String(".SHP")) || line.contains(QLatin1String(".shp"));
}
// Whether a theme line names a vector theme, the themes that are classified,
// labelled, queried and identified: a shapefile by namesShapefile, or a path
// of the Vector kind.
bool namesVectorTheme(const QString& line);

// The data file path of a theme line: the text after its first ",", or the
// whole line when it has none.
QString themePath(const QString& line);

// What separates a file's path from the name of the layer of it that a theme
// shows: "D:\dados\base.gpkg|layername=geologia".
inline const QString kLayerNameTag = QStringLiteral("|layername=");

// The file and the layer a theme path names, split at its first
// kLayerNameTag. A path without the tag names its file (layer empty): a
// source of a single vector layer needs no layer name.
struct ThemeSource {
    QString file;
    QString layer;
};
ThemeSource themeSource(const QString& path);
// The file a theme path reads: for a path of the Vector kind, the file of
// themeSource; any other path is its own file.
QString themeFilePath(const QString& path);
// The theme path of a layer of a file: the file's path, then kLayerNameTag and
// the layer's name; the file's path alone when `layer` is empty.
QString themeSourcePath(const QString& file, const QString& layer);
// Whether a layer's name can follow kLayerNameTag in a theme line and be read
// back as it was: no "\" (the line's rules take the text after the last "\")
// and no control characters (a line break would split the project file's line).
bool fitsThemeLine(const QString& layer);

// The name a theme's layer is found by in the maps, from its theme line (or
// path) in Windows form: the text after the last "\"; for a shape theme cut
// before its first ".". So a layer of another vector format keeps its
// extension and its layer part ("base.gpkg|layername=geologia"), which no
// shapefile or picture name can be. Layers are named by this rule, never
// from the file found on disk, so a line written in another case than the
// file still finds its layer.
QString layerName(const QString& line);

// The colour file looked for beside a vector theme's path: the text before
// the path's first "." followed by ".COR". A path of the Vector kind naming
// a layer puts "." and the layer's name before ".COR", each of
// \ / : * ? " < > | % and the control characters written as "%" and two hex
// digits: "D:\dados\base.gpkg|layername=geologia" gives
// "D:\dados\base.geologia.COR". Two layers of one file never share a colour
// file, and none of them takes a shapefile's (whose name has no "." before
// ".COR").
QString colourFilePath(const QString& path);
// The colour file as it is written: the same name ending in ".cor".
QString writtenColourFilePath(const QString& path);

}  // namespace files
