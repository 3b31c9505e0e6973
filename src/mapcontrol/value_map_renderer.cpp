#include "mapcontrol/value_map_renderer.h"

#include "mapcontrol/feature_painter.h"

#include <QHash>

namespace mapcontrol {

namespace {

constexpr ColourInt kDefaultSymbolColour = 0xC0C0C0;  // light grey

Symbol classSymbol(int index, SymbolType type) {
    Symbol symbol;
    symbol.colour = defaultClassColour(index);
    symbol.type = type;
    symbol.size = type == SymbolType::Marker ? 6 : 1;
    return symbol;
}

}  // namespace

ValueMapRenderer::ValueMapRenderer() {
    m_defaultSymbol.colour = kDefaultSymbolColour;
}

void ValueMapRenderer::setValueCount(int count) {
    count = std::max(count, 0);
    const int previous = valueCount();
    invalidate();
    m_values.resize(count);
    m_symbols.resize(static_cast<std::size_t>(count));
    for (int i = previous; i < count; ++i) {
        m_symbols[static_cast<std::size_t>(i)] = classSymbol(i, m_symbolType);
    }
}

void ValueMapRenderer::setValue(int index, const QString& value) {
    if (index >= 0 && index < valueCount()) {
        invalidate();
        m_values[index] = value;
    }
}

void ValueMapRenderer::setSymbolType(SymbolType type) {
    m_symbolType = type;
    setSymbolsType(m_symbols, type);
    m_defaultSymbol.type = type;
}

int ValueMapRenderer::classOf(const QString& value) const {
    for (int i = valueCount() - 1; i >= 0; --i) {
        if (m_values.at(i) == value) {
            return i;
        }
    }
    return -1;
}

const std::vector<int>& ValueMapRenderer::rowClasses(const VectorData& data) const {
    if (m_cacheData == &data && m_cacheRows == data.featureCount()) {
        return m_rowClass;
    }
    const AttributeTable& table = data.table();
    const int column = table.fieldIndex(m_field);
    QHash<QString, int> classes;
    classes.reserve(valueCount());
    for (int i = 0; i < valueCount(); ++i) {
        classes.insert(m_values.at(i), i);  // a later repeat replaces an earlier one
    }
    m_rowClass.assign(data.featureCount(), -1);
    if (column >= 0) {
        for (std::size_t row = 0; row < data.featureCount(); ++row) {
            m_rowClass[row] = classes.value(table.text(column, static_cast<qsizetype>(row)), -1);
        }
    }
    m_cacheData = &data;
    m_cacheRows = data.featureCount();
    return m_rowClass;
}

void ValueMapRenderer::invalidate() {
    m_cacheData = nullptr;
}

void ValueMapRenderer::draw(const RenderContext& context) const {
    FeaturePainter painter(context.painter, context.view, context.scratch);
    const std::vector<int>& rowClass = rowClasses(context.data);
    int current = -2;
    for (const VectorData::FeatureId f : context.features) {
        const int cls = rowClass[f];
        if (cls < 0 && !m_useDefault) {
            continue;
        }
        if (cls != current) {
            painter.setSymbol(cls >= 0 ? m_symbols[static_cast<std::size_t>(cls)]
                                       : m_defaultSymbol);
            current = cls;
        }
        painter.drawFeature(context.data, f);
    }
}

}  // namespace mapcontrol
