#pragma once

#include "workspace/app_state.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;
class QWidget;

namespace mapcontrol {
class MapWidget;
class ValueMapRenderer;
}  // namespace mapcontrol
namespace platform {
class Dialogs;
}
namespace workspace {
class ThemeList;
}

namespace symbology {

// Line style and marker style of the editors' choices; nothing when the text
// names none. The line style names are compared without trailing blanks.
std::optional<int> lineStyleNamed(const QString& name);
std::optional<int> markerStyleNamed(const QString& name);

// The two editors of one unique-value class, opened by a click on its
// legend line: TForm11 for polygon themes (fill colour and style, outline on
// or off and its thickness) and TForm9 for point and line themes (colour,
// marker and size, dash style). "Executa" changes that class of the theme's
// renderer in memory, shows the legend again and redraws the map. An edit
// applies only while exactly one theme is switched on and it is not
// classified by class breaks. Controls are built into the windows the
// program created.
class SymbolEditors : public QObject {
    Q_OBJECT
public:
    static const QString kClassBreakMessage;
    static const QString kOneThemeMessage;

    struct Controls {
        QWidget& polygonForm;    // TForm11
        QWidget& pointLineForm;  // TForm9
        QListWidget& legend;     // ListBox1 of the main window
        mapcontrol::MapWidget& map1;
        workspace::ThemeList& themes;
    };
    struct Hooks {
        // Ends the distance measurement, raises the reclassify button, closes
        // the classification and query windows and ends theme reordering.
        std::function<void()> beforeOpening;
        std::function<void()> showLegend;
    };

    SymbolEditors(Controls controls, Hooks hooks, workspace::AppState& state,
                  platform::Dialogs& dialogs);

    // A click on a legend line outside reorder mode.
    void openFromLegend();
    // "Executa" of TForm11 and of TForm9.
    void applyPolygon();
    void applyPointLine();

    // TForm11's controls.
    struct PolygonControls {
        QToolButton* SpeedButton1 = nullptr;  // "Côr de preenchimento"
        QLabel* Shape1 = nullptr;
        QButtonGroup* RadioGroup1 = nullptr;  // fill style, ids 0 to 7
        QButtonGroup* RadioGroup2 = nullptr;  // 0 with outline, 1 without
        QLineEdit* Edit1 = nullptr;           // outline thickness
        QToolButton* SpeedButton2 = nullptr;  // "Executa"
    } polygon;
    // TForm9's controls.
    struct PointLineControls {
        QToolButton* SpeedButton1 = nullptr;  // "CIRCULO"
        QToolButton* SpeedButton6 = nullptr;  // "QUADRADO"
        QToolButton* SpeedButton2 = nullptr;  // "TRIANGULO"
        QToolButton* SpeedButton3 = nullptr;  // "CRUZ"
        QToolButton* SpeedButton7 = nullptr;  // "FONTE", hidden
        QLineEdit* Edit1 = nullptr;           // the marker name
        QComboBox* ComboBox1 = nullptr;       // line style
        QComboBox* ComboBox2 = nullptr;       // marker size
        QToolButton* SpeedButton4 = nullptr;  // "CÔR"
        QLabel* Shape1 = nullptr;
        QToolButton* SpeedButton5 = nullptr;  // "Executa"
    } pointLine;

private:
    // The class an edit applies to.
    struct Target {
        mapcontrol::ValueMapRenderer* renderer = nullptr;
        int index = -1;
        QString geometry;
    };
    std::optional<Target> target() const;
    void buildPolygonForm();
    void buildPointLineForm();
    void chooseColour(QWidget& form, QLabel& swatch);
    void finishEdit(QWidget& form);

    Controls m_controls;
    Hooks m_hooks;
    workspace::AppState& m_state;
    platform::Dialogs& m_dialogs;
};

}  // namespace symbology
