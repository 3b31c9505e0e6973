// Identify, the query highlight and map tips on the data of bench_data.h.
#include "bench_data.h"
#include "mapcontrol/feature_painter.h"
#include "mapcontrol/vector_layer.h"
#include "query/features_at.h"
#include "query/identify.h"
#include "query/media_links.h"
#include "query/query_report.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <random>

namespace {

using mapcontrol::VectorLayer;

using bench::points;
using bench::polygons;

// From the click to the filled lists: the features under a random point,
// their records, the record store and the media names.
void BM_IdentifyPolygons(benchmark::State& state) {
    const VectorLayer& layer = polygons();
    if (!layer.isValid()) {
        state.SkipWithError("no benchmark data");
        return;
    }
    std::mt19937 random(3);
    std::uniform_real_distribution<double> x(bench::kArea.left(), bench::kArea.right());
    std::uniform_real_distribution<double> y(bench::kArea.bottom(), bench::kArea.top());
    for (auto _ : state) {
        const query::IdentifiedFeatures found =
            query::identifyFeatures(layer, {x(random), y(random)}, bench::kArea);
        benchmark::DoNotOptimize(query::recordStoreLines(found));
        benchmark::DoNotOptimize(query::mediaNames(found.firstNames, found.firstValues));
    }
}
BENCHMARK(BM_IdentifyPolygons)->Unit(benchmark::kMicrosecond);

// One redraw's query work: the search, the found box and the yellow
// features drawn over a 1000 x 800 picture.
void BM_QueryHighlight10000Points(benchmark::State& state) {
    const VectorLayer& layer = points();
    if (!layer.isValid()) {
        state.SkipWithError("no benchmark data");
        return;
    }
    const qint64 limit = std::max<qint64>(1, std::llround(10000 * bench::scaleFactor()));
    const QString expression = QStringLiteral("ID < %1").arg(limit);
    QImage picture(1000, 800, QImage::Format_ARGB32_Premultiplied);
    const mapcontrol::ViewTransform view(bench::kArea, picture.size());
    mapcontrol::Symbol yellow;
    yellow.colour = 0xFFFF;
    yellow.type = mapcontrol::SymbolType::Marker;
    yellow.size = 6;
    qsizetype found = 0;
    for (auto _ : state) {
        auto result = layer.searchExpression(expression);
        auto* records = std::get_if<mapcontrol::RecordSet>(&result);
        if (!records) {
            state.SkipWithError("the expression did not parse");
            return;
        }
        std::vector<mapcontrol::Shape> shapes;
        query::FoundExtent box;
        for (records->moveFirst(); !records->isEnd(); records->moveNext()) {
            shapes.push_back(records->shape());
            box.add(shapes.back());
        }
        QPainter painter(&picture);
        mapcontrol::FeaturePainter highlight(painter, view);
        highlight.setSymbol(yellow);
        for (const mapcontrol::Shape& shape : shapes) highlight.drawShape(shape);
        found = records->count();
        benchmark::DoNotOptimize(box.texts());
    }
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_QueryHighlight10000Points)->Unit(benchmark::kMillisecond);

// A map tip: the points within the search radius of a random point and the
// last one's field value.
void BM_MapTipLookUpPoints(benchmark::State& state) {
    const VectorLayer& layer = points();
    if (!layer.isValid()) {
        state.SkipWithError("no benchmark data");
        return;
    }
    std::mt19937 random(5);
    std::uniform_real_distribution<double> x(bench::kArea.left(), bench::kArea.right());
    std::uniform_real_distribution<double> y(bench::kArea.bottom(), bench::kArea.top());
    for (auto _ : state) {
        mapcontrol::RecordSet found =
            query::featuresAt(layer, {x(random), y(random)}, bench::kArea);
        QString text;
        for (found.moveFirst(); !found.isEnd(); found.moveNext()) {
            text = found.text(QStringLiteral("NAME"));
        }
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_MapTipLookUpPoints)->Unit(benchmark::kMicrosecond);

}  // namespace
