#pragma once

#include "platform/result.h"

#include "workspace/app_state.h"

#include <QObject>
#include <QString>

#include <functional>

class QComboBox;
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

// The denominator of a target scale of the metafile list, whose dots group
// thousands ("2.500.000" is 2500000, "1000.000" one million); 0 when the
// text is not such a number.
qint64 listedScale(const QString& text);
// The metafile's size factor: the current scale denominator (the scale
// field's text) over the chosen one; 0 when either is missing or 0.
double metafileFactor(const QString& scaleField, const QString& chosen);

// The map on paper, in picture files, in a metafile at a chosen scale
// (TForm10) and on the clipboard. Controls of TForm10 are built into the
// window the program created for it.
class ScreenOutput : public QObject {
    Q_OBJECT
public:
    static const QString kNoScaleMessage;

    struct Controls {
        mapcontrol::MapWidget& map1;
        QLabel& remotePicture;  // Image1 of the main window
        QLineEdit& scaleField;  // Edit4, the current scale denominator
        QWidget& metafileForm;  // TForm10
    };
    struct Hooks {
        // Distance read-out, end of theme reordering.
        std::function<void()> commonPreamble;
        std::function<void()> stopMapTips;
        // Where the commands tell what they did; none for the window alone.
        platform::StatusLine* status = nullptr;
    };

    ScreenOutput(Controls controls, Hooks hooks, workspace::AppState& state,
                 platform::Dialogs& dialogs);

    // "Grava_tela_tif" and "Grava_tela_bmp": the screen as a picture file.
    void saveScreen(const QString& extension);
    // "Grava_EMF" and its window's "Exporta metafile".
    void showMetafileWindow();
    void exportMetafile();
    // "Imprime mapa - tela" / "Imprimir" and "Copiar para clipboard" / "Clipboard".
    void print();
    void copyToClipboard();

    QComboBox* ComboBox1 = nullptr;       // target scales
    QToolButton* SpeedButton1 = nullptr;  // "Exporta metafile"

private:
    // Shows a failed export's reason; on success the file written, when
    // there is one, goes to the status line.
    void report(QWidget* parent, const platform::Result& result, const QString& written = {});

    Controls m_controls;
    Hooks m_hooks;
    workspace::AppState& m_state;
    platform::Dialogs& m_dialogs;
};

}  // namespace output
