// Building the maps' layers from the theme list on the data of bench_data.h:
// "Volta a paleta original" over the polygon and the point themes, and adding
// the polygon theme against one plain load of its file.
#include "bench_data.h"
#include "files/layer_builder.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/vector_data.h"
#include "platform/drives.h"
#include "silent_dialogs.h"
#include "symbology/legend_panel.h"
#include "workspace/theme_list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

// The two maps, the theme list and the legend of the main window, with the
// generated files on drive D:. The maps have no pixels, so that what is
// timed is the building of layers and not the redraw that follows it (that
// is BM_FullRedrawPolygons and BM_FullRedrawPoints).
struct Workspace {
    mapcontrol::MapWidget map1;
    mapcontrol::MapWidget map2;
    QListWidget list, copy, legend;
    QComboBox mirror;
    QCheckBox all;
    QPushButton reorder;
    bench::SilentDialogs dialogs;
    platform::DriveTable drives;
    workspace::AppState state;
    files::LayerBuilder builder{map1, map2, drives, dialogs};
    workspace::ThemeList themes{
        {list, copy, mirror, legend, all, map1, map2}, {}, builder, state, dialogs, drives};
    symbology::LegendPanel legendPanel{
        {legend, reorder, map1, map2, themes}, legendHooks(), state, dialogs};

    Workspace() {
        map1.resize(0, 0);
        map2.resize(0, 0);
        drives.setRoot('D', QFileInfo(bench::polygonFile()).absolutePath());
    }

    symbology::LegendPanel::Hooks legendHooks() {
        symbology::LegendPanel::Hooks hooks;
        hooks.rebuildAllLayers = [this] {
            builder.rebuildAllLayers(themes.entries(), state.themeRenderKind, state.currentExtent);
        };
        return hooks;
    }

    static QString windowsPath(const QString& nativePath) {
        return QStringLiteral("D:\\") + QFileInfo(nativePath).fileName();
    }

    // Puts the theme in the list, on top.
    void listTheme(const QString& nativePath) {
        const QString path = windowsPath(nativePath);
        auto* item = new QListWidgetItem(QFileInfo(nativePath).fileName() +
                                         QString(26, QLatin1Char(' ')) + QLatin1Char(',') + path);
        item->setCheckState(Qt::Checked);
        list.insertItem(0, item);
    }

    // Both maps hold the layers of the listed themes, with their data.
    bool holdsEveryTheme() const {
        const int themes = list.count();
        if (map1.layers().count() != themes || map2.layers().count() != themes) {
            return false;
        }
        for (int i = 0; i < themes; ++i) {
            if (!map1.layers().item(i)->isValid()) {
                return false;
            }
        }
        return dialogs.lastMessage.isEmpty();
    }
};

// "Volta a paleta original" with the polygon theme over the point theme, as
// the legend's button does it: both maps emptied, then every layer built again.
void BM_RestorePalette(benchmark::State& state) {
    if (bench::polygonFile().isEmpty() || bench::pointFile().isEmpty()) {
        state.SkipWithError("no benchmark data");
        return;
    }
    Workspace w;
    if (w.map1.width() != 0) {
        state.SkipWithError("the map would be drawn");
        return;
    }
    w.listTheme(bench::pointFile());
    w.listTheme(bench::polygonFile());
    w.legendPanel.RestorePalette();  // the project as opened
    if (!w.holdsEveryTheme()) {
        state.SkipWithError("the themes were not built");
        return;
    }
    for (auto _ : state) {
        w.legendPanel.RestorePalette();
    }
    if (!w.holdsEveryTheme()) {
        state.SkipWithError("the themes were not built again");
    }
}
BENCHMARK(BM_RestorePalette)->Unit(benchmark::kMillisecond);

// Adding the polygon theme as "Adiciona tema" does it once its file is
// chosen: the theme list's command, which builds the layer (one read of the
// file) and puts it on both maps with its default legend.
void BM_AddPolygonTheme(benchmark::State& state) {
    if (bench::polygonFile().isEmpty()) {
        state.SkipWithError("no benchmark data");
        return;
    }
    Workspace w;
    for (auto _ : state) {
        state.PauseTiming();
        w.themes.newProject();  // the last added theme and its data go
        state.ResumeTiming();
        if (!w.themes.addThemeFile(bench::polygonFile())) {
            state.SkipWithError(qPrintable(w.dialogs.lastMessage));
            return;
        }
    }
    if (!w.holdsEveryTheme()) {
        state.SkipWithError("the theme was not added");
    }
}
BENCHMARK(BM_AddPolygonTheme)->Unit(benchmark::kMillisecond)->Iterations(5);

// What adding is measured against: one read of the file into memory.
void BM_LoadPolygonsOnce(benchmark::State& state) {
    const QString path = bench::polygonFile();
    for (auto _ : state) {
        auto loaded = mapcontrol::VectorData::load(path);
        if (const auto* error = std::get_if<mapcontrol::VectorData::LoadError>(&loaded)) {
            state.SkipWithError(qPrintable(error->message));
            return;
        }
    }
}
BENCHMARK(BM_LoadPolygonsOnce)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
