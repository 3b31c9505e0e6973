#include "platform/dialogs.h"

#include <gtest/gtest.h>

TEST(DialogFilter, windowsFilterBecomesQtFilterWithBothCases) {
    EXPECT_EQ(platform::qtNameFilter("Projeto Quelvora|*.jjj"), "Projeto Quelvora (*.jjj *.JJJ)");
    EXPECT_EQ(platform::qtNameFilter("ESRI Shapefiles|*.shp|Windows Bitmap|*.bmp;*.dib"),
              "ESRI Shapefiles (*.shp *.SHP);;Windows Bitmap (*.bmp *.BMP *.dib *.DIB)");
}

TEST(DialogFilter, oddFiltersDoNotBreakTheConversion) {
    EXPECT_EQ(platform::qtNameFilter(""), "");
    EXPECT_EQ(platform::qtNameFilter("Sem padrão"), "");
    EXPECT_EQ(platform::qtNameFilter("A|*.a||"), "A (*.a *.A)");
    EXPECT_EQ(platform::qtNameFilter("Todos|*.*"), "Todos (*.*)");
}
