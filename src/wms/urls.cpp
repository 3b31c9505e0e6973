#include "wms/urls.h"

#include "wms/wms_text.h"

namespace wms {

QString capabilitiesUrl(const QString& address) {
    return address + QStringLiteral("service=wms&&version=1.1.1&&request=getcapabilities");
}

QString getMapUrl(const QString& address, const QString& layers,
                  const mapcontrol::Rectangle& extent, int width, int height, const QString& srs) {
    return address + QStringLiteral("service=WMS&&version=1.1.1&&request=GetMap&&layers=") +
           layers + QStringLiteral("&&format=image/jpeg&&srs=") + srs + QStringLiteral("&&bbox=") +
           bboxText(extent) + QStringLiteral("&&width=") + QString::number(width) +
           QStringLiteral("&&height=") + QString::number(height) + QStringLiteral("&&styles=");
}

QString featureInfoUrl(const QString& address, const QString& layer,
                       const mapcontrol::Rectangle& extent, int w, int h, int x, int y,
                       const QString& srs) {
    return address +
           QStringLiteral("&&VERSION=1.1.1&&REQUEST=GetFeatureInfo&&SERVICE=WMS&&LAYERS=") + layer +
           QStringLiteral("&&SRS=") + srs + QStringLiteral("&&BBOX=") + bboxText(extent) +
           QStringLiteral("&&WIDTH=") + QString::number(w) + QStringLiteral("&&HEIGHT=") +
           QString::number(h) +
           QStringLiteral(
               "&&INFO_FORMAT=text/html&&FORMAT=image/png&FEATURE_COUNT=100&&QUERY_LAYERS=") +
           layer + QStringLiteral("&&STYLES=default&X=") + QString::number(x) +
           QStringLiteral("&Y=") + QString::number(y);
}

QString bedrockFeatureInfoUrl(const QString& bedrockHost, int w, int h, int x, int y) {
    return bedrockHost +
           QStringLiteral(
               "/cgi-bin/BRA_KXT_Bedrock_Geology/wms?&VERSION=1.1.1&REQUEST=GetFeatureInfo"
               "&SERVICE=WMS&LAYERS=BRA_KXT_1M_BLS&SRS=EPSG:4326"
               "&BBOX=-57.581454957,-19.947229551,-38.038597814,-7.915567282&WIDTH=") +
           QString::number(w) + QStringLiteral("&HEIGHT=") + QString::number(h) +
           QStringLiteral(
               "&INFO_FORMAT=text/html&FORMAT=image/png&FEATURE_COUNT=100"
               "&QUERY_LAYERS=BRA_KXT_1M_BLS&STYLES=default&X=") +
           QString::number(x) + QStringLiteral("&Y=") + QString::number(y);
}

const QStringList& restLegendNames() {
    static const QStringList names = {QStringLiteral("Lito_1000000"), QStringLiteral("Lito_250000"),
                                      QStringLiteral("Lito_100000"),  QStringLiteral("Lito_500000"),
                                      QStringLiteral("Lito_50000"),   QStringLiteral("Lito_750000"),
                                      QStringLiteral("Ocorrencias"),  QStringLiteral("Projetos"),
                                      QStringLiteral("Aerogeofisica")};
    return names;
}

QString restLegendName(const QString& address) {
    // Some names hold others ("Lito_1000000" holds "Lito_100000"): the
    // longest name found is the service's own. Of two found names of one
    // length the later in the list wins, as each hit replaces the last.
    QString chosen;
    for (const QString& name : restLegendNames()) {
        if (name.size() >= chosen.size() && address.contains(name)) chosen = name;
    }
    return chosen;
}

bool hasRestLegend(const QString& address) {
    // Without "services" in it the address has no REST root to keep, and the
    // REST page would be a bare path: the service's own legend graphic then.
    return !restLegendName(address).isEmpty() && address.contains(QStringLiteral("services"));
}

QString legendUrl(const QString& address, const QString& layerEntry) {
    if (hasRestLegend(address)) {
        return address.left(address.indexOf(QStringLiteral("services"))) +
               QStringLiteral("/rest/services/") + restLegendName(address) +
               QStringLiteral("/MapServer/legend");
    }
    return address + QStringLiteral("service=WMS&version=1.1.1&request=GetLegendGraphic&layer=") +
           layerNameOf(layerEntry) + QStringLiteral("&format=image/png");
}

QString catalogueUrl(const QString& gatewayHost) {
    return gatewayHost + QStringLiteral("/cgi-bin/servpqd1.exe/acao6");
}

QString indexMapUrl(const QString& gatewayHost, int w, int h) {
    return gatewayHost +
           QStringLiteral("/cgi-bin/servpqd1.exe/acao2?&mapa=INDICE_Quelvora&&&largura=") +
           QString::number(w) + QStringLiteral("&&altura=") + QString::number(h);
}

QString indexLookupUrl(const QString& gatewayHost, double longitude, double latitude) {
    return gatewayHost +
           QStringLiteral("/cgi-bin/servpqd1.exe/obtem?&&indice=S&&&mapa=INDICE_QUELVORA&&x=") +
           fixedText(longitude, 4, 8) + QStringLiteral("&&y=") + fixedText(latitude, 4, 8);
}

}  // namespace wms
