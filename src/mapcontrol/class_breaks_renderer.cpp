#include "mapcontrol/class_breaks_renderer.h"

#include "mapcontrol/feature_painter.h"

#include <algorithm>
#include <cmath>

namespace mapcontrol {

void ClassBreaksRenderer::setBreakCount(int count) {
    count = std::max(count, 0);
    m_breaks.resize(static_cast<std::size_t>(count), m_breaks.empty() ? 0.0 : m_breaks.back());
    const std::size_t previous = m_symbols.size();
    m_symbols.resize(static_cast<std::size_t>(count) + 1);
    for (std::size_t i = previous; i < m_symbols.size(); ++i) {
        m_symbols[i].type = m_symbolType;
        m_symbols[i].colour = defaultClassColour(static_cast<int>(i));
        m_symbols[i].size = m_symbolType == SymbolType::Marker ? 6 : 1;
    }
}

void ClassBreaksRenderer::setBreakValue(int index, double value) {
    if (index >= 0 && index < breakCount()) {
        m_breaks[static_cast<std::size_t>(index)] = value;
    }
}

void ClassBreaksRenderer::setSymbolType(SymbolType type) {
    m_symbolType = type;
    setSymbolsType(m_symbols, type);
}

void ClassBreaksRenderer::rampColours(ColourInt start, ColourInt end) {
    const std::size_t n = m_symbols.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double t = n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0;
        const auto channel = [t](ColourInt a, ColourInt b, int shift) {
            const double from = (a >> shift) & 0xFF;
            const double to = (b >> shift) & 0xFF;
            return static_cast<int>(std::lround(from + (to - from) * t));
        };
        m_symbols[i].colour =
            colourInt(channel(start, end, 0), channel(start, end, 8), channel(start, end, 16));
    }
}

int ClassBreaksRenderer::classOf(double value) const {
    // Breaks are expected ascending; the first break not below the value wins.
    for (std::size_t i = 0; i < m_breaks.size(); ++i) {
        if (value <= m_breaks[i]) {
            return static_cast<int>(i);
        }
    }
    return breakCount();
}

void ClassBreaksRenderer::draw(const RenderContext& context) const {
    const AttributeTable& table = context.data.table();
    const int column = table.fieldIndex(m_field);
    if (column < 0) {
        return;
    }
    FeaturePainter painter(context.painter, context.view, context.scratch);
    int current = -1;
    for (const VectorData::FeatureId f : context.features) {
        const std::optional<double> value =
            table.isNull(column, f) ? std::nullopt : table.number(column, f);
        if (!value || std::isnan(*value)) {
            continue;
        }
        const int cls = classOf(*value);
        if (cls != current) {
            painter.setSymbol(m_symbols[static_cast<std::size_t>(cls)]);
            current = cls;
        }
        painter.drawFeature(context.data, f);
    }
}

}  // namespace mapcontrol
