// The main window's query tools: map tips, and the branches of a press on
// the main map that belong to them.
#include "app/main_window.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "output/zoom_window.h"
#include "platform/drives.h"
#include "query/identify_tool.h"
#include "query/map_tips.h"
#include "query/media_window.h"
#include "query/query_tool.h"
#include "query/text_printing.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace app {

void TForm1::stopMapTips() {
    Map1->setShowHints(false);
    if (m_mapTips) {
        m_mapTips->stop();
    } else {
        button(QStringLiteral("SpeedButton19"))->setChecked(false);
        m_state.mapTipsActive = false;
    }
}

workspace::Navigation::Branches TForm1::navigationBranches() {
    workspace::Navigation::Branches branches;
    branches.stopMapTips = [this] { stopMapTips(); };
    branches.clearLinks = [this] { m_media->clear(); };
    branches.extentWriteBack = [this] { m_zoomWindow->afterZoom(); };
    branches.localIdentify = [this](const mapcontrol::MapPoint& point) {
        m_identify->identifyAt(point);
    };
    addWmsBranches(branches);
    branches.databaseLinkChecked = [this] { return CheckBox1->isChecked(); };
    branches.databaseLink = [this] { DatabaseLinkAfterIdentify(); };
    return branches;
}

void TForm1::connectQuery() {
    QToolButton* tips = button(QStringLiteral("SpeedButton19"));
    m_mapTips = std::make_unique<query::MapTips>(
        query::MapTips::Controls{*tips, *m_windows->window(QStringLiteral("TForm8")), *Map1,
                                 *m_themeList, *Edit5, *Edit6, *Edit7},
        query::MapTips::Hooks{[this] { m_readouts->UpdateDistanceReadout(); },
                              [this] { m_themeList->endMove(); }},
        m_state, m_surroundings.dialogs);
    connect(tips, &QToolButton::clicked, this, [this] { m_mapTips->buttonClicked(); });
    connect(findChild<QAction*>(QStringLiteral("Mensagens1")), &QAction::triggered, this,
            [this, tips] {
                tips->setChecked(true);  // pressed, then its command runs
                m_mapTips->buttonClicked();
            });

    m_media = std::make_unique<query::MediaWindow>(*m_windows->window(QStringLiteral("TForm12")),
                                                   *m_windows->window(QStringLiteral("TForm18")),
                                                   m_surroundings.configuration.drives);
    query::IdentifyTool::Hooks identifyHooks;
    identifyHooks.updateDistance = [this] { m_readouts->UpdateDistanceReadout(); };
    identifyHooks.stopMapTips = [this] { stopMapTips(); };
    identifyHooks.endMove = [this] { m_themeList->endMove(); };
    identifyHooks.connectionChoice = [this] { return m_state.connectionKind; };
    identifyHooks.status = m_statusLine;
    identifyHooks.printLines = [this](const QStringList& lines) {
        return query::printToDefaultPrinter(
                   m_windows->window(QStringLiteral("TForm2")), m_surroundings.dialogs, lines,
                   QStringLiteral("Atributos"), m_statusLine) != query::PrintOutcome::Failed;
    };
    QToolButton* identify = button(QStringLiteral("SpeedButton6"));
    m_identify = std::make_unique<query::IdentifyTool>(
        query::IdentifyTool::Controls{*identify, *m_windows->window(QStringLiteral("TForm2")),
                                      *m_windows->window(QStringLiteral("TForm15")), *Map1, *Image1,
                                      *m_themeList, *CheckBox1, *m_media},
        std::move(identifyHooks), m_state, m_surroundings.dialogs,
        m_surroundings.configuration.drives);
    connect(identify, &QToolButton::clicked, this, [this] { m_identify->buttonClicked(); });

    query::QueryTool::Hooks queryHooks;
    queryHooks.updateDistance = [this] { m_readouts->UpdateDistanceReadout(); };
    queryHooks.endMove = [this] { m_themeList->endMove(); };
    queryHooks.stopMapTips = [this] { stopMapTips(); };
    queryHooks.connectionChoice = [this] { return m_state.connectionKind; };
    queryHooks.remoteSearch = [this] { RemoteAreaSearch(); };
    queryHooks.status = m_statusLine;
    queryHooks.printLines = [this](const QStringList& lines) {
        return query::printToDefaultPrinter(
                   m_windows->window(QStringLiteral("TForm5")), m_surroundings.dialogs, lines,
                   QStringLiteral("Pesquisa"), m_statusLine) != query::PrintOutcome::Failed;
    };
    QToolButton* queryButton = button(QStringLiteral("SpeedButton10"));
    m_query = std::make_unique<query::QueryTool>(
        query::QueryTool::Controls{*queryButton, *m_windows->window(QStringLiteral("TForm5")),
                                   *Map1, *Map2, *m_themeList, *Edit1},
        std::move(queryHooks), m_state, m_surroundings.dialogs);
    connect(queryButton, &QToolButton::clicked, this, [this] { m_query->buttonClicked(); });
    connect(findChild<QAction*>(QStringLiteral("Pesquisaporquery1")), &QAction::triggered, this,
            [this, queryButton] {
                queryButton->setChecked(true);
                m_query->buttonClicked();
            });
    connect(button(QStringLiteral("SpeedButton27")), &QToolButton::clicked, this,
            [this] { m_query->removeSelection(); });
    connect(findChild<QAction*>(QStringLiteral("Retirarselecao1")), &QAction::triggered, this,
            [this] { m_query->removeSelection(); });
    connect(Map1, &mapcontrol::MapWidget::afterLayerDraw, this,
            [this](int index) { m_query->afterLayerDraw(index); });
    connect(findChild<QAction*>(QStringLiteral("Ativapesquisaporcursor1")), &QAction::triggered,
            this, [this, identify] {
                identify->setChecked(true);
                m_identify->buttonClicked();
            });
}

}  // namespace app
