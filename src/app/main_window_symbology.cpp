// The main window's symbology: legend panel, classification window, symbol
// editors, text labels and the transparency switch, and the buttons and
// menu entries that run them.
#include "app/main_window.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "symbology/classification_window.h"
#include "symbology/label_window.h"
#include "symbology/legend_panel.h"
#include "symbology/symbol_editors.h"
#include "symbology/transparency_switch.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QTabWidget>
#include <QToolButton>

namespace app {

void TForm1::ShowLegend() {
    m_legend->ShowLegend();
}

void TForm1::RestorePalette() {
    m_legend->RestorePalette();
}

void TForm1::connectSymbology() {
    platform::Dialogs& dialogs = m_surroundings.dialogs;
    QToolButton* reclassify = button(QStringLiteral("SpeedButton9"));
    QToolButton* legendButton = button(QStringLiteral("SpeedButton18"));
    QToolButton* transparency = button(QStringLiteral("SpeedButton21"));
    const auto closeToolWindows = [this] {
        m_windows->window(QStringLiteral("TForm4"))->close();
        m_windows->window(QStringLiteral("TForm5"))->close();
    };

    symbology::LegendPanel::Hooks legendHooks;
    legendHooks.commonPreamble = [this, reclassify] {
        commonPreamble();
        reclassify->setChecked(false);
    };
    legendHooks.stopMapTips = [this] { stopMapTips(); };
    legendHooks.rebuildAllLayers = [this] { RebuildAllLayers(); };
    legendHooks.refreshScaleBar = [this] { m_readouts->RefreshScaleBar(); };
    legendHooks.lineClicked = [this] { m_symbolEditors->openFromLegend(); };
    m_legend = std::make_unique<symbology::LegendPanel>(
        symbology::LegendPanel::Controls{*ListBox1, *button(QStringLiteral("SpeedButton35")), *Map1,
                                         *Map2, *m_themeList},
        std::move(legendHooks), m_state, dialogs);

    m_transparency = std::make_unique<symbology::TransparencySwitch>(
        symbology::TransparencySwitch::Controls{*transparency, *Map1, *Map2, *m_themeList,
                                                *ListBox1},
        symbology::TransparencySwitch::Hooks{[this] { commonPreamble(); },
                                             [this] { RebuildAllLayers(); }},
        m_state, dialogs);

    symbology::ClassificationWindow::Hooks classificationHooks;
    classificationHooks.commonPreamble = [this] { commonPreamble(); };
    classificationHooks.stopMapTips = [this] { stopMapTips(); };
    classificationHooks.showLegend = [this] { ShowLegend(); };
    classificationHooks.toggleTransparency = [this] { m_transparency->toggle(); };
    m_classification = std::make_unique<symbology::ClassificationWindow>(
        symbology::ClassificationWindow::Controls{*m_windows->window(QStringLiteral("TForm4")),
                                                  *reclassify, *legendButton, *transparency, *Map1,
                                                  *m_themeList, *ListBox1, *ComboBox1},
        std::move(classificationHooks), m_state, dialogs);

    symbology::SymbolEditors::Hooks editorHooks;
    editorHooks.beforeOpening = [this, reclassify, closeToolWindows] {
        commonPreamble();
        reclassify->setChecked(false);
        closeToolWindows();
    };
    editorHooks.showLegend = [this] { ShowLegend(); };
    m_symbolEditors = std::make_unique<symbology::SymbolEditors>(
        symbology::SymbolEditors::Controls{*m_windows->window(QStringLiteral("TForm11")),
                                           *m_windows->window(QStringLiteral("TForm9")), *ListBox1,
                                           *Map1, *m_themeList},
        std::move(editorHooks), m_state, dialogs);

    m_labels = std::make_unique<symbology::LabelWindow>(
        symbology::LabelWindow::Controls{*m_windows->window(QStringLiteral("TForm13")), *Map1,
                                         *m_themeList},
        symbology::LabelWindow::Hooks{[this] { stopMapTips(); }, [this] { RestorePalette(); }},
        m_state, dialogs);

    const auto onClick = [this](const char* name, auto handler) {
        connect(button(QLatin1String(name)), &QToolButton::clicked, this, handler);
    };
    const auto onMenu = [this](const char* name, auto handler) {
        connect(findChild<QAction*>(QLatin1String(name)), &QAction::triggered, this, handler);
    };
    onClick("SpeedButton9", [this] { m_classification->open(); });
    onMenu("Cor1", [reclassify] {
        reclassify->setChecked(false);
        reclassify->click();  // down, and its command runs
    });
    onClick("SpeedButton18", [this] { ShowLegend(); });
    onMenu("Ativaedesativa2", [legendButton] {
        legendButton->setChecked(false);
        legendButton->click();
    });
    onClick("SpeedButton14", [this] { RestorePalette(); });
    onMenu("Retornaapaletadecoresoriginal1", [this] { RestorePalette(); });
    onClick("SpeedButton21", [this] { m_transparency->toggle(); });
    onClick("SpeedButton34", [this] { m_labels->OpenLabels(); });
    onMenu("Label8", [this] { m_labels->OpenLabels(); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 1) ShowLegend();
    });
}

}  // namespace app
