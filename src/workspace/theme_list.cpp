#include "workspace/theme_list.h"

#include "files/layer_builder.h"
#include "files/theme_line.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/vector_layer.h"
#include "mapcontrol/vector_source.h"
#include "platform/dialogs.h"
#include "platform/drives.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>
#include <QSignalBlocker>

namespace workspace {

const QString ThemeList::kDuplicateMessage = QStringLiteral(
    "Existe tema com este nome, confira a operação ou mude o nome do tema que vai ser aberto");
const QString ThemeList::kNothingToRemoveMessage =
    QStringLiteral("Selecione um tema para ser deletado");
const QString ThemeList::kChooseLayerTitle = QStringLiteral("Camadas do arquivo");
const QString ThemeList::kChooseLayerPrompt =
    QStringLiteral("O arquivo %1 tem várias camadas vetoriais.\nEscolha a camada do tema:");
const QString ThemeList::kUnfitLayerNameMessage = QStringLiteral(
    "A camada \"%1\" não pode ser tema: seu nome tem \\ ou caracteres de controle, que a linha "
    "do tema não guarda.");
const QString ThemeList::kTooManyThemesMessage =
    QStringLiteral("A lista já tem 2001 temas, o máximo. Retire um tema antes de adicionar outro.");

namespace {

QString afterLastBackslash(const QString& text) {
    return text.mid(text.lastIndexOf(QLatin1Char('\\')) + 1);
}

QString beforeFirstDot(const QString& text) {
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    return dot < 0 ? text : text.left(dot);
}

}  // namespace

QString themeBaseName(const QString& line) {
    const QString path = files::themePath(line);
    const files::ThemeSource source = files::themeKind(path) == files::ThemeKind::Vector
                                          ? files::themeSource(path)
                                          : files::ThemeSource{path, QString()};
    const QString base = beforeFirstDot(afterLastBackslash(source.file));
    return source.layer.isEmpty() ? base : base + files::kLayerNameTag + source.layer;
}

ThemeList::ThemeList(Controls controls, Hooks hooks, files::LayerBuilder& builder, AppState& state,
                     platform::Dialogs& dialogs, const platform::DriveTable& drives)
    : m_controls(controls),
      m_hooks(std::move(hooks)),
      m_builder(builder),
      m_state(state),
      m_dialogs(dialogs),
      m_drives(drives) {}

std::vector<files::ThemeEntry> ThemeList::entries() const {
    std::vector<files::ThemeEntry> result;
    for (int i = 0; i < m_controls.list.count(); ++i) {
        const QListWidgetItem* item = m_controls.list.item(i);
        result.push_back({item->text(), item->checkState() == Qt::Checked});
    }
    return result;
}

void ThemeList::setEntries(const std::vector<files::ThemeEntry>& entries) {
    const QSignalBlocker quiet(&m_controls.list);  // a rebuilt list is no user's check-mark change
    m_controls.list.clear();
    m_controls.copy.clear();
    m_controls.mirror.clear();
    for (const files::ThemeEntry& entry : entries) {
        auto* item = new QListWidgetItem(entry.line, &m_controls.list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.checked ? Qt::Checked : Qt::Unchecked);
        m_controls.copy.addItem(entry.line);
        m_controls.mirror.addItem(entry.line);
    }
}

int ThemeList::selectedIndex() const {
    int selected = -1;
    for (int i = 0; i < m_controls.list.count(); ++i) {
        if (m_controls.list.item(i)->isSelected()) {
            selected = i;  // with several, the last
        }
    }
    return selected;
}

ThemeList::PaletteTarget ThemeList::paletteTarget() const {
    PaletteTarget target;
    target.selected = selectedIndex();
    for (int i = 0; i < m_controls.list.count(); ++i) {
        if (m_controls.list.item(i)->checkState() == Qt::Checked) {
            ++target.switchedOn;
            target.onlyOn = i;
        }
    }
    if (target.switchedOn != 1) {
        target.onlyOn = -1;
    }
    return target;
}

QString ThemeList::line(int index) const {
    const QListWidgetItem* item = m_controls.list.item(index);
    return item ? item->text() : QString();
}

void ThemeList::addTheme(const QString& filter) {
    if (m_hooks.commonPreamble) m_hooks.commonPreamble();
    if (m_state.transparencyActive && m_hooks.transparencySwitch) m_hooks.transparencySwitch();
    platform::FileDialogOptions options;
    options.filter = filter;
    options.mustExist = true;
    if (const std::optional<QString> chosen =
            m_dialogs.openFile(m_controls.list.window(), options)) {
        addThemeFile(*chosen);
    }
}

std::optional<QString> ThemeList::chooseLayer(const QString& nativePath, const QString& fileName) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::variant<QStringList, QString> names = mapcontrol::vectorLayerNames(nativePath);
    QApplication::restoreOverrideCursor();
    const auto* layers = std::get_if<QStringList>(&names);
    if (!layers || layers->size() < 2) {
        return QString();  // a file that cannot be read is the builder's to report
    }
    const std::optional<int> chosen = m_dialogs.choice(m_controls.list.window(), kChooseLayerTitle,
                                                       kChooseLayerPrompt.arg(fileName), *layers);
    if (!chosen) {
        return std::nullopt;
    }
    const QString layer = layers->at(*chosen);
    if (!files::fitsThemeLine(layer)) {
        m_dialogs.message(m_controls.list.window(), kUnfitLayerNameMessage.arg(layer),
                          platform::MessageKind::Warning);
        return std::nullopt;
    }
    return layer;
}

bool ThemeList::addThemeFile(const QString& nativePath) {
    const std::optional<QString> windowsPath = m_drives.toWindows(nativePath);
    if (!windowsPath) {
        return false;  // on no drive: the program could not name it in a project
    }
    const QString fileName = QFileInfo(nativePath).fileName();
    QString path = *windowsPath;
    QString baseName = beforeFirstDot(fileName);
    const QString extension = path.mid(path.indexOf(QLatin1Char('.')) + 1);
    const bool vector = files::kVectorExtensions.contains(extension);
    if (vector) {
        // A file of several vector layers asks which one the theme shows,
        // and its line names it.
        const std::optional<QString> layer = chooseLayer(nativePath, fileName);
        if (!layer) {
            return false;
        }
        path = files::themeSourcePath(path, *layer);
        if (!layer->isEmpty()) {
            baseName += files::kLayerNameTag + *layer;
        }
    }
    for (const files::ThemeEntry& entry : entries()) {
        if (themeBaseName(entry.line) == baseName) {
            m_dialogs.message(m_controls.list.window(), kDuplicateMessage,
                              platform::MessageKind::Warning);
            return false;
        }
    }
    const bool shape = extension == QLatin1String("shp") || extension == QLatin1String("SHP");
    const bool picture =
        QStringList{"SID", "sid", "jpg", "JPG", "TIF", "tif", "bmp", "BMP"}.contains(extension);
    if (!shape && !picture && !vector) {
        return false;  // an extension outside the lists (or a folder with a ".") ends it silently
    }
    if (m_controls.list.count() >= AppState::kMaxThemes) {
        m_dialogs.message(m_controls.list.window(), kTooManyThemesMessage,
                          platform::MessageKind::Warning);
        return false;
    }
    // The layer is the check: a file the main map cannot show is reported
    // by the builder and nothing else changes.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool built = m_builder.buildThemeLayer(path);
    QApplication::restoreOverrideCursor();
    if (!built) {
        return false;
    }

    std::vector<files::ThemeEntry> themes = entries();
    const QString line = fileName + QString(26, QLatin1Char(' ')) + QLatin1Char(',') + path;
    m_state.themesLoaded = true;
    // The new theme takes index 0 with unique values: the render kinds of
    // the others move down with them.
    m_state.themeRenderKind.insert(m_state.themeRenderKind.begin(), files::RenderUniqueValues);
    m_state.themeRenderKind.pop_back();
    themes.insert(themes.begin(), {line, true});
    setEntries(themes);

    m_state.currentExtent = m_controls.map1.fullExtent();
    m_controls.map1.setExtent(m_state.currentExtent);
    m_controls.map2.setExtent(m_state.currentExtent);
    if (m_hooks.computeNumericScale) m_hooks.computeNumericScale();
    m_state.coordsVisible = true;
    if (m_hooks.showCoordinates) m_hooks.showCoordinates();
    m_controls.map1.setMousePointer(mapcontrol::MapWidget::PointerArrow);
    return true;
}

void ThemeList::removeTheme() {
    if (m_hooks.commonPreamble) m_hooks.commonPreamble();
    if (m_hooks.raiseMapTools) m_hooks.raiseMapTools();
    m_state.overviewBoxPending = true;
    const int selected = selectedIndex();
    if (selected < 0) {
        m_dialogs.message(m_controls.list.window(), kNothingToRemoveMessage,
                          platform::MessageKind::Warning);
        if (m_hooks.legendIfShown) m_hooks.legendIfShown();
        return;
    }
    m_state.mapTipsActive = false;
    std::vector<files::ThemeEntry> themes = entries();
    themes.erase(themes.begin() + selected);
    setEntries(themes);
    m_controls.legend.clear();
    m_state.themeRenderKind.erase(m_state.themeRenderKind.begin() + selected);
    m_state.themeRenderKind.push_back(0);
    m_controls.map1.layers().remove(selected);
    m_controls.map2.layers().remove(selected);
    m_state.currentExtent = m_controls.map1.extent();
    m_controls.map1.setExtent(m_state.currentExtent);
    m_controls.map2.refresh();
    if (m_hooks.legendIfShown) m_hooks.legendIfShown();
}

void ThemeList::newProject() {
    endMove();
    // The next project's themes start with unique values.
    m_state.themeRenderKind.assign(AppState::kMaxThemes, files::RenderUniqueValues);
    m_controls.map1.setFullExtent({});  // a context set by the zoom window ends with the project
    while (m_controls.map1.layers().count() >= 1) m_controls.map1.layers().remove(0);
    while (m_controls.map2.layers().count() >= 1) m_controls.map2.layers().remove(0);
    m_state.themesLoaded = false;
    m_state.coordsVisible = false;
    m_state.mapTipsActive = false;
    m_state.mapSystem.reset();  // the next project's first declaring theme sets it
    if (m_hooks.hideCoordinates) m_hooks.hideCoordinates();
    m_controls.copy.clear();
    m_controls.legend.clear();
    m_controls.list.clear();
    m_controls.mirror.clear();
    m_controls.map1.refresh();
    m_controls.map2.refresh();
}

void ThemeList::applyVisibility(bool all) {
    m_controls.legend.clear();
    const QSignalBlocker quiet(&m_controls.list);
    for (int i = 0; i < m_controls.list.count(); ++i) {
        QListWidgetItem* item = m_controls.list.item(i);
        if (all) {
            item->setCheckState(m_controls.all.isChecked() ? Qt::Checked : Qt::Unchecked);
        }
        const int index = m_controls.map1.layers().indexOf(files::layerName(item->text()));
        m_controls.map1.layers().setVisible(index, item->checkState() == Qt::Checked);
    }
    m_controls.map1.refresh();
    m_controls.map2.refresh();
}

bool ThemeList::startMove(bool fromHiddenButton) {
    const int selected = selectedIndex();
    if (selected < 0) {
        m_dialogs.message(m_controls.list.window(),
                          fromHiddenButton ? QStringLiteral("Selecione um tema para mover")
                                           : QStringLiteral("Selecione um tema  para mover"),
                          platform::MessageKind::Warning);
        return false;
    }
    m_state.moveThemeMode = true;
    m_moveStart = m_moveIndex = selected;
    if (m_hooks.moveButtonsEnabled) m_hooks.moveButtonsEnabled();
    return true;
}

void ThemeList::moveItem(int from, int to) {
    QListWidgetItem* item = m_controls.list.takeItem(from);
    m_controls.list.insertItem(to, item);
    m_controls.list.clearSelection();
    item->setSelected(true);
    m_controls.list.setCurrentItem(item);
    QListWidgetItem* copy = m_controls.copy.takeItem(from);
    m_controls.copy.insertItem(to, copy);
    const QString text = m_controls.mirror.itemText(from);
    m_controls.mirror.removeItem(from);
    m_controls.mirror.insertItem(to, text);
    m_moveIndex = to;
}

void ThemeList::moveUp() {
    if (m_state.moveThemeMode && m_moveIndex > 0) {
        moveItem(m_moveIndex, m_moveIndex - 1);
    }
}

void ThemeList::moveDown() {
    if (m_state.moveThemeMode && m_moveIndex >= 0 && m_moveIndex < m_controls.list.count() - 1) {
        moveItem(m_moveIndex, m_moveIndex + 1);
    }
}

void ThemeList::endMove() {
    if (!m_state.moveThemeMode) {
        return;
    }
    // Only a move started from a selected theme reaches the maps: reordering
    // switched on without one (F1 held in the list) moves nothing.
    const int from = m_moveStart;
    const int to = m_moveIndex;
    m_moveStart = m_moveIndex = -1;
    const bool moved = from >= 0 && to >= 0 && from != to;
    if (moved) {
        m_controls.map1.layers().move(from, to);
        m_controls.map2.layers().move(from, to);
        const int kind = m_state.themeRenderKind[static_cast<std::size_t>(from)];
        m_state.themeRenderKind.erase(m_state.themeRenderKind.begin() + from);
        m_state.themeRenderKind.insert(m_state.themeRenderKind.begin() + to, kind);
    }
    m_state.moveThemeMode = false;
    if (m_hooks.moveButtonsEnabled) m_hooks.moveButtonsEnabled();
    m_controls.map1.refresh();
    m_controls.map2.refresh();
    if (QListWidgetItem* item = m_controls.list.item(to)) {
        m_controls.list.clearSelection();
        item->setSelected(true);
    }
}

void ThemeList::renameSelected() {
    if (!m_renameArmed) {
        return;
    }
    const int selected = selectedIndex();
    if (selected < 0) {
        return;
    }
    QListWidgetItem* item = m_controls.list.item(selected);
    const QString line = item->text();
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    const std::optional<QString> typed =
        m_dialogs.textInput(m_controls.list.window(), QStringLiteral("Texto explicativo"),
                            QStringLiteral("Entre c/o texto "), QString());
    if (comma >= 0) {
        m_renameArmed = false;  // a line without a comma keeps it armed
    }
    if (!typed || typed->isEmpty()) {
        return;
    }
    const QString display = typed->leftJustified(40, QLatin1Char(' '));
    const QString renamed =
        comma >= 0 ? display + line.mid(comma) : display + QLatin1Char(',') + line;
    item->setText(renamed);
    if (QListWidgetItem* copy = m_controls.copy.item(selected)) copy->setText(renamed);
    m_controls.mirror.setItemText(selected, renamed);
}

mapcontrol::VectorLayer* themeVectorLayer(const mapcontrol::MapWidget& map, const QString& line) {
    return dynamic_cast<mapcontrol::VectorLayer*>(map.layers().item(files::layerName(line)));
}

}  // namespace workspace
