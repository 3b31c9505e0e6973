// The main window's side of the fixed remote connections: the connections
// window and its kinds, the map-group panel, connect, swap, the zoom window
// without export, "Vetor", the connection's legend, the second opacity
// control and the reveal of the hidden controls.
#include "app/main_window.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "output/zoom_window.h"
#include "platform/dialogs.h"
#include "wms/connections_window.h"
#include "wms/map_list_panel.h"
#include "wms/wms_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QToolButton>

namespace app {

const QString TForm1::kZoomWithoutExport = QStringLiteral(
    "Este tipo de conexão não foi criado para gravar imagem georreferenicada, somente para "
    "visualização. Utilize o protocolo WMS padrão !");

void TForm1::connectConnections() {
    QWidget* form = m_windows->window(QStringLiteral("TForm23"));
    m_connections = std::make_unique<wms::ConnectionsWindow>(*form);
    wms::ConnectionsWindow& c = *m_connections;
    m_openInBrowser = [](const QString& url) {
        // The address goes to the desktop's browser exactly as built.
        QProcess::startDetached(QStringLiteral("xdg-open"), {url});
    };
    const auto showForm = [form] {
        form->show();
        form->raise();
    };
    connect(button(QStringLiteral("BOTAO2")), &QToolButton::clicked, this, showForm);
    connect(findChild<QAction*>(QStringLiteral("Conexoes1")), &QAction::triggered, this,
            [this, showForm] {
                RevealConnections();
                showForm();
            });
    connect(&c, &wms::ConnectionsWindow::kindChosen, this, &TForm1::ChooseConnectionKind);
    connect(c.troca, &QToolButton::clicked, this, &TForm1::SwapRemoteAndLocal);
    connect(c.SpeedButton40, &QToolButton::clicked, this, &TForm1::ZoomWithoutExport);
    connect(c.up, &wms::OpacityUpDown::stepping, this,
            [this](int position) { OpacityStep(position, false); });
}

void TForm1::RevealConnections() {
    m_connections->reveal();
    CheckBox1->show();
}

void TForm1::mainWindowDoubleClicked() {
    // The first double click hides "KESTRAM"; the next shows everything.
    if (CheckBox1->isVisible()) {
        CheckBox1->hide();
    } else {
        RevealConnections();
    }
}

void TForm1::ChooseConnectionKind(int kind) {
    wms::ConnectionsWindow& c = *m_connections;
    if (kind != 5) c.SpeedButton1->hide();
    c.SpeedButton41->setEnabled(kind == 2);
    if (kind == 5) {
        c.RadioGroup1Box->show();
        c.Image1->show();
        c.SpeedButton1->show();
        c.RadioGroup2Box->hide();
    } else if (kind == 1) {
        c.radiogroup5Box->show();
        c.RadioGroup1Box->hide();
        c.RadioGroup2Box->hide();
    } else if (kind >= 2 && kind <= 4) {
        c.radiogroup5Box->hide();
    }
    m_state.wmsActive = false;
    m_state.connectionKind = kind;
    if (kind == 0) {
        button(QStringLiteral("SpeedButton42"))->setEnabled(true);
        button(QStringLiteral("SpeedButton26"))->setEnabled(false);
        button(QStringLiteral("SpeedButton3"))->setEnabled(false);
        Panel3->show();
        ck->hide();
        c.SpeedButton37->setEnabled(!Panel3->ComboBox3->currentText().isEmpty());
        c.troca->setEnabled(false);
        setFixedSize(size());  // dialog border
        button(QStringLiteral("SpeedButton5"))->setEnabled(false);
    } else if (kind >= 1 && kind <= 5) {
        button(QStringLiteral("SpeedButton26"))->setEnabled(false);
        button(QStringLiteral("SpeedButton3"))->setEnabled(false);
        Panel3->hide();
        ck->show();
        c.SpeedButton37->setEnabled(true);
        c.troca->setEnabled(true);
        m_wms->up1->setEnabled(true);
        setFixedSize(size());
        deleteTemporaryPictures();
    } else if (kind == 6) {
        c.clearKind();
        m_state.connectionKind = -1;
        Panel3->hide();
        c.radiogroup5Box->hide();
        Map1->show();
        Image1->hide();
        m_state.connectionMode = false;
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setLocalTools(true);
        setMainMenuItems({1, 3, 4, 5, 6, 7, 9, 10, 11}, true);
        for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton4", "SpeedButton5",
                                 "SpeedButton6", "SpeedButton7", "SpeedButton26", "M1"}) {
            button(QLatin1String(name))->setEnabled(true);
        }
        c.up->setEnabled(false);
        m_readouts->UpdateDistanceReadout();
        m_themeList->endMove();
        c.a1->hide();
        m_state.memoryMode = false;
        m_windows->window(QStringLiteral("TForm5"))->close();
        return;
    }
    c.form().show();
    c.form().raise();
}

void TForm1::ZoomWithoutExport() {
    m_surroundings.dialogs.message(this, kZoomWithoutExport, platform::MessageKind::Warning);
    m_zoomWindow->SpeedButton2->setEnabled(false);
    QWidget* zoomForm = m_windows->window(QStringLiteral("TForm14"));
    zoomForm->show();
    zoomForm->raise();
}

}  // namespace app
