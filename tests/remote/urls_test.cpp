#include "remote/urls.h"

#include <gtest/gtest.h>

namespace remote {
namespace {

TEST(RemoteUrls, gatewayAndViewerAddressesByteForByte) {
    EXPECT_EQ(resultDownloadUrl("http://gw.invalid", "pesq_17.txt"),
              "http://gw.invalid/cgi-bin/servpqd1.exe/acao7?arquivo=pesq_17.txt");
    EXPECT_EQ(searchListUrl("http://gw.invalid:81", "4711"),
              "http://gw.invalid:81/pls/publico/kestram.webmap.lista?p_consulta=4711");
    EXPECT_EQ(webViewerUrl("http://viewer.invalid"),
              "http://viewer.invalid/ViewerWEB/index_quelvora.html");
}

TEST(RemoteUrls, areaSearchTakesTopLeftBottomRightInFieldsOfTwelve) {
    // left, right, top, bottom
    EXPECT_EQ(areaSearchUrl("http://gw.invalid", mapcontrol::Rectangle(-74, -34.5, 5.3, -33.75)),
              "http://gw.invalid/pls/publico/kestram.consultas.cons_modulo?p_webmap=S"
              "&p_consulta_base=S&p_latsup= 5.300000000&p_lonsup=-74.000000000"
              "&p_latinf=-33.750000000&p_loninf=-34.500000000");
    EXPECT_EQ(areaSearchUrl("", mapcontrol::Rectangle(-1234.5, 0, 0.25, -100000)),
              "/pls/publico/kestram.consultas.cons_modulo?p_webmap=S&p_consulta_base=S"
              "&p_latsup= 0.250000000&p_lonsup=-1234.500000000&p_latinf=-100000.000000000"
              "&p_loninf= 0.000000000");
}

}  // namespace
}  // namespace remote
