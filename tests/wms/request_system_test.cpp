#include "wms/capabilities.h"
#include "wms/remote_refresh.h"
#include "wms/urls.h"

#include <gtest/gtest.h>

using mapcontrol::CoordinateSystem;

namespace {

CoordinateSystem systemOf(const char* definition) {
    auto made = CoordinateSystem::fromText(definition);
    EXPECT_TRUE(std::holds_alternative<CoordinateSystem>(made));
    return std::get<CoordinateSystem>(made);
}

}  // namespace

TEST(ListedSystems, everySrsAndCrsOnceWhateverTheLayout) {
    const QByteArray byLines =
        "<Layer>\r\n<SRS>EPSG:4326</SRS>\r\n<SRS>epsg:31983</SRS>\r\n<Layer>\r\n"
        "<SRS>EPSG:4326</SRS>\r\n</Layer>\r\n</Layer>\r\n";
    EXPECT_EQ(wms::readListedSystems(byLines), QStringList({"EPSG:4326", "EPSG:31983"}));
    // One line, a namespace prefix, CRS of 1.3.0, several codes in one element.
    const QByteArray oneLine =
        "<wms:Layer><wms:CRS>CRS:84</wms:CRS><SRS>EPSG:4326 EPSG:3857\nEPSG:31983</SRS>"
        "<SRS>";  // cut short
    EXPECT_EQ(wms::readListedSystems(oneLine),
              QStringList({"CRS:84", "EPSG:4326", "EPSG:3857", "EPSG:31983"}));
    EXPECT_TRUE(wms::readListedSystems("<Title>SRS</Title><SRSX>EPSG:1</SRSX>").isEmpty());
}

TEST(RequestSystem, geographicAndUndeclaredMapsAskInEpsg4326AsEver) {
    for (const auto& map : {std::optional<CoordinateSystem>{},
                            std::optional<CoordinateSystem>{systemOf("EPSG:4674")}}) {
        const wms::RequestSystem asked = wms::requestSystem(map, "http://s?", {});
        EXPECT_EQ(asked.srs, "EPSG:4326");
        EXPECT_TRUE(asked.refusal.isEmpty());
    }
    // The request of such a map is the one it always was.
    EXPECT_EQ(wms::getMapUrl("http://s?", "a", mapcontrol::Rectangle(-48, -46, -5, -7), 10, 20),
              "http://s?service=WMS&&version=1.1.1&&request=GetMap&&layers=a&&format=image/jpeg"
              "&&srs=EPSG:4326&&bbox=-48.000000000,-7.000000000,-46.000000000,-5.000000000"
              "&&width=10&&height=20&&styles=");
}

TEST(RequestSystem, projectedMapAsksInItsCodeOnlyWhereTheServiceListsIt) {
    const std::optional<CoordinateSystem> utm = systemOf("EPSG:31983");
    const wms::RequestSystem offered =
        wms::requestSystem(utm, "http://s?", {"EPSG:4326", "epsg:31983"});
    EXPECT_EQ(offered.srs, "EPSG:31983");
    EXPECT_TRUE(offered.refusal.isEmpty());

    const wms::RequestSystem notOffered = wms::requestSystem(utm, "http://s?", {"EPSG:4326"});
    EXPECT_TRUE(notOffered.srs.isEmpty());
    EXPECT_EQ(notOffered.refusal,
              "O serviço http://s? não oferece o sistema de coordenadas do mapa (EPSG:31983, "
              "SIRGAS 2000 / UTM zone 23S); o mapa não foi pedido a ele.");

    // A projected system without a code cannot be asked for anywhere.
    const wms::RequestSystem noCode =
        wms::requestSystem(systemOf("+proj=tmerc +lon_0=-51.3 +k=0.9999 +x_0=300000 +y_0=5000000 "
                                    "+ellps=GRS80 +units=m"),
                           "http://s?", {"EPSG:4326"});
    EXPECT_TRUE(noCode.srs.isEmpty());
    EXPECT_TRUE(noCode.refusal.contains("não tem código EPSG")) << noCode.refusal.toStdString();
}
