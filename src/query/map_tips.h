#pragma once

#include "workspace/app_state.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QToolButton;
class QWidget;

namespace mapcontrol {
class MapWidget;
}
namespace platform {
class Dialogs;
}
namespace workspace {
class ThemeList;
}

namespace query {

// Width of the tip box for a text: 8 pixels per character and 6 more; 0
// for no text.
inline int tipBoxWidth(const QString& text) {
    return text.isEmpty() ? 0 : 8 * static_cast<int>(text.size()) + 6;
}

// Map tips ("mensagens associadas"): once the user has chosen a field of the
// selected vector theme in the field chooser TForm8, resting the pointer over
// the main map for a second shows that field's value of the feature under
// it in a box beside the pointer. Controls of TForm8 are built into the
// window the program created for it.
class MapTips : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimerInterval = 1000;  // ms
    static const QString kCollectorsMessage;
    static const QString kSelectThemeMessage;
    static const QString kNotShapeMessage;
    static const QString kSelectFieldMessage;

    struct Controls {
        QAbstractButton& button;  // SpeedButton19, group 1
        QWidget& chooser;         // TForm8
        mapcontrol::MapWidget& map1;
        workspace::ThemeList& themes;
        QLineEdit& tipBox;  // Edit5, floating over the map
        QLineEdit& lastX;   // Edit6, the last pointer position over the map
        QLineEdit& lastY;   // Edit7
    };
    struct Hooks {
        std::function<void()> updateDistance;  // the distance read-out
        std::function<void()> endMove;         // theme reordering
    };

    MapTips(Controls controls, Hooks hooks, workspace::AppState& state, platform::Dialogs& dialogs);

    // The map-tip button's command, after its click changed its state.
    void buttonClicked();
    // "Executa - mensagem" and "Volta" of the chooser.
    void execute();
    void back();
    // A pointer move over the main map, after the position was written.
    void pointerMoved(int x, int y);
    // The timer's tick: a look-up at the last position while tips are on.
    void tick();
    // The tip at a pixel of the main map: shows the box with the field's
    // value of the last feature found there.
    void lookUp(int x, int y);
    // Switches tips off: button up, timer stopped, flag cleared.
    void stop();

    const QString& field() const { return m_field; }
    QTimer& timer() { return m_timer; }

    QComboBox* ComboBox1 = nullptr;       // the field names
    QToolButton* SpeedButton1 = nullptr;  // "Executa - mensagem"
    QToolButton* SpeedButton2 = nullptr;  // "Volta"

private:
    Controls m_controls;
    Hooks m_hooks;
    workspace::AppState& m_state;
    platform::Dialogs& m_dialogs;
    QTimer m_timer;
    QString m_field;
};

}  // namespace query
