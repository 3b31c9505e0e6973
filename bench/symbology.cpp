// Classification and legend building on the data of bench_data.h: the
// per-feature loops behind "Reclassifica", and the legend of the largest
// colour table a theme can have.
#include "bench_data.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "symbology/class_breaks.h"
#include "symbology/legend_items.h"
#include "symbology/legend_pictures.h"
#include "symbology/unique_values.h"

#include <benchmark/benchmark.h>

namespace {

using mapcontrol::VectorLayer;

using bench::points;
using bench::polygons;

void uniqueValues(benchmark::State& state, VectorLayer& layer, const QString& field) {
    if (!layer.isValid()) {
        state.SkipWithError("no benchmark data");
        return;
    }
    for (auto _ : state) {
        if (!symbology::classifyByUniqueValues(layer, field, false)) {
            state.SkipWithError("classification refused");
            return;
        }
    }
    state.counters["features"] = static_cast<double>(layer.records().count());
}

void BM_UniqueValuesPolygons(benchmark::State& state) {
    uniqueValues(state, polygons(), QStringLiteral("CLASSE"));
}
BENCHMARK(BM_UniqueValuesPolygons)->Unit(benchmark::kMillisecond);

void BM_UniqueValuesPoints(benchmark::State& state) {
    uniqueValues(state, points(), QStringLiteral("CAT"));
}
BENCHMARK(BM_UniqueValuesPoints)->Unit(benchmark::kMillisecond);

void BM_ClassBreaksPoints(benchmark::State& state) {
    VectorLayer& layer = points();
    if (!layer.isValid()) {
        state.SkipWithError("no benchmark data");
        return;
    }
    for (auto _ : state) {
        if (!symbology::classifyByBreaks(layer, QStringLiteral("DEPTH"), 150, 0x80FFFF, 0x0080FF)) {
            state.SkipWithError("classification refused");
            return;
        }
    }
}
BENCHMARK(BM_ClassBreaksPoints)->Unit(benchmark::kMillisecond);

// The legend lines and their pictures for a theme of 8001 classes.
void BM_LegendOf8001Classes(benchmark::State& state) {
    mapcontrol::ValueMapRenderer renderer;
    renderer.setField(QStringLiteral("CLASSE"));
    renderer.setValueCount(symbology::kMaxUniqueClasses);
    for (int i = 0; i < renderer.valueCount(); ++i) {
        renderer.setValue(i, QString::number(i));
        renderer.symbol(i).style = i % 8;
    }
    const std::vector<symbology::LegendTheme> themes{
        {QStringLiteral("geo,D:\\geo.shp"), true, &renderer, QStringLiteral("poligono")}};
    for (auto _ : state) {
        const symbology::Legend legend = symbology::legendItems(themes);
        for (const symbology::LegendItem& item : legend.items) {
            if (item.kind == symbology::LegendItem::Kind::Class) {
                benchmark::DoNotOptimize(
                    symbology::withRedTransparent(symbology::classPicture(item)));
            }
        }
    }
}
BENCHMARK(BM_LegendOf8001Classes)->Unit(benchmark::kMillisecond);

}  // namespace
