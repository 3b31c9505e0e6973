#include "symbology/transparency_switch.h"

#include "files/theme_line.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/record_set.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "platform/dialogs.h"
#include "symbology/theme_layer.h"
#include "symbology/unique_values.h"
#include "workspace/theme_list.h"

#include <QAbstractButton>
#include <QListWidget>

namespace symbology {

const QString TransparencySwitch::kNoShapeMessage =
    QStringLiteral("Não existe tema selecionado ou o arquivo não é shape");

QString transparencyField(const mapcontrol::RecordSet& records) {
    for (int i = records.fieldCount() - 1; i >= 0; --i) {
        const mapcontrol::FieldType type = records.fieldType(i);
        if (type != mapcontrol::FieldType::Integer && type != mapcontrol::FieldType::Double) {
            return records.fieldName(i);
        }
    }
    return records.fieldCount() > 0 ? records.fieldName(0) : QString();
}

TransparencySwitch::TransparencySwitch(Controls controls, Hooks hooks, workspace::AppState& state,
                                       platform::Dialogs& dialogs)
    : m_controls(controls), m_hooks(std::move(hooks)), m_state(state), m_dialogs(dialogs) {}

void TransparencySwitch::toggle() {
    if (m_hooks.commonPreamble) m_hooks.commonPreamble();
    const int selected = m_controls.themes.selectedIndex();
    const QString line = m_controls.themes.line(selected);
    if (!files::namesVectorTheme(line)) {
        if (!m_state.transparencyActive) {
            m_dialogs.message(m_controls.button.window(), kNoShapeMessage,
                              platform::MessageKind::Warning);
        }
        m_controls.button.setChecked(false);
    }
    if (selected < 0) {
        return;
    }
    if (m_state.transparencyActive) {
        m_state.transparencyActive = false;
        m_controls.map1.setExtent(m_state.currentExtent);
        m_controls.button.setChecked(false);
        if (m_hooks.rebuildAllLayers) m_hooks.rebuildAllLayers();
        return;
    }
    if (!files::namesVectorTheme(line)) {
        return;
    }
    m_controls.legend.clear();
    m_state.transparencyActive = true;
    m_state.themeRenderKind[static_cast<std::size_t>(selected)] = 0;
    // Both maps share the theme's layer, so one renderer serves both.
    mapcontrol::VectorLayer* layer = workspace::themeVectorLayer(m_controls.map1, line);
    if (layer && classifyByUniqueValues(*layer, transparencyField(layer->records()), true) &&
        layer->shapeType() == mapcontrol::ShapeType::Point) {
        auto& renderer = static_cast<mapcontrol::ValueMapRenderer&>(*layer->renderer());
        for (int i = 0; i < renderer.valueCount(); ++i) {
            renderer.symbol(i).colour = mapcontrol::colourInt(255, 0, 0);
        }
    }
    m_controls.map1.setExtent(m_state.currentExtent);
    m_controls.map1.refresh();
    m_controls.map2.refresh();
}

}  // namespace symbology
