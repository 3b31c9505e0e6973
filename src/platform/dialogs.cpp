#include "platform/dialogs.h"

#include <QStringList>

namespace platform {

namespace {

struct FileType {
    QString description;
    QStringList patterns;  // as written, without blanks
};

// The types of a Windows-form filter that have patterns, in order.
QList<FileType> fileTypes(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QList<FileType> types;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        FileType type{parts.at(i).trimmed(), {}};
        for (const QString& raw : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!raw.trimmed().isEmpty()) {
                type.patterns.append(raw.trimmed());
            }
        }
        if (!type.patterns.isEmpty()) {
            types.append(type);
        }
    }
    return types;
}

// The extension of a pattern ("*.tif" gives "tif"); empty for one without
// an extension of its own ("*.*", "*").
QString patternExtension(const QString& pattern) {
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : pattern.mid(dot + 1);
    return extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?')) ? QString()
                                                                                        : extension;
}

bool isListedExtension(const QString& extension, const QList<FileType>& types) {
    for (const FileType& type : types) {
        for (const QString& pattern : type.patterns) {
            const QString listed = patternExtension(pattern);
            if (!listed.isEmpty() && listed.compare(extension, Qt::CaseInsensitive) == 0) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

QString qtNameFilter(const QString& windowsFilter) {
    QStringList entries;
    for (const FileType& type : fileTypes(windowsFilter)) {
        QStringList patterns;
        for (const QString& pattern : type.patterns) {
            for (const QString& variant : {pattern, pattern.toLower(), pattern.toUpper()}) {
                if (!patterns.contains(variant)) {
                    patterns.append(variant);
                }
            }
        }
        entries.append(
            QStringLiteral("%1 (%2)").arg(type.description, patterns.join(QLatin1Char(' '))));
    }
    return entries.join(QStringLiteral(";;"));
}

QString withTypeExtension(const QString& nativePath, const QString& windowsFilter, int typeIndex,
                          bool onlyListedTypes) {
    const QString name = nativePath.mid(nativePath.lastIndexOf(QLatin1Char('/')) + 1);
    const QList<FileType> types = fileTypes(windowsFilter);
    if (name.isEmpty() || typeIndex < 0 || typeIndex >= types.size()) {
        return nativePath;
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && (!onlyListedTypes || isListedExtension(name.mid(dot + 1), types))) {
        return nativePath;
    }
    const QString extension = patternExtension(types.at(typeIndex).patterns.constFirst());
    if (extension.isEmpty()) {
        return nativePath;
    }
    const bool endsInDot = dot == name.size() - 1;
    return nativePath + (endsInDot ? QString() : QStringLiteral(".")) + extension;
}

}  // namespace platform
