#include "files/theme_line.h"

#include <QStringList>

namespace files {

namespace {

QString beforeFirstDot(const QString& path) {
    const qsizetype dot = path.indexOf(QLatin1Char('.'));
    return dot < 0 ? path : path.left(dot);
}

}  // namespace

ThemeKind themeKind(const QString& path) {
    const auto containsAny = [&path](std::initializer_list<const char*> extensions) {
        for (const char* extension : extensions) {
            if (path.contains(QLatin1String(extension))) {
                return true;
            }
        }
        return false;
    };
    if (containsAny({".shp", ".SHP"})) {
        return ThemeKind::Shape;
    }
    if (containsAny({".tif", ".TIF", ".bmp", ".BMP", ".SID", ".sid"})) {
        return ThemeKind::Image;
    }
    if (containsAny({".jpg", ".JPG"})) {
        return ThemeKind::Jpeg;
    }
    return ThemeKind::None;
}

QString themePath(const QString& line) {
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    return comma < 0 ? line : line.mid(comma + 1);
}

QString layerName(const QString& line) {
    const QString name = line.mid(line.lastIndexOf(QLatin1Char('\\')) + 1);
    return themeKind(line) == ThemeKind::Shape ? beforeFirstDot(name) : name;
}

QString colourFilePath(const QString& path) {
    return beforeFirstDot(path) + QStringLiteral(".COR");
}

QString writtenColourFilePath(const QString& path) {
    return beforeFirstDot(path) + QStringLiteral(".cor");
}

}  // namespace files
