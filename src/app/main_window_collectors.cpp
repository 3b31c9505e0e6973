// The main window's side of collector tracking: "Posição de coletores"
// opens the collectors window; each tick of its timer draws the collectors'
// downloaded positions over the map's picture.
#include "app/main_window.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "net/downloader.h"
#include "remote/collectors.h"
#include "remote/collectors_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolButton>

namespace app {

void TForm1::connectCollectors() {
    QWidget* form = m_windows->window(QStringLiteral("TForm21"));
    m_collectors =
        std::make_unique<remote::CollectorsWindow>(*form, m_state, m_surroundings.dialogs);
    // Position files are replaced at every tick: no wait for the disk.
    net::DownloadLimits limits =
        net::DownloadLimits::fromSettings(m_surroundings.configuration.settings);
    limits.syncToDisk = false;
    m_collectorDownloader = std::make_unique<net::BusyDownloader>(this, limits);
    connect(m_collectors.get(), &remote::CollectorsWindow::tick, this, &TForm1::CollectorTick);
    // Identify armed stops the tracking until its click is handled.
    connect(button(QStringLiteral("SpeedButton6")), &QToolButton::clicked, this,
            [this] { pauseCollectors(false); });
    connect(button(QStringLiteral("SpeedButton42")), &QToolButton::clicked, this, [this, form] {
        if (m_collectors->listLines().size() > 1) {
            button(QStringLiteral("SpeedButton2"))->setEnabled(true);
        }
        form->show();
        form->raise();
    });
}

void TForm1::pauseCollectors(bool run) {
    if (!m_state.collectorTimerActive) {
        return;
    }
    QTimer* timer = m_collectors->Timer1;
    if (run && !timer->isActive() && timer->interval() > 0) {
        timer->start();
    } else if (!run) {
        timer->stop();
    }
}

void TForm1::CollectorTick() {
    if (m_collectorTickRunning) {
        return;  // the last tick is still downloading
    }
    m_collectorTickRunning = true;
    m_collectors->beginTick();
    m_themeList->endMove();
    stopMapTips();
    Edit10->clear();
    Image1->setCursor(Qt::ArrowCursor);
    const QSize area = mapArea();
    if ((m_state.connectionKind < 0 && !m_state.connectionMode) || Image1->pixmap().isNull()) {
        // The map as it is now is the picture the positions are drawn on
        // (also with a connection chosen that has shown no picture yet).
        Image1->setPixmap(QPixmap::fromImage(Map1->renderPicture(area)));
    }
    Map1->hide();
    Image1->show();
    Image1->raise();

    const std::vector<remote::CollectorTrack> tracks =
        remote::fetchTracks(remote::collectorsOf(m_collectors->listLines()),
                            m_surroundings.configuration.settings.gatewayHost,
                            m_surroundings.configuration.programFolder,
                            [this](const QString& url, const QString& path) {
                                return m_collectorDownloader->download(url, path);
                            });
    QImage picture = Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    if (picture.size() != area) {
        picture = picture.isNull() ? QImage(area, QImage::Format_RGB32)
                                   : picture.scaled(area).convertToFormat(QImage::Format_RGB32);
        if (Image1->pixmap().isNull()) picture.fill(Qt::white);
    }
    remote::drawCollectors(picture, Map1->extent(), tracks, m_collectors->allPoints(),
                           m_collectors->joinPoints());
    Image1->setPixmap(QPixmap::fromImage(picture));
    m_collectorTickRunning = false;
}

}  // namespace app
