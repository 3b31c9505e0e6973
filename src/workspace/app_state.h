#pragma once

#include "mapcontrol/coordinate_system.h"
#include "mapcontrol/geometry.h"
#include "mapcontrol/symbol.h"

#include <QChar>
#include <QString>

#include <optional>
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
    // The map's coordinate system: that of the first theme, from the bottom
    // of the list up, that declares one (the layer builder decides it while
    // building); none while no theme declares one. A new or opened project
    // sets it again.
    std::optional<mapcontrol::CoordinateSystem> mapSystem;
    // 1 when the map's full extent lies outside -180..180 (projected data).
    int projectedCoords = 0;
    // Per theme: 0 unique-value legend, 1 class-break legend.
    std::vector<int> themeRenderKind = std::vector<int>(kMaxThemes, 0);
    // The symbol of the main map's extent box on the overview map.
    mapcontrol::Symbol extentBoxSymbol;

    // Classification: the colour ramp's two ends, the breaks of the last
    // class-break classification (ascending, from index 0) and its theme line.
    mapcontrol::ColourInt rampStart = mapcontrol::colourInt(255, 255, 128);
    mapcontrol::ColourInt rampEnd = mapcontrol::colourInt(255, 128, 0);
    std::vector<double> classBreakValues;
    QString lastClassifiedTheme;
    // The colour last chosen in a symbol editor; none until the user picks one.
    std::optional<mapcontrol::ColourInt> chosenColour;
    // Text labels: set once labels were added, with the field they show.
    bool labelsAdded = false;
    QString labelField;

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
    // The connections window's choice of remote picture source; -1 when none.
    int connectionKind = -1;
    // Set while Image1 shows a remote picture in place of the main map.
    bool connectionMode = false;
    bool collectorTimerActive = false;
    // A remote search result was plotted and its files are in the program
    // folder: the map-group picture asks for it, and with a WMS connection
    // every navigation step plots it again.
    bool searchPlotted = false;
};

}  // namespace workspace
