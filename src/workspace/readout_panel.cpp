#include "workspace/readout_panel.h"

#include "mapcontrol/map_widget.h"
#include "workspace/readouts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include <cmath>

namespace workspace {

int coordinateFieldWidth(const QLineEdit& box) {
    const QFontMetrics metrics(box.font());
    int widest = 0;
    for (const mapcontrol::MapPoint& p : {mapcontrol::MapPoint{-179.99999999, -89.99999999},
                                          mapcontrol::MapPoint{-99999999.99, -99999999.99}}) {
        for (const bool dms : {true, false}) {
            const CoordinateTexts texts = coordinateTexts(p, dms);
            widest = std::max(
                {widest, metrics.horizontalAdvance(texts.x), metrics.horizontalAdvance(texts.y)});
        }
    }
    // A map in US feet writes the longest unit.
    MapUnits feet;
    feet.projectedMetres = kUsFootMetres;
    feet.suffix = QStringLiteral("pés EUA");
    widest = std::max(widest,
                      metrics.horizontalAdvance(coordinateTexts({-99999999.99, 0}, false, feet).x));
    // The frame on both sides, and the line edit's own text margins.
    const int frame = box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &box);
    const QMargins margins = box.textMargins();
    return widest + 2 * frame + margins.left() + margins.right() + 8;
}

ReadoutPanel::ReadoutPanel(Controls controls, AppState& state, Hooks hooks)
    : m_controls(std::move(controls)), m_hooks(std::move(hooks)), m_state(state) {}

void ReadoutPanel::endThemeMove() {
    if (m_hooks.endThemeMove) {
        m_hooks.endThemeMove();
    } else {
        m_state.moveThemeMode = false;
    }
}

void ReadoutPanel::stopMapTips() {
    if (m_hooks.stopMapTips) {
        m_hooks.stopMapTips();
    } else {
        m_state.mapTipsActive = false;
    }
}

void ReadoutPanel::OnPointerMove(int x, int y) {
    if (!m_state.coordsVisible) {
        return;
    }
    const mapcontrol::MapPoint p =
        m_controls.map1.toMapPoint(static_cast<float>(x), static_cast<float>(y));
    const CoordinateTexts texts =
        coordinateTexts(p, m_controls.dms.isChecked(), MapUnits::of(m_state.mapSystem));
    m_state.projectedCoords = texts.projected ? 1 : 0;
    m_controls.edit2.setText(texts.x);
    m_controls.edit3.setText(texts.y);
}

void ReadoutPanel::ToggleCoordinates() {
    if (!m_state.themesLoaded) {
        return;
    }
    if (m_state.coordsVisible) {
        m_controls.edit2.hide();
        m_controls.edit3.hide();
        m_state.coordsVisible = false;
        return;
    }
    for (QWidget* w : m_controls.coordinateWidgets) {
        w->show();
    }
    m_state.coordsVisible = true;
    m_controls.map1.setMousePointer(mapcontrol::MapWidget::PointerArrow);
}

void ReadoutPanel::ComputeNumericScale() {
    for (QWidget* w : m_controls.scaleWidgets) {
        w->show();
    }
    writeScale();
    m_controls.edit4.show();
    ToggleScaleBar();
}

void ReadoutPanel::writeScale() {
    m_state.currentExtent = m_controls.map1.extent();
    m_scaleDenominator = numericScale(m_controls.map1.width(), m_state.currentExtent,
                                      MapUnits::of(m_state.mapSystem));
    m_controls.edit4.setText(scaleText(m_scaleDenominator));
}

void ReadoutPanel::mapResized() {
    if (!m_controls.edit4.isVisible()) {
        return;  // no scale shown yet
    }
    writeScale();
    if (m_controls.scaleBar.isVisible()) {
        writeScaleBar(m_controls.scaleBarText.width());
    }
}

void ReadoutPanel::writeScaleBar(int barPixels) {
    QFont font = m_controls.scaleBarText.font();
    font.setPointSize(m_controls.scaleBar.width() <= 70 ? 4 : 6);
    m_controls.scaleBarText.setFont(font);
    m_controls.scaleBarText.setText(scaleBarText(barPixels, m_scaleDenominator));
    m_controls.scaleBar.show();
}

void ReadoutPanel::ToggleScaleBar() {
    stopMapTips();
    if (m_state.scaleBarShown) {
        m_state.scaleBarShown = false;
        m_controls.scaleBar.hide();
        return;
    }
    m_state.scaleBarShown = true;
    ComputeNumericScale();  // its last step comes back here and hides the bar again
    m_controls.scaleBarText.show();
    writeScaleBar(m_controls.scaleBarText.width());
}

void ReadoutPanel::RefreshScaleBar() {
    m_controls.scaleBarText.show();
    writeScaleBar(m_controls.scaleBar.width());
}

void ReadoutPanel::resizeScaleBar(int deltaPixels) {
    endThemeMove();
    m_controls.scaleBar.setFixedWidth(std::max(10, m_controls.scaleBar.width() + deltaPixels));
    m_controls.scaleBarText.setFixedWidth(
        std::max(10, m_controls.scaleBarText.width() + deltaPixels));
    ComputeNumericScale();
    writeScaleBar(m_controls.scaleBarText.width());
}

void ReadoutPanel::ApplyTypedScale() {
    endThemeMove();
    bool ok = false;
    const double scale = m_controls.edit4.text().trimmed().toDouble(&ok);
    if (!ok || !(scale > 0)) {
        return;
    }
    const MapUnits units = MapUnits::of(m_state.mapSystem);
    for (int pass = 0; pass < 4; ++pass) {
        const mapcontrol::Rectangle e = m_state.currentExtent;
        const bool projected = units.isProjected() || e.left() > 180 || e.right() < -180;
        const double left = leftEdgeForScale(scale, m_controls.map1.width(), e.right(), projected,
                                             units.projectedMetres.value_or(1.0));
        const double delta = std::fabs(left - e.left());
        // The bottom edge moves up by the width gained; past the top edge
        // the two trade places, so the rectangle stays a rectangle and the
        // map fits its height to the window.
        const double bottom = e.bottom() + delta;
        m_state.currentExtent = mapcontrol::Rectangle(left, e.right(), std::max(e.top(), bottom),
                                                      std::min(e.top(), bottom));
        m_controls.map1.setExtent(m_state.currentExtent);
        m_state.overviewBoxPending = true;
        ComputeNumericScale();
    }
}

void ReadoutPanel::StartDistance() {
    endThemeMove();
    stopMapTips();
    m_controls.edit10.clear();
    m_frozen = m_controls.map1.picture().copy();
    m_controls.image1.setPixmap(QPixmap::fromImage(m_frozen));
    m_controls.map1.hide();
    m_controls.image1.show();
    m_state.distanceActive = true;
    m_points.clear();
    m_running = 0.0;
}

bool ReadoutPanel::AddDistancePoint(int x, int y) {
    if (!m_state.distanceActive || static_cast<int>(m_points.size()) >= kMaxDistancePoints) {
        return false;
    }
    const mapcontrol::MapPoint p =
        m_controls.map1.toMapPoint(static_cast<float>(x), static_cast<float>(y));
    mapcontrol::MapPoint km;
    const MapUnits units = MapUnits::of(m_state.mapSystem);
    if (!units.isProjected() && m_state.projectedCoords == 0) {
        const mapcontrol::Rectangle full = m_controls.map1.fullExtent();
        km = polyconicKilometres(p, (full.left() + full.right()) / 2);
    } else {
        // Projected coordinates: metres, or the map system's own unit.
        const double metres = units.projectedMetres.value_or(1.0);
        km = {p.x * metres / 1000, p.y * metres / 1000};
    }
    m_points.push_back(km);
    if (m_points.size() >= 2) {
        const mapcontrol::MapPoint& a = m_points[m_points.size() - 2];
        m_running += std::hypot(km.x - a.x, km.y - a.y);
        m_controls.edit10.setText(runningDistanceText(m_running));
        QPainter painter(&m_frozen);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(Qt::black, 2));
        painter.drawLine(m_lastPixel, QPoint(x, y));
        m_controls.image1.setPixmap(QPixmap::fromImage(m_frozen));
    }
    m_lastPixel = QPoint(x, y);
    return true;
}

void ReadoutPanel::UpdateDistanceReadout() {
    if (!m_state.distanceActive) {
        return;
    }
    long double total = 0.0L;
    for (std::size_t i = 1; i < m_points.size(); ++i) {
        total += std::hypot(static_cast<long double>(m_points[i].x - m_points[i - 1].x),
                            static_cast<long double>(m_points[i].y - m_points[i - 1].y));
    }
    m_state.distanceActive = false;
    m_points.clear();
    if (m_controls.distanceButton) m_controls.distanceButton->setChecked(false);
    m_controls.image1.hide();
    m_controls.map1.show();
    m_controls.edit10.setText(totalDistanceText(total));
}

}  // namespace workspace
