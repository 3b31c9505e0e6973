#include "files/theme_line.h"

#include <QStringList>

namespace files {

ThemeKind themeKind(const QString& path) {
    const auto containsAny = [&path](std::initializer_list<const char*> extensions) {
        for (const char* extension : extensions) {
            if (path.contains(QLatin1String(extension))) {
                return true;
            }
        }
        return false;
    };
    if (containsAny({".tif", ".TIF", ".bmp", ".BMP", ".SID", ".sid"})) {
        return ThemeKind::Image;
    }
    if (containsAny({".jpg", ".JPG"})) {
        return ThemeKind::Jpeg;
    }
    if (containsAny({".shp", ".SHP"})) {
        return ThemeKind::Shape;
    }
    return ThemeKind::None;
}

QString themePath(const QString& line) {
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    return comma < 0 ? line : line.mid(comma + 1);
}

QString colourFilePath(const QString& path) {
    const qsizetype dot = path.indexOf(QLatin1Char('.'));
    return (dot < 0 ? path : path.left(dot)) + QStringLiteral(".COR");
}

}  // namespace files
