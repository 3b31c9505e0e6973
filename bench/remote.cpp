// Plotting a remote search's result on the main window's picture: 10,000
// found records read from their result file and drawn on a 1000 × 800
// picture, over a wide extent (circles only) and over an extent narrow
// enough for their numbers. QUELVORA_BENCH_SCALE (default 1) shrinks the
// record count for the smoke run.
#include "remote/search_plot.h"

#include <QImage>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

int recordCount() {
    const double s = qEnvironmentVariable("QUELVORA_BENCH_SCALE", "1").toDouble();
    return std::max(10, static_cast<int>(10000 * (s > 0 ? s : 1.0)));
}

// A result file of `count` records spread evenly over `extent`.
QStringList resultFile(int count, const mapcontrol::Rectangle& extent) {
    QRandomGenerator random(17);
    QStringList lines = {QStringLiteral("ID,LATITUDE,LONGITUDE,NOME,TIPO")};
    for (int i = 0; i < count; ++i) {
        const double lat = extent.bottom() + random.generateDouble() * extent.height();
        const double lon = extent.left() + random.generateDouble() * extent.width();
        lines.append(QStringLiteral("AM-%1,%2,%3,Amostra %1,2")
                         .arg(i)
                         .arg(lat, 0, 'f', 6)
                         .arg(lon, 0, 'f', 6));
    }
    return lines;
}

void plot(benchmark::State& state, const mapcontrol::Rectangle& extent) {
    const int count = recordCount();
    const QStringList lines = resultFile(count, extent);
    QImage picture(1000, 800, QImage::Format_RGB32);
    if (remote::plotSearchPoints(picture, extent, remote::readResultFile(lines)) != count) {
        state.SkipWithError("not every record was drawn");
        return;
    }
    for (auto _ : state) {
        picture.fill(Qt::white);
        benchmark::DoNotOptimize(
            remote::plotSearchPoints(picture, extent, remote::readResultFile(lines)));
    }
    state.counters["records"] = count;
}

void BM_PlotSearchResultWide(benchmark::State& state) {
    plot(state, mapcontrol::Rectangle(-74, -34, 5.3, -34));
}
BENCHMARK(BM_PlotSearchResultWide)->Unit(benchmark::kMillisecond);

void BM_PlotSearchResultNumbered(benchmark::State& state) {
    plot(state, mapcontrol::Rectangle(-47.3, -47.0, -15.5, -15.74));
}
BENCHMARK(BM_PlotSearchResultNumbered)->Unit(benchmark::kMillisecond);

}  // namespace
