#include "wms/urls.h"

#include <gtest/gtest.h>

namespace wms {
namespace {

const QString kAddress = QStringLiteral("http://geo.invalid/cgi-bin/mapserv?map=/dados/br.map&");
const mapcontrol::Rectangle kBrazil(-74, -34.5, 5.3, -34);  // left, right, top, bottom

TEST(WmsUrls, capabilitiesFollowTheAddressAtOnce) {
    EXPECT_EQ(capabilitiesUrl(kAddress),
              "http://geo.invalid/cgi-bin/mapserv?map=/dados/br.map&"
              "service=wms&&version=1.1.1&&request=getcapabilities");
}

TEST(WmsUrls, getMapCarriesTheBboxInFieldsOfTwelveAndDoubledAmpersands) {
    EXPECT_EQ(getMapUrl(kAddress, "lito_1000000,relevo", kBrazil, 614, 529),
              "http://geo.invalid/cgi-bin/mapserv?map=/dados/br.map&"
              "service=WMS&&version=1.1.1&&request=GetMap&&layers=lito_1000000,relevo"
              "&&format=image/jpeg&&srs=EPSG:4326"
              "&&bbox=-74.000000000,-34.000000000,-34.500000000, 5.300000000"
              "&&width=614&&height=529&&styles=");
    EXPECT_EQ(getMapUrl("http://a.invalid/wms?", "", mapcontrol::Rectangle(0, 1, 1, 0), 1, 1),
              "http://a.invalid/wms?service=WMS&&version=1.1.1&&request=GetMap&&layers="
              "&&format=image/jpeg&&srs=EPSG:4326"
              "&&bbox= 0.000000000, 0.000000000, 1.000000000, 1.000000000"
              "&&width=1&&height=1&&styles=");
}

TEST(WmsUrls, featureInfoHasSingleAmpersandsBeforeFeatureCountXAndY) {
    EXPECT_EQ(featureInfoUrl(kAddress, "lito_1000000", kBrazil, 614, 529, 300, 12),
              "http://geo.invalid/cgi-bin/mapserv?map=/dados/br.map&"
              "&&VERSION=1.1.1&&REQUEST=GetFeatureInfo&&SERVICE=WMS&&LAYERS=lito_1000000"
              "&&SRS=EPSG:4326&&BBOX=-74.000000000,-34.000000000,-34.500000000, 5.300000000"
              "&&WIDTH=614&&HEIGHT=529&&INFO_FORMAT=text/html&&FORMAT=image/png"
              "&FEATURE_COUNT=100&&QUERY_LAYERS=lito_1000000&&STYLES=default&X=300&Y=12");
    // No layer selected: the layer parameters are empty and the request is built.
    EXPECT_EQ(featureInfoUrl("", "", kBrazil, 10, 20, 0, 0),
              "&&VERSION=1.1.1&&REQUEST=GetFeatureInfo&&SERVICE=WMS&&LAYERS="
              "&&SRS=EPSG:4326&&BBOX=-74.000000000,-34.000000000,-34.500000000, 5.300000000"
              "&&WIDTH=10&&HEIGHT=20&&INFO_FORMAT=text/html&&FORMAT=image/png"
              "&FEATURE_COUNT=100&&QUERY_LAYERS=&&STYLES=default&X=0&Y=0");
}

TEST(WmsUrls, bedrockFeatureInfoHasItsOwnFixedBbox) {
    EXPECT_EQ(bedrockFeatureInfoUrl("http://bedrock.invalid", 614, 529, 7, 500),
              "http://bedrock.invalid/cgi-bin/BRA_KXT_Bedrock_Geology/wms?&VERSION=1.1.1"
              "&REQUEST=GetFeatureInfo&SERVICE=WMS&LAYERS=BRA_KXT_1M_BLS&SRS=EPSG:4326"
              "&BBOX=-57.581454957,-19.947229551,-38.038597814,-7.915567282"
              "&WIDTH=614&HEIGHT=529&INFO_FORMAT=text/html&FORMAT=image/png&FEATURE_COUNT=100"
              "&QUERY_LAYERS=BRA_KXT_1M_BLS&STYLES=default&X=7&Y=500");
}

TEST(WmsUrls, gatewayRequests) {
    EXPECT_EQ(catalogueUrl("http://gw.invalid"), "http://gw.invalid/cgi-bin/servpqd1.exe/acao6");
    EXPECT_EQ(indexMapUrl("http://gw.invalid", 614, 529),
              "http://gw.invalid/cgi-bin/servpqd1.exe/acao2?&mapa=INDICE_Quelvora&&&"
              "largura=614&&altura=529");
    // Four decimals in fields of eight: short numbers carry a leading blank.
    EXPECT_EQ(indexLookupUrl("http://gw.invalid", -47.12355, -7.5),
              "http://gw.invalid/cgi-bin/servpqd1.exe/obtem?&&indice=S&&&mapa=INDICE_QUELVORA"
              "&&x=-47.1236&&y= -7.5000");
    EXPECT_EQ(indexLookupUrl("http://gw.invalid", -123.25, 0),
              "http://gw.invalid/cgi-bin/servpqd1.exe/obtem?&&indice=S&&&mapa=INDICE_QUELVORA"
              "&&x=-123.2500&&y=  0.0000");
}

TEST(WmsUrls, legendOfAPlainServiceIsItsLegendGraphicAsAPng) {
    EXPECT_FALSE(hasRestLegend(kAddress));
    EXPECT_EQ(legendUrl(kAddress, "0*Litologia, escala 1:1.000.000,lito_1000000"),
              "http://geo.invalid/cgi-bin/mapserv?map=/dados/br.map&"
              "service=WMS&version=1.1.1&request=GetLegendGraphic&layer=lito_1000000"
              "&format=image/png");
    // No layer entry selected: an empty layer, still a request.
    EXPECT_EQ(legendUrl(kAddress, ""),
              "http://geo.invalid/cgi-bin/mapserv?map=/dados/br.map&"
              "service=WMS&version=1.1.1&request=GetLegendGraphic&layer=&format=image/png");
}

TEST(WmsUrls, restLegendKeepsTheAddressBeforeTheFirstServices) {
    EXPECT_TRUE(
        hasRestLegend("http://ags.invalid/arcgis/services/Ocorrencias/MapServer/WMSServer?"));
    // "services" after a slash: the kept part ends in "/", so two slashes.
    EXPECT_EQ(legendUrl("http://ags.invalid/arcgis/services/Ocorrencias/MapServer/WMSServer?",
                        "0*Ocorrências minerais,0"),
              "http://ags.invalid/arcgis//rest/services/Ocorrencias/MapServer/legend");
    EXPECT_EQ(legendUrl("http://ags.invalid/arcgisservices/Projetos/MapServer/WMSServer?", ""),
              "http://ags.invalid/arcgis/rest/services/Projetos/MapServer/legend");
    EXPECT_EQ(legendUrl("http://ags.invalid/arcgis/services/Aerogeofisica/MapServer/WMSServer?"
                        "services=wms&",
                        ""),
              "http://ags.invalid/arcgis//rest/services/Aerogeofisica/MapServer/legend");
}

TEST(WmsUrls, restLegendNameIsTheLongestNameTheAddressHolds) {
    EXPECT_EQ(restLegendNames().size(), 9);
    EXPECT_EQ(
        restLegendName("http://ags.invalid/arcgis/services/Lito_1000000/MapServer/WMSServer?"),
        "Lito_1000000");
    EXPECT_EQ(restLegendName("http://ags.invalid/arcgis/services/Lito_100000/MapServer/WMSServer?"),
              "Lito_100000");
    EXPECT_EQ(restLegendName("http://ags.invalid/arcgis/services/Lito_500000/MapServer/WMSServer?"),
              "Lito_500000");
    EXPECT_EQ(restLegendName("http://ags.invalid/arcgis/services/Lito_50000/MapServer/WMSServer?"),
              "Lito_50000");
    EXPECT_EQ(restLegendName("http://ags.invalid/arcgis/services/Lito_250000/MapServer/WMSServer?"),
              "Lito_250000");
    EXPECT_EQ(restLegendName("http://ags.invalid/arcgis/services/Lito_750000/MapServer/WMSServer?"),
              "Lito_750000");
    EXPECT_EQ(restLegendName(kAddress), "");
    EXPECT_EQ(restLegendName("http://ags.invalid/arcgis/services/lito_1000000/MapServer?"), "");
    EXPECT_EQ(legendUrl("http://ags.invalid/arcgis/services/Lito_1000000/MapServer/WMSServer?", ""),
              "http://ags.invalid/arcgis//rest/services/Lito_1000000/MapServer/legend");
}

TEST(WmsUrls, aRestNameWithoutServicesInTheAddressAsksForTheLegendGraphic) {
    // Cutting at a "services" that is not there would leave a bare path.
    EXPECT_FALSE(hasRestLegend("http://geo.invalid/cgi-bin/mapserv?map=Ocorrencias.map&"));
    EXPECT_EQ(legendUrl("http://geo.invalid/cgi-bin/mapserv?map=Ocorrencias.map&", "0*Ocorr,ocorr"),
              "http://geo.invalid/cgi-bin/mapserv?map=Ocorrencias.map&"
              "service=WMS&version=1.1.1&request=GetLegendGraphic&layer=ocorr&format=image/png");
}

}  // namespace
}  // namespace wms
