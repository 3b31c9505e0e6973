#include "files/project_file.h"

#include "files/theme_line.h"

namespace files {

QStringList projectFileLines(const std::vector<ThemeEntry>& themes) {
    QStringList lines;
    for (const ThemeEntry& theme : themes) {
        const qsizetype comma = theme.line.indexOf(QLatin1Char(','));
        QString line = comma >= 0 ? theme.line.left(comma + 1) + theme.line.mid(comma + 1).mid(3)
                                  : theme.line.mid(3);
        if (!theme.checked) {
            line.prepend(QLatin1Char('*'));
        }
        lines.append(line);
    }
    return lines;
}

bool projectOnThemeDrive(const QString& firstThemeLine, const QString& projectPath) {
    const QString path = themePath(firstThemeLine);
    return !path.isEmpty() && !projectPath.isEmpty() && path.at(0) == projectPath.at(0);
}

std::optional<QString> firstThemePath(const QStringList& firstLine, QChar drive) {
    if (firstLine.isEmpty()) {
        return std::nullopt;
    }
    const std::vector<ThemeEntry> entries =
        themeEntriesFromProjectLines({firstLine.first()}, drive);
    return themePath(entries.front().line);
}

}  // namespace files
