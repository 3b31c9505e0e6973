#include "query/identify.h"

#include "mapcontrol/record_set.h"
#include "mapcontrol/vector_layer.h"
#include "query/features_at.h"

#include <algorithm>
#include <cmath>

namespace query {

IdentifiedFeatures identifyFeatures(const mapcontrol::VectorLayer& layer,
                                    const mapcontrol::MapPoint& point,
                                    const mapcontrol::Rectangle& extent) {
    IdentifiedFeatures found;
    found.shapeType = layer.shapeType();
    mapcontrol::RecordSet records = featuresAt(layer, point, extent);
    const int fields = records.fieldCount();
    QStringList names;
    for (int f = 0; f < fields; ++f) names.append(records.fieldName(f));
    found.shapes.reserve(static_cast<std::size_t>(records.count()));
    found.lines.reserve(static_cast<std::size_t>(records.count()));
    for (records.moveFirst(); !records.isEnd(); records.moveNext()) {
        found.shapes.push_back(records.shape());
        QStringList lines;
        lines.reserve(fields);
        for (int f = 0; f < fields; ++f) {
            const QString value = records.text(names.at(f));
            lines.append(names.at(f) + QStringLiteral(" : ") + value);
            if (found.lines.empty()) {
                found.firstValues.append(value);
            }
        }
        found.lines.push_back(std::move(lines));
    }
    if (!found.lines.empty()) {
        found.firstNames = names;
    }
    return found;
}

QStringList recordStoreLines(const IdentifiedFeatures& found) {
    QStringList store;
    for (std::size_t i = 0; i < found.lines.size(); ++i) {
        const QString prefix = QString::number(i + 1) + QLatin1Char(',');
        for (const QString& line : found.lines[i]) {
            store.append(prefix + line);
        }
    }
    return store;
}

QStringList recordLines(const QStringList& store, int number) {
    const QString wanted = QString::number(number);
    QStringList lines;
    for (const QString& line : store) {
        const qsizetype comma = line.indexOf(QLatin1Char(','));
        if (comma >= 0 && QStringView(line).left(comma) == wanted) {
            lines.append(line.mid(comma + 1));
        }
    }
    return lines;
}

QString areaText(double area) {
    return QString::number(area, 'f', 4).rightJustified(10, QLatin1Char(' '));
}

std::optional<RasterGrid> parseRasterGrid(const QStringList& lines) {
    if (lines.size() < 5) {
        return std::nullopt;
    }
    bool ok[5] = {};
    RasterGrid grid;
    grid.rows = lines[0].trimmed().toInt(&ok[0]);
    grid.columns = lines[1].trimmed().toInt(&ok[1]);
    grid.bottom = lines[2].trimmed().toDouble(&ok[2]);
    grid.left = lines[3].trimmed().toDouble(&ok[3]);
    grid.cellSize = lines[4].trimmed().toDouble(&ok[4]);
    for (const bool b : ok) {
        if (!b) return std::nullopt;
    }
    if (!(grid.cellSize > 0) || !std::isfinite(grid.cellSize) || !std::isfinite(grid.bottom) ||
        !std::isfinite(grid.left)) {
        return std::nullopt;
    }
    return grid;
}

namespace {

// The nearest integer, halves to even, clamped to what a cell number holds.
qint64 nearest(double v) {
    constexpr double kLimit = 9.0e15;
    if (!std::isfinite(v)) return 0;
    const double r = std::nearbyint(std::clamp(v, -kLimit, kLimit));  // round-half-even mode
    return static_cast<qint64>(r);
}

}  // namespace

GridCell gridCell(const RasterGrid& grid, const mapcontrol::MapPoint& point) {
    GridCell cell;
    cell.column = nearest((point.x - grid.left) / grid.cellSize - 0.5);
    cell.row = grid.rows - nearest((point.y - grid.bottom) / grid.cellSize + 0.5);
    return cell;
}

std::optional<QString> cellAttribute(const QStringList& lines, const GridCell& cell) {
    std::optional<QString> attribute;
    for (const QString& line : lines) {
        const qsizetype first = line.indexOf(QLatin1Char(','));
        const qsizetype second = first < 0 ? -1 : line.indexOf(QLatin1Char(','), first + 1);
        if (second < 0) {
            continue;
        }
        bool rowOk = false;
        bool columnOk = false;
        const qint64 row = QStringView(line).left(first).trimmed().toLongLong(&rowOk);
        const qint64 column =
            QStringView(line).mid(first + 1, second - first - 1).trimmed().toLongLong(&columnOk);
        if (rowOk && columnOk && row == cell.row && column == cell.column) {
            attribute = line.mid(second + 1);
        }
    }
    return attribute;
}

QString rasterSideFile(const QString& themePath, const QString& extension) {
    const qsizetype dot = themePath.indexOf(QLatin1Char('.'));
    return (dot < 0 ? themePath + QLatin1Char('.') : themePath.left(dot + 1)) + extension;
}

}  // namespace query
