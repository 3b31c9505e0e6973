#pragma once

#include <QColor>

#include <cstdint>
#include <vector>

namespace mapcontrol {

// A colour integer: red in the low byte, then green, then blue (0xFFFF is yellow).
using ColourInt = std::uint32_t;

inline ColourInt colourInt(int red, int green, int blue) {
    return static_cast<ColourInt>(red & 0xFF) | static_cast<ColourInt>(green & 0xFF) << 8 |
           static_cast<ColourInt>(blue & 0xFF) << 16;
}
inline QColor toQColor(ColourInt c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
inline ColourInt fromQColor(const QColor& c) {
    return colourInt(c.red(), c.green(), c.blue());
}

enum class SymbolType : int { Marker = 0, Line = 1, Fill = 2 };

// Style numbers by symbol type.
enum FillStyle : int {
    FillSolid = 0,
    FillTransparent = 1,
    FillHorizontal = 2,
    FillVertical = 3,
    FillUpwardDiagonal = 4,
    FillDownwardDiagonal = 5,
    FillCross = 6,
    FillDiagonalCross = 7,
    FillLightGrey = 8,
    FillGrey = 9,
    FillDarkGrey = 10
};
enum LineStyle : int {
    LineSolid = 0,
    LineDash = 1,
    LineDot = 2,
    LineDashDot = 3,
    LineDashDotDot = 4
};
enum MarkerStyle : int { MarkerCircle = 0, MarkerSquare = 1, MarkerTriangle = 2, MarkerCross = 3 };

// How one class of features is drawn. A plain value. Fill symbols draw the
// outline in the outline colour when `outline` is on, `size` pixels wide
// (one pixel for 0 and 1); hatched fills draw the
// hatch in the symbol's colour over a transparent background; the grey fills
// are dotted patterns of the symbol's colour. Line symbols use `size` as the
// pen width in pixels; marker symbols as the marker's diameter in pixels.
// A style number outside its type's range draws as style 0.
struct Symbol {
    ColourInt colour = 0;
    SymbolType type = SymbolType::Fill;
    int style = 0;
    int size = 1;
    bool outline = true;
    ColourInt outlineColour = 0;  // black

    friend bool operator==(const Symbol&, const Symbol&) = default;
};

// Gives every symbol the type, with a visible size for markers.
void setSymbolsType(std::vector<Symbol>& symbols, SymbolType type);

// Default colours for classes: distinct, pleasant and the same on every run
// (hues spread by the golden angle, alternating lightness).
ColourInt defaultClassColour(int index);

}  // namespace mapcontrol
