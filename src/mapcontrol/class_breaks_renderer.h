#pragma once

#include "mapcontrol/renderer.h"

#include <QString>

namespace mapcontrol {

// Classification of a numeric field by breaks: with breaks b0 < b1 < ... a
// value v falls in class 0 when v <= b0, class i when b(i-1) < v <= b(i),
// and class breakCount() when it is above the last break; so there are
// breakCount() + 1 symbols. Features whose value is null or not a number are
// not drawn.
class ClassBreaksRenderer final : public Renderer {
public:
    Kind kind() const override { return Kind::ClassBreaks; }

    const QString& field() const { return m_field; }
    void setField(const QString& field) { m_field = field; }

    int breakCount() const { return static_cast<int>(m_breaks.size()); }
    // Grows or shrinks the breaks; the symbols follow (breakCount() + 1).
    void setBreakCount(int count);
    double breakValue(int index) const { return m_breaks.at(static_cast<std::size_t>(index)); }
    void setBreakValue(int index, double value);
    // Symbol of class `index`, 0 <= index <= breakCount(), changed in place.
    Symbol& symbol(int index) { return m_symbols.at(static_cast<std::size_t>(index)); }
    const Symbol& symbol(int index) const { return m_symbols.at(static_cast<std::size_t>(index)); }

    SymbolType symbolType() const { return m_symbolType; }
    void setSymbolType(SymbolType type);

    // Colours the classes from `start` (class 0) to `end` (the last class),
    // interpolating red, green and blue linearly.
    void rampColours(ColourInt start, ColourInt end);

    // Class of a value by the rule above.
    int classOf(double value) const;

    void draw(const RenderContext& context) const override;

private:
    QString m_field;
    std::vector<double> m_breaks;
    std::vector<Symbol> m_symbols{Symbol{}};
    SymbolType m_symbolType = SymbolType::Fill;
};

}  // namespace mapcontrol
