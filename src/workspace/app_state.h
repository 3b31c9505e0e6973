#pragma once

#include "mapcontrol/geometry.h"
#include "mapcontrol/symbol.h"

#include <QChar>
#include <QString>

#include <vector>

namespace workspace {

// The program-wide state the windows share, owned by the main window and
// lent by reference to the windows that read or set it. Names follow the
// rest of the program; every value starts as at program start.
struct AppState {
    static constexpr int kMaxThemes = 2001;

    // Remote record pages' host (first line of conf.dat); empty without it.
    QString gatewayLine;
    // Drive letter of relative theme paths.
    QChar dataDrive = QLatin1Char('C');
    // The rectangle last applied to the main map, in map units.
    mapcontrol::Rectangle currentExtent;
    // 1 when the map's full extent lies outside -180..180 (projected data).
    int projectedCoords = 0;
    // Per theme: 0 unique-value legend, 1 class-break legend.
    std::vector<int> themeRenderKind = std::vector<int>(kMaxThemes, 0);
    // The symbol of the main map's extent box on the overview map.
    mapcontrol::Symbol extentBoxSymbol;

    bool themesLoaded = false;
    bool moveThemeMode = false;
    bool mapTipsActive = false;
    bool overviewBoxPending = false;
    bool coordsVisible = false;
    bool scaleBarShown = false;
    bool distanceActive = false;
    bool transparencyActive = false;
    bool wmsActive = false;
    bool indexMapMode = false;
    bool indexClickLookup = false;
    bool memoryMode = false;
    // Kind of remote picture shown instead of the map; -1 when none.
    int connectionMode = -1;
    bool collectorTimerActive = false;
};

}  // namespace workspace
