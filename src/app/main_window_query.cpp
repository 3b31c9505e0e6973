// The main window's query tools: map tips, and the branches of a press on
// the main map that belong to them.
#include "app/main_window.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "query/map_tips.h"

#include <QAction>
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
}

}  // namespace app
