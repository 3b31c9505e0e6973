#include "remote/urls.h"

#include "wms/wms_text.h"

namespace remote {

QString resultDownloadUrl(const QString& gatewayHost, const QString& resultName) {
    return gatewayHost + QStringLiteral("/cgi-bin/servpqd1.exe/acao7?arquivo=") + resultName;
}

QString searchListUrl(const QString& gatewayHost, const QString& searchId) {
    return gatewayHost + QStringLiteral("/pls/publico/kestram.webmap.lista?p_consulta=") + searchId;
}

QString areaSearchUrl(const QString& gatewayHost, const mapcontrol::Rectangle& extent) {
    auto number = [](double v) { return wms::fixedText(v, 9, 12); };
    return gatewayHost +
           QStringLiteral(
               "/pls/publico/kestram.consultas.cons_modulo?p_webmap=S"
               "&p_consulta_base=S&p_latsup=") +
           number(extent.top()) + QStringLiteral("&p_lonsup=") + number(extent.left()) +
           QStringLiteral("&p_latinf=") + number(extent.bottom()) + QStringLiteral("&p_loninf=") +
           number(extent.right());
}

QString webViewerUrl(const QString& webViewerHost) {
    return webViewerHost + QStringLiteral("/ViewerWEB/index_quelvora.html");
}

}  // namespace remote
