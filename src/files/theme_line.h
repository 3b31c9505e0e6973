#pragma once

#include <QString>

namespace files {

// The layer a theme line gets, from the text of its path (case as listed,
// anywhere in the path): Shape for ".shp", ".SHP"; Image for ".tif", ".TIF",
// ".bmp", ".BMP", ".SID", ".sid"; Jpeg for ".jpg", ".JPG"; None otherwise.
// The first that matches wins, so a path holding several gets one layer.
enum class ThemeKind { None, Image, Jpeg, Shape };

ThemeKind themeKind(const QString& path);
inline bool isPictureKind(ThemeKind kind) {
    return kind == ThemeKind::Image || kind == ThemeKind::Jpeg;
}

// Whether a theme line names a shapefile: ".SHP" or ".shp" anywhere in it.
inline bool namesShapefile(const QString& line) {
    return line.contains(QLatin1String(".SHP")) || line.contains(QLatin1String(".shp"));
}

// The data file path of a theme line: the text after its first ",", or the
// whole line when it has none.
QString themePath(const QString& line);

// The name a theme's layer is found by in the maps, from its theme line (or
// path) in Windows form: the text after the last "\"; for a shape theme cut
// before its first ".". Layers are named by this rule, never from the file
// found on disk, so a line written in another case than the file still finds
// its layer.
QString layerName(const QString& line);

// The colour file looked for beside a shapefile path: the text before the
// path's first "." followed by ".COR".
QString colourFilePath(const QString& path);
// The colour file as it is written: the same name ending in ".cor".
QString writtenColourFilePath(const QString& path);

}  // namespace files
