// The main window's side of the remote database search: the search window
// and its two plot buttons ("parametro.txt", the result file downloaded and
// drawn, the spreadsheet copy), the plot again after every navigation step
// of a WMS connection, the list of the search's points, and the GeoSciML
// window of the geology map's features.
#include "app/main_window.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "net/downloader.h"
#include "platform/dialogs.h"
#include "platform/text_file.h"
#include "platform/web_view.h"
#include "remote/search_plot.h"
#include "remote/urls.h"
#include "wms/fixed_connections.h"
#include "wms/map_list_panel.h"
#include "wms/wms_window.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace app {

namespace {

const QString kParameterFile = QStringLiteral("parametro.txt");
const QString kSaveFailed = QStringLiteral("Fail to save HTML source");
const QString kSaveFailedTitle = QStringLiteral("Error");

QPushButton* formButton(QWidget& form, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), &form);
    b->setObjectName(QLatin1String(name));
    return b;
}

}  // namespace

void TForm1::connectSearchPlot() {
    QWidget& searchForm = *m_windows->window(QStringLiteral("TForm20"));
    QPushButton* plot = formButton(searchForm, "Button1", "Plota pesquisa - Quelvora");
    QPushButton* plotAndWrite = formButton(searchForm, "Button2", "Plota e grava arq. texto");
    m_searchView = addWebView(searchForm, {plot, plotAndWrite});
    connect(plot, &QPushButton::clicked, this, [this] { PlotSearch(false); });
    connect(plotAndWrite, &QPushButton::clicked, this, [this] { PlotSearch(true); });

    QWidget& gmlForm = *m_windows->window(QStringLiteral("TForm22"));
    QPushButton* saveGml = formButton(gmlForm, "Button1", "Gravar arquivo GeoSciML");
    m_geoSciMlView = addWebView(gmlForm, {saveGml});
    connect(saveGml, &QPushButton::clicked, this, &TForm1::SaveGeoSciMl);

    connect(Panel3->PlotaPesquisa, &QToolButton::clicked, this, &TForm1::OpenSearchWindow);
    connect(Panel3->ListaPesquisa, &QToolButton::clicked, this, &TForm1::ShowSearchList);
}

void TForm1::OpenSearchWindow() {
    // The search page is the one the user reached in the record window
    // (the area search opens there); it is shown again without a new request.
    m_searchView->setContent(m_recordView->address(), m_recordView->content());
    QWidget* form = m_windows->window(QStringLiteral("TForm20"));
    form->show();
    form->raise();
}

std::optional<QString> TForm1::searchResultName(bool tell) {
    const platform::TextLines lines = platform::readTextLines(programFile(kParameterFile));
    if (!lines.result) {
        if (tell) {
            m_surroundings.dialogs.message(this, lines.result.message,
                                           platform::MessageKind::Warning);
        }
        return std::nullopt;
    }
    const remote::ResultName result = remote::resultFileName(lines.lines);
    if (!result.name && tell) {
        m_surroundings.dialogs.message(this, result.message, platform::MessageKind::Warning);
    }
    return result.name;
}

platform::Result TForm1::downloadSearchResult(const QString& name) {
    // A failed download keeps the earlier file: the plot reads what exists.
    return m_downloader->download(
        remote::resultDownloadUrl(m_surroundings.configuration.settings.gatewayHost, name),
        programFile(name));
}

void TForm1::PlotSearch(bool writeSpreadsheet) {
    QWidget* searchForm = m_windows->window(QStringLiteral("TForm20"));
    m_state.currentExtent = Map1->extent();
    if (!m_searchView->saveContent(programFile(kParameterFile))) {
        m_surroundings.dialogs.titledMessage(searchForm, kSaveFailedTitle, kSaveFailed,
                                             platform::MessageKind::Error);
        return;
    }
    const std::optional<QString> name = searchResultName(true);
    if (!name) {
        return;
    }
    // The text file needs the result file also when the map-group picture
    // draws the points itself.
    if (m_state.wmsActive || writeSpreadsheet) {
        const platform::Result got = downloadSearchResult(*name);
        if (!got) {
            // The address and why: an HTTP status, a time-out, a refused connection.
            m_surroundings.dialogs.message(this, got.message + QStringLiteral(": ") + got.detail,
                                           platform::MessageKind::Warning);
        }
    }
    if (writeSpreadsheet) writeSearchSpreadsheet(*name);
    m_windows->window(QStringLiteral("TForm16"))->close();
    if (m_state.wmsActive) {
        // The services' picture first (a new picture would cover the points),
        // without the plot of its navigation step: the file is already here.
        m_state.searchPlotted = false;
        ShowWmsMap();
        m_state.searchPlotted = true;
        drawSearchResult(*name);
    } else {
        // The map-group picture draws the search's points (its "pesquisa").
        m_state.searchPlotted = true;
        ConnectRemote();
    }
}

void TForm1::PlotSearchAgain() {
    if (!m_state.wmsActive) {
        return;  // a map-group picture asks for the search itself
    }
    m_state.currentExtent = Map1->extent();
    const std::optional<QString> name = searchResultName(false);
    if (!name) {
        return;
    }
    (void)downloadSearchResult(*name);
    drawSearchResult(*name);
}

void TForm1::drawPlottedSearch() {
    if (const std::optional<QString> name = searchResultName(false)) {
        drawSearchResult(*name);
    }
}

void TForm1::drawSearchResult(const QString& name) {
    const platform::TextLines lines = platform::readTextLines(programFile(name));
    if (!lines.result || !Image1->isVisible()) {
        return;
    }
    QImage picture = Image1->pixmap().toImage();
    if (remote::plotSearchPoints(picture, Map1->extent(), remote::readResultFile(lines.lines)) >
        0) {
        Image1->setPixmap(QPixmap::fromImage(picture));
    }
}

void TForm1::writeSearchSpreadsheet(const QString& name) {
    QWidget* searchForm = m_windows->window(QStringLiteral("TForm20"));
    const platform::TextLines lines = platform::readTextLines(programFile(name));
    if (!lines.result) {
        m_surroundings.dialogs.message(searchForm, lines.result.message,
                                       platform::MessageKind::Warning);
        return;
    }
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.txt");
    options.filter = QStringLiteral("*.txt|*.txt");
    const std::optional<QString> path = m_surroundings.dialogs.saveFile(searchForm, options);
    if (!path) {
        return;
    }
    const platform::Result written =
        platform::writeTextLines(*path, remote::spreadsheetLines(lines.lines));
    if (!written) {
        m_surroundings.dialogs.message(searchForm, written.message, platform::MessageKind::Error);
    }
}

void TForm1::ShowSearchList() {
    const std::optional<wms::MapChoice> map = wms::parseMapLine(Panel3->ComboBox3->currentText());
    if (!map || map->searchCode.isEmpty()) {
        m_surroundings.dialogs.message(
            this, QStringLiteral("Escolha em \"Mapas no KESTRAM\" um mapa com pesquisa."),
            platform::MessageKind::Warning);
        return;
    }
    ShowRecordWindow();
    m_recordView->load(
        remote::searchListUrl(m_surroundings.configuration.settings.gatewayHost, map->searchCode));
}

void TForm1::removeSearchFiles() {
    // Only a name the result rules accept is removed: never a file outside
    // the program folder.
    if (const std::optional<QString> name = searchResultName(false)) {
        QFile::remove(programFile(*name));
    }
    QFile::remove(programFile(kParameterFile));
    m_state.searchPlotted = false;
}

void TForm1::SaveGeoSciMl() {
    QWidget* form = m_windows->window(QStringLiteral("TForm22"));
    platform::FileDialogOptions options;
    options.fileName = QStringLiteral("*.xml");
    options.filter = QStringLiteral("GeoSciML|*.xml;*.gml");
    const std::optional<QString> path = m_surroundings.dialogs.saveFile(form, options);
    if (path && !m_geoSciMlView->saveContent(*path)) {
        m_surroundings.dialogs.titledMessage(form, kSaveFailedTitle, kSaveFailed,
                                             platform::MessageKind::Error);
    }
}

}  // namespace app
