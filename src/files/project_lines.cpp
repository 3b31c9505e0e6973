#include "files/project_lines.h"

namespace files {

std::vector<ThemeEntry> themeEntriesFromProjectLines(const QStringList& lines, QChar drive) {
    const QString root = QString(drive) + QStringLiteral(":\\");
    std::vector<ThemeEntry> entries;
    entries.reserve(static_cast<std::size_t>(lines.size()));
    for (QString line : lines) {
        bool checked = true;
        if (line.startsWith(QLatin1Char('*'))) {
            line.remove(0, 1);
            checked = false;
        }
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        if (comma >= 0) {
            line = line.left(comma + 1) + root + line.mid(comma + 1);
        } else {
            line = root + line;
        }
        entries.push_back({line, checked});
    }
    return entries;
}

}  // namespace files
