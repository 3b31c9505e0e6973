#pragma once

#include "workspace/app_state.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace mapcontrol {
class MapWidget;
}
namespace platform {
class Dialogs;
class StatusLine;
}  // namespace platform

namespace output {

// TForm14, the zoom to typed coordinates: the corners of the main map's
// extent in degrees, minutes and seconds (or decimal degrees), the zoom to
// typed corners, zoom files, and the screen exported as a TIF picture with
// its world file. Controls are built into the window the program created.
class ZoomWindow : public QObject {
    Q_OBJECT
public:
    static const QString kNoFileMessage;
    static const QString kConnectedMessage;

    struct Controls {
        QWidget& form;  // TForm14
        mapcontrol::MapWidget& map1;
        QWidget& remotePicture;       // Image1 of the main window
        QAbstractButton& zoomWindow;  // SpeedButton7
        QAbstractButton& pan;         // SpeedButton5
    };
    struct Hooks {
        // Distance read-out, end of theme reordering.
        std::function<void()> commonPreamble;
        std::function<void()> stopMapTips;
        std::function<void()> refreshScaleBar;
        std::function<void()> showCoordinates;
        std::function<void()> clearDistance;
        // The connection kind of the connections window; -1 for none.
        std::function<int()> connectionKind;
        // Where the commands tell what they did; none for the window alone.
        platform::StatusLine* status = nullptr;
    };

    ZoomWindow(Controls controls, Hooks hooks, workspace::AppState& state,
               platform::Dialogs& dialogs);

    // Fills the degrees, minutes and seconds from the current extent.
    void ShowExtentInZoomWindow();
    // What the zoom handlers do after every zoom: the corners again, and the
    // window shown again when it is to stay on the screen.
    void afterZoom();

    void zoom();               // "REALIZA O ZOOM"
    void exportPicture();      // "Grava arq. tif / tfw"
    void saveZoomFile();       // "Grava arquivo de zoom"
    void openZoomFile();       // "Abre arquivo de zoom"
    void clearCorners();       // "Apaga - lat lon"
    void inputForm(int item);  // RadioGroup3

    // The corners' edits: degrees, minutes, seconds and decimal, in the order
    // top, left, bottom, right.
    enum Corner { Top = 0, Left = 1, Bottom = 2, Right = 3 };
    std::array<std::array<QLineEdit*, 3>, 4> dms{};
    std::array<QLineEdit*, 4> decimal{};
    QButtonGroup* RadioGroup1 = nullptr;  // stays on the screen after a zoom
    QButtonGroup* RadioGroup2 = nullptr;  // changes the context
    QButtonGroup* RadioGroup3 = nullptr;  // degrees, minutes, seconds or decimal
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton5 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void onShow();
    double corner(Corner c) const;

    Controls m_controls;
    Hooks m_hooks;
    workspace::AppState& m_state;
    platform::Dialogs& m_dialogs;
};

}  // namespace output
