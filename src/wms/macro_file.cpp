#include "wms/macro_file.h"

#include "platform/text_codec.h"
#include "platform/text_file.h"
#include "wms/wms_text.h"

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

namespace {

// `text` as the file's code page holds it: a character it has no byte for
// becomes "?".
QString asWindows1252(const QString& text) {
    return platform::decodeWindows1252(platform::encodeWindows1252(text));
}

// A layer entry as it can be written: the layer name (after the last ",")
// exactly, the service number and title before it as the code page holds them.
QString writableEntry(const QString& entry) {
    const qsizetype comma = entry.lastIndexOf(QLatin1Char(','));
    return comma < 0 ? asWindows1252(entry) : asWindows1252(entry.left(comma)) + entry.mid(comma);
}

platform::Result unwritable(const QString& nativePath, const QString& what, const QString& text,
                            const QString& missing) {
    return platform::Result::failure(
        QStringLiteral("Não foi possível gravar o arquivo %1: %2 \"%3\" contém caracteres que a "
                       "codificação do arquivo (Windows-1252) não pode guardar: %4. O arquivo "
                       "não foi alterado.")
            .arg(nativePath, what, text, missing),
        QStringLiteral("caracteres fora do Windows-1252: %1").arg(missing));
}

}  // namespace

platform::Result writeMacroFile(const QString& nativePath, const MacroFile& macro) {
    // Addresses and layer names are what the requests send: one that the
    // code page cannot hold would come back as another, so the file is
    // refused. Titles and the extent texts are only shown (or read as
    // numbers): their foreign characters become "?".
    for (const QString& address : macro.services) {
        if (const QString missing = platform::unencodableWindows1252(address); !missing.isEmpty()) {
            return unwritable(nativePath, QStringLiteral("o endereço do serviço"), address,
                              missing);
        }
    }
    MacroFile writable = macro;
    for (QString* text : {&writable.north, &writable.south, &writable.east, &writable.west}) {
        *text = asWindows1252(*text);
    }
    for (auto& [entry, checked] : writable.layers) {
        const QString name = layerNameOf(entry);
        if (const QString missing = platform::unencodableWindows1252(name); !missing.isEmpty()) {
            return unwritable(nativePath, QStringLiteral("o nome do layer"), name, missing);
        }
        entry = writableEntry(entry);
    }
    const QStringList lines = macroLines(writable);
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
