#pragma once

#include "mapcontrol/renderer.h"

#include <QString>
#include <QStringList>

namespace mapcontrol {

// Unique-value classification: each listed value of a field has its symbol;
// features whose value (as text, compared exactly) is not listed are drawn
// with the default symbol. New classes get distinct default colours
// (defaultClassColour) and the renderer's symbol type.
class ValueMapRenderer final : public Renderer {
public:
    ValueMapRenderer();

    Kind kind() const override { return Kind::ValueMap; }

    const QString& field() const { return m_field; }
    void setField(const QString& field) {
        m_field = field;
        invalidate();
    }

    int valueCount() const { return static_cast<int>(m_values.size()); }
    // Grows or shrinks the class list; kept classes keep value and symbol.
    void setValueCount(int count);
    QString value(int index) const { return m_values.value(index); }
    void setValue(int index, const QString& value);
    // The symbol of class `index` (0 <= index < valueCount()), changed in place.
    Symbol& symbol(int index) { return m_symbols.at(static_cast<std::size_t>(index)); }
    const Symbol& symbol(int index) const { return m_symbols.at(static_cast<std::size_t>(index)); }

    SymbolType symbolType() const { return m_symbolType; }
    // Sets the type of every class symbol and of the default symbol.
    void setSymbolType(SymbolType type);

    Symbol& defaultSymbol() { return m_defaultSymbol; }
    // When off, features of unlisted values are not drawn.
    bool useDefault() const { return m_useDefault; }
    void setUseDefault(bool on) { m_useDefault = on; }

    // Class of a value, -1 when it is not listed (the last listed wins on repeats).
    int classOf(const QString& value) const;

    void prepare(const VectorData& data) const override { rowClasses(data); }
    void draw(const RenderContext& context) const override;

private:
    // Class of every row of `data`, computed once per data and class list.
    const std::vector<int>& rowClasses(const VectorData& data) const;
    void invalidate();

    QString m_field;
    QStringList m_values;
    std::vector<Symbol> m_symbols;
    SymbolType m_symbolType = SymbolType::Fill;
    Symbol m_defaultSymbol;
    bool m_useDefault = true;
    mutable std::vector<int> m_rowClass;
    mutable const VectorData* m_cacheData = nullptr;
    mutable std::size_t m_cacheRows = 0;
};

}  // namespace mapcontrol
