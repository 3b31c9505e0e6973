// The main window's side of the fixed remote connections: the connections
// window and its kinds, the map-group panel, connect, swap, the zoom window
// without export, "Vetor", the connection's legend, the second opacity
// control and the reveal of the hidden controls.
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
#include "wms/connections_window.h"
#include "wms/fixed_connections.h"
#include "wms/kept_pictures.h"
#include "wms/map_list_panel.h"
#include "wms/remote_refresh.h"
#include "wms/service_pictures.h"
#include "wms/wms_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace app {

const QString TForm1::kZoomWithoutExport = QStringLiteral(
    "Este tipo de conexão não foi criado para gravar imagem georreferenicada, somente para "
    "visualização. Utilize o protocolo WMS padrão !");

void TForm1::connectConnections() {
    QWidget* form = m_windows->window(QStringLiteral("TForm23"));
    m_connections = std::make_unique<wms::ConnectionsWindow>(*form);
    wms::ConnectionsWindow& c = *m_connections;
    m_openInBrowser = [](const QString& url) {
        // The address goes to the desktop's browser exactly as built.
        QProcess::startDetached(QStringLiteral("xdg-open"), {url});
    };
    const auto showForm = [form] {
        form->show();
        form->raise();
    };
    connect(button(QStringLiteral("BOTAO2")), &QToolButton::clicked, this, showForm);
    connect(findChild<QAction*>(QStringLiteral("Conexoes1")), &QAction::triggered, this,
            [this, showForm] {
                RevealConnections();
                showForm();
            });
    connect(&c, &wms::ConnectionsWindow::kindChosen, this, &TForm1::ChooseConnectionKind);
    // "Volta" leaves no kind: the next connect, zoom or pan asks for none.
    connect(&c, &wms::ConnectionsWindow::kindCleared, this, [this] {
        m_state.connectionKind = -1;
        m_lastMineralLayer = -1;
    });
    connect(c.troca, &QToolButton::clicked, this, &TForm1::SwapRemoteAndLocal);
    connect(c.SpeedButton40, &QToolButton::clicked, this, &TForm1::ZoomWithoutExport);
    connect(c.SpeedButton37, &QToolButton::clicked, this, &TForm1::ConnectRemote);
    connect(c.SpeedButton41, &QToolButton::clicked, this, &TForm1::OpenVector);
    connect(m_wms->SpeedButton19, &QToolButton::clicked, this, &TForm1::OpenVector);
    connect(Panel3->SpeedButton38, &QToolButton::clicked, this, &TForm1::RefreshMapList);
    for (const wms::MapGroup& group : wms::mapGroups()) {
        Panel3->ComboBox2->addItem(wms::mapGroupText(group));
    }
    Panel3->ComboBox2->setCurrentIndex(-1);
    connect(Panel3->ComboBox2, &QComboBox::activated, this, &TForm1::ChooseMapGroup);
    connect(Panel3->ComboBox3, &QComboBox::activated, this, &TForm1::ChooseMap);

    // The connection's legend window: the picture at its own size.
    QWidget* legendForm = m_windows->window(QStringLiteral("TForm19"));
    auto* legendLayout = new QVBoxLayout(legendForm);
    m_connectionLegend = new QLabel(legendForm);
    m_connectionLegend->setObjectName(QStringLiteral("Image1"));
    auto* saveLegend = new QPushButton(QStringLiteral("Gravar legenda - bmp"), legendForm);
    saveLegend->setObjectName(QStringLiteral("Button1"));
    legendLayout->addWidget(m_connectionLegend);
    legendLayout->addWidget(saveLegend);
    connect(saveLegend, &QPushButton::clicked, this, &TForm1::SaveConnectionLegend);
    connect(c.up, &wms::OpacityUpDown::stepping, this,
            [this](int position) { OpacityStep(position, false); });
}

void TForm1::RevealConnections() {
    m_connections->reveal();
    CheckBox1->show();
}

void TForm1::mainWindowDoubleClicked() {
    // The first double click hides "KESTRAM"; the next shows everything.
    if (CheckBox1->isVisible()) {
        CheckBox1->hide();
    } else {
        RevealConnections();
    }
}

void TForm1::ChooseConnectionKind(int kind) {
    wms::ConnectionsWindow& c = *m_connections;
    if (kind != 5) c.SpeedButton1->hide();
    c.SpeedButton41->setEnabled(kind == 2);
    if (kind == 5) {
        c.RadioGroup1Box->show();
        c.Image1->show();
        c.SpeedButton1->show();
        c.RadioGroup2Box->hide();
    } else if (kind == 1) {
        c.radiogroup5Box->show();
        c.RadioGroup1Box->hide();
        c.RadioGroup2Box->hide();
    } else if (kind >= 2 && kind <= 4) {
        c.radiogroup5Box->hide();
    }
    m_state.wmsActive = false;
    m_state.connectionKind = kind;
    if (kind == 0) {
        // "Posição de coletores" is created hidden: shown with the map groups,
        // or the user could never reach it.
        button(QStringLiteral("SpeedButton42"))->setEnabled(true);
        button(QStringLiteral("SpeedButton42"))->show();
        button(QStringLiteral("SpeedButton26"))->setEnabled(false);
        button(QStringLiteral("SpeedButton3"))->setEnabled(false);
        Panel3->show();
        ck->hide();
        c.SpeedButton37->setEnabled(!Panel3->ComboBox3->currentText().isEmpty());
        c.troca->setEnabled(false);
        setFixedSize(size());  // dialog border
        button(QStringLiteral("SpeedButton5"))->setEnabled(false);
    } else if (kind >= 1 && kind <= 5) {
        button(QStringLiteral("SpeedButton26"))->setEnabled(false);
        button(QStringLiteral("SpeedButton3"))->setEnabled(false);
        Panel3->hide();
        ck->show();
        c.SpeedButton37->setEnabled(true);
        c.troca->setEnabled(true);
        m_wms->up1->setEnabled(true);
        setFixedSize(size());
        deleteTemporaryPictures();
    } else if (kind == 6) {
        c.clearKind();
        m_state.connectionKind = -1;
        if (!m_state.collectorTimerActive) button(QStringLiteral("SpeedButton42"))->hide();
        Panel3->hide();
        Panel3->ListaPesquisa->setEnabled(false);
        c.radiogroup5Box->hide();
        Map1->show();
        Image1->hide();
        m_state.connectionMode = false;
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setLocalTools(true);
        setMainMenuItems({1, 3, 4, 5, 6, 7, 9, 10, 11}, true);
        for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton4", "SpeedButton5",
                                 "SpeedButton6", "SpeedButton7", "SpeedButton26", "M1"}) {
            button(QLatin1String(name))->setEnabled(true);
        }
        c.up->setEnabled(false);
        m_readouts->UpdateDistanceReadout();
        m_themeList->endMove();
        c.a1->hide();
        m_state.memoryMode = false;
        m_windows->window(QStringLiteral("TForm5"))->close();
        return;
    }
    c.form().show();
    c.form().raise();
}

void TForm1::ZoomWithoutExport() {
    m_surroundings.dialogs.message(this, kZoomWithoutExport, platform::MessageKind::Warning);
    m_zoomWindow->SpeedButton2->setEnabled(false);
    QWidget* zoomForm = m_windows->window(QStringLiteral("TForm14"));
    zoomForm->show();
    zoomForm->raise();
}

QString TForm1::programFile(const QString& name) const {
    return QDir(m_surroundings.configuration.programFolder).filePath(name);
}

void TForm1::RefreshMapList() {
    const platform::Result got =
        m_downloader->download(wms::mapListUrl(m_surroundings.configuration.settings.gatewayHost),
                               programFile(QStringLiteral("lista.txt")));
    m_surroundings.dialogs.message(
        this, got ? wms::WmsWindow::kCatalogueUpdated : wms::WmsWindow::kConnectionProblem,
        got ? platform::MessageKind::Information : platform::MessageKind::Warning);
}

void TForm1::ChooseMapGroup() {
    QComboBox* maps = Panel3->ComboBox3;
    maps->clear();
    const std::optional<int> group = wms::groupNumber(Panel3->ComboBox2->currentText());
    maps->addItem(QString());
    if (group) {
        const platform::TextLines list =
            platform::readTextLines(programFile(QStringLiteral("lista.txt")));
        maps->addItems(wms::mapListLinesOfGroup(list.lines, *group));
    }
}

void TForm1::ChooseMap() {
    const std::optional<wms::MapChoice> map = wms::parseMapLine(Panel3->ComboBox3->currentText());
    if (!map) {
        return;  // the empty line, or a line without a map
    }
    applyRemoteExtent(map->extent);
    // Map1 fits the box to its window's shape: requests and drawings follow
    // the extent it ends at, so the picture lines up with the coordinates.
    m_state.currentExtent = Map1->extent();
    m_connections->SpeedButton37->setEnabled(true);
    m_connections->up->setEnabled(true);
    m_connections->troca->setEnabled(true);
    m_connections->form().show();
    m_connections->form().raise();
}

wms::FixedRequest TForm1::fixedRequest() const {
    wms::FixedRequest request;
    request.kind = static_cast<wms::FixedKind>(m_state.connectionKind);
    if (const auto map = wms::parseMapLine(Panel3->ComboBox3->currentText())) {
        request.map.mapName = map->mapName;
        if (m_state.searchPlotted) request.map.searchCode = map->searchCode;
    }
    request.map.group = wms::groupNumber(Panel3->ComboBox2->currentText()).value_or(0);
    request.map.drainage = Panel3->Drenagens->isChecked();
    request.map.structural = Panel3->Estrutural->isChecked();
    request.map.roads = Panel3->Estradas->isChecked();
    request.map.towns = Panel3->Cidades->isChecked();
    request.mosaic = static_cast<wms::MosaicType>(std::max(0, m_connections->mosaicType()));
    // The layer of the last request stays for the next navigation step,
    // since the choice itself is cleared after each request.
    request.mineralLayer =
        m_connections->mineralLayer() >= 0 ? m_connections->mineralLayer() : m_lastMineralLayer;
    return request;
}

bool TForm1::refusedForProjectedMap() {
    if (!m_state.mapSystem || !m_state.mapSystem->isProjected()) {
        return false;
    }
    m_surroundings.dialogs.message(
        this,
        QStringLiteral("As fontes remotas fixas só atendem em graus (EPSG:4326), e o mapa está em "
                       "%1; nada foi pedido.")
            .arg(m_state.mapSystem->label()),
        platform::MessageKind::Warning);
    return true;
}

void TForm1::ConnectRemote() {
    const int kind = m_state.connectionKind;
    if (kind < 0 || kind > 5) {
        return;
    }
    if (refusedForProjectedMap()) {
        return;
    }
    prepareForRemotePicture();
    if (kind == 0) {
        if (const auto map = wms::parseMapLine(Panel3->ComboBox3->currentText())) {
            Map1->setExtent(map->extent);
            m_state.currentExtent = Map1->extent();
        }
    }
    const QSize area = mapArea();
    const QString url =
        wms::fixedConnectionUrl(m_surroundings.configuration.settings, fixedRequest(),
                                m_state.currentExtent, area.width(), area.height());
    if (kind == 5) {
        if (m_connections->mineralLayer() >= 0) m_lastMineralLayer = m_connections->mineralLayer();
        m_connections->clearMineralLayer();
    }
    QImage picture;
    bool ok = false;
    QDateTime keptAt;
    // Kept for work without a network: the pictures asked for the view's box
    // are found again by box, the map-group pictures by their URL.
    wms::Keeping keeping = wms::Keeping::byUrl(m_pictureCache.get());
    if (kind >= 1) {
        keeping.address = wms::requestWithoutBox(url);
        keeping.box = m_state.currentExtent;
        keeping.size = area;
    }
    if (!url.isEmpty()) {
        const QString target = programFile(QStringLiteral("temp.jpg"));
        if (kind == 1) {
            // The mosaic's JPEG errors have messages of their own.
            const platform::Result got = m_downloader->download(url, target);
            if (!got && got.unreachable && !got.cancelled) {
                if (auto kept = wms::cutKeptPicture(*m_pictureCache, keeping.address, {}, {},
                                                    keeping.box, keeping.size)) {
                    ok = true;
                    picture = kept->image;
                    keptAt = kept->keptAt;
                }
            }
            if (got) {
                QFile file(target);
                const QByteArray bytes =
                    file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
                const platform::Result answer = wms::checkJpegAnswer(bytes);
                if (!answer) {
                    m_surroundings.dialogs.message(this, answer.message,
                                                   platform::MessageKind::Warning);
                } else {
                    const wms::JpegDecode decoded =
                        wms::decodeWithLibjpeg(bytes, 8LL * area.width() * area.height());
                    const QString message =
                        decoded.error ? wms::kindOneJpegMessage(*decoded.error) : QString();
                    if (!message.isEmpty()) {
                        m_surroundings.dialogs.message(this, message,
                                                       platform::MessageKind::Warning);
                    }
                    ok = !decoded.image.isNull() && message.isEmpty();
                    picture = decoded.image;
                    if (ok && !decoded.error) {
                        (void)m_pictureCache->keep({url,
                                                    keeping.address,
                                                    {},
                                                    {},
                                                    wms::keptBox(keeping.box),
                                                    picture.size()},
                                                   bytes);
                    }
                }
            }
        } else {
            const wms::FetchedPicture fetched =
                wms::fetchPicture(url, 8LL * area.width() * area.height(), *m_downloader, target,
                                  wms::PictureAnswer::Jpeg, keeping);
            keptAt = fetched.keptAt;
            if (!fetched.result && fetched.answered) {
                m_surroundings.dialogs.message(this, fetched.result.message,
                                               platform::MessageKind::Warning);
            }
            ok = fetched.result.ok;
            picture = fetched.image;
        }
    }
    if (ok) {
        QImage remote(area, QImage::Format_RGB32);
        remote.fill(Qt::white);
        {
            QPainter painter(&remote);
            painter.drawImage(QPoint(0, 0), picture);
        }
        const wms::Composite composite = wms::composeWithLocalMap(
            remote, localThemesLoaded(), [this](QSize size) { return Map1->renderPicture(size); },
            m_surroundings.configuration.programFolder);
        if (!composite.blend) {
            m_surroundings.dialogs.message(this, composite.blend.message,
                                           platform::MessageKind::Error);
        }
        showRemotePicture(composite.shown);
        m_state.connectionMode = true;
        if (keptAt.isValid()) {
            m_statusLine->say(wms::keptPictureNotice(keptAt));
        } else if (wms::isKeptPictureNotice(m_statusLine->text())) {
            m_statusLine->clear();  // the picture now shown is not a kept one
        }
    } else {
        remotePictureFailed();
        m_connections->clearKind();
    }
    if (kind == 0 || kind == 1) {
        Panel3->setVisible(kind == 0 && ok);
        ck->setVisible(kind == 1);
        button(QStringLiteral("SpeedButton13"))->setEnabled(true);
        button(QStringLiteral("SpeedButton5"))->setEnabled(false);
    }
    if (m_state.wmsActive) RefreshRemoteImage();
    if (kind == 0 && ok) ShowConnectionLegend();
}

void TForm1::ShowConnectionLegend() {
    const auto map = wms::parseMapLine(Panel3->ComboBox3->currentText());
    if (!map) {
        return;
    }
    const QString target = programFile(QStringLiteral("legenda.jpg"));
    const wms::FetchedPicture legend = wms::fetchPicture(
        wms::mapGroupLegendUrl(m_surroundings.configuration.settings.gatewayHost, map->mapName),
        100'000'000, *m_downloader, target, wms::PictureAnswer::Jpeg,
        wms::Keeping::byUrl(m_pictureCache.get()));
    if (!legend.result) {
        return;  // a legend that did not come shows nothing
    }
    m_connectionLegend->setPixmap(QPixmap::fromImage(legend.image));
    if (legend.keptAt.isValid()) {
        m_statusLine->say(wms::keptPictureNotice(legend.keptAt));
    }
    QWidget* form = m_windows->window(QStringLiteral("TForm19"));
    form->adjustSize();
    form->show();
    form->raise();
}

void TForm1::SaveConnectionLegend() {
    if (m_connectionLegend->pixmap().isNull()) {
        return;
    }
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.bmp");
    options.filter = QStringLiteral("*.bmp|*.bmp");
    QWidget* form = m_windows->window(QStringLiteral("TForm19"));
    const std::optional<QString> path = m_surroundings.dialogs.saveFile(form, options);
    if (path && !m_connectionLegend->pixmap().save(*path, "BMP")) {
        m_surroundings.dialogs.message(
            form, QStringLiteral("Não foi possível gravar o arquivo %1").arg(*path),
            platform::MessageKind::Error);
    }
}

void TForm1::RemotePictureDoubleClicked() {
    if (m_state.memoryMode) {
        const wms::Composite memories =
            wms::blendFiles(programFile(QStringLiteral("fox1.bmp")),
                            programFile(QStringLiteral("fox2.bmp")), 0.5, mapArea());
        if (memories.blend) Image1->setPixmap(QPixmap::fromImage(memories.shown));
    }
    if (m_state.connectionKind == 0 || m_state.connectionKind == 1) {
        ConnectRemote();
    }
}

void TForm1::OpenVector() {
    if (refusedForProjectedMap()) {
        return;
    }
    m_state.currentExtent = Map1->extent();
    const QString url =
        wms::vectorUrl(m_surroundings.configuration.settings.gatewayHost, m_state.currentExtent);
    m_openInBrowser(url);
    // The same features in the GeoSciML window, where they can be saved.
    m_geoSciMlView->load(url);
    QWidget* form = m_windows->window(QStringLiteral("TForm22"));
    form->show();
    form->raise();
}

}  // namespace app
