#include "app/tool_icons.h"

#include <QFile>

#include <utility>

// The icons live in the static library quelvora_app, whose resource
// initialiser the linker would drop: register them by hand, once.
// Q_INIT_RESOURCE only works outside a namespace.
static void registerToolIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace app {

namespace {

// Button object name and the picture it shows.
const std::pair<const char*, const char*> kIconFiles[] = {
    {"SpeedButton3", "theme_add"},
    {"SpeedButton17", "theme_delete"},
    {"SpeedButton21", "transparency"},
    {"SpeedButton20", "clipboard"},
    {"SpeedButton8", "print"},
    {"SpeedButton19", "map_tips"},
    {"SpeedButton1", "full_extent"},
    {"SpeedButton2", "zoom_in"},
    {"SpeedButton4", "zoom_out"},
    {"SpeedButton5", "pan"},
    {"SpeedButton7", "zoom_window"},
    {"SpeedButton6", "identify"},
    {"SpeedButton10", "query"},
    {"SpeedButton27", "query_clear"},
    {"SpeedButton13", "distance"},
    {"SpeedButton9", "reclassify"},
    {"SpeedButton18", "legend"},
    {"SpeedButton14", "palette_reset"},
    {"SpeedButton25", "legend_save"},
    {"SpeedButton15", "credits_authors"},
    {"SpeedButton60", "credits_award"},
    {"SpeedButton16", "help"},
    {"SpeedButton34", "labels_from_table"},
    {"M1", "memory_1"},
    {"M2", "memory_2"},
    {"BOTAO2", "memory_transparency"},
    {"SpeedButton37", "memory_leave"},
    {"BARRA", "map_frame"},
    {"arcgisserver", "map_server"},
    {"BOTAO3", "web_services"},
    {"SpeedButton33", "exit"},
    {"SpeedButton28", "map_move"},
    {"SpeedButton24", "scale_bar"},
    {"SpeedButton12", "numeric_scale"},
    {"SpeedButton11", "coordinates"},
    {"SpeedButton42", "collector_positions"},
    {"SpeedButton29", "themes_move_start"},
    {"SpeedButton30", "theme_up"},
    {"SpeedButton31", "theme_down"},
    {"SpeedButton32", "themes_move_end"},
    {"SpeedButton35", "legend_order"},
    {"SpeedButton26", "scale_apply"},
};

}  // namespace

namespace {

void registerOnce() {
    static const bool registered = (registerToolIcons(), true);
    Q_UNUSED(registered);
}

}  // namespace

QIcon programIcon() {
    registerOnce();
    return QIcon(QStringLiteral(":/desktop/quelvora.svg"));
}

QIcon toolIcon(const QString& buttonName) {
    registerOnce();
    for (const auto& [name, file] : kIconFiles) {
        if (buttonName == QLatin1String(name)) {
            const QString path = QStringLiteral(":/icons/%1.svg").arg(QLatin1String(file));
            return QFile::exists(path) ? QIcon(path) : QIcon();
        }
    }
    return {};
}

}  // namespace app
