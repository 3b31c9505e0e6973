#pragma once

#include "workspace/app_state.h"

#include <QObject>
#include <QString>

#include <functional>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QToolButton;
class QWidget;

namespace mapcontrol {
class MapWidget;
class VectorLayer;
}  // namespace mapcontrol
namespace platform {
class Dialogs;
}
namespace workspace {
class ThemeList;
}

namespace symbology {

// TForm4, "Estabelecendo cores": reclassifies the selected vector theme by
// the unique values of a field ("VALOR UNICO") or by class breaks one
// standard deviation apart, coloured by a ramp ("ESTATISTICA"). The window
// stays open after an operation. Its controls are built into the window the
// program created for it.
class ClassificationWindow : public QObject {
    Q_OBJECT
public:
    static const QString kSelectThemeMessage;
    static const QString kNotShapeMessage;
    static const QString kChooseFieldMessage;

    struct Controls {
        QWidget& form;                  // TForm4
        QAbstractButton& reclassify;    // SpeedButton9
        QAbstractButton& legendButton;  // SpeedButton18, "Exibir legendas"
        QAbstractButton& transparency;  // SpeedButton21
        mapcontrol::MapWidget& map1;
        workspace::ThemeList& themes;
        QListWidget& legend;        // ListBox1 of the main window
        QComboBox& lastClassified;  // ComboBox1 of the main window, hidden
    };
    struct Hooks {
        std::function<void()> commonPreamble;
        std::function<void()> stopMapTips;
        std::function<void()> showLegend;
        std::function<void()> toggleTransparency;  // the transparency button's command
    };

    ClassificationWindow(Controls controls, Hooks hooks, workspace::AppState& state,
                         platform::Dialogs& dialogs);

    // "Reclassifica": fills the field lists and shows the window.
    void open();
    // "Realiza a operação" (unique values) and "Realiza operação" (class breaks).
    void uniqueValues();
    void classBreaks();
    // "Volta": raises the reclassify button and closes the window.
    void back();

    // Controls, by the names the program gives them.
    QTabWidget* PageControl1 = nullptr;
    QListWidget* ListBox1 = nullptr;  // every field
    QListWidget* ListBox2 = nullptr;  // numeric fields
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;  // number of candidates, hidden
    QLabel* Image1 = nullptr;    // ramp start swatch
    QLabel* Image2 = nullptr;    // ramp end swatch
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void emptyFieldLists();
    void chooseSwatchColour(QLabel& swatch, mapcontrol::ColourInt& colour);
    // The selected theme's shape layer; null (after telling the user) when none.
    mapcontrol::VectorLayer* selectedShapeLayer(int& theme);

    Controls m_controls;
    Hooks m_hooks;
    workspace::AppState& m_state;
    platform::Dialogs& m_dialogs;
};

}  // namespace symbology
