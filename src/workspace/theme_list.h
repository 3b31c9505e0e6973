#pragma once

#include "files/project_lines.h"
#include "workspace/app_state.h"

#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QListWidget;

namespace files {
class LayerBuilder;
}
namespace mapcontrol {
class MapWidget;
class VectorLayer;
}  // namespace mapcontrol
namespace platform {
class Dialogs;
class DriveTable;
}  // namespace platform

namespace workspace {

// The theme list of the main window and what is done to it: adding a theme
// from a file, removing one, a new project, visibility, reordering and
// renaming. Item 0 is the top theme and the top layer; the list index of a
// theme is its layer's index in both maps, and every operation keeps them in
// step, with each theme's render kind moving along. Borrows everything.
class ThemeList {
public:
    struct Controls {
        QListWidget& list;    // CheckListBox1
        QListWidget& copy;    // ListBox2, the hidden copy
        QComboBox& mirror;    // ComboBox1, another copy nobody reads
        QListWidget& legend;  // ListBox1
        QCheckBox& all;       // ck, "Todos"
        mapcontrol::MapWidget& map1;
        mapcontrol::MapWidget& map2;
    };
    // What the operations ask of the rest of the main window.
    struct Hooks {
        // Distance read-out, end of reordering, map tips off.
        std::function<void()> commonPreamble;
        // Puts the pan, zoom window, identify, map tips, distance and query buttons up.
        std::function<void()> raiseMapTools;
        std::function<void()> computeNumericScale;
        std::function<void()> showCoordinates;  // coordinate fields on
        std::function<void()> hideCoordinates;
        std::function<void()> moveButtonsEnabled;  // called after a change of moveThemeMode
        std::function<void()> legendIfShown;  // the legend again when "Exibir legendas" is down
        std::function<void()> transparencySwitch;  // the transparency button's command
    };

    // The theme the palette commands work on: the single switched-on theme
    // when exactly one is on, else the selected one.
    struct PaletteTarget {
        int selected = -1;  // -1 when none
        int switchedOn = 0;
        int onlyOn = -1;  // the switched-on theme when there is exactly one
        int theme() const { return switchedOn == 1 ? onlyOn : selected; }
    };

    ThemeList(Controls controls, Hooks hooks, files::LayerBuilder& builder, AppState& state,
              platform::Dialogs& dialogs, const platform::DriveTable& drives);

    static const QString kDuplicateMessage;
    static const QString kNothingToRemoveMessage;
    static const QString kTooManyThemesMessage;
    static const QString kChooseLayerTitle;
    static const QString kChooseLayerPrompt;  // %1: the file's name
    static const QString kUnfitLayerNameMessage;

    // The add-theme command: the open dialog, then addThemeFile.
    void addTheme(const QString& filter);
    // Adds the theme of a file the user chose (native path), on top; false
    // when it was not added (a refusal changes nothing). A vector file of
    // several layers first asks which layer (a list; cancelling adds
    // nothing), and the theme's path then names it.
    bool addThemeFile(const QString& nativePath);
    void removeTheme();
    void newProject();
    // Applies the check marks to the main map's layers (`all`: first set
    // every mark to the state of "Todos"); the overview keeps its layers shown.
    void applyVisibility(bool all);

    // Reordering. `fromHiddenButton` chooses the message without a selection.
    bool startMove(bool fromHiddenButton);
    void moveUp();
    void moveDown();
    void endMove();

    // F2 arms the next double click to rename the selected theme.
    void armRename() { m_renameArmed = true; }
    bool isRenameArmed() const { return m_renameArmed; }
    void renameSelected();

    std::vector<files::ThemeEntry> entries() const;
    // The selected theme (with several, the last); -1 when none.
    int selectedIndex() const;
    PaletteTarget paletteTarget() const;
    // The theme's line; empty when there is no such theme.
    QString line(int index) const;

private:
    // The layer of a vector file to add: empty for a file of one vector
    // layer (or one that cannot be read, which the builder reports), the
    // one the user chooses for a file of several. Nothing when the user
    // cancels, or when the chosen layer's name cannot be kept in a theme
    // line (said).
    std::optional<QString> chooseLayer(const QString& nativePath, const QString& fileName);
    // Fills the list and its copies with `entries`, top first.
    void setEntries(const std::vector<files::ThemeEntry>& entries);
    void moveItem(int from, int to);

    Controls m_controls;
    Hooks m_hooks;
    files::LayerBuilder& m_builder;
    AppState& m_state;
    platform::Dialogs& m_dialogs;
    const platform::DriveTable& m_drives;
    int m_moveStart = -1;
    int m_moveIndex = -1;
    bool m_renameArmed = false;
};

// Theme base name: the text after the first ",", then after the last "\",
// cut before the first "."; for a path naming a layer of its file, the file's
// so cut, then "|layername=" and the layer ("base|layername=geologia"), so
// that two layers of one file are no duplicates.
QString themeBaseName(const QString& line);
// The vector layer of a theme line in the map, found by the theme's layer
// name; null when the theme has no vector layer there.
mapcontrol::VectorLayer* themeVectorLayer(const mapcontrol::MapWidget& map, const QString& line);

}  // namespace workspace
