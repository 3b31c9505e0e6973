#include "workspace/navigation.h"

#include "mapcontrol/map_widget.h"
#include "platform/dialogs.h"
#include "workspace/readout_panel.h"
#include "workspace/theme_list.h"

#include <QAbstractButton>
#include <QApplication>
#include <QWidget>

namespace workspace {

const QString Navigation::kPanRefusedMessage =
    QStringLiteral("Esta função não é válida quando a conexão timer coletores esta ativa");

namespace {

template <typename F, typename... Args>
void call(const F& f, Args&&... args) {
    if (f) f(std::forward<Args>(args)...);
}

// Connection choices of the connections window.
constexpr int kGroupMaps = 0;
constexpr int kRemoteInfo = 2;

}  // namespace

Navigation::Navigation(Controls controls, Branches branches, AppState& state,
                       ReadoutPanel& readouts, ThemeList& themes, platform::Dialogs& dialogs)
    : m_controls(controls),
      m_branches(std::move(branches)),
      m_state(state),
      m_readouts(readouts),
      m_themes(themes),
      m_dialogs(dialogs) {}

void Navigation::zoom(double factor) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool collectors = m_state.collectorTimerActive;
    if (collectors) call(m_branches.collectorTimer, false);
    m_readouts.UpdateDistanceReadout();
    if (m_state.connectionKind >= 0 && m_state.connectionKind <= 4) {
        m_state.themesLoaded = true;  // a remote map counts as loaded
    }
    m_themes.endMove();
    if (m_state.themesLoaded) {
        mapcontrol::Rectangle extent = m_controls.map1.extent().scaled(factor);
        if (factor > 1 && m_state.wmsActive) {
            extent = extent.scaled(factor);  // 1.44 in all with a WMS connection
        }
        m_controls.map1.setExtent(extent);
        m_state.currentExtent = extent;
        m_state.overviewBoxPending = true;
        m_readouts.ComputeNumericScale();
        m_controls.map2.refresh();
        m_state.currentExtent = m_controls.map1.extent();
        m_state.overviewBoxPending = true;
        call(m_branches.extentWriteBack);
        if (m_state.scaleBarShown) m_readouts.RefreshScaleBar();
        if (m_state.wmsActive) call(m_branches.refreshRemotePicture);
        if (fixedConnectionChosen()) call(m_branches.fixedConnection);
    }
    if (collectors) call(m_branches.collectorTimer, true);
    QApplication::restoreOverrideCursor();
    if (m_state.searchPlotted) call(m_branches.searchPlot);
}

bool Navigation::fixedConnectionChosen() const {
    return m_state.connectionKind >= 0 && m_state.connectionKind <= 5;
}

void Navigation::zoomIn() {
    zoom(kZoomIn);
}

void Navigation::zoomOut() {
    zoom(kZoomOut);
    m_controls.map1.setMousePointer(mapcontrol::MapWidget::PointerZoom);
    m_state.overviewBoxPending = true;
}

void Navigation::wholeMap() {
    call(m_branches.wholeMapConnections);
    m_readouts.UpdateDistanceReadout();
    m_themes.endMove();
    for (QAbstractButton* b :
         {&m_controls.pan, &m_controls.identify, &m_controls.zoomWindow, &m_controls.reclassify,
          &m_controls.query, &m_controls.distance, &m_controls.mapTips}) {
        b->setChecked(false);
    }
    call(m_branches.stopMapTips);
    m_state.currentExtent = m_controls.map1.fullExtent();
    m_controls.map1.setExtent(m_state.currentExtent);
    m_controls.map2.setExtent(m_state.currentExtent);
    m_readouts.ComputeNumericScale();
    if (m_state.scaleBarShown) m_readouts.RefreshScaleBar();
    call(m_branches.extentWriteBack);
    if (fixedConnectionChosen()) call(m_branches.fixedConnection);
    // (the zoom out of remoteWholeMap plots a search result again)
    if (m_state.wmsActive) call(m_branches.remoteWholeMap);
}

void Navigation::panMode() {
    if (m_state.collectorTimerActive) {
        m_controls.pan.setChecked(false);
        m_dialogs.message(m_controls.map1.window(), kPanRefusedMessage,
                          platform::MessageKind::Warning);
        return;
    }
    m_readouts.UpdateDistanceReadout();
    m_controls.map1.setMousePointer(mapcontrol::MapWidget::PointerPan);
    m_state.mapTipsActive = false;
}

void Navigation::zoomWindowMode() {
    // The next press on the map starts the collectors' timer again.
    if (m_state.collectorTimerActive) call(m_branches.collectorTimer, false);
    m_readouts.UpdateDistanceReadout();
    m_themes.endMove();
    if (m_state.themesLoaded) {
        m_state.overviewBoxPending = !m_state.overviewBoxPending;
        if (m_state.overviewBoxPending) {
            m_state.mapTipsActive = false;
            m_controls.mapTips.setChecked(false);
            call(m_branches.stopMapTips);
        }
    }
}

void Navigation::mousePress(Qt::MouseButton button, int x, int y) {
    const bool left = button == Qt::LeftButton;
    const bool panDown = m_controls.pan.isChecked();
    const bool zoomDown = m_controls.zoomWindow.isChecked();
    const bool identifyDown = m_controls.identify.isChecked();
    call(m_branches.clearLinks);                    // step 1
    if (zoomDown && m_state.connectionKind >= 0) {  // step 2
        call(m_branches.swapRemoteAndLocal);
        if (m_state.wmsActive) call(m_branches.swapRemoteAndLocal);
    }
    const bool busy = panDown || zoomDown;  // step 3
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    m_click = m_controls.map1.toMapPoint(static_cast<float>(x), static_cast<float>(y));  // step 4
    call(m_branches.closeRemoteRecord);                                                  // step 5
    m_controls.query.setChecked(false);                                                  // step 6
    m_controls.reclassify.setChecked(false);
    m_themes.endMove();
    if (!m_controls.mapTips.isChecked()) {
        m_controls.map1.setShowHints(false);
        m_state.mapTipsActive = false;
        call(m_branches.stopMapTips);
    }
    if (left && zoomDown && !m_state.distanceActive) {  // step 7: zoom window
        if (const std::optional<mapcontrol::Rectangle> box = m_controls.map1.trackRectangle()) {
            m_state.currentExtent = *box;
            m_state.overviewBoxPending = true;
            m_controls.map1.setExtent(*box);
            m_controls.map1.setMousePointer(mapcontrol::MapWidget::PointerZoom);
            m_readouts.ComputeNumericScale();
            call(m_branches.extentWriteBack);
            if (m_state.wmsActive) call(m_branches.refreshRemotePicture);
            if (fixedConnectionChosen()) call(m_branches.fixedConnection);
            if (m_state.scaleBarShown) m_readouts.RefreshScaleBar();
        }
    }
    if (left && panDown) {  // step 8: pan
        m_controls.map1.pan();
        m_controls.map1.setMousePointer(mapcontrol::MapWidget::PointerPan);
        m_state.currentExtent = m_controls.map1.extent();
        m_state.overviewBoxPending = true;
        call(m_branches.extentWriteBack);
        if (m_state.wmsActive) call(m_branches.refreshRemotePicture);
        if (fixedConnectionChosen()) call(m_branches.fixedConnection);
    }
    const bool answersWms = m_branches.identifyAnswersWms && m_branches.identifyAnswersWms();
    if (left && identifyDown && m_state.wmsActive && answersWms) {  // step 9
        call(m_branches.wmsFeatureInfo, m_click);
    }
    if (left && identifyDown && m_state.connectionKind == kRemoteInfo &&
        !m_state.wmsActive) {  // step 10
        call(m_branches.remoteFeatureInfo, m_click);
    }
    if (m_state.indexClickLookup) {  // step 11
        call(m_branches.indexMap, m_click);
    }
    if (left && identifyDown && m_state.connectionKind == kGroupMaps &&
        !m_state.wmsActive) {  // step 12
        call(m_branches.remoteRecord, m_click);
    }
    if (left && identifyDown && m_state.connectionKind != kGroupMaps &&
        m_state.connectionKind != kRemoteInfo &&
        (!m_state.wmsActive || !answersWms)) {  // step 13: local identify
        call(m_branches.localIdentify, m_click);
    }
    if (m_branches.databaseLinkChecked && m_branches.databaseLinkChecked()) {  // step 14
        call(m_branches.databaseLink);
    }
    if (busy) QApplication::restoreOverrideCursor();  // step 15
    if (m_state.collectorTimerActive) {               // step 16
        m_controls.zoomWindow.setChecked(false);
        m_controls.identify.setChecked(false);
        call(m_branches.collectorTimer, true);  // one click at a time while tracking
    }
    if (m_state.searchPlotted) call(m_branches.searchPlot);  // step 17
}

void Navigation::updateToolCursor() {
    int pointer = mapcontrol::MapWidget::PointerArrow;
    if (m_controls.pan.isChecked()) pointer = mapcontrol::MapWidget::PointerPan;
    if (m_controls.zoomWindow.isChecked()) pointer = mapcontrol::MapWidget::PointerZoom;
    if (m_controls.identify.isChecked()) pointer = mapcontrol::MapWidget::PointerIdentify;
    if (m_controls.map1.mousePointer() != pointer) {
        m_controls.map1.setMousePointer(pointer);
    }
}

void Navigation::setOverviewChoice(int item) {
    m_themes.endMove();
    m_controls.map1.setShowHints(false);
    m_state.mapTipsActive = false;
    m_controls.mapTips.setChecked(false);
    call(m_branches.stopMapTips);
    if (item == 0) {
        m_controls.map2.show();
        // Showing may already have drawn it; draw once more with the box.
        m_state.overviewBoxPending = true;
        m_controls.map2.setExtent(m_controls.map2.fullExtent());
    } else {
        m_controls.map2.hide();
    }
}

void Navigation::overviewPress() {
    m_controls.map1.setShowHints(false);
    m_state.mapTipsActive = false;
    m_controls.mapTips.setChecked(false);
    call(m_branches.stopMapTips);
    if (const std::optional<mapcontrol::Rectangle> box = m_controls.map2.trackRectangle()) {
        m_state.currentExtent = *box;
        m_controls.map1.setExtent(*box);
        m_state.overviewBoxPending = true;
        m_controls.map2.refresh();
        m_readouts.ComputeNumericScale();
        m_readouts.RefreshScaleBar();
    }
}

void Navigation::afterOverviewLayer(int index) {
    if (!m_state.overviewBoxPending) {
        return;
    }
    m_state.currentExtent = m_controls.map1.extent();
    m_controls.map2.drawShape(mapcontrol::Shape::rectangle(m_state.currentExtent),
                              m_state.extentBoxSymbol);
    if (index == 0) {
        m_state.overviewBoxPending = false;
    }
}

}  // namespace workspace
