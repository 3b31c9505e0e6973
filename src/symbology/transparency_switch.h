#pragma once

#include "workspace/app_state.h"

#include <QString>

#include <functional>

class QAbstractButton;
class QListWidget;

namespace mapcontrol {
class MapWidget;
class RecordSet;
}  // namespace mapcontrol
namespace platform {
class Dialogs;
}
namespace workspace {
class ThemeList;
}

namespace symbology {

// The transparency switch of a vector theme ("Ativa e desativa
// transparencia"). Switching on draws the selected theme over the others:
// polygons hollow with their outlines, points as red circles, one class per
// value of its last text field. Switching off builds every layer again from
// its colour file or defaults, which also drops any class-break
// classification (it switches the mode on to that end). Borrows everything.
class TransparencySwitch {
public:
    static const QString kNoShapeMessage;

    struct Controls {
        QAbstractButton& button;  // SpeedButton21
        mapcontrol::MapWidget& map1;
        mapcontrol::MapWidget& map2;
        workspace::ThemeList& themes;
        QListWidget& legend;  // ListBox1
    };
    struct Hooks {
        // Distance read-out, end of theme reordering, map tips off.
        std::function<void()> commonPreamble;
        std::function<void()> rebuildAllLayers;
    };

    TransparencySwitch(Controls controls, Hooks hooks, workspace::AppState& state,
                       platform::Dialogs& dialogs);

    // The button's command.
    void toggle();

private:
    Controls m_controls;
    Hooks m_hooks;
    workspace::AppState& m_state;
    platform::Dialogs& m_dialogs;
};

// The field the transparency mode classifies by: the last field that is not
// numeric, else the first field. Empty when the layer has no fields.
QString transparencyField(const mapcontrol::RecordSet& records);

}  // namespace symbology
