#include "bench_data.h"

#include "support/fixtures/shapefile_builder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

// Polygons on a jittered grid, each a star-shaped ring of 24 vertices plus the
// closing one, touching neighbours only at the cell edges.
QString polygonFile() {
    const int columns = std::max(4, static_cast<int>(std::lround(500 * std::sqrt(scaleFactor()))));
    const int rows = std::max(4, static_cast<int>(std::lround(400 * std::sqrt(scaleFactor()))));
    const QString path =
        dataFolder() + QStringLiteral("/polygons_%1x%2.shp").arg(columns).arg(rows);
    if (QFileInfo::exists(path)) {
        return path;
    }
    fixtures::ShapefileBuilder builder(fixtures::ShapeType::Polygon);
    builder.textField(QStringLiteral("CLASSE"), 10).realField(QStringLiteral("VAL"), 12, 3);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(0.80, 0.98);
    const double cellW = kArea.width() / columns;
    const double cellH = kArea.height() / rows;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const double cx = kArea.left() + (c + 0.5) * cellW;
            const double cy = kArea.bottom() + (r + 0.5) * cellH;
            const QString wkt = starPolygon(cx, cy, cellW, cellH, 24, random, jitter);
            builder.feature(
                wkt, {QStringLiteral("U%1").arg((r * 7 + c * 3) % 12), double(random() % 1000)});
        }
    }
    if (!builder.write(path)) {
        return {};
    }
    return path;
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

mapcontrol::VectorLayer& polygons() {
    static mapcontrol::VectorLayer layer(polygonFile());
    return layer;
}

mapcontrol::VectorLayer& points() {
    static mapcontrol::VectorLayer layer(pointFile());
    return layer;
}

}  // namespace bench
