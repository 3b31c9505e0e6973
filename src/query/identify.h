#pragma once

#include "mapcontrol/geometry.h"
#include "mapcontrol/shape.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace mapcontrol {
class VectorLayer;
}

namespace query {

// What identify found on a vector layer, in search order.
struct IdentifiedFeatures {
    mapcontrol::ShapeType shapeType = mapcontrol::ShapeType::Polygon;
    std::vector<mapcontrol::Shape> shapes;  // one per record
    // Per record, "field : value" for every field in table order.
    std::vector<QStringList> lines;
    // The first record's field names and values, for its media names.
    QStringList firstNames;
    QStringList firstValues;
};

// The records of the features of `layer` at `point` (see featuresAt).
IdentifiedFeatures identifyFeatures(const mapcontrol::VectorLayer& layer,
                                    const mapcontrol::MapPoint& point,
                                    const mapcontrol::Rectangle& extent);

// The record store's lines: every record's lines, each as "n,line" with n
// counting records from 1.
QStringList recordStoreLines(const IdentifiedFeatures& found);
// The lines of record `number` (from 1) in the store, without their prefix:
// lines whose text before the first "," is that number.
QStringList recordLines(const QStringList& store, int number);

// The area of a polygon as the area window shows it: 4 decimals, right
// aligned in 10 characters.
QString areaText(double area);

// A picture theme's grid description ("conf" file): rows, columns, the
// lower edge's y, the left edge's x and the cell size, one per line in that
// order. Nothing when a line is missing or not a number, or the cell size is
// not positive.
struct RasterGrid {
    int rows = 0;
    int columns = 0;
    double bottom = 0.0;
    double left = 0.0;
    double cellSize = 0.0;
};
std::optional<RasterGrid> parseRasterGrid(const QStringList& lines);

struct GridCell {
    qint64 row = 0;
    qint64 column = 0;
};
// The cell under a map point, row 0 at the top: column = the integer nearest
// (x - left) / size - 0.5, row = rows - the integer nearest (y - bottom) /
// size + 0.5, halves to the even neighbour.
GridCell gridCell(const RasterGrid& grid, const mapcontrol::MapPoint& point);

// The attribute of a cell in a cell table ("txt" file) of lines
// "row,column,attribute"; the last matching line wins; lines whose first two
// parts are not integers are skipped. Nothing when no line matches.
std::optional<QString> cellAttribute(const QStringList& lines, const GridCell& cell);

// The side files of a picture theme: its path up to and including the
// first "." followed by "conf" or "txt".
QString rasterSideFile(const QString& themePath, const QString& extension);

}  // namespace query
