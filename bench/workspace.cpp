// The pointer-move read-out: pixel to map point, number texts, both boxes.
#include "mapcontrol/map_widget.h"
#include "workspace/readout_panel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include <benchmark/benchmark.h>

namespace {

struct Panel {
    mapcontrol::MapWidget map;
    QLabel image1, image2;
    QLineEdit edit2, edit3, edit4, edit10;
    QCheckBox dms;
    QWidget panel2;
    workspace::AppState state;
    workspace::ReadoutPanel readouts{
        {map, image1, edit2, edit3, dms, edit4, edit10, panel2, image2, {}, {}}, state};

    Panel() {
        map.resize(1000, 800);
        map.setExtent(mapcontrol::Rectangle(-74, -34, 6, -34));
        state.themesLoaded = true;
        state.coordsVisible = true;
    }
};

void pointerMoves(benchmark::State& state, bool dms) {
    Panel panel;
    panel.dms.setChecked(dms);
    panel.readouts.OnPointerMove(500, 400);
    if (panel.edit2.text().isEmpty()) {
        state.SkipWithError("no coordinate written");
        return;
    }
    int x = 0;
    for (auto _ : state) {
        panel.readouts.OnPointerMove(x, 400);
        x = (x + 7) % 1000;
    }
}

void BM_PointerMoveDegrees(benchmark::State& state) {
    pointerMoves(state, false);
}
BENCHMARK(BM_PointerMoveDegrees)->Unit(benchmark::kMicrosecond);

void BM_PointerMoveDms(benchmark::State& state) {
    pointerMoves(state, true);
}
BENCHMARK(BM_PointerMoveDms)->Unit(benchmark::kMicrosecond);

}  // namespace
