#include "wms/macro_file.h"

#include "platform/text_file.h"

namespace wms {

QStringList macroLines(const MacroFile& macro) {
    QStringList lines = {macro.north, macro.south, macro.east, macro.west};
    lines.reserve(4 + macro.services.size() + static_cast<qsizetype>(macro.layers.size()));
    for (const QString& address : macro.services) lines.append(QStringLiteral("A;") + address);
    for (const auto& [entry, checked] : macro.layers) {
        lines.append((checked ? QStringLiteral("B;#") : QStringLiteral("B;")) + entry);
    }
    return lines;
}

MacroFile parseMacroLines(const QStringList& lines) {
    MacroFile macro;
    QString* extent[] = {&macro.north, &macro.south, &macro.east, &macro.west};
    for (qsizetype i = 0; i < 4 && i < lines.size(); ++i) *extent[i] = lines[i];
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("A;"))) {
            macro.services.append(line.mid(2));
        } else if (line.startsWith(QLatin1String("B;"))) {
            const bool checked = line.size() > 2 && line[2] == QLatin1Char('#');
            macro.layers.emplace_back(line.mid(checked ? 3 : 2), checked);
        }
    }
    return macro;
}

platform::Result writeMacroFile(const QString& nativePath, const MacroFile& macro) {
    const QStringList lines = macroLines(macro);
    // A line break inside an item would split it into two lines that read
    // back as something else (a service number shifted, an entry lost).
    for (const QString& line : lines) {
        if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r'))) {
            QString shown = line;
            shown.replace(QLatin1Char('\r'), QLatin1Char(' '))
                .replace(QLatin1Char('\n'), QLatin1Char(' '));
            return platform::Result::failure(
                QStringLiteral("Não foi possível gravar o arquivo %1: \"%2\" contém uma quebra "
                               "de linha. O arquivo não foi alterado.")
                    .arg(nativePath, shown.trimmed()),
                QStringLiteral("quebra de linha num item do arquivo macro"));
        }
    }
    return platform::writeTextLines(nativePath, lines);
}

MacroRead readMacroFile(const QString& nativePath) {
    platform::TextLines read = platform::readTextLines(nativePath);
    if (!read.result) return {read.result, {}};
    return {platform::Result::success(), parseMacroLines(read.lines)};
}

}  // namespace wms
