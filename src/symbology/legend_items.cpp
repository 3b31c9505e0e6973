#include "symbology/legend_items.h"

#include "mapcontrol/class_breaks_renderer.h"
#include "mapcontrol/value_map_renderer.h"

namespace symbology {

namespace {

QString breakText(double value) {
    return QString::number(value, 'f', 4).rightJustified(10, QLatin1Char(' '));
}

// File name without folders and extension.
QString layerName(const QString& line) {
    QString name = line.mid(line.lastIndexOf(QLatin1Char('\\')) + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

}  // namespace

std::vector<LegendItem> legendItems(const std::vector<LegendTheme>& themes) {
    std::vector<LegendItem> items;
    int visibleCount = 0;
    for (const LegendTheme& theme : themes) {
        if (!theme.visible) {
            continue;
        }
        const int v = visibleCount++;
        if (!theme.line.contains(QLatin1String(".SHP")) &&
            !theme.line.contains(QLatin1String(".shp"))) {
            continue;
        }
        const qsizetype comma = theme.line.indexOf(QLatin1Char(','));
        const QString display = comma < 0 ? QString() : theme.line.left(comma);
        if (theme.renderKind == 0) {
            const auto* r = dynamic_cast<const mapcontrol::ValueMapRenderer*>(theme.renderer);
            if (!r) {
                continue;
            }
            if (v > 0)
                items.push_back({LegendItem::Kind::Separator, QStringLiteral("  "), {}, {}, false});
            items.push_back({LegendItem::Kind::Title,
                             QStringLiteral(" ***") + display.trimmed() + QStringLiteral("***") +
                                 QString(72, QLatin1Char(' ')) + QLatin1Char(',') + r->field(),
                             {},
                             {},
                             false});
            for (int i = 0; i < r->valueCount(); ++i) {
                items.push_back(
                    {LegendItem::Kind::Class, r->value(i), r->symbol(i), theme.geometry, false});
            }
        } else {
            const auto* r = dynamic_cast<const mapcontrol::ClassBreaksRenderer*>(theme.renderer);
            if (!r) {
                continue;
            }
            if (v > 0)
                items.push_back({LegendItem::Kind::Separator, QStringLiteral("  "), {}, {}, false});
            items.push_back({LegendItem::Kind::Title, layerName(theme.line), {}, {}, false});
            const int n = r->breakCount();
            for (int i = 0; i <= n; ++i) {
                QString text;
                if (i == 0) {
                    text = QLatin1Char('<') + (n > 0 ? breakText(r->breakValue(0)) : QString());
                } else if (i < n) {
                    text = breakText(r->breakValue(i - 1)) + QLatin1Char('-') +
                           breakText(r->breakValue(i));
                } else {
                    text = QLatin1Char('>') + breakText(r->breakValue(n - 1));
                }
                items.push_back(
                    {LegendItem::Kind::Class, text, r->symbol(i), theme.geometry, true});
            }
        }
    }
    return items;
}

}  // namespace symbology
