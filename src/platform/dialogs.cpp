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

QString withTypeExtension(const QString& nativePath, const QString& windowsFilter, int typeIndex) {
    const QString name = nativePath.mid(nativePath.lastIndexOf(QLatin1Char('/')) + 1);
    const QList<FileType> types = fileTypes(windowsFilter);
    if (name.isEmpty() || name.contains(QLatin1Char('.')) || typeIndex < 0 ||
        typeIndex >= types.size()) {
        return nativePath;
    }
    const QString& pattern = types.at(typeIndex).patterns.constFirst();
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : pattern.mid(dot + 1);
    if (extension.isEmpty() || extension.contains(QLatin1Char('*')) ||
        extension.contains(QLatin1Char('?'))) {
        return nativePath;
    }
    return nativePath + QLatin1Char('.') + extension;
}

}  // namespace platform
