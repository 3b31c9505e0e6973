#pragma once

#include "mapcontrol/geometry.h"
#include "workspace/app_state.h"

#include <QObject>
#include <QString>

#include <functional>

class QComboBox;
class QLineEdit;
class QListWidget;
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

namespace symbology {

// The divisor of the map extent's size that gives the label height for a
// text size: 1 → 650, 2 → 600, 4 → 550, 6 → 500, 8 → 450, 10 → 400,
// 12 → 300, 14 → 200, 15 → 150, 16 → 50. Any other size takes the divisor
// of the default size 8.
int labelDivisor(const QString& size);
inline constexpr int kDefaultLabelDivisor = 450;

// Label height in map units: the extent's size over the divisor, so labels
// keep their ground size while zooming.
inline double labelHeight(const mapcontrol::Rectangle& extent, int divisor) {
    return extent.size() / divisor;
}

// TForm13: labels a vector theme with the values of one field, drawn over the
// theme's symbology. "Remove texto" restores every theme's own palette,
// which drops all labels. Controls are built into the window the program
// created for it.
class LabelWindow : public QObject {
    Q_OBJECT
public:
    static const QString kSelectThemeMessage;
    static const QString kNotShapeMessage;

    struct Controls {
        QWidget& form;  // TForm13
        mapcontrol::MapWidget& map1;
        workspace::ThemeList& themes;
    };
    struct Hooks {
        std::function<void()> stopMapTips;
        std::function<void()> restorePalette;
    };

    LabelWindow(Controls controls, Hooks hooks, workspace::AppState& state,
                platform::Dialogs& dialogs);

    // "Adiciona textos das tabelas": lists the selected theme's fields and
    // shows the window.
    void OpenLabels();
    // "Adiciona texto".
    void AddLabels();

    QListWidget* ListBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Controls m_controls;
    Hooks m_hooks;
    workspace::AppState& m_state;
    platform::Dialogs& m_dialogs;
};

}  // namespace symbology
