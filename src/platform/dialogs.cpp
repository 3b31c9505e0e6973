#include "platform/dialogs.h"

#include <QStringList>

namespace platform {

QString qtNameFilter(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& raw : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = raw.trimmed();
            for (const QString& variant : {pattern, pattern.toLower(), pattern.toUpper()}) {
                if (!variant.isEmpty() && !patterns.contains(variant)) {
                    patterns.append(variant);
                }
            }
        }
        if (patterns.isEmpty()) {
            continue;
        }
        entries.append(
            QStringLiteral("%1 (%2)").arg(parts.at(i).trimmed(), patterns.join(QLatin1Char(' '))));
    }
    return entries.join(QStringLiteral(";;"));
}

}  // namespace platform
