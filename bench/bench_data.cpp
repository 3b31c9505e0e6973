#include "bench_data.h"

#include "support/fixtures/raster_builder.h"
#include "support/fixtures/shapefile_builder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <random>

namespace bench {

namespace {

QString dataFolder() {
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/bench-data");
    QDir().mkpath(folder);
    return folder;
}

// The WKT of a star-shaped polygon around (cx, cy) of `vertices` vertices
// plus the closing one, clockwise as shapefile outer rings go; each vertex
// lies at `jitter` times the half width and half height from the centre.
QString starPolygon(double cx, double cy, double width, double height, int vertices,
                    std::mt19937& random, std::uniform_real_distribution<double>& jitter) {
    QString wkt = QStringLiteral("POLYGON((");
    QString first;
    for (int i = 0; i < vertices; ++i) {
        const double angle = -2 * M_PI * i / vertices;
        const double k = jitter(random) / 2;
        const QString vertex = QStringLiteral("%1 %2")
                                   .arg(cx + std::cos(angle) * width * k, 0, 'f', 7)
                                   .arg(cy + std::sin(angle) * height * k, 0, 'f', 7);
        wkt += vertex + QLatin1Char(',');
        if (i == 0) first = vertex;
    }
    return wkt + first + QStringLiteral("))");
}

}  // namespace

double scaleFactor() {
    const double s = qEnvironmentVariable("QUELVORA_BENCH_SCALE", "1").toDouble();
    return s > 0 && s <= 1 ? s : 1.0;
}

namespace {

// Star-shaped polygons of `vertices` vertices plus the closing one, one per
// cell of a columns x rows grid over `area`, with fields CLASSE (12 values)
// and VAL; a .prj of `epsg` unless it is 0. Written once to `path`.
QString gridPolygonFile(const QString& path, const mapcontrol::Rectangle& area, int columns,
                        int rows, int vertices, unsigned seed, int epsg) {
    if (QFileInfo::exists(path)) {
        return path;
    }
    fixtures::ShapefileBuilder builder(fixtures::ShapeType::Polygon);
    builder.textField(QStringLiteral("CLASSE"), 10).realField(QStringLiteral("VAL"), 12, 3);
    builder.spatialReference(epsg);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(0.80, 0.98);
    const double cellW = area.width() / columns;
    const double cellH = area.height() / rows;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const double cx = area.left() + (c + 0.5) * cellW;
            const double cy = area.bottom() + (r + 0.5) * cellH;
            const QString wkt = starPolygon(cx, cy, cellW, cellH, vertices, random, jitter);
            builder.feature(
                wkt, {QStringLiteral("U%1").arg((r * 7 + c * 3) % 12), double(random() % 1000)});
        }
    }
    if (!builder.write(path)) {
        return {};
    }
    return path;
}

}  // namespace

// Polygons on a jittered grid, each a star-shaped ring of 24 vertices plus the
// closing one, touching neighbours only at the cell edges.
QString polygonFile() {
    const int columns = std::max(4, static_cast<int>(std::lround(500 * std::sqrt(scaleFactor()))));
    const int rows = std::max(4, static_cast<int>(std::lround(400 * std::sqrt(scaleFactor()))));
    return gridPolygonFile(
        dataFolder() + QStringLiteral("/polygons_%1x%2.shp").arg(columns).arg(rows), kArea, columns,
        rows, 24, 7, 0);
}

// 200,000 polygons at random places over the whole world (fewer at a
// smaller scale), overlapping freely, each a star-shaped ring of 25 vertices
// plus the closing one, 0.4 to 1.5 degrees across: one to four pixels in a
// 1000 x 800 view of the world.
QString worldPolygonFile() {
    const int count = std::max(16, static_cast<int>(std::lround(200'000 * scaleFactor())));
    const QString path = dataFolder() + QStringLiteral("/world_polygons_%1.shp").arg(count);
    if (QFileInfo::exists(path)) {
        return path;
    }
    fixtures::ShapefileBuilder builder(fixtures::ShapeType::Polygon);
    builder.textField(QStringLiteral("CLASSE"), 10).realField(QStringLiteral("VAL"), 12, 3);
    std::mt19937 random(13);
    std::uniform_real_distribution<double> x(kWorld.left(), kWorld.right());
    std::uniform_real_distribution<double> y(kWorld.bottom(), kWorld.top());
    std::uniform_real_distribution<double> across(0.5, 1.5);
    std::uniform_real_distribution<double> jitter(0.80, 0.98);
    for (int n = 0; n < count; ++n) {
        const double cx = x(random);
        const double cy = y(random);
        const double size = across(random);
        const QString wkt = starPolygon(cx, cy, size, size, 25, random, jitter);
        builder.feature(wkt, {QStringLiteral("U%1").arg(n % 12), double(random() % 1000)});
    }
    if (!builder.write(path)) {
        return {};
    }
    return path;
}

// About 4,600 polygons over the whole world in the shape of first-level
// administrative regions, for a 1000 x 800 view of the world (about 2.8
// pixels a degree): 3,000 regions 2 to 400 pixels across, few large and many
// small (a truncated Pareto law), each a ring with a wavy outline of tens to
// thousands of vertices, a quarter of them with a more detailed coast and
// islands of their own, up to an archipelago of 400; and 1,600 small islands
// 0.1 to 3 pixels across. About 408,000 vertices in 9,700 rings. Regions
// overlap freely, as the features of separate files would.
QString midSizeWorldPolygonFile() {
    const int regions = std::max(12, static_cast<int>(std::lround(3'000 * scaleFactor())));
    const int islands = std::max(8, static_cast<int>(std::lround(1'600 * scaleFactor())));
    const QString path =
        dataFolder() + QStringLiteral("/midsize_world_%1_%2.shp").arg(regions).arg(islands);
    if (QFileInfo::exists(path)) {
        return path;
    }
    constexpr double kPixelsPerDegree = 1000.0 / 360.0;
    std::mt19937 random(17);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    // A closed ring around (cx, cy) of `vertices` vertices plus the closing
    // one, `across` degrees wide before the aspect is applied, its radius
    // waving with harmonics of random phases and falling amplitudes, each
    // vertex moved in or out by up to half the step between vertices, as a
    // coast drawn at a finer scale is.
    const auto ring = [&](double cx, double cy, double across, int vertices) {
        constexpr int kHarmonics = 24;
        double phase[kHarmonics];
        for (double& p : phase) p = 2 * M_PI * unit(random);
        const double aspect = 0.6 + 1.1 * unit(random);
        QString text = QStringLiteral("((");
        QString first;
        for (int i = 0; i < vertices; ++i) {
            const double angle = -2 * M_PI * i / vertices;
            double radius = 1.0;
            for (int k = 1; k <= kHarmonics; ++k) {
                radius += 0.12 / std::pow(k, 1.2) * std::sin(k * angle + phase[k - 1]);
            }
            radius += 0.5 * 2 * M_PI / vertices * (2 * unit(random) - 1);
            radius *= across / 2 / 1.5;  // the widest reach is `across` / 2
            const QString vertex =
                QStringLiteral("%1 %2")
                    .arg(std::clamp(cx + std::cos(angle) * radius * aspect, -180.0, 180.0), 0, 'f',
                         7)
                    .arg(std::clamp(cy + std::sin(angle) * radius / aspect, -90.0, 90.0), 0, 'f',
                         7);
            text += vertex + QLatin1Char(',');
            if (i == 0) first = vertex;
        }
        return text + first + QStringLiteral("))");
    };
    fixtures::ShapefileBuilder builder(fixtures::ShapeType::Polygon);
    builder.textField(QStringLiteral("CLASSE"), 10).realField(QStringLiteral("VAL"), 12, 3);
    const auto add = [&](const QString& wkt, int n) {
        builder.feature(wkt, {QStringLiteral("U%1").arg(n % 12), double(random() % 1000)});
    };
    std::uniform_real_distribution<double> longitude(kWorld.left(), kWorld.right());
    std::uniform_real_distribution<double> latitude(-60.0, 80.0);
    constexpr double kSmallest = 2.0, kLargest = 400.0, kTail = 1.3;
    for (int n = 0; n < regions; ++n) {
        const double u = unit(random);
        const double pixels =
            kSmallest * std::pow(1 - u * (1 - std::pow(kSmallest / kLargest, kTail)), -1 / kTail);
        const double across = pixels / kPixelsPerDegree;
        const double cx = longitude(random), cy = latitude(random);
        // One region in four has a coast drawn in more detail and islands off
        // it, beyond its widest reach: a few, or an archipelago for a large
        // region.
        const bool coastal = n % 4 == 0;
        const int vertices =
            std::clamp(static_cast<int>((coastal ? 50 : 15) * std::pow(pixels, 0.75)), 20, 12'000);
        QString wkt = QStringLiteral("MULTIPOLYGON(") + ring(cx, cy, across, vertices);
        if (coastal) {
            const int most = std::clamp(static_cast<int>(2 * pixels), 6, 400);
            const int count = 1 + static_cast<int>(random() % most);
            for (int i = 0; i < count; ++i) {
                const double angle = 2 * M_PI * unit(random);
                const double distance = across * (1.0 + 1.5 * unit(random));
                const double size = (0.3 + 2.7 * unit(random)) / kPixelsPerDegree;
                const int vertices = 8 + static_cast<int>(random() % 23);
                const double ix = cx + std::cos(angle) * distance;
                const double iy = cy + std::sin(angle) * distance;
                if (kWorld.contains({ix, iy})) {
                    wkt += QLatin1Char(',') + ring(ix, iy, size, vertices);
                }
            }
        }
        add(wkt + QLatin1Char(')'), n);
    }
    for (int n = 0; n < islands; ++n) {
        const double pixels = 0.1 * std::pow(30.0, unit(random));  // 0.1 to 3, log-uniform
        add(QStringLiteral("POLYGON") + ring(longitude(random), latitude(random),
                                             pixels / kPixelsPerDegree,
                                             8 + static_cast<int>(random() % 33)),
            n);
    }
    if (!builder.write(path)) {
        return {};
    }
    return path;
}

QString pointFile() {
    const int count = std::max(100, static_cast<int>(std::lround(1'000'000 * scaleFactor())));
    const QString path = dataFolder() + QStringLiteral("/points_%1.shp").arg(count);
    if (QFileInfo::exists(path)) {
        return path;
    }
    fixtures::ShapefileBuilder builder(fixtures::ShapeType::Point);
    builder.textField(QStringLiteral("NAME"), 8)
        .realField(QStringLiteral("VAL"), 10, 2)
        .integerField(QStringLiteral("ID"), 9)
        .textField(QStringLiteral("CAT"), 12)
        .realField(QStringLiteral("DEPTH"), 8, 1);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> x(kArea.left(), kArea.right());
    std::uniform_real_distribution<double> y(kArea.bottom(), kArea.top());
    std::uniform_real_distribution<double> val(0, 1000);
    for (int i = 0; i < count; ++i) {
        QString name(8, QLatin1Char('A'));
        for (QChar& ch : name) ch = QLatin1Char(static_cast<char>('A' + random() % 26));
        builder.feature(
            QStringLiteral("POINT(%1 %2)").arg(x(random), 0, 'f', 7).arg(y(random), 0, 'f', 7),
            {name, std::round(val(random) * 100) / 100, qint64(i),
             QStringLiteral("cat%1").arg(random() % 40), double(random() % 5000) / 10});
    }
    if (!builder.write(path)) {
        return {};
    }
    return path;
}

// 200,000 polygons (fewer at a smaller scale) in UTM zone 23S (SIRGAS 2000,
// with its .prj), on a 500 x 400 grid over 600 km by 2,000 km of the zone,
// each a star-shaped ring of 25 vertices plus the closing one: 5.2 million
// vertices in metres.
QString utmPolygonFile() {
    const int columns = std::max(4, static_cast<int>(std::lround(500 * std::sqrt(scaleFactor()))));
    const int rows = std::max(4, static_cast<int>(std::lround(400 * std::sqrt(scaleFactor()))));
    return gridPolygonFile(
        dataFolder() + QStringLiteral("/utm_polygons_%1x%2.shp").arg(columns).arg(rows), kUtmArea,
        columns, rows, 25, 17, 31983);
}

// A 2000 x 1600 RGB GeoTIFF in UTM zone 23S over 200 km by 160 km, in
// bands of colour.
QString utmPictureFile() {
    const QString path = dataFolder() + QStringLiteral("/utm_picture.tif");
    if (QFileInfo::exists(path)) {
        return path;
    }
    fixtures::RasterBuilder builder(fixtures::RasterFormat::GeoTiff, 2000, 1600, 3);
    builder.geoTransform({400000.0, 100.0, 0.0, 8400000.0, 0.0, -100.0})
        .spatialReference(31983)
        .pixels([](int x, int y, int band) -> std::uint8_t {
            return static_cast<std::uint8_t>(band == 0 ? x / 8 : band == 1 ? y / 8 : (x + y) / 16);
        });
    if (!builder.write(path)) {
        return {};
    }
    return path;
}

mapcontrol::VectorLayer& polygons() {
    static mapcontrol::VectorLayer layer(polygonFile());
    return layer;
}

mapcontrol::VectorLayer& points() {
    static mapcontrol::VectorLayer layer(pointFile());
    return layer;
}

}  // namespace bench
