#include "symbology/legend_items.h"

#include "files/theme_line.h"
#include "mapcontrol/class_breaks_renderer.h"
#include "mapcontrol/value_map_renderer.h"

namespace symbology {

namespace {

QString breakText(double value) {
    return QString::number(value, 'f', 4).rightJustified(10, QLatin1Char(' '));
}

QString classBreakText(const mapcontrol::ClassBreaksRenderer& r, int i) {
    const int n = r.breakCount();
    if (i == 0) {
        return QLatin1Char('<') + (n > 0 ? breakText(r.breakValue(0)) : QString());
    }
    if (i < n) {
        return breakText(r.breakValue(i - 1)) + QLatin1Char('-') + breakText(r.breakValue(i));
    }
    return QLatin1Char('>') + breakText(r.breakValue(n - 1));
}

LegendItem textLine(LegendItem::Kind kind, const QString& text) {
    LegendItem item;
    item.kind = kind;
    item.text = text;
    return item;
}

}  // namespace

Legend legendItems(const std::vector<LegendTheme>& themes, int maxClasses) {
    Legend legend;
    int classes = 0;
    const auto addClass = [&](int index, QString text, const mapcontrol::Symbol& symbol,
                              const QString& geometry, bool classBreak) {
        if (classes >= maxClasses) {
            legend.complete = false;
            return false;
        }
        ++classes;
        legend.items.push_back(
            {LegendItem::Kind::Class, std::move(text), symbol, geometry, classBreak, index});
        return true;
    };
    int visibleCount = 0;
    for (const LegendTheme& theme : themes) {
        if (!theme.visible) {
            continue;
        }
        const int v = visibleCount++;
        if (!files::namesVectorTheme(theme.line)) {
            continue;
        }
        const qsizetype comma = theme.line.indexOf(QLatin1Char(','));
        const QString display = comma < 0 ? QString() : theme.line.left(comma);
        // Drawn from the renderer the layer has, whatever kind the theme
        // was last classified with.
        if (const auto* r = dynamic_cast<const mapcontrol::ValueMapRenderer*>(theme.renderer)) {
            if (v > 0) legend.items.push_back(textLine(LegendItem::Kind::Separator, "  "));
            legend.items.push_back(textLine(
                LegendItem::Kind::Title, QStringLiteral(" ***") + display.trimmed() +
                                             QStringLiteral("***") + QString(72, QLatin1Char(' ')) +
                                             QLatin1Char(',') + r->field()));
            for (int i = 0; i < r->valueCount(); ++i) {
                if (!addClass(i, r->value(i), r->symbol(i), theme.geometry, false)) return legend;
            }
        } else if (const auto* r =
                       dynamic_cast<const mapcontrol::ClassBreaksRenderer*>(theme.renderer)) {
            if (v > 0) legend.items.push_back(textLine(LegendItem::Kind::Separator, "  "));
            legend.items.push_back(textLine(LegendItem::Kind::Title, files::layerName(theme.line)));
            for (int i = 0; i <= r->breakCount(); ++i) {
                if (!addClass(i, classBreakText(*r, i), r->symbol(i), theme.geometry, true)) {
                    return legend;
                }
            }
        }
    }
    return legend;
}

}  // namespace symbology
