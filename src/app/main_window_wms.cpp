// The main window's side of the web map services: the WMS window and the
// overlay-mode window, the remote picture shown in place of the main map and
// refreshed after every navigation step, the index map, feature info and
// legends, the opacity step and the two screen memories.
#include "app/main_window.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "net/downloader.h"
#include "net/picture_cache.h"
#include "output/zoom_window.h"
#include "platform/dialogs.h"
#include "platform/status_line.h"
#include "platform/text_file.h"
#include "platform/web_view.h"
#include "wms/alpha_blend.h"
#include "wms/connections_window.h"
#include "wms/field_area.h"
#include "wms/fixed_connections.h"
#include "wms/kept_pictures.h"
#include "wms/map_list_panel.h"
#include "wms/overlay_window.h"
#include "wms/remote_refresh.h"
#include "wms/urls.h"
#include "wms/wms_text.h"
#include "wms/wms_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace app {

const QString TForm1::kNoConnectionMessage =
    QStringLiteral("Não foi realizada conexão, verifique a Internet");
const QString TForm1::kFieldNeedsLayers = QStringLiteral(
    "Marque na lista de layers da janela WMS os layers a guardar e mostre o mapa da área");
const QString TForm1::kFieldCacheOff = QStringLiteral(
    "As imagens guardadas estão desligadas (cache_enabled em quelvora.conf): nada foi guardado");
const QString TForm1::kFieldSaved = QStringLiteral("Área guardada para campo: %1 imagens");
const QString TForm1::kFieldNotSaved =
    QStringLiteral("A área para campo não foi guardada inteira (%1 de %2 imagens guardadas):\n%3");
const QString TForm1::kServiceNotImplemented = QStringLiteral("Serviço ainda não implementado");
const QString TForm1::kChooseWmsLayer = QStringLiteral(
    "Escolha na lista de layers da janela WMS o layer que responde à função "
    "identifica (i)");

const QString TForm1::kChooseLegendLayer =
    QStringLiteral("Escolha na lista de layers da janela WMS o layer da legenda");
const QString TForm1::kLegendFailed =
    QStringLiteral("Não foi possível mostrar a legenda do layer %1:\n%2");

namespace {

// A legend larger than this is not a legend (16 million pixels, 64 MB decoded).
constexpr qint64 kLegendMaxPixels = 16'000'000;

// The main menu's entries by position: 1 "Temas", 3 "Zoom", 4 "Pesq",
// 5 "Reclassificar", 6 "Legenda", 7 "Distâncias", 9 "Mensagens",
// 10 "Texto", 11 "Zoom_coord".
constexpr int kMenuZoomCoord = 11;
constexpr int kMenuPesq = 4;

// The tools of the local map that a remote picture or a screen memory puts
// out of use: themes, classification, legend, palette, colour file, labels,
// transparency, query, map tips, distance, clipboard and print.
const char* const kLocalTools[] = {
    "SpeedButton3",  "SpeedButton17", "SpeedButton9",  "SpeedButton18", "SpeedButton14",
    "SpeedButton25", "SpeedButton34", "SpeedButton21", "SpeedButton10", "SpeedButton27",
    "SpeedButton19", "SpeedButton13", "SpeedButton20", "SpeedButton8"};

// The fixed rectangle of the index map.
const mapcontrol::Rectangle kIndexMapExtent(-73.839432, -34.858105, 5.38289, -33.770855);

}  // namespace

void TForm1::connectWms() {
    const platform::Configuration& config = m_surroundings.configuration;
    m_downloader = std::make_unique<net::BusyDownloader>(
        this, net::DownloadLimits::fromSettings(config.settings));
    m_downloader->setStatusLine(m_statusLine);
    // Commands that answer a failed download with a fixed message of their
    // own ("Problemas com a conexão - verifique!") leave the reason on the
    // status line: a certificate that is not trusted, the server named.
    m_downloader->setFailureListener([this](const platform::Result& failed) {
        QString reason = failed.detail.isEmpty() ? failed.message : failed.detail;
        if (!reason.isEmpty()) reason[0] = reason[0].toUpper();
        m_statusLine->say(reason);
    });
    m_pictureCache = std::make_unique<net::PictureCache>(
        config.cacheFolder, config.settings.cacheMaxBytes, config.settings.cacheEnabled);
    m_wms = std::make_unique<wms::WmsWindow>(wms::WmsWindow::Surroundings{
        *m_windows->window(QStringLiteral("TForm24")), m_state, m_surroundings.dialogs,
        *m_downloader, config.programFolder, config.settings.gatewayHost, m_pictureCache.get(),
        [this](const QDateTime& keptAt) { m_statusLine->say(wms::keptPictureNotice(keptAt)); }});
    QWidget* overlayForm = m_windows->window(QStringLiteral("TForm25"));
    m_overlay = std::make_unique<wms::OverlayWindow>(*overlayForm);

    // The remote record window shows the answers of feature info.
    m_recordView = addWebView(*m_windows->window(QStringLiteral("TForm16")));
    if (auto* legendView = m_windows->window(QStringLiteral("TForm18"))
                               ->findChild<platform::WebView*>(QStringLiteral("WebBrowser1"))) {
        legendView->setFetcher(
            [this](const QString& url, QString* error) { return fetchPage(url, error); });
    }

    const auto openWms = [this] { OpenWmsWindow(); };
    connect(button(QStringLiteral("BOTAO3")), &QToolButton::clicked, this, openWms);
    connect(findChild<QAction*>(QStringLiteral("WMSservio1")), &QAction::triggered, this, openWms);
    wms::WmsWindow& w = *m_wms;
    connect(w.SpeedButton1, &QToolButton::clicked, this, &TForm1::ShowWmsMap);
    connect(w.SpeedButton16, &QToolButton::clicked, this, &TForm1::ShowIndexMap);
    connect(w.SpeedButton4, &QToolButton::clicked, this, &TForm1::DisconnectWms);
    connect(w.SpeedButton11, &QToolButton::clicked, this, &TForm1::ShowWmsLegend);
    connect(w.GuardaCampo, &QToolButton::clicked, this, &TForm1::SaveAreaForField);
    connect(w.SpeedButton7, &QToolButton::clicked, this, [overlayForm] {
        overlayForm->show();
        overlayForm->raise();
    });
    connect(w.SpeedButton10, &QToolButton::clicked, this, [this] {
        m_zoomWindow->SpeedButton2->setEnabled(true);
        QWidget* zoomForm = m_windows->window(QStringLiteral("TForm14"));
        zoomForm->show();
        zoomForm->raise();
    });
    connect(w.up1, &wms::OpacityUpDown::stepping, this,
            [this](int position) { OpacityStep(position, true); });
    connect(button(QStringLiteral("M1")), &QToolButton::clicked, this, &TForm1::ScreenMemory1);
    connect(button(QStringLiteral("M2")), &QToolButton::clicked, this, &TForm1::ScreenMemory2);
    // "XM" leaves the memories as "Desconecta" does.
    connect(button(QStringLiteral("SpeedButton37")), &QToolButton::clicked, this,
            &TForm1::DisconnectWms);
}

void TForm1::addWmsBranches(workspace::Navigation::Branches& branches) {
    branches.refreshRemotePicture = [this] { RefreshRemoteImage(); };
    branches.wmsFeatureInfo = [this](const mapcontrol::MapPoint& p) { WmsFeatureInfo(p); };
    branches.remoteFeatureInfo = [this](const mapcontrol::MapPoint& p) { BedrockFeatureInfo(p); };
    branches.indexMap = [this](const mapcontrol::MapPoint& p) { IndexMapClick(p); };
    branches.identifyAnswersWms = [this] { return m_wms && m_wms->identifyChoice() == 0; };
    branches.fixedConnection = [this] { ConnectRemote(); };
    branches.wholeMapConnections = [this] {
        Panel3->hide();
        m_connections->SpeedButton37->setEnabled(true);
        m_connections->up->setEnabled(false);
        button(QStringLiteral("M1"))->setEnabled(true);
        setMainMenuItems({1, 3, 4, 5, 6, 7, 9, 10, 11}, true);
    };
    branches.collectorTimer = [this](bool run) { pauseCollectors(run); };
    branches.searchPlot = [this] { PlotSearchAgain(); };
    branches.swapRemoteAndLocal = [this] { SwapRemoteAndLocal(); };
    branches.remoteWholeMap = [this] {
        m_state.currentExtent = m_wms->extentFromEdits();
        Map1->setExtent(m_state.currentExtent);
        m_navigation->zoomOut();  // which fetches the picture
    };
}

QSize TForm1::mapArea() const {
    return Map1->size();
}

bool TForm1::localThemesLoaded() const {
    return Map1->layers().count() > 0;
}

QAction* TForm1::mainMenuItem(int index) const {
    const QList<QAction*> entries = menuBar()->actions();
    return index >= 0 && index < entries.size() ? entries[index] : nullptr;
}

void TForm1::setMainMenuItems(std::initializer_list<int> indexes, bool enabled) {
    for (int index : indexes) {
        if (QAction* entry = mainMenuItem(index)) entry->setEnabled(enabled);
    }
}

void TForm1::setLocalTools(bool enabled) {
    for (const char* name : kLocalTools) {
        button(QLatin1String(name))->setEnabled(enabled);
    }
}

platform::WebView* TForm1::addWebView(QWidget& form, const std::vector<QPushButton*>& buttons) {
    auto* layout = new QVBoxLayout(&form);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* view = new platform::WebView(&form);
    view->setObjectName(QStringLiteral("WebBrowser1"));
    view->setFetcher([this](const QString& url, QString* error) { return fetchPage(url, error); });
    layout->addWidget(view, 1);
    if (!buttons.empty()) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(6, 6, 6, 6);
        for (QPushButton* b : buttons) row->addWidget(b);
        row->addStretch(1);
        layout->addLayout(row);
    }
    form.resize(700, 500);
    return view;
}

std::optional<QByteArray> TForm1::fetchPage(const QString& url, QString* error) {
    const QString path =
        QDir(m_surroundings.configuration.programFolder).filePath(QStringLiteral("pagina.tmp"));
    const platform::Result got = m_downloader->download(url, path);
    if (!got) {
        if (error) *error = got.message + QStringLiteral("\n") + got.detail;
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return std::nullopt;
    }
    QByteArray page = file.readAll();
    file.close();
    QFile::remove(path);
    return page;
}

void TForm1::OpenWmsWindow() {
    if (CheckBox1->isChecked()) CheckBox1->setChecked(false);
    m_wms->setIdentifyChoice(0);
    setMainMenuItems({kMenuZoomCoord}, true);
    QWidget* form = m_windows->window(QStringLiteral("TForm24"));
    form->show();
    form->raise();
}

void TForm1::applyRemoteExtent(const mapcontrol::Rectangle& extent) {
    for (mapcontrol::MapWidget* map : {Map1, Map2}) {
        map->setFullExtent(extent);
        map->setExtent(extent);
    }
}

void TForm1::ShowWmsMap() {
    button(QStringLiteral("SpeedButton5"))->setEnabled(false);
    button(QStringLiteral("SpeedButton7"))->setEnabled(true);
    button(QStringLiteral("SpeedButton10"))->setEnabled(true);
    m_state.indexMapMode = false;
    m_state.indexClickLookup = false;
    m_state.wmsActive = true;
    m_state.themesLoaded = true;
    m_state.coordsVisible = true;

    const bool fromServices = m_wms->extentChoice() == 0;
    if (fromServices) {
        mapcontrol::Rectangle extent = m_wms->extentFromEdits();
        if (localThemesLoaded()) {
            const mapcontrol::Rectangle local = Map1->extent();
            extent = mapcontrol::Rectangle(
                std::min(extent.left(), local.left()), std::max(extent.right(), local.right()),
                std::max(extent.top(), local.top()), std::min(extent.bottom(), local.bottom()));
        }
        m_state.currentExtent = extent;
        m_wms->writeExtentEdits(extent, 6, 12);
        applyRemoteExtent(extent);
    }
    m_navigation->zoomOut();  // ends in RefreshRemoteImage
    if (fromServices && localThemesLoaded()) {
        const mapcontrol::Rectangle asked = Map1->extent();
        m_state.currentExtent = m_wms->extentFromEdits();
        applyRemoteExtent(m_state.currentExtent);
        // The picture must show what the map's coordinates say (unless no
        // picture came: the user has been told once).
        if (m_state.connectionMode && !(Map1->extent() == asked)) {
            RefreshRemoteImage();
            if (m_state.searchPlotted) drawPlottedSearch();
        }
    }
}

void TForm1::prepareForRemotePicture() {
    setMainMenuItems({kMenuZoomCoord, kMenuPesq}, false);
    m_state.memoryMode = false;
    button(QStringLiteral("M1"))->setEnabled(true);
    m_wms->up1->setEnabled(true);
    m_connections->up->setEnabled(true);
    for (const char* name : {"SpeedButton2", "SpeedButton4", "SpeedButton7", "SpeedButton6"}) {
        button(QLatin1String(name))->setEnabled(true);
    }
    setLocalTools(true);
    if (m_state.connectionKind == 0) {
        button(QStringLiteral("SpeedButton5"))->setEnabled(false);
    }
    m_themeList->endMove();
    stopMapTips();
}

void TForm1::showRemotePicture(const QImage& picture) {
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->show();
    Image1->raise();
    Map1->hide();
}

void TForm1::remotePictureFailed() {
    m_surroundings.dialogs.message(this, kNoConnectionMessage, platform::MessageKind::Warning);
    setFixedSize(size());  // border style single
    // The kind is cleared first, so the local map comes back with its pan
    // tool; "troca" back to it also when no picture was shown yet (swapping
    // would then show an empty picture instead).
    m_state.connectionKind = -1;
    showLocalMapAgain();
    button(QStringLiteral("M2"))->setEnabled(false);
}

void TForm1::RefreshRemoteImage() {
    if (!m_state.wmsActive) {
        return;
    }
    prepareForRemotePicture();
    const QSize area = mapArea();
    const QString& folder = m_surroundings.configuration.programFolder;
    std::vector<wms::ServiceLayers> services =
        wms::checkedLayersByService(m_wms->services(), m_wms->layerEntries());
    for (wms::ServiceLayers& service : services) {
        if (service.layers.isEmpty()) continue;
        const wms::RequestSystem system = wms::requestSystem(m_state.mapSystem, service.address,
                                                             m_wms->listedSystems(service.address));
        if (!system.refusal.isEmpty()) {
            m_surroundings.dialogs.message(this, system.refusal, platform::MessageKind::Warning);
            service.layers.clear();  // not asked
        }
        service.srs = system.srs;
    }
    const wms::ServicePicturesResult pictures =
        wms::fetchServicePictures(services, m_state.currentExtent, area, m_overlay->mode(),
                                  *m_downloader, folder, m_pictureCache.get());
    for (const QString& text : pictures.serverTexts) {
        m_surroundings.dialogs.message(this, text, platform::MessageKind::Warning);
    }
    const wms::Composite composite = wms::composeWithLocalMap(
        pictures.combined, localThemesLoaded(),
        [this](QSize size) { return Map1->renderPicture(size); }, folder);
    if (composite.blend) {
        showRemotePicture(composite.shown);
    } else {
        m_surroundings.dialogs.message(this, composite.blend.message, platform::MessageKind::Error);
        Image1->show();
        Map1->hide();
    }
    m_state.connectionMode = true;
    if (pictures.keptAt.isValid()) {
        m_statusLine->say(wms::keptPictureNotice(pictures.keptAt));
    } else if (wms::isKeptPictureNotice(m_statusLine->text())) {
        m_statusLine->clear();  // the picture now shown is not a kept one
    }
    if (!pictures.ok) {
        remotePictureFailed();
    }
    if (RadioGroup1->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item0"))->isChecked()) {
        // "Visível": the services' extent is where the whole map returns to.
        Map1->setFullExtent(m_wms->extentFromEdits());
    }
    button(QStringLiteral("SpeedButton13"))->setEnabled(true);
}

void TForm1::ShowIndexMap() {
    m_state.indexMapMode = true;
    m_state.indexClickLookup = true;
    m_wms->RadioGroup1->button(0)->setChecked(true);
    m_state.wmsActive = true;
    m_state.themesLoaded = true;
    m_state.coordsVisible = true;
    mapcontrol::Rectangle extent = kIndexMapExtent;
    if (localThemesLoaded()) {
        extent = extent.united(Map1->extent());
    }
    m_state.currentExtent = extent;
    m_wms->writeExtentEdits(extent, 6, 12);
    applyRemoteExtent(extent);
    prepareForRemotePicture();
    m_state.currentExtent = Map1->extent();
    // The map chosen in the map-group panel, when there is one, is where
    // the index opens.
    if (const std::optional<wms::MapChoice> map =
            wms::parseMapLine(Panel3->ComboBox3->currentText())) {
        Map1->setFullExtent(map->extent);
        Map1->setExtent(map->extent);
        m_state.currentExtent = Map1->extent();  // the box fitted to the window
    }
    const QSize area = mapArea();
    const QString& folder = m_surroundings.configuration.programFolder;
    QFile::remove(QDir(folder).filePath(QStringLiteral("temp.jpg")));
    const wms::FetchedPicture picture =
        wms::fetchPicture(wms::indexMapUrl(m_surroundings.configuration.settings.gatewayHost,
                                           area.width(), area.height()),
                          8LL * area.width() * area.height(), *m_downloader,
                          QDir(folder).filePath(QStringLiteral("temp.jpg")),
                          wms::PictureAnswer::Jpeg, wms::Keeping::byUrl(m_pictureCache.get()));
    if (!picture.result) {
        if (picture.answered) {
            m_surroundings.dialogs.message(this, picture.result.message,
                                           platform::MessageKind::Warning);
        }
        // No index on screen: a click on the local map is a click again,
        // not a look-up of a sheet.
        m_state.indexMapMode = false;
        m_state.indexClickLookup = false;
        remotePictureFailed();
        return;
    }
    QImage remote(area, QImage::Format_RGB32);
    remote.fill(Qt::white);
    {
        QPainter painter(&remote);
        painter.drawImage(QPoint(0, 0), picture.image);
    }
    const wms::Composite composite = wms::composeWithLocalMap(
        remote, localThemesLoaded(), [this](QSize size) { return Map1->renderPicture(size); },
        folder);
    if (!composite.blend) {
        m_surroundings.dialogs.message(this, composite.blend.message, platform::MessageKind::Error);
    }
    m_wms->up1->setEnabled(true);
    showRemotePicture(composite.shown);
    m_state.connectionMode = true;
    if (picture.keptAt.isValid()) {
        m_statusLine->say(wms::keptPictureNotice(picture.keptAt));
    }
}

void TForm1::showLocalMapAgain() {
    Panel3->hide();
    Map1->show();
    Image1->hide();
    setMainMenuItems({kMenuZoomCoord, kMenuPesq, 9, 10}, true);
    button(QStringLiteral("SpeedButton10"))->setEnabled(true);
    button(QStringLiteral("SpeedButton5"))->setEnabled(m_state.connectionKind < 0);
    setLocalTools(true);
    m_state.connectionMode = false;
}

void TForm1::SwapRemoteAndLocal() {
    const bool noKind = m_state.connectionKind < 0;
    if (Image1->isVisible()) {
        showLocalMapAgain();
    } else {
        Map1->hide();
        showRemotePicture(Image1->pixmap().toImage());
        if (m_state.connectionKind == 0) Panel3->show();
        if (noKind) {
            setLocalTools(false);
            setMainMenuItems({1, 5, 6, 7, 9, 10}, false);
        }
        setMainMenuItems({kMenuZoomCoord, kMenuPesq}, false);
        m_state.connectionMode = true;
    }
}

void TForm1::DisconnectWms() {
    m_state.indexMapMode = false;
    m_state.indexClickLookup = false;
    m_state.wmsActive = false;
    m_state.memoryMode = false;
    button(QStringLiteral("SpeedButton6"))->setChecked(false);
    removeSearchFiles();
    m_wms->CheckListBox1->clear();
    m_wms->Edit6->clear();
    m_wms->Edit7->clear();
    m_wms->up1->setEnabled(false);
    Panel3->hide();
    Map1->show();
    Image1->hide();
    setMinimumSize(0, 0);  // border style sizeable again
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_state.connectionMode = false;
    // The whole map is the local themes' again.
    Map1->setFullExtent(mapcontrol::Rectangle());
    Map2->setFullExtent(mapcontrol::Rectangle());
    setMainMenuItems({1, 3, 4, 5, 6, 7, 9, 10, 11}, true);
    setLocalTools(true);
    for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton4", "SpeedButton5",
                             "SpeedButton6", "SpeedButton7", "M1"}) {
        button(QLatin1String(name))->setEnabled(true);
    }
    button(QStringLiteral("M2"))->setEnabled(false);
    m_readouts->UpdateDistanceReadout();
    m_themeList->endMove();
    if (!localThemesLoaded()) {
        button(QStringLiteral("SpeedButton6"))->setEnabled(false);
    }
}

void TForm1::ShowWmsLegend() {
    const QString address = m_wms->Edit6->text();
    if (address.trimmed().isEmpty()) {
        // No service chosen: there is no address to ask.
        m_surroundings.dialogs.message(this, kChooseLegendLayer);
        return;
    }
    QWidget* form = m_windows->window(QStringLiteral("TForm18"));
    auto* view = form->findChild<platform::WebView*>(QStringLiteral("WebBrowser1"));
    const QString url = wms::legendUrl(address, m_wms->Edit7->text());
    if (wms::hasRestLegend(address)) {
        view->load(url);  // the service's legend page
    } else {
        const QString target = programFile(QStringLiteral("legenda.png"));
        QFile::remove(target);
        const wms::FetchedPicture legend = wms::fetchPicture(
            url, kLegendMaxPixels, *m_downloader, target, wms::PictureAnswer::AnyPicture,
            wms::Keeping::byUrl(m_pictureCache.get()));
        if (!legend.result) {
            // Said once, and the legend window keeps no earlier legend.
            const QString reason =
                legend.answered || legend.result.detail.isEmpty()
                    ? legend.result.message
                    : legend.result.message + QLatin1Char('\n') + legend.result.detail;
            view->setFailure(url, reason);
            m_surroundings.dialogs.message(
                this, kLegendFailed.arg(wms::layerNameOf(m_wms->Edit7->text()), reason),
                platform::MessageKind::Warning);
            return;
        }
        view->setPicture(url, legend.answer, legend.image);
        if (legend.keptAt.isValid()) {
            m_statusLine->say(wms::keptPictureNotice(legend.keptAt));
        }
    }
    form->show();
    form->raise();
}

void TForm1::SaveAreaForField() {
    if (!m_pictureCache->isEnabled()) {
        m_surroundings.dialogs.message(this, kFieldCacheOff, platform::MessageKind::Warning);
        return;
    }
    std::vector<wms::ServiceLayers> services;
    for (wms::ServiceLayers& service :
         wms::checkedLayersByService(m_wms->services(), m_wms->layerEntries())) {
        if (service.layers.isEmpty()) continue;
        const wms::RequestSystem system = wms::requestSystem(m_state.mapSystem, service.address,
                                                             m_wms->listedSystems(service.address));
        if (!system.refusal.isEmpty()) {
            m_surroundings.dialogs.message(this, system.refusal, platform::MessageKind::Warning);
            continue;
        }
        service.srs = system.srs;
        services.push_back(std::move(service));
    }
    const std::vector<wms::FieldPiece> pieces = wms::fieldPieces(m_state.currentExtent, mapArea());
    if (services.empty() || pieces.empty()) {
        m_surroundings.dialogs.message(this, kFieldNeedsLayers);
        return;
    }
    const qint64 total = qint64(services.size() * pieces.size());
    const QSize area = mapArea();
    const qint64 maxPixels = 8LL * area.width() * area.height();
    const QString target = programFile(QStringLiteral("campo.jpg"));
    qint64 done = 0;
    QString failure;
    bool cancelled = false;
    {
        platform::StatusLine::Task task(*m_statusLine, QStringLiteral("Guardando área para campo"),
                                        total);
        task.showNow();
        for (const wms::ServiceLayers& service : services) {
            for (const wms::FieldPiece& piece : pieces) {
                const QString url = wms::getMapUrl(service.address, service.layers, piece.box,
                                                   piece.width, piece.height, service.srs);
                const wms::FetchedPicture fetched = wms::fetchPicture(
                    url, maxPixels, *m_downloader, target, wms::PictureAnswer::Jpeg,
                    wms::Keeping::byBox(m_pictureCache.get(), service.address, service.layers,
                                        service.srs, piece.box, QSize(piece.width, piece.height)));
                if (fetched.result.cancelled) {
                    cancelled = true;
                } else if (fetched.keptAt.isValid()) {
                    failure = QStringLiteral("sem conexão com %1").arg(service.address);
                } else if (!fetched.result) {
                    failure =
                        fetched.result.detail.isEmpty()
                            ? fetched.result.message
                            : fetched.result.message + QLatin1Char('\n') + fetched.result.detail;
                }
                if (cancelled || !failure.isEmpty()) break;
                ++done;
                task.step(
                    done,
                    QStringLiteral("Guardando área para campo: %1 de %2").arg(done).arg(total));
            }
            if (cancelled || !failure.isEmpty()) break;
        }
    }
    QFile::remove(target);
    if (cancelled) {
        m_statusLine->say(QStringLiteral("Guardar área para campo cancelado: %1 de %2 imagens "
                                         "guardadas")
                              .arg(done)
                              .arg(total));
    } else if (!failure.isEmpty()) {
        m_surroundings.dialogs.message(this, kFieldNotSaved.arg(done).arg(total).arg(failure),
                                       platform::MessageKind::Warning);
    } else {
        m_statusLine->say(kFieldSaved.arg(done));
    }
}

namespace {

// The pixel of the click the dispatcher turned into map units.
QPoint clickPixel(const mapcontrol::MapWidget& map, const mapcontrol::MapPoint& point) {
    const QPointF p = map.toPixel(point);
    return {static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y()))};
}

}  // namespace

void TForm1::WmsFeatureInfo(const mapcontrol::MapPoint& point) {
    if (m_wms->Edit6->text().trimmed().isEmpty()) {
        // No service chosen: there is no address to ask.
        m_surroundings.dialogs.message(this, kChooseWmsLayer);
        return;
    }
    const QSize area = mapArea();
    const QPoint pixel = clickPixel(*Map1, point);
    const wms::RequestSystem system = wms::requestSystem(
        m_state.mapSystem, m_wms->Edit6->text(), m_wms->listedSystems(m_wms->Edit6->text()));
    const QString url = wms::featureInfoUrl(
        m_wms->Edit6->text(), wms::layerNameOf(m_wms->Edit7->text()), m_state.currentExtent,
        area.width(), area.height(), pixel.x(), pixel.y(), system.srs);
    if (m_state.indexMapMode) {
        return;
    }
    if (!system.refusal.isEmpty()) {
        m_surroundings.dialogs.message(this, system.refusal, platform::MessageKind::Warning);
        return;
    }
    m_recordView->load(url);
    QWidget* form = m_windows->window(QStringLiteral("TForm16"));
    form->show();
    form->raise();
}

void TForm1::BedrockFeatureInfo(const mapcontrol::MapPoint& point) {
    const QSize area = mapArea();
    const QPoint pixel = clickPixel(*Map1, point);
    m_recordView->load(
        wms::bedrockFeatureInfoUrl(m_surroundings.configuration.settings.bedrockWmsHost,
                                   area.width(), area.height(), pixel.x(), pixel.y()));
    QWidget* form = m_windows->window(QStringLiteral("TForm16"));
    form->show();
    form->raise();
}

void TForm1::IndexMapClick(const mapcontrol::MapPoint& point) {
    const QDir folder(m_surroundings.configuration.programFolder);
    const QString answer = folder.filePath(QStringLiteral("listawms1.txt"));
    QFile::remove(answer);
    (void)m_downloader->download(
        wms::indexLookupUrl(m_surroundings.configuration.settings.gatewayHost, point.x, point.y),
        answer);  // a failure leaves no answer file
    if (QFile::exists(answer)) {
        const platform::TextLines key = platform::readFirstTextLine(answer);
        const platform::TextLines catalogue =
            platform::readTextLines(folder.filePath(QStringLiteral("listawms.txt")));
        const QStringList addresses = wms::addressesForKey(
            catalogue.lines, key.lines.isEmpty() ? QString() : key.lines.first());
        m_wms->ListBox1->addItems(addresses);
        if (addresses.isEmpty()) {
            m_surroundings.dialogs.message(this, kServiceNotImplemented);
        }
    }
    QWidget* form = m_windows->window(QStringLiteral("TForm24"));
    form->show();
    form->raise();
}

void TForm1::OpacityStep(int positionBefore, bool fromWmsWindow) {
    const QDir folder(m_surroundings.configuration.programFolder);
    const double opacity = positionBefore / 10.0;
    std::optional<wms::Composite> composite;
    if (!m_state.memoryMode && ((fromWmsWindow && m_state.wmsActive) ||
                                (m_state.connectionKind >= 0 && m_state.connectionKind <= 5))) {
        composite =
            wms::blendFiles(folder.filePath(QStringLiteral("temp.bmp")),
                            folder.filePath(QStringLiteral("temp1.bmp")), opacity, mapArea());
    } else if (m_state.memoryMode) {
        composite =
            wms::blendFiles(folder.filePath(QStringLiteral("fox1.bmp")),
                            folder.filePath(QStringLiteral("fox2.bmp")), opacity, mapArea());
    }
    if (!composite) {
        return;
    }
    if (!composite->blend) {
        m_surroundings.dialogs.message(this, composite->blend.message,
                                       platform::MessageKind::Error);
        return;  // the screen keeps its picture
    }
    Image1->setPixmap(QPixmap::fromImage(composite->shown));
}

void TForm1::ScreenMemory1() {
    setMainMenuItems({kMenuZoomCoord}, true);
    setMainMenuItems({1, 3, 4, 5, 6, 7, 9, 10}, false);
    m_connections->SpeedButton37->setEnabled(false);
    const QString fox1 =
        QDir(m_surroundings.configuration.programFolder).filePath(QStringLiteral("fox1.bmp"));
    QImage screen;
    if (!Image1->isVisible()) {
        m_state.currentExtent = Map1->extent();
        m_connections->up->setEnabled(true);
        screen = Map1->renderPicture(mapArea());
    } else {
        screen = Image1->pixmap().toImage();
    }
    if (!screen.save(fox1, "BMP")) {
        m_surroundings.dialogs.message(
            this, QStringLiteral("Não foi possível gravar a memória 1 (%1)").arg(fox1),
            platform::MessageKind::Error);
    }
    button(QStringLiteral("M1"))->setEnabled(false);
    button(QStringLiteral("M2"))->setEnabled(true);
}

void TForm1::ScreenMemory2() {
    for (const char* name :
         {"SpeedButton3", "SpeedButton17", "SpeedButton18", "SpeedButton9", "SpeedButton34",
          "SpeedButton10", "SpeedButton13", "SpeedButton20", "SpeedButton8", "SpeedButton19"}) {
        button(QLatin1String(name))->setEnabled(false);
    }
    if (m_state.connectionKind >= 0) {
        button(QStringLiteral("SpeedButton5"))->setEnabled(false);
    }
    m_state.currentExtent = Map1->extent();
    const QDir folder(m_surroundings.configuration.programFolder);
    const QSize area = mapArea();
    QImage second(area, QImage::Format_RGB32);
    second.fill(Qt::white);
    {
        QPainter painter(&second);
        painter.drawImage(QPoint(0, 0), Image1->isVisible() ? Image1->pixmap().toImage()
                                                            : Map1->renderPicture(area));
    }
    if (!second.save(folder.filePath(QStringLiteral("fox2.bmp")), "BMP")) {
        m_surroundings.dialogs.message(this,
                                       QStringLiteral("Não foi possível gravar a memória 2 (%1)")
                                           .arg(folder.filePath(QStringLiteral("fox2.bmp"))),
                                       platform::MessageKind::Error);
    }
    const QImage first = wms::loadAreaPicture(folder.filePath(QStringLiteral("fox1.bmp")), area);
    const platform::Result blended = wms::AlphaBlend(0, 0, first, 0.5, second);
    if (!blended) {
        m_surroundings.dialogs.message(this, blended.message, platform::MessageKind::Error);
    }
    showRemotePicture(second);
    m_state.memoryMode = true;
    m_state.connectionMode = false;
    button(QStringLiteral("M2"))->setEnabled(false);
    button(QStringLiteral("M1"))->setEnabled(true);
    m_connections->up->setEnabled(true);
}

}  // namespace app
