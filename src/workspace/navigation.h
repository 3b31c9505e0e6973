#pragma once

#include "mapcontrol/geometry.h"
#include "workspace/app_state.h"

#include <QtGlobal>

#include <functional>

class QAbstractButton;
class QWidget;

namespace mapcontrol {
class MapWidget;
}
namespace platform {
class Dialogs;
}

namespace workspace {

class ReadoutPanel;
class ThemeList;

// The map tools: zoom in and out, the whole map, pan and zoom-window modes,
// the dispatcher of presses on the main map, the tool cursor and the
// overview map with the main map's extent drawn on it. Borrows everything.
class Navigation {
public:
    static constexpr double kZoomIn = 0.8;
    static constexpr double kZoomOut = 1.2;
    static const QString kPanRefusedMessage;

    struct Controls {
        mapcontrol::MapWidget& map1;
        mapcontrol::MapWidget& map2;
        QAbstractButton& pan;         // SpeedButton5
        QAbstractButton& zoomWindow;  // SpeedButton7
        QAbstractButton& identify;    // SpeedButton6
        QAbstractButton& query;       // SpeedButton10
        QAbstractButton& reclassify;  // SpeedButton9
        QAbstractButton& mapTips;     // SpeedButton19
        QAbstractButton& distance;    // SpeedButton13
        QWidget& themeListArea;       // PageControl1, resized with the overview map
    };

    // What a press hands to the features of other windows, one call each;
    // a branch left empty does nothing.
    struct Branches {
        std::function<void()> clearLinks;         // media links of the identify window
        std::function<void()> closeRemoteRecord;  // and clear the identify result lists
        std::function<void(const mapcontrol::MapPoint&)> wmsFeatureInfo;
        std::function<void(const mapcontrol::MapPoint&)> remoteFeatureInfo;
        std::function<void(const mapcontrol::MapPoint&)> indexMap;
        std::function<void(const mapcontrol::MapPoint&)> remoteRecord;
        std::function<void(const mapcontrol::MapPoint&)> localIdentify;
        std::function<void()> databaseLink;          // "KESTRAM" checked
        std::function<void()> extentWriteBack;       // the zoom window's edges
        std::function<void()> refreshRemotePicture;  // a WMS connection is on
        // The whole map while a WMS connection is on: the services' extent,
        // fetched through a zoom out.
        std::function<void()> remoteWholeMap;
        // A fixed remote connection is chosen: its picture for the new extent.
        std::function<void()> fixedConnection;
        // The whole map's first step on the connections' side: the map-group
        // panel hidden, connect on, the memory opacity off, the menus back.
        std::function<void()> wholeMapConnections;
        // "troca": the remote picture and the local map change places.
        std::function<void()> swapRemoteAndLocal;
        // The collectors window's timer stopped (false) or started again
        // (true) around a navigation step while collectors are tracked.
        std::function<void(bool)> collectorTimer;
        // A remote search result is plotted: plotted again after the step.
        std::function<void()> searchPlot;
        std::function<void()> stopMapTips;
        // The WMS window's identify choice: true for "Responde ao layer WMS selecionado".
        std::function<bool()> identifyAnswersWms;
        std::function<bool()> databaseLinkChecked;
    };

    Navigation(Controls controls, Branches branches, AppState& state, ReadoutPanel& readouts,
               ThemeList& themes, platform::Dialogs& dialogs);

    void zoomIn();
    void zoomOut();
    void wholeMap();
    void panMode();
    void zoomWindowMode();
    // The press dispatcher; (x, y) in pixels of the main map.
    void mousePress(Qt::MouseButton button, int x, int y);
    // The cursor for the tools down, on every pointer move.
    void updateToolCursor();
    // "Navegação": 0 shows the overview map, 1 hides it.
    void setOverviewChoice(int item);
    // A press on the overview map: the dragged rectangle becomes the main map's extent.
    void overviewPress();
    // After the overview map drew a layer: the main map's extent box.
    void afterOverviewLayer(int index);

    const mapcontrol::MapPoint& clickMapPoint() const { return m_click; }

private:
    void zoom(double factor);
    // A kind of the connections window that draws a picture (0 to 5).
    bool fixedConnectionChosen() const;

    Controls m_controls;
    Branches m_branches;
    AppState& m_state;
    ReadoutPanel& m_readouts;
    ThemeList& m_themes;
    platform::Dialogs& m_dialogs;
    mapcontrol::MapPoint m_click;
};

}  // namespace workspace
