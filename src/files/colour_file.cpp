#include "files/colour_file.h"

#include "mapcontrol/strings.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"

#include <QHash>

namespace files {

namespace {

// A decimal integer field; anything else (or out of int range) reads as 0.
int integerField(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

// Cuts `rest` at its first ",": returns the text before, keeps the text after.
QString takeField(QString& rest) {
    const qsizetype comma = rest.indexOf(QLatin1Char(','));
    if (comma < 0) {
        QString all = rest;
        rest.clear();
        return all;
    }
    QString field = rest.left(comma);
    rest = rest.mid(comma + 1);
    return field;
}

bool styleWithin(const QString& style, int highest) {
    for (int i = 0; i <= highest; ++i) {
        if (style == QString::number(i)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QString geometryWord(int shapeTypeCode) {
    switch (shapeTypeCode) {
        case 23:
            return QStringLiteral("poligono");
        case 22:
            return QStringLiteral("linha");
        case 21:
            return QStringLiteral("ponto");
        case 25:
            return QStringLiteral("retangulo");
        default:
            return {};
    }
}

ColourTable parseColourFile(const QStringList& lines, const QString& geometry) {
    ColourTable table;
    const QString header = lines.value(0);
    const qsizetype comma = header.indexOf(QLatin1Char(','));
    table.field = comma < 0 ? header : header.left(comma);
    const int count = comma < 0 ? 0 : integerField(header.mid(comma + 1));
    const int taken = std::clamp(count, 0, ColourTable::kMaxEntries);
    table.entries.reserve(static_cast<std::size_t>(std::min<qsizetype>(taken, lines.size())));
    for (int i = 0; i < taken; ++i) {
        QString rest = lines.value(i + 1);  // a missing line reads as empty
        ColourEntry entry;
        entry.value = takeField(rest);
        entry.red = integerField(takeField(rest));
        entry.green = integerField(takeField(rest));
        const bool poligono = geometry == QLatin1String("poligono");
        const bool lineOrPoint =
            geometry == QLatin1String("linha") || geometry == QLatin1String("ponto");
        if (poligono) {
            const qsizetype next = rest.indexOf(QLatin1Char(','));
            entry.blue = integerField(next < 0 ? rest : rest.left(next));
            entry.style = next < 0 ? QStringLiteral("0") : rest.mid(next + 1);
        } else if (lineOrPoint) {
            const qsizetype next = rest.indexOf(QLatin1Char(','));
            if (next < 0) {
                entry.blue = integerField(rest);
            } else {
                entry.blue = integerField(rest.left(next));
                QString styleAndSize = rest.mid(next + 1);
                const qsizetype sizeComma = styleAndSize.indexOf(QLatin1Char(','));
                if (sizeComma < 0) {
                    entry.style = styleAndSize;
                    entry.size = geometry == QLatin1String("ponto") ? 6 : 1;
                } else {
                    entry.style = styleAndSize.left(sizeComma);
                    entry.size = integerField(styleAndSize.mid(sizeComma + 1));
                }
            }
        } else {
            entry.blue = integerField(takeField(rest));
        }
        table.entries.push_back(std::move(entry));
    }
    return table;
}

QStringList colourFileLines(const mapcontrol::ValueMapRenderer& renderer, const QString& geometry) {
    QStringList lines{renderer.field() + QLatin1Char(',') + QString::number(renderer.valueCount())};
    for (int m = 0; m < renderer.valueCount(); ++m) {
        const mapcontrol::Symbol& symbol = renderer.symbol(m);
        const QString rgb = QStringLiteral("%1,%2,%3")
                                .arg(symbol.colour & 0xFF)
                                .arg((symbol.colour >> 8) & 0xFF)
                                .arg((symbol.colour >> 16) & 0xFF);
        const QString value = renderer.value(m) + QLatin1Char(',') + rgb;
        if (geometry == QLatin1String("poligono")) {
            const int style = symbol.style >= 1 && symbol.style <= 7 ? symbol.style : 0;
            lines.append(value + QLatin1Char(',') + QString::number(style));
        } else if (geometry == QLatin1String("linha")) {
            lines.append(value + QLatin1Char(',') + QString::number(symbol.style));
        } else if (geometry == QLatin1String("ponto")) {
            const int style = symbol.style >= 0 && symbol.style <= 3 ? symbol.style : 0;
            const int size = symbol.size == 0 ? 6 : symbol.size;
            lines.append(value + QLatin1Char(',') + QString::number(style) + QLatin1Char(',') +
                         QString::number(size));
        }
    }
    return lines;
}

void applyColourTable(mapcontrol::VectorLayer& layer, const ColourTable& table) {
    const QString geometry = geometryWord(static_cast<int>(layer.shapeType()));
    auto renderer = std::make_unique<mapcontrol::ValueMapRenderer>();
    mapcontrol::ValueMapRenderer& r = *renderer;
    layer.setRenderer(std::move(renderer));
    r.setField(table.field);
    const mapcontrol::Strings values = layer.records().distinctTexts(table.field);
    r.setValueCount(static_cast<int>(values.count()));
    for (int j = 0; j < r.valueCount(); ++j) {
        r.setValue(j, values.item(j));
    }
    r.setSymbolType(geometry == QLatin1String("poligono") ? mapcontrol::SymbolType::Fill
                    : geometry == QLatin1String("linha")  ? mapcontrol::SymbolType::Line
                                                          : mapcontrol::SymbolType::Marker);
    // Every entry of a value is applied in file order.
    QHash<QString, std::vector<const ColourEntry*>> entriesOf;
    for (const ColourEntry& entry : table.entries) {
        entriesOf[entry.value].push_back(&entry);
    }
    for (int j = 0; j < r.valueCount(); ++j) {
        const auto found = entriesOf.constFind(r.value(j));
        if (found == entriesOf.cend()) {
            continue;  // keeps the renderer's own symbol
        }
        mapcontrol::Symbol& symbol = r.symbol(j);
        for (const ColourEntry* entry : *found) {
            if (geometry == QLatin1String("poligono") && styleWithin(entry->style, 10)) {
                symbol.style = entry->style.toInt();
            } else if (geometry == QLatin1String("linha") && styleWithin(entry->style, 4)) {
                symbol.style = entry->style.toInt();
            } else if (geometry == QLatin1String("ponto")) {
                if (styleWithin(entry->style, 3)) {
                    symbol.style = entry->style.toInt();
                }
                if (entry->size) {
                    symbol.size = *entry->size;
                }
            }
            symbol.colour =
                mapcontrol::colourInt(entry->red & 0xFF, entry->green & 0xFF, entry->blue & 0xFF);
        }
    }
}

}  // namespace files
