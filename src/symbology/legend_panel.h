#pragma once

#include "workspace/app_state.h"

#include <QObject>
#include <QString>

#include <functional>

class QAbstractButton;
class QListWidget;

namespace mapcontrol {
class MapWidget;
}
namespace platform {
class Dialogs;
}
namespace workspace {
class ThemeList;
}

namespace symbology {

// The legend list of the main window: a title line and one line per class,
// with its picture, for every switched-on vector theme, read from the
// renderers of the main map. Also restores every theme's own palette, and
// lets the user drag lines into another order while the reorder button is
// down. Borrows everything.
class LegendPanel : public QObject {
    Q_OBJECT
public:
    static const QString kTooManyClassesMessage;
    static constexpr int kItemHeight = 20;
    // Item data role of a line's picture (a QImage; none for plain lines).
    static constexpr int kPictureRole = Qt::UserRole + 1;
    // Item data role of a class line's class number in its renderer (the
    // line keeps it when the lines are reordered).
    static constexpr int kClassRole = Qt::UserRole + 2;

    struct Controls {
        QListWidget& legend;       // ListBox1
        QAbstractButton& reorder;  // SpeedButton35, "Altera ordem da legenda"
        mapcontrol::MapWidget& map1;
        mapcontrol::MapWidget& map2;
        workspace::ThemeList& themes;
    };
    struct Hooks {
        // Ends the distance measurement, raises the reclassify button, ends
        // theme reordering and switches map tips off.
        std::function<void()> commonPreamble;
        std::function<void()> stopMapTips;       // the pointer moved over the legend
        std::function<void()> rebuildAllLayers;  // every theme's layer from its files
        std::function<void()> refreshScaleBar;   // when the scale bar is shown
        std::function<void()> connectionLegend;  // the remote connection's legend window
        std::function<void()> lineClicked;       // a click outside reorder mode
    };

    LegendPanel(Controls controls, Hooks hooks, workspace::AppState& state,
                platform::Dialogs& dialogs);

    // "Exibir legendas": builds the legend of the renderers in the main map.
    void ShowLegend();
    // "Volta a paleta orignal": drops every classification, symbol edit and
    // label and builds every layer again from its colour file or defaults.
    void RestorePalette();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Controls m_controls;
    Hooks m_hooks;
    workspace::AppState& m_state;
    platform::Dialogs& m_dialogs;
    int m_dragFrom = -1;
};

}  // namespace symbology
