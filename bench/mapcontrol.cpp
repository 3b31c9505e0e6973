// The map engine on national-scale data: loading, full and zoomed redraws,
// spatial and attribute searches, memory. The data is generated once into
// bench-data/ beside the binary: 200,000 polygons of 25 vertices (5 million
// vertices) and 1,000,000 points with 5 attributes. QUELVORA_BENCH_SCALE
// (default 1) shrinks the feature counts, for the short smoke run of the
// test command.
#include "mapcontrol/map_picture.h"
#include "mapcontrol/vector_layer.h"
#include "support/fixtures/shapefile_builder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

using namespace mapcontrol;

constexpr QSize kPicture(1000, 800);
const Rectangle kArea(-74.0, -34.0, 6.0, -34.0);  // 40 x 40 degrees

double scaleFactor() {
    const double s = qEnvironmentVariable("QUELVORA_BENCH_SCALE", "1").toDouble();
    return s > 0 && s <= 1 ? s : 1.0;
}

QString dataFolder() {
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/bench-data");
    QDir().mkpath(folder);
    return folder;
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
            QString wkt = QStringLiteral("POLYGON((");
            QString first;
            for (int i = 0; i < 24; ++i) {
                const double angle = -2 * M_PI * i / 24;  // clockwise, as shapefile outer rings go
                const double k = jitter(random) / 2;
                const QString vertex = QStringLiteral("%1 %2")
                                           .arg(cx + std::cos(angle) * cellW * k, 0, 'f', 7)
                                           .arg(cy + std::sin(angle) * cellH * k, 0, 'f', 7);
                wkt += vertex + QLatin1Char(',');
                if (i == 0) first = vertex;
            }
            wkt += first + QStringLiteral("))");
            builder.feature(
                wkt, {QStringLiteral("U%1").arg((r * 7 + c * 3) % 12), double(random() % 1000)});
        }
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

VectorLayer& polygons() {
    static VectorLayer layer(polygonFile());
    return layer;
}

VectorLayer& points() {
    static VectorLayer layer(pointFile());
    return layer;
}

void BM_LoadPolygons(benchmark::State& state) {
    const QString path = polygonFile();
    for (auto _ : state) {
        VectorLayer layer(path);
        if (!layer.isValid()) {
            state.SkipWithError(qPrintable(layer.error()));
            return;
        }
        state.counters["features"] = static_cast<double>(layer.data()->featureCount());
        state.counters["memory/shp"] = static_cast<double>(layer.data()->memoryBytes()) /
                                       static_cast<double>(QFileInfo(path).size());
    }
}
BENCHMARK(BM_LoadPolygons)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_LoadPoints(benchmark::State& state) {
    const QString path = pointFile();
    for (auto _ : state) {
        VectorLayer layer(path);
        if (!layer.isValid()) {
            state.SkipWithError(qPrintable(layer.error()));
            return;
        }
        state.counters["features"] = static_cast<double>(layer.data()->featureCount());
    }
}
BENCHMARK(BM_LoadPoints)->Unit(benchmark::kMillisecond)->Iterations(2);

void redraw(benchmark::State& state, VectorLayer& layer, const Rectangle& extent) {
    if (!layer.isValid()) {
        state.SkipWithError("layer not loaded");
        return;
    }
    LayerCollection layers;
    // The collection owns its layers: draw a second layer over the same data.
    auto view = std::make_unique<VectorLayer>(layer.dataFile(), layer.data());
    view->symbol() = layer.symbol();
    layers.add(std::move(view));
    QImage image(kPicture, QImage::Format_ARGB32_Premultiplied);
    const ViewTransform transform(fitExtent(extent, kPicture), kPicture);
    for (auto _ : state) {
        QPainter painter(&image);
        drawLayers(painter, transform, layers, Qt::white, {});
    }
    if (image.pixel(kPicture.width() / 2, kPicture.height() / 2) == qRgb(255, 255, 255) &&
        image.pixel(kPicture.width() / 3, kPicture.height() / 3) == qRgb(255, 255, 255)) {
        state.SkipWithError("nothing was drawn");
    }
}

void BM_FullRedrawPolygons(benchmark::State& state) {
    redraw(state, polygons(), polygons().extent());
}
BENCHMARK(BM_FullRedrawPolygons)->Unit(benchmark::kMillisecond);

void BM_FullRedrawPoints(benchmark::State& state) {
    redraw(state, points(), points().extent());
}
BENCHMARK(BM_FullRedrawPoints)->Unit(benchmark::kMillisecond);

void BM_ZoomedRedrawPolygons(benchmark::State& state) {
    redraw(state, polygons(), polygons().extent().scaled(0.1));  // 1 % of the area
}
BENCHMARK(BM_ZoomedRedrawPolygons)->Unit(benchmark::kMillisecond);

void BM_PointInPolygon(benchmark::State& state) {
    const VectorLayer& layer = polygons();
    if (!layer.isValid() || layer.searchContaining(layer.data()->box(0).centre()).count() != 1) {
        state.SkipWithError("the polygon under a known point is not found");
        return;
    }
    std::mt19937 random(3);
    std::uniform_real_distribution<double> x(kArea.left(), kArea.right());
    std::uniform_real_distribution<double> y(kArea.bottom(), kArea.top());
    for (auto _ : state) {
        benchmark::DoNotOptimize(layer.searchContaining({x(random), y(random)}).count());
    }
}
BENCHMARK(BM_PointInPolygon)->Unit(benchmark::kMicrosecond);

void BM_WithinDistancePoints(benchmark::State& state) {
    const VectorLayer& layer = points();
    const double distance = layer.extent().size() / 150;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> x(kArea.left(), kArea.right());
    std::uniform_real_distribution<double> y(kArea.bottom(), kArea.top());
    for (auto _ : state) {
        benchmark::DoNotOptimize(layer.searchWithin({x(random), y(random)}, distance).count());
    }
}
BENCHMARK(BM_WithinDistancePoints)->Unit(benchmark::kMicrosecond);

void BM_AttributeSearchPoints(benchmark::State& state) {
    const VectorLayer& layer = points();
    qsizetype found = 0;
    for (auto _ : state) {
        auto result = layer.searchExpression(QStringLiteral("VAL > 500 and NAME like 'A%'"));
        if (auto* records = std::get_if<RecordSet>(&result)) {
            found = records->count();
        } else {
            state.SkipWithError("the expression did not parse");
            return;
        }
    }
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_AttributeSearchPoints)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
