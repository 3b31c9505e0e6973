#include "files/project_file.h"

#include "files/theme_line.h"
#include "platform/drives.h"

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
    return themeFilePath(themePath(entries.front().line));
}

QString missingThemeDetail(const QString& themePath, const platform::DriveTable& drives,
                           const QString& driveTableFile) {
    const QString missing = QStringLiteral("Arquivo de tema não encontrado: %1\n").arg(themePath);
    if (const std::optional<QString> native = drives.toNative(themePath)) {
        return missing + QStringLiteral("Procurado em: %1").arg(*native);
    }
    const QString drive = themePath.left(1).toUpper();
    return missing + QStringLiteral(
                         "O drive %1: não está associado a nenhuma pasta. Para associá-lo, "
                         "acrescente a linha\n%1=/caminho/da/pasta\nao arquivo %2, com a pasta "
                         "que faz as vezes da raiz do drive, e abra o programa de novo.")
                         .arg(drive, driveTableFile);
}

}  // namespace files
