#include "sample_model.h"
#include "sample_writers.h"

#include "platform/text_file.h"
#include "support/fixtures/shapefile_builder.h"

#include <QDir>

namespace samples {

namespace {

using fixtures::FieldValue;
using platform::Result;

QString ringWkt(const std::vector<MapPoint>& ring) {
    QStringList points;
    points.reserve(qsizetype(ring.size()));
    for (const MapPoint& point : ring) {
        points.append(QString::number(point.lon, 'f', 6) + QLatin1Char(' ') +
                      QString::number(point.lat, 'f', 6));
    }
    return QLatin1Char('(') + points.join(QLatin1Char(',')) + QLatin1Char(')');
}

QString polygonWkt(const std::vector<std::vector<MapPoint>>& rings) {
    QStringList parts;
    for (const auto& ring : rings) {
        parts.append(ringWkt(ring));
    }
    return QLatin1Char('(') + parts.join(QLatin1Char(',')) + QLatin1Char(')');
}

QList<FieldValue> unitValues(int unit, double area) {
    const GeologicalUnit& u = geologicalUnits()[unit];
    return {u.code, u.name, u.age, area};
}

bool inHoleBlock(int column, int row) {
    return column >= GeologyGrid::kHoleColumn && column < GeologyGrid::kHoleColumn + 3 &&
           row >= GeologyGrid::kHoleRow && row < GeologyGrid::kHoleRow + 3;
}

bool isHoleCell(int column, int row) {
    return column == GeologyGrid::kHoleColumn + 1 && row == GeologyGrid::kHoleRow + 1;
}

Result writeColourFile(const QString& path) {
    const QList<GeologicalUnit>& units = geologicalUnits();
    QStringList lines{QStringLiteral("SIGLA_UNID,%1").arg(units.size())};
    for (const GeologicalUnit& unit : units) {
        lines.append(QStringLiteral("%1,%2,%3,%4,%5")
                         .arg(unit.code)
                         .arg(unit.red)
                         .arg(unit.green)
                         .arg(unit.blue)
                         .arg(unit.fillStyle));
    }
    return platform::writeTextLines(path, lines);
}

}  // namespace

platform::Result writeGeology(const QString& dataFolder) {
    const GeologyGrid grid;
    fixtures::ShapefileBuilder builder(fixtures::ShapeType::Polygon);
    builder.encoding(fixtures::TextEncoding::Windows1252, false)
        .spatialReference(4326)
        .textField(QStringLiteral("SIGLA_UNID"), 10)
        .textField(QStringLiteral("NOME"), 60)
        .textField(QStringLiteral("IDADE"), 30)
        .realField(QStringLiteral("AREA_KM2"), 12, 3);

    // North to south, west to east, as a map is read.
    for (int row = GeologyGrid::kRows - 1; row >= 0; --row) {
        for (int column = 0; column < GeologyGrid::kColumns; ++column) {
            if (inHoleBlock(column, row) && !isHoleCell(column, row)) {
                if (column == GeologyGrid::kHoleColumn && row == GeologyGrid::kHoleRow + 2) {
                    const std::vector<std::vector<MapPoint>> rings{
                        grid.blockRing(GeologyGrid::kHoleColumn, GeologyGrid::kHoleRow, 3),
                        grid.blockRing(GeologyGrid::kHoleColumn + 1, GeologyGrid::kHoleRow + 1)};
                    builder.feature(QStringLiteral("POLYGON ") + polygonWkt(rings),
                                    unitValues(GeologyGrid::kHoleUnit, areaKm2(rings)));
                }
                continue;
            }
            if (row == GeologyGrid::kPatchRow && column == GeologyGrid::kSecondPatchColumn) {
                continue;
            }
            if (row == GeologyGrid::kPatchRow && column == GeologyGrid::kFirstPatchColumn) {
                const std::vector<std::vector<MapPoint>> first{grid.blockRing(column, row)};
                const std::vector<std::vector<MapPoint>> second{
                    grid.blockRing(GeologyGrid::kSecondPatchColumn, row)};
                builder.feature(
                    QStringLiteral("MULTIPOLYGON (%1,%2)")
                        .arg(polygonWkt(first), polygonWkt(second)),
                    unitValues(GeologyGrid::kPatchUnit, areaKm2(first) + areaKm2(second)));
                continue;
            }
            const std::vector<std::vector<MapPoint>> rings{grid.blockRing(column, row)};
            builder.feature(QStringLiteral("POLYGON ") + polygonWkt(rings),
                            unitValues(grid.unitOf(column, row), areaKm2(rings)));
        }
    }

    const QDir folder(dataFolder);
    if (Result result = builder.write(QDir::toNativeSeparators(folder.filePath("geologia.shp")));
        !result) {
        return result;
    }
    return writeColourFile(QDir::toNativeSeparators(folder.filePath("geologia.cor")));
}

}  // namespace samples
