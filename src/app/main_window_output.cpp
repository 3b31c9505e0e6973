// The main window's output and help: the zoom to coordinates window, screen
// export, printing and the clipboard, the help and credits windows.
#include "app/main_window.h"
#include "app/secondary_windows.h"
#include "help/help_window.h"
#include "mapcontrol/map_widget.h"
#include "output/screen_output.h"
#include "output/zoom_window.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace app {

void TForm1::connectOutput() {
    platform::Dialogs& dialogs = m_surroundings.dialogs;
    const auto preamble = [this] { commonPreamble(); };

    output::ZoomWindow::Hooks zoomHooks;
    zoomHooks.commonPreamble = preamble;
    zoomHooks.stopMapTips = [this] { stopMapTips(); };
    zoomHooks.refreshScaleBar = [this] { m_readouts->RefreshScaleBar(); };
    zoomHooks.showCoordinates = [this] {
        for (QWidget* w : {static_cast<QWidget*>(Edit2), static_cast<QWidget*>(Edit3),
                           static_cast<QWidget*>(CheckBox2)}) {
            w->show();
        }
    };
    zoomHooks.clearDistance = [this] { Edit10->clear(); };
    zoomHooks.connectionKind = [this] { return m_state.connectionKind; };
    zoomHooks.status = m_statusLine;
    QWidget* zoomForm = m_windows->window(QStringLiteral("TForm14"));
    m_zoomWindow = std::make_unique<output::ZoomWindow>(
        output::ZoomWindow::Controls{*zoomForm, *Map1, *Image1,
                                     *button(QStringLiteral("SpeedButton7")),
                                     *button(QStringLiteral("SpeedButton5"))},
        std::move(zoomHooks), m_state, dialogs);
    const auto showZoomWindow = [zoomForm] {
        zoomForm->show();
        zoomForm->raise();
    };
    connect(findChild<QAction*>(QStringLiteral("Zoom_coord1")), &QAction::triggered, this,
            showZoomWindow);
    connect(button(QStringLiteral("BARRA")), &QToolButton::clicked, this, [this, showZoomWindow] {
        m_zoomWindow->SpeedButton2->setEnabled(true);
        showZoomWindow();
    });
    // "GMS" while checked, "DEC" while not: the coordinate read-out's form.
    connect(CheckBox2, &QCheckBox::toggled, this, [this](bool gms) {
        CheckBox2->setText(gms ? QStringLiteral("GMS") : QStringLiteral("DEC"));
    });

    m_screenOutput = std::make_unique<output::ScreenOutput>(
        output::ScreenOutput::Controls{*Map1, *Image1, *Edit4,
                                       *m_windows->window(QStringLiteral("TForm10"))},
        output::ScreenOutput::Hooks{preamble, [this] { stopMapTips(); }, m_statusLine}, m_state,
        dialogs);
    const auto onMenu = [this](const char* name, auto handler) {
        connect(findChild<QAction*>(QLatin1String(name)), &QAction::triggered, this, handler);
    };
    const auto onClick = [this](const char* name, auto handler) {
        connect(button(QLatin1String(name)), &QToolButton::clicked, this, handler);
    };
    onMenu("Grava_tela_tif1", [this] { m_screenOutput->saveScreen(QStringLiteral("tif")); });
    onMenu("Grava_tela_bmp1", [this] { m_screenOutput->saveScreen(QStringLiteral("bmp")); });
    onMenu("Grava_EMF1", [this] { m_screenOutput->showMetafileWindow(); });
    onClick("SpeedButton8", [this] { m_screenOutput->print(); });
    onMenu("Imprimir1", [this] { button(QStringLiteral("SpeedButton8"))->click(); });
    onClick("SpeedButton20", [this] { m_screenOutput->copyToClipboard(); });
    onMenu("Clipboard1", [this] { m_screenOutput->copyToClipboard(); });

    QWidget* helpForm = m_windows->window(QStringLiteral("TForm7"));
    QWidget* creditsForm = m_windows->window(QStringLiteral("TForm6"));
    const platform::Configuration& config = m_surroundings.configuration;
    m_help = std::make_unique<help::HelpWindow>(
        *helpForm, *creditsForm, config.bootDrive, config.drives,
        config.installedDataFolder.isEmpty()
            ? QString()
            : config.installedDataFolder + QStringLiteral("/help"));
    const auto open = [this](QWidget* form) {
        return [this, form] {
            commonPreamble();
            form->show();
            form->raise();
        };
    };
    onClick("SpeedButton16", open(helpForm));
    onMenu("Ajuda1", open(helpForm));
    onClick("SpeedButton15", open(creditsForm));
    onClick("SpeedButton60", open(creditsForm));
}

}  // namespace app
