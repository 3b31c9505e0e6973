// The main window's project and colour files: loading theme lines, building
// every layer, "Abrir projeto", "Gravar projeto" and "Grava legenda".
#include "app/main_window.h"
#include "files/colour_file.h"
#include "files/project_file.h"
#include "files/theme_line.h"
#include "mapcontrol/class_breaks_renderer.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/value_map_renderer.h"
#include "mapcontrol/vector_layer.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/settings.h"
#include "platform/status_line.h"
#include "platform/text_file.h"
#include "symbology/theme_layer.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QScopeGuard>
#include <QSignalBlocker>

#include <cmath>
#include <optional>

namespace app {

namespace {

const QString kStatisticalThemeMessage = QStringLiteral(
    "Nesta versão ainda não é possível gravar legenda para temas estatisticos. "
    "Novas versões estarão disponíveis na homepage da VORN");

// The unreadable-project message, followed by why: the project file's read
// error, or the first theme's file that is missing and where it was looked for.
QString unreadableProjectMessage(const platform::Configuration& config,
                                 const platform::Result& read,
                                 const std::optional<QString>& firstTheme) {
    QString detail;
    if (!read) {
        detail =
            read.detail.isEmpty() ? read.message : read.message + QLatin1Char('\n') + read.detail;
    } else if (firstTheme) {
        const QString driveTable =
            platform::configFolder(config.bootDrive) + QStringLiteral("\\drives.conf");
        detail = files::missingThemeDetail(*firstTheme, config.drives,
                                           config.drives.toNative(driveTable).value_or(driveTable));
    } else {
        detail = QStringLiteral("O arquivo de projeto não tem nenhuma linha de tema.");
    }
    return files::kUnreadableProjectMessage + QStringLiteral("\n\n") + detail;
}

}  // namespace

platform::Result TForm1::LoadProjectLines(const QString& nativePath, QChar drive) {
    const platform::TextLines text = platform::readTextLines(nativePath);
    if (!text.result) {
        return text.result;
    }
    appendThemes(files::themeEntriesFromProjectLines(text.lines, drive));
    return platform::Result::success();
}

void TForm1::appendThemes(const std::vector<files::ThemeEntry>& entries) {
    const QSignalBlocker quiet(CheckListBox1);  // loading is no user's check-mark change
    for (const files::ThemeEntry& entry : entries) {
        // A theme entering the list starts with unique values.
        const auto index = static_cast<std::size_t>(CheckListBox1->count());
        if (index < m_state.themeRenderKind.size()) {
            m_state.themeRenderKind[index] = files::RenderUniqueValues;
        }
        auto* item = new QListWidgetItem(entry.line, CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.checked ? Qt::Checked : Qt::Unchecked);
        ListBox2->addItem(entry.line);
        ComboBox1->addItem(entry.line);
    }
}

bool TForm1::RebuildAllLayers() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<files::ThemeEntry> themes = themeEntries();
    const bool built = withLoadingProgress([&] {
        return m_layerBuilder->rebuildAllLayers(themes, m_state.themeRenderKind,
                                                m_state.currentExtent);
    });
    QApplication::restoreOverrideCursor();
    return built;
}

bool TForm1::withLoadingProgress(const std::function<bool()>& build) {
    // The work starts with the first theme built, not before (a file
    // dialog may come first).
    std::optional<platform::StatusLine::Task> loading;
    m_layerBuilder->setProgress([this, &loading](double done, int total, const QString& path) {
        if (!loading) {
            loading.emplace(*m_statusLine, QString(), static_cast<qint64>(total) * 1000);
        }
        loading->step(std::llround(done * 1000), QStringLiteral("Carregando %1").arg(path));
    });
    const auto forget = qScopeGuard([this] { m_layerBuilder->setProgress({}); });
    return build();
}

void TForm1::SaveProject() {
    platform::Dialogs& dialogs = m_surroundings.dialogs;
    const platform::DriveTable& drives = m_surroundings.configuration.drives;
    const std::vector<files::ThemeEntry> themes = themeEntries();
    if (themes.empty()) {
        dialogs.message(this, files::kNothingToSaveMessage, platform::MessageKind::Warning);
        return;
    }
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.jjj");
    options.filter = files::kProjectFilter;
    const std::optional<QString> chosen = dialogs.saveFile(this, options);
    if (!chosen) {
        return;
    }
    const std::optional<QString> projectPath = drives.toWindows(*chosen);
    if (!projectPath || !files::projectOnThemeDrive(themes.front().line, *projectPath)) {
        dialogs.message(this, files::kOtherDriveMessage, platform::MessageKind::Warning);
        return;
    }
    // Written to a temporary file renamed into place: a failure leaves the old project whole.
    const platform::Result written =
        platform::writeTextLines(*chosen, files::projectFileLines(themes));
    if (!written) {
        dialogs.message(this, written.message + QStringLiteral("\n") + written.detail,
                        platform::MessageKind::Error);
        return;
    }
    m_startFolders.setProjectFile(*chosen);
    m_statusLine->fileWritten(*chosen);
}

void TForm1::OpenProject() {
    platform::Dialogs& dialogs = m_surroundings.dialogs;
    const platform::DriveTable& drives = m_surroundings.configuration.drives;
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.jjj");
    options.filter = files::kProjectFilter;
    options.initialFolder = drives.toNative(QStringLiteral("C:\\")).value_or(QString());
    const std::optional<QString> chosen = dialogs.openFile(this, options);
    if (!chosen) {
        return;
    }
    // The project is read and its first theme looked for before anything
    // changes: a project that cannot be opened leaves the themes on screen
    // as they were, the list and both maps in step.
    const std::optional<QString> projectPath = drives.toWindows(*chosen);
    const QChar drive = projectPath ? projectPath->at(0) : m_state.dataDrive;
    const platform::TextLines text = platform::readTextLines(*chosen);
    const std::optional<QString> probe =
        text.result ? files::firstThemePath(text.lines.mid(0, 1), drive) : std::nullopt;
    if (!probe || !drives.exists(*probe)) {
        dialogs.message(this,
                        unreadableProjectMessage(m_surroundings.configuration, text.result, probe),
                        platform::MessageKind::Warning);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    {
        const QSignalBlocker quiet(CheckListBox1);
        CheckListBox1->clear();
        ListBox2->clear();
        ComboBox1->clear();
    }
    m_state.dataDrive = drive;
    m_state.themeRenderKind.assign(workspace::AppState::kMaxThemes, files::RenderUniqueValues);
    appendThemes(files::themeEntriesFromProjectLines(text.lines, drive));
    m_state.themesLoaded = true;
    m_readouts->ToggleCoordinates();
    Map1->setFullExtent({});  // a context set by the zoom window ends with the project
    RebuildAllLayers();
    m_state.currentExtent = Map1->fullExtent();
    Map1->setExtent(m_state.currentExtent);
    Map2->setExtent(m_state.currentExtent);
    m_state.scaleBarShown = false;
    m_readouts->ToggleScaleBar();
    ShowLegend();
    m_startFolders.setProjectFile(*chosen);
    QApplication::restoreOverrideCursor();
}

void TForm1::SaveColourFile() {
    platform::Dialogs& dialogs = m_surroundings.dialogs;
    commonPreamble();
    const workspace::ThemeList::PaletteTarget target = m_themeList->paletteTarget();
    const bool hadSelection = target.selected >= 0;
    const int selected = target.theme();
    if (CheckListBox1->count() > 1 && std::max(selected, 0) != 0 && target.switchedOn != 1) {
        dialogs.message(
            this,
            QStringLiteral(
                "Para trabalhar com gravação de paleta de cores, desabilite a visualização "
                "dos outros temas deixando apenas o  de interesse"),
            platform::MessageKind::Warning);
        return;
    }
    if (!hadSelection) {
        dialogs.message(this, QStringLiteral("Selecione um tema"), platform::MessageKind::Warning);
        return;
    }
    if (m_state.themeRenderKind[static_cast<std::size_t>(selected)] != files::RenderUniqueValues) {
        dialogs.message(this, kStatisticalThemeMessage, platform::MessageKind::Warning);
        return;
    }
    const QString line = CheckListBox1->item(selected)->text();
    if (!files::namesVectorTheme(line)) {
        return;
    }
    // The classes are those the map draws: under text labels, the ones the
    // labels lie over.
    mapcontrol::VectorLayer* layer = workspace::themeVectorLayer(*Map1, line);
    mapcontrol::Renderer* classes = layer ? symbology::classRenderer(*layer) : nullptr;
    if (dynamic_cast<mapcontrol::ClassBreaksRenderer*>(classes)) {
        dialogs.message(this, kStatisticalThemeMessage, platform::MessageKind::Warning);
        return;
    }
    auto* renderer = dynamic_cast<mapcontrol::ValueMapRenderer*>(classes);
    if (!renderer) {
        dialogs.message(this,
                        QStringLiteral("Não há legenda para gravar: o arquivo do tema %1 não pôde "
                                       "ser aberto.")
                            .arg(files::themePath(line)),
                        platform::MessageKind::Warning);
        return;
    }
    const QString colourFile = files::writtenColourFilePath(files::themePath(line));
    const std::optional<QString> native = m_surroundings.configuration.drives.toNative(colourFile);
    if (!native) {
        dialogs.message(this,
                        QStringLiteral("Não é possível gravar %1: o drive %2: não está associado a "
                                       "uma pasta (veja drives.conf ou QUELVORA_DRIVES).")
                            .arg(colourFile, colourFile.left(1)),
                        platform::MessageKind::Error);
        return;
    }
    const platform::Result written = platform::writeTextLines(
        *native, files::colourFileLines(*renderer,
                                        files::geometryWord(static_cast<int>(layer->shapeType()))));
    if (!written) {
        dialogs.message(this, written.message + QStringLiteral("\n") + written.detail,
                        platform::MessageKind::Error);
        return;
    }
    m_statusLine->fileWritten(*native);
    dialogs.message(this, QStringLiteral("Gravação de paleta realizada com sucesso"));
}

}  // namespace app
