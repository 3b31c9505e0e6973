#pragma once

#include "workspace/app_state.h"

#include <QImage>
#include <QPoint>

#include <functional>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace mapcontrol {
class MapWidget;
}

namespace workspace {

// The read-outs under the map: coordinates under the pointer, the numeric
// scale, the scale bar and the distance tool, on the main window's controls
// (borrowed). The arithmetic is in readouts.h.
class ReadoutPanel {
public:
    struct Controls {
        mapcontrol::MapWidget& map1;
        QLabel& image1;                             // the frozen picture of the distance tool
        QLineEdit& edit2;                           // X
        QLineEdit& edit3;                           // Y
        QCheckBox& dms;                             // CheckBox2, "GMS"
        QLineEdit& edit4;                           // the scale denominator
        QLineEdit& edit10;                          // the distance
        QWidget& scaleBar;                          // Panel2
        QLabel& scaleBarText;                       // Image2: the bar and its length
        std::vector<QWidget*> coordinateWidgets;    // shown and hidden with the coordinates
        std::vector<QWidget*> scaleWidgets;         // shown with the numeric scale
        QAbstractButton* distanceButton = nullptr;  // SpeedButton13, raised when a measurement ends
    };
    // What the read-outs ask of the rest of the main window.
    struct Hooks {
        std::function<void()> endThemeMove;  // the end of theme reordering, maps included
        std::function<void()> stopMapTips;   // tips button up, timer stopped, flag cleared
    };

    static constexpr int kMaxDistancePoints = 4499;

    ReadoutPanel(Controls controls, AppState& state, Hooks hooks = {});

    // The pointer moved to pixel (x, y) of the main map.
    void OnPointerMove(int x, int y);
    void ToggleCoordinates();
    void ComputeNumericScale();
    void ToggleScaleBar();
    void RefreshScaleBar();
    // Widens (+3 px) or narrows (-3 px) the scale bar.
    void resizeScaleBar(int deltaPixels);
    // The main map changed size (the window was maximised or resized): a
    // scale already shown, and its bar, are worked out again for it.
    void mapResized();
    // Applies the scale typed in Edit4 (four passes, as the map fits each extent to its shape).
    void ApplyTypedScale();

    void StartDistance();
    // A press on the frozen picture at pixel (x, y); false when the limit of points is reached.
    bool AddDistancePoint(int x, int y);
    void UpdateDistanceReadout();

    double scaleDenominator() const { return m_scaleDenominator; }
    int distancePointCount() const { return static_cast<int>(m_points.size()); }

private:
    // The scale of the extent the main map shows, into Edit4.
    void writeScale();
    void writeScaleBar(int barPixels);
    void endThemeMove();
    void stopMapTips();

    Controls m_controls;
    Hooks m_hooks;
    AppState& m_state;
    double m_scaleDenominator = 0.0;
    std::vector<mapcontrol::MapPoint> m_points;  // kilometres
    double m_running = 0.0;
    QPoint m_lastPixel;
    QImage m_frozen;
};

// The width in pixels a coordinate box needs to show its longest text whole:
// degrees, minutes and seconds near -180, or projected metres in the millions.
int coordinateFieldWidth(const QLineEdit& box);

}  // namespace workspace
