#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace mapcontrol {
class ValueMapRenderer;
class VectorLayer;
}  // namespace mapcontrol

namespace files {

// The geometry word of a shape layer: "poligono", "linha", "ponto", or
// "retangulo" for shape type 25; empty for anything else.
QString geometryWord(int shapeTypeCode);

// One class line of a colour file.
struct ColourEntry {
    QString value;
    int red = 0;
    int green = 0;
    int blue = 0;
    QString style;  // as written; applied only when within the geometry's range
    // The marker size given with the style (6 for a point line with a style
    // and no size, 1 for such a line of a line layer); none when the line
    // ends at the colour, which then leaves the size as it is.
    std::optional<int> size;

    friend bool operator==(const ColourEntry&, const ColourEntry&) = default;
};

// A theme's colour file: the classified field and one entry per class line.
struct ColourTable {
    static constexpr int kMaxEntries = 8001;

    QString field;
    std::vector<ColourEntry> entries;
};

// Reads colour-file lines for a layer of `geometry`. The header's count says
// how many class lines follow; missing lines read as empty; numbers that are
// not valid integers read as 0; at most kMaxEntries lines are taken.
ColourTable parseColourFile(const QStringList& lines, const QString& geometry);

// The colour-file lines of a unique-value renderer for a layer of `geometry`:
// the header, then one line per class ("poligono": value,R,G,B,style with
// style 1..7 kept and anything else written 0; "linha": value,R,G,B,style;
// "ponto": value,R,G,B,style 0..3 (else 0),size (0 written 6)); other
// geometries get the header only.
QStringList colourFileLines(const mapcontrol::ValueMapRenderer& renderer, const QString& geometry);

// Gives the layer a unique-value renderer on the table's field with one class
// per distinct value of the data; each class takes, in file order, what every
// table entry with exactly its value gives: its colour, its style when within
// the geometry's range, its size when it has one. So the last entry's colour
// wins, and a later style out of range keeps an earlier one.
void applyColourTable(mapcontrol::VectorLayer& layer, const ColourTable& table);

}  // namespace files
