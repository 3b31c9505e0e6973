// The map engine on national-scale data: loading, full and zoomed redraws,
// spatial and attribute searches, memory, on the data of bench_data.h.
#include "bench_data.h"
#include "mapcontrol/coordinate_system.h"
#include "mapcontrol/image_layer.h"
#include "mapcontrol/map_picture.h"
#include "mapcontrol/vector_layer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using namespace mapcontrol;

constexpr QSize kPicture(1000, 800);
using bench::kArea;

using bench::points;
using bench::polygons;

// Each load reads the file: VectorData::load itself, not a layer, which
// would share data already loaded.
std::shared_ptr<const VectorData> loadOrSkip(benchmark::State& state, const QString& path) {
    auto loaded = VectorData::load(path);
    if (const auto* error = std::get_if<VectorData::LoadError>(&loaded)) {
        state.SkipWithError(qPrintable(error->message));
        return nullptr;
    }
    return std::get<std::shared_ptr<const VectorData>>(std::move(loaded));
}

void BM_LoadPolygons(benchmark::State& state) {
    const QString path = bench::polygonFile();
    for (auto _ : state) {
        const std::shared_ptr<const VectorData> data = loadOrSkip(state, path);
        if (!data) {
            return;
        }
        state.counters["features"] = static_cast<double>(data->featureCount());
        state.counters["memory/shp"] =
            static_cast<double>(data->memoryBytes()) / static_cast<double>(QFileInfo(path).size());
    }
}
BENCHMARK(BM_LoadPolygons)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_LoadPoints(benchmark::State& state) {
    const QString path = bench::pointFile();
    for (auto _ : state) {
        const std::shared_ptr<const VectorData> data = loadOrSkip(state, path);
        if (!data) {
            return;
        }
        state.counters["features"] = static_cast<double>(data->featureCount());
    }
}
BENCHMARK(BM_LoadPoints)->Unit(benchmark::kMillisecond)->Iterations(2);

// The geographic system (SIRGAS 2000) the UTM data is brought into.
const std::optional<CoordinateSystem>& geographic() {
    static const std::optional<CoordinateSystem> system = [] {
        auto made = CoordinateSystem::fromEpsg(4674);
        return std::get_if<CoordinateSystem>(&made)
                   ? std::optional(std::get<CoordinateSystem>(made))
                   : std::nullopt;
    }();
    return system;
}

// The UTM polygons read as they are, and read and transformed into degrees:
// the transformation is one step of the load.
void BM_LoadUtmPolygonsPlain(benchmark::State& state) {
    const QString path = bench::utmPolygonFile();
    for (auto _ : state) {
        const std::shared_ptr<const VectorData> data = loadOrSkip(state, path);
        if (!data) return;
        state.counters["features"] = static_cast<double>(data->featureCount());
    }
}
BENCHMARK(BM_LoadUtmPolygonsPlain)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadUtmPolygonsToGeographic(benchmark::State& state) {
    const QString path = bench::utmPolygonFile();
    for (auto _ : state) {
        auto loaded = VectorData::load(path, QString(), geographic());
        const auto* data = std::get_if<std::shared_ptr<const VectorData>>(&loaded);
        if (!data || !(*data)->systemProblem().isEmpty() ||
            !(*data)->coordinateSystem()->isGeographic()) {
            state.SkipWithError("not transformed");
            return;
        }
        state.counters["features"] = static_cast<double>((*data)->featureCount());
    }
}
BENCHMARK(BM_LoadUtmPolygonsToGeographic)->Unit(benchmark::kMillisecond)->Iterations(3);

// Pixels of the picture that are not the white background.
double drawnShare(const QImage& image) {
    qsizetype drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        drawn += std::count_if(row, row + image.width(),
                               [](QRgb pixel) { return pixel != qRgb(255, 255, 255); });
    }
    return static_cast<double>(drawn) / (static_cast<double>(image.width()) * image.height());
}

// Times redraws of the layer's data at `extent`. The first picture is drawn
// before the timing and must show something; every redraw after it must
// give the same picture.
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
    const auto draw = [&] {
        QPainter painter(&image);
        drawLayers(painter, transform, layers, Qt::white, {});
    };
    draw();
    const QImage first = image.copy();
    const double share = drawnShare(first);
    if (share == 0) {
        state.SkipWithError("nothing was drawn");
        return;
    }
    for (auto _ : state) {
        draw();
    }
    if (image != first) {
        state.SkipWithError("a redraw gave another picture than the first draw");
    }
    state.counters["drawn"] = share;
}

// Vertices of every feature of the layer.
double vertexCount(const VectorLayer& layer) {
    const VectorData& data = *layer.data();
    std::size_t vertices = 0;
    for (VectorData::FeatureId f = 0; f < data.featureCount(); ++f) {
        for (std::uint32_t part = data.firstPart(f); part < data.endPart(f); ++part) {
            vertices += data.partSize(part);
        }
    }
    return static_cast<double>(vertices);
}

// Parts (rings) of every feature of the layer.
double partCount(const VectorLayer& layer) {
    const VectorData& data = *layer.data();
    return data.featureCount() == 0
               ? 0.0
               : static_cast<double>(
                     data.endPart(static_cast<VectorData::FeatureId>(data.featureCount() - 1)));
}

// Redraws of the UTM polygons as they are and transformed into degrees,
// each over its whole extent: the same work, once the load is done.
void BM_FullRedrawUtmPolygons(benchmark::State& state) {
    static VectorLayer layer(bench::utmPolygonFile());
    redraw(state, layer, layer.extent());
}
BENCHMARK(BM_FullRedrawUtmPolygons)->Unit(benchmark::kMillisecond);

void BM_FullRedrawTransformedPolygons(benchmark::State& state) {
    static VectorLayer layer(bench::utmPolygonFile(), QString(), geographic());
    redraw(state, layer, layer.extent());
}
BENCHMARK(BM_FullRedrawTransformedPolygons)->Unit(benchmark::kMillisecond);

// A UTM picture warped into degrees at the view's pixels, 1000 x 800.
void BM_WarpedPicture(benchmark::State& state) {
    const ImageLayer layer(bench::utmPictureFile(), geographic());
    if (!layer.isValid() || !layer.isWarped()) {
        state.SkipWithError("picture not warped");
        return;
    }
    QImage image(kPicture, QImage::Format_ARGB32_Premultiplied);
    const ViewTransform transform(fitExtent(layer.extent(), kPicture), kPicture);
    const auto draw = [&] {
        image.fill(Qt::white);
        QPainter painter(&image);
        layer.draw(painter, transform);
    };
    draw();
    const QImage first = image.copy();
    if (drawnShare(first) < 0.5) {
        state.SkipWithError("the picture did not cover the view");
        return;
    }
    for (auto _ : state) {
        draw();
    }
    if (image != first) {
        state.SkipWithError("a redraw gave another picture than the first draw");
    }
    state.counters["drawn"] = drawnShare(first);
}
BENCHMARK(BM_WarpedPicture)->Unit(benchmark::kMillisecond);

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

// The polygons spread over the whole world: one or two pixels each, so that
// every polygon is mostly outline.
void BM_FullRedrawSmallPolygonsWorld(benchmark::State& state) {
    static VectorLayer world(bench::worldPolygonFile());
    redraw(state, world, world.extent());
}
BENCHMARK(BM_FullRedrawSmallPolygonsWorld)->Unit(benchmark::kMillisecond);

// Polygons of 1 to 400 pixels across and small islands over the whole world,
// as first-level administrative regions are: tens to thousands of vertices
// per polygon, many of them on one pixel.
void BM_FullRedrawMidSizePolygonsWorld(benchmark::State& state) {
    static VectorLayer world(bench::midSizeWorldPolygonFile());
    redraw(state, world, bench::kWorld);
    if (world.isValid()) {
        state.counters["features"] = static_cast<double>(world.data()->featureCount());
        state.counters["parts"] = partCount(world);
        state.counters["vertices"] = vertexCount(world);
    }
}
BENCHMARK(BM_FullRedrawMidSizePolygonsWorld)->Unit(benchmark::kMillisecond);

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
