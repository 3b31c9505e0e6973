// The main window's side of the remote database linkage: the record keys
// identify collects with "KESTRAM" on, the record page window and the
// decision at the end of an identify, "Busca Kestram", the remote area
// search of the map-group connection and the external web map viewer.
#include "app/main_window.h"
#include "app/secondary_windows.h"
#include "mapcontrol/map_widget.h"
#include "platform/dialogs.h"
#include "platform/web_view.h"
#include "query/identify_tool.h"
#include "remote/link_state.h"
#include "remote/urls.h"
#include "wms/map_list_panel.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace app {

void TForm1::connectRemote() {
    m_link = std::make_unique<remote::LinkState>();
    connect(m_identify->BuscaKestram, &QPushButton::clicked, this, &TForm1::SearchRecordPage);

    m_viewerView = addWebView(*m_windows->window(QStringLiteral("TForm17")));
    connect(button(QStringLiteral("arcgisserver")), &QToolButton::clicked, this,
            &TForm1::ShowWebViewer);
}

void TForm1::loadLinkedRecordPage() {
    // Not with the map-group connection, whose pages come from its own search.
    if (m_state.connectionKind == 0) {
        return;
    }
    if (const std::optional<QString> address =
            remote::recordPageAddress(*m_link, m_state.gatewayLine)) {
        m_recordView->load(*address);
    }
}

void TForm1::ShowRecordWindow() {
    QWidget* form = m_windows->window(QStringLiteral("TForm16"));
    // The show step: a hidden window takes the record page of the link.
    if (!form->isVisible()) {
        loadLinkedRecordPage();
    }
    form->show();
    form->raise();
}

void TForm1::DatabaseLinkAfterIdentify() {
    m_identify->BuscaKestram->hide();
    if (m_identify->foundCount() > 0) {
        remote::fillLinkState(*m_link, m_identify->foundShapeType(),
                              m_identify->firstRecordFields());
    }
    switch (remote::finishIdentify(*m_link, m_identify->foundCount())) {
        case remote::IdentifyEnd::ShowRecordPage:
            // Every identify shows its own record, also in a window left open.
            if (m_windows->window(QStringLiteral("TForm16"))->isVisible()) {
                loadLinkedRecordPage();
            }
            ShowRecordWindow();
            break;
        case remote::IdentifyEnd::NotInDatabase:
            m_surroundings.dialogs.message(this, remote::kNotInDatabaseMessage);
            break;
        case remote::IdentifyEnd::ShowSearchButton: {
            m_identify->BuscaKestram->show();
            QWidget* attributes = m_windows->window(QStringLiteral("TForm2"));
            attributes->show();
            attributes->raise();
            break;
        }
        case remote::IdentifyEnd::Nothing:
            break;
    }
}

void TForm1::SearchRecordPage() {
    QStringList lines;
    for (int i = 0; i < m_identify->ListBox2->count(); ++i) {
        lines << m_identify->ListBox2->item(i)->text();
    }
    const std::optional<remote::RecordSearch> found =
        remote::searchRecord(*m_link, lines, m_state.gatewayLine);
    if (!found) {
        return;
    }
    *m_link = found->state;
    // The window's own show step first, so the chosen record's page stays.
    ShowRecordWindow();
    m_recordView->load(found->address);
}

void TForm1::RemoteAreaSearch() {
    m_recordView->load(remote::areaSearchUrl(m_surroundings.configuration.settings.gatewayHost,
                                             Map1->fullExtent()));
    QWidget* form = m_windows->window(QStringLiteral("TForm16"));
    form->show();
    form->raise();
    Panel3->ListaPesquisa->setEnabled(true);
}

void TForm1::ShowWebViewer() {
    // The viewer is a script application the embedded view cannot run: its
    // address is shown and handed to the desktop's browser at once.
    const QString address =
        remote::webViewerUrl(m_surroundings.configuration.settings.webViewerHost);
    m_viewerView->setContent(
        address, QStringLiteral("<p>O visualizador foi aberto no navegador:</p><p>%1</p>")
                     .arg(address.toHtmlEscaped())
                     .toUtf8());
    m_openInBrowser(address);
    QWidget* form = m_windows->window(QStringLiteral("TForm17"));
    form->show();
    form->raise();
}

}  // namespace app
