#include "files/theme_line.h"

namespace files {

namespace {

QString beforeFirstDot(const QString& path) {
    const qsizetype dot = path.indexOf(QLatin1Char('.'));
    return dot < 0 ? path : path.left(dot);
}

// A layer's name as part of a file name: characters that a file name cannot
// hold on Windows or Linux, and "%" itself, as "%" and two hex digits.
QString fileNameText(const QString& layer) {
    QString text;
    text.reserve(layer.size());
    for (const QChar c : layer) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringView(u"\\/:*?\"<>|%").contains(c)) {
            text += QLatin1Char('%') +
                    QString::number(c.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        } else {
            text += c;
        }
    }
    return text;
}

// The kind by the extensions a text holds, the first rule that matches
// winning; the other vector formats only when `vector`.
ThemeKind kindOfText(QStringView text, bool vector) {
    const auto containsAny = [text](std::initializer_list<const char*> extensions) {
        for (const char* extension : extensions) {
            if (text.contains(QLatin1String(extension))) {
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
    if (vector) {
        for (const QString& extension : kVectorExtensions) {
            if (text.contains(QLatin1Char('.') + extension)) {
                return ThemeKind::Vector;
            }
        }
    }
    return ThemeKind::None;
}

}  // namespace

ThemeKind themeKind(const QString& path) {
    // A path naming a layer of a vector file is of the file's kind, whatever
    // the layer is called; any other path holding the tag is read whole, by
    // the rules of shapefiles and pictures alone, as it always was.
    const qsizetype tag = path.indexOf(kLayerNameTag);
    if (tag < 0) {
        return kindOfText(path, true);
    }
    const ThemeKind file = kindOfText(QStringView(path).left(tag), true);
    return file == ThemeKind::Vector ? file : kindOfText(path, false);
}

bool namesVectorTheme(const QString& line) {
    return namesShapefile(line) || themeKind(themePath(line)) == ThemeKind::Vector;
}

QString themePath(const QString& line) {
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    return comma < 0 ? line : line.mid(comma + 1);
}

ThemeSource themeSource(const QString& path) {
    const qsizetype tag = path.indexOf(kLayerNameTag);
    if (tag < 0) {
        return {path, QString()};
    }
    return {path.left(tag), path.mid(tag + kLayerNameTag.size())};
}

QString themeFilePath(const QString& path) {
    return themeKind(path) == ThemeKind::Vector ? themeSource(path).file : path;
}

QString themeSourcePath(const QString& file, const QString& layer) {
    return layer.isEmpty() ? file : file + kLayerNameTag + layer;
}

bool fitsThemeLine(const QString& layer) {
    for (const QChar c : layer) {
        if (c == QLatin1Char('\\') || c.category() == QChar::Other_Control) {
            return false;
        }
    }
    return true;
}

QString layerName(const QString& line) {
    const QString name = line.mid(line.lastIndexOf(QLatin1Char('\\')) + 1);
    return themeKind(line) == ThemeKind::Shape ? beforeFirstDot(name) : name;
}

namespace {

// The colour file's path without its extension.
QString colourFileBase(const QString& path) {
    const ThemeSource source = themeSource(path);
    if (source.layer.isEmpty() || themeKind(path) != ThemeKind::Vector) {
        return beforeFirstDot(path);
    }
    return beforeFirstDot(source.file) + QLatin1Char('.') + fileNameText(source.layer);
}

}  // namespace

QString colourFilePath(const QString& path) {
    return colourFileBase(path) + QStringLiteral(".COR");
}

QString writtenColourFilePath(const QString& path) {
    return colourFileBase(path) + QStringLiteral(".cor");
}

}  // namespace files
