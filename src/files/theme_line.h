#pragma once

#include <QString>

namespace files {

// The layer a theme line gets, from the text of its path (case as listed,
// anywhere in the path): Image for ".tif", ".TIF", ".bmp", ".BMP", ".SID",
// ".sid"; Jpeg for ".jpg", ".JPG"; Shape for ".shp", ".SHP"; None otherwise.
// Image wins over Jpeg, so a path holding both gets one layer.
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

// The colour file looked for beside a shapefile path: the text before the
// path's first "." followed by ".COR".
QString colourFilePath(const QString& path);

}  // namespace files
