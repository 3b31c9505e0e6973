#pragma once

#include "mapcontrol/symbol.h"

#include <QString>

#include <functional>
#include <vector>

namespace mapcontrol {
class Renderer;
}

namespace symbology {

// One line of the legend list.
struct LegendItem {
    enum class Kind { Separator, Title, Class };
    Kind kind = Kind::Class;
    QString text;
    // For classes: how the class is drawn in its picture.
    mapcontrol::Symbol symbol;
    QString geometry;         // "poligono", "linha", "ponto"
    bool classBreak = false;  // class-break pictures are drawn smaller
    int classIndex = -1;      // the class's number in its renderer

    friend bool operator==(const LegendItem&, const LegendItem&) = default;
};

// A theme as the legend sees it.
struct LegendTheme {
    QString line;
    bool visible = true;
    const mapcontrol::Renderer* renderer = nullptr;  // of the theme's layer in the main map
    QString geometry;                                // of the theme's layer
};

// The most class lines a legend holds (each has its own picture); a legend
// that would hold more stops there.
inline constexpr int kMaxLegendClasses = 20000;

struct Legend {
    std::vector<LegendItem> items;
    bool complete = true;  // false when it stopped at maxClasses
};

// The legend of the visible vector themes, top first: a separator before
// every visible theme's block but the first (pictures count), a title, then
// one line per class. Unique-value titles are " ***" + the trimmed display
// part + "***" + 72 blanks + "," + the field; class-break titles are the
// layer name; class-break lines read "<b0", "b(i-1)-b(i)", ">b(n-1)" with
// each value 10 wide with 4 decimals. Each theme's block follows the kind of
// its renderer; a theme without a class renderer has none.
Legend legendItems(const std::vector<LegendTheme>& themes, int maxClasses = kMaxLegendClasses);

}  // namespace symbology
