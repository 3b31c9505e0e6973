#pragma once

#include "files/layer_builder.h"
#include "files/project_lines.h"
#include "platform/memory.h"
#include "platform/result.h"
#include "platform/settings.h"
#include "platform/start_folder_dialogs.h"
#include "workspace/app_state.h"
#include "workspace/navigation.h"
#include "workspace/readout_panel.h"
#include "workspace/theme_list.h"

#include <QMainWindow>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QWidget;

namespace mapcontrol {
class MapWidget;
}
namespace platform {
class Dialogs;
class StatusLine;
}  // namespace platform
namespace query {
class IdentifyTool;
class MapTips;
class MediaWindow;
class QueryTool;
}  // namespace query
namespace output {
class ScreenOutput;
class ZoomWindow;
}  // namespace output
namespace help {
class HelpWindow;
}
namespace net {
class BusyDownloader;
class Downloader;
class PictureCache;
}  // namespace net
namespace platform {
class WebView;
}
namespace remote {
class CollectorsWindow;
struct LinkState;
}  // namespace remote
namespace wms {
struct FixedRequest;
class ConnectionsWindow;
class MapListPanel;
class OverlayWindow;
class WmsWindow;
}  // namespace wms
namespace symbology {
class ClassificationWindow;
class LabelWindow;
class LegendPanel;
class SymbolEditors;
class TransparencySwitch;
}  // namespace symbology

namespace app {

class SecondaryWindows;

// TForm1, the main window: the theme list and legend on the left, the main
// map with the overview under it, the tool buttons and the main menu. It owns
// the shared state and lends it to the other windows. Its controls keep the
// names the rest of the program knows them by, as member and object names.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // What start-up takes from outside; borrowed for the window's life.
    struct Surroundings {
        const platform::Configuration& configuration;
        platform::Dialogs& dialogs;
        platform::MemoryQuery installedMemory;
        QStringList arguments;
    };

    explicit TForm1(Surroundings surroundings, QWidget* parent = nullptr);
    ~TForm1() override;

    // Runs the creation steps: temporary files, configuration files, memory
    // check, initial state, and the project named by config.dat or the
    // command line. False when the program must end (too little memory).
    bool startUp();
    // A later start of the program asked this window to come forward; it
    // tells when that start was given a project, which it did not open.
    void anotherStartAsked(const QString& project);

    workspace::AppState& state() { return m_state; }
    // The theme list's lines and check marks, top first.
    std::vector<files::ThemeEntry> themeEntries() const;
    files::LayerBuilder& layerBuilder() { return *m_layerBuilder; }
    workspace::ThemeList& themeList() { return *m_themeList; }
    workspace::ReadoutPanel& readouts() { return *m_readouts; }
    workspace::Navigation& navigation() { return *m_navigation; }
    // TForm2 to TForm25, created after this window.
    const SecondaryWindows& windows() const { return *m_windows; }
    symbology::ClassificationWindow& classification() { return *m_classification; }
    symbology::SymbolEditors& symbolEditors() { return *m_symbolEditors; }
    symbology::LabelWindow& labels() { return *m_labels; }
    query::MapTips& mapTips() { return *m_mapTips; }
    query::IdentifyTool& identify() { return *m_identify; }
    query::MediaWindow& media() { return *m_media; }
    query::QueryTool& query() { return *m_query; }
    output::ZoomWindow& zoomWindow() { return *m_zoomWindow; }
    output::ScreenOutput& screenOutput() { return *m_screenOutput; }
    help::HelpWindow& help() { return *m_help; }
    wms::WmsWindow& wmsWindow() { return *m_wms; }
    wms::OverlayWindow& overlayWindow() { return *m_overlay; }
    wms::ConnectionsWindow& connectionsWindow() { return *m_connections; }
    // Replaces the desktop's browser for "Vetor" (tests record the address).
    void setBrowserLauncher(std::function<void(const QString&)> launch) {
        m_openInBrowser = std::move(launch);
    }
    // The status bar's line: what the last command did, long work's progress.
    platform::StatusLine& statusLine() { return *m_statusLine; }
    // Every download of the windows goes through it.
    net::BusyDownloader& downloader() { return *m_downloader; }
    // The web map answers kept for work without a network.
    net::PictureCache& pictureCache() { return *m_pictureCache; }
    // The web view of the remote record window (TForm16).
    platform::WebView& recordView() { return *m_recordView; }

    // Appends the lines of the project file (native path) to the theme list
    // and its hidden copies, with `drive` for the relative paths.
    platform::Result LoadProjectLines(const QString& nativePath, QChar drive);
    // Builds every theme's layer in both maps.
    bool RebuildAllLayers();
    // Runs `build` (a rebuild, or adding a theme) with the layer builder's
    // progress told on the status line: the theme being read and the share
    // of the work done.
    bool withLoadingProgress(const std::function<bool()>& build);
    // Appends theme lines, with their check marks, to the theme list and its
    // hidden copies; each enters with unique values.
    void appendThemes(const std::vector<files::ThemeEntry>& entries);

    // "Gravar projeto", "Abrir projeto" and "Grava legenda".
    void SaveProject();
    void OpenProject();
    void SaveColourFile();
    // "Exibir legendas" and "Volta a paleta orignal".
    void ShowLegend();
    void RestorePalette();

    // What almost every command does first: brings the distance read-out up
    // to date, ends theme reordering and switches map tips off.
    void commonPreamble();
    // Map tips off: no hints on the map, the tips button up, the timer stopped.
    void stopMapTips();

    // Deletes "temp.jpg", "temp.bmp" and "temp1.bmp" in the program folder.
    void deleteTemporaryPictures();

    // Web map services: "Serviços WMS", show map, the refresh after every
    // navigation step, the index map, "Desconecta", feature info, legends,
    // the opacity step and the two screen memories.
    void OpenWmsWindow();
    void ShowWmsMap();
    void RefreshRemoteImage();
    void ShowIndexMap();
    void DisconnectWms();
    void ShowWmsLegend();
    // "Guardar área para campo": the checked layers of the current extent
    // kept at two, four and eight times the map's detail.
    void SaveAreaForField();
    void WmsFeatureInfo(const mapcontrol::MapPoint& point);
    void BedrockFeatureInfo(const mapcontrol::MapPoint& point);
    void IndexMapClick(const mapcontrol::MapPoint& point);
    // `fromWmsWindow`: the WMS window's control, for which a WMS connection
    // counts; the connections window's control needs a connection kind.
    void OpacityStep(int positionBefore, bool fromWmsWindow = true);
    void ScreenMemory1();
    void ScreenMemory2();
    // "troca": the remote picture and the local map change places.
    void SwapRemoteAndLocal();
    // Fixed remote connections: the kind chosen, connect, the zoom window
    // without export, "Vetor" and the reveal of the hidden controls.
    void ChooseConnectionKind(int kind);
    void ConnectRemote();
    // True, after saying so, when the map is projected: the fixed remote
    // sources are asked in degrees only.
    bool refusedForProjectedMap();
    void ZoomWithoutExport();
    void OpenVector();
    void RevealConnections();
    // Remote database linkage: the record page window (with its show step),
    // the end of an identify with "KESTRAM" on, "Busca Kestram", the area
    // search of the map-group connection and the external web map viewer.
    void ShowRecordWindow();
    void DatabaseLinkAfterIdentify();
    void SearchRecordPage();
    void RemoteAreaSearch();
    void ShowWebViewer();
    const remote::LinkState& linkState() const { return *m_link; }
    // The remote search: the search window on the record window's page, its
    // plot (with or without the spreadsheet file), the plot again after each
    // navigation step, the list of the search's points, and the GeoSciML
    // window that keeps the geology map's features.
    void OpenSearchWindow();
    void PlotSearch(bool writeSpreadsheet);
    void PlotSearchAgain();
    void ShowSearchList();
    void SaveGeoSciMl();
    platform::WebView& searchView() { return *m_searchView; }
    platform::WebView& geoSciMlView() { return *m_geoSciMlView; }
    // One tick of collector tracking: the positions downloaded and drawn.
    void CollectorTick();
    // Stops (false) or starts again (true) the collectors' timer while
    // collectors are tracked.
    void pauseCollectors(bool run);
    remote::CollectorsWindow& collectorsWindow() { return *m_collectors; }
    // The measurement on the remote picture ended by a double click: the
    // memories' blend or the connection's picture again, without its lines.
    void RemotePictureDoubleClicked();
    // The map-group panel: the map list from the gateway, a group, a map.
    void RefreshMapList();
    void ChooseMapGroup();
    void ChooseMap();
    // The legend picture of a group map, and its save as a bitmap.
    void ShowConnectionLegend();
    void SaveConnectionLegend();
    static const QString kZoomWithoutExport;
    static const QString kNoConnectionMessage;
    static const QString kFieldNeedsLayers;
    static const QString kFieldCacheOff;
    static const QString kFieldSaved;
    static const QString kFieldNotSaved;
    static const QString kServiceNotImplemented;
    // Identify on a service picture with no service chosen in the WMS window.
    static const QString kChooseWmsLayer;
    // "Legenda" with no service chosen, and a legend that did not come
    // (%1 the layer name, %2 the reason: the server's own text when it
    // answered something else than a picture).
    static const QString kChooseLegendLayer;
    static const QString kLegendFailed;

    // The add-theme dialog's filter.
    static const QString kAddThemeFilter;
    static const QString kCaption;
    static const QString kMemoryMessage;

    // Controls, by the names the program gives them.
    mapcontrol::MapWidget* Map1 = nullptr;
    mapcontrol::MapWidget* Map2 = nullptr;
    QLabel* Image1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QListWidget* CheckListBox1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QListWidget* ListBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QCheckBox* ck = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit5 = nullptr;  // the map tip, floating over the map
    QLineEdit* Edit1 = nullptr;  // hidden: the attribute query in force
    QLabel* Label3 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* StaticText1 = nullptr;
    QLabel* StaticText2 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QWidget* Panel2 = nullptr;
    wms::MapListPanel* Panel3 = nullptr;

    // The tool button with this object name; null when none.
    QToolButton* button(const QString& name) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

signals:
    // The user asked to end the program.
    void exitRequested();

private:
    void buildLayout();
    void buildMenu();
    QToolButton* addButton(QWidget* panel, const QString& name, const QString& hint, int group = 0);
    void setGroupDown(QToolButton* pressed);
    // Loads a project named at start; false when its file could not be read.
    bool loadProject(const QString& nativePath, QChar drive);
    // The scale bar of a start from config.dat, once the window has its size.
    void showScaleBarAtSize();
    void SpeedButton33Click();
    // Hands a mouse event of the remote picture to the main map.
    bool forwardToMainMap(QEvent* event);
    void connectThemeList();
    void connectMapTools();
    void connectSymbology();
    void connectQuery();
    void connectOutput();
    void connectWms();
    void connectConnections();
    void connectRemote();
    void connectCollectors();
    void connectSearchPlot();
    // The result file's name from "parametro.txt"; nothing (the user told
    // when `tell`) when there is none.
    std::optional<QString> searchResultName(bool tell);
    // Downloads the result file into the program folder.
    platform::Result downloadSearchResult(const QString& name);
    // Loads the record page of the link into the record window (not with the
    // map-group connection).
    void loadLinkedRecordPage();
    // Draws the result file's points over the remote picture.
    void drawSearchResult(const QString& name);
    // The same from the files already in the program folder.
    void drawPlottedSearch();
    void writeSearchSpreadsheet(const QString& name);
    // Removes "parametro.txt" and the result file it names.
    void removeSearchFiles();
    // What the chosen connection asks with, from its window and the map panel.
    wms::FixedRequest fixedRequest() const;
    // A file of the program folder.
    QString programFile(const QString& name) const;
    // A double click on the form: hides "KESTRAM", or reveals the connections.
    void mainWindowDoubleClicked();
    void addWmsBranches(workspace::Navigation::Branches& branches);
    // The size of the map area, which the remote pictures fill.
    QSize mapArea() const;
    // At least one local theme is drawn by the main map.
    bool localThemesLoaded() const;
    // Entry `index` of the main menu bar, counted from 0.
    QAction* mainMenuItem(int index) const;
    void setMainMenuItems(std::initializer_list<int> indexes, bool enabled);
    void setLocalTools(bool enabled);
    // The rectangle as extent and full extent of the main and overview maps.
    void applyRemoteExtent(const mapcontrol::Rectangle& extent);
    // Steps 1 of every remote picture: tools, menus and memories set for it.
    void prepareForRemotePicture();
    // Shows `picture` in place of the main map.
    void showRemotePicture(const QImage& picture);
    // The first half of "troca": the local map and its tools back.
    void showLocalMapAgain();
    // A request that brought no picture: message, back to the local map.
    void remotePictureFailed();
    // Fetches a page for the web views through the downloader.
    std::optional<QByteArray> fetchPage(const QString& url, QString* error);
    // A web view ("WebBrowser1") filling `form`, fetching through fetchPage,
    // with `buttons` (children of `form`) in a row under it.
    platform::WebView* addWebView(QWidget& form, const std::vector<QPushButton*>& buttons = {});
    // What a press on the main map hands to the query and remote features.
    workspace::Navigation::Branches navigationBranches();

    // Puts the start folder into every file dialog the windows open; the
    // surroundings lend it as their dialogs.
    platform::StartFolderDialogs m_startFolders;
    Surroundings m_surroundings;
    workspace::AppState m_state;
    std::unique_ptr<files::LayerBuilder> m_layerBuilder;
    std::unique_ptr<workspace::ThemeList> m_themeList;
    std::unique_ptr<workspace::ReadoutPanel> m_readouts;
    std::unique_ptr<workspace::Navigation> m_navigation;
    std::unique_ptr<SecondaryWindows> m_windows;
    std::unique_ptr<symbology::LegendPanel> m_legend;
    std::unique_ptr<symbology::TransparencySwitch> m_transparency;
    std::unique_ptr<symbology::ClassificationWindow> m_classification;
    std::unique_ptr<symbology::SymbolEditors> m_symbolEditors;
    std::unique_ptr<symbology::LabelWindow> m_labels;
    std::unique_ptr<query::MapTips> m_mapTips;
    std::unique_ptr<query::MediaWindow> m_media;
    std::unique_ptr<query::IdentifyTool> m_identify;
    std::unique_ptr<query::QueryTool> m_query;
    std::unique_ptr<output::ZoomWindow> m_zoomWindow;
    std::unique_ptr<output::ScreenOutput> m_screenOutput;
    std::unique_ptr<help::HelpWindow> m_help;
    std::unique_ptr<net::BusyDownloader> m_downloader;
    std::unique_ptr<net::PictureCache> m_pictureCache;
    std::unique_ptr<wms::WmsWindow> m_wms;
    std::unique_ptr<wms::OverlayWindow> m_overlay;
    std::unique_ptr<wms::ConnectionsWindow> m_connections;
    std::function<void(const QString&)> m_openInBrowser;
    platform::StatusLine* m_statusLine = nullptr;  // owned by the status bar
    QLabel* m_connectionLegend = nullptr;          // TForm19's picture
    int m_lastMineralLayer = -1;                   // "Tipo-ARIM" item of the last request
    std::unique_ptr<remote::LinkState> m_link;
    platform::WebView* m_viewerView = nullptr;    // TForm17
    platform::WebView* m_searchView = nullptr;    // TForm20
    platform::WebView* m_geoSciMlView = nullptr;  // TForm22
    std::unique_ptr<remote::CollectorsWindow> m_collectors;
    std::unique_ptr<net::BusyDownloader> m_collectorDownloader;
    bool m_collectorTickRunning = false;
    platform::WebView* m_recordView = nullptr;
    std::vector<std::pair<QToolButton*, int>> m_groupButtons;
    bool m_scaleBarDragging = false;
    bool m_scaleBarWhenShown = false;
};

}  // namespace app
