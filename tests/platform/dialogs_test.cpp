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

TEST(DialogFilter, aNameWithoutExtensionTakesTheChosenTypes) {
    const QString filter = "*.emf|*.emf|SVG|*.svg|PDF|*.pdf";
    EXPECT_EQ(platform::withTypeExtension("/d/mapa", filter, 0), "/d/mapa.emf");
    EXPECT_EQ(platform::withTypeExtension("/d/mapa", filter, 2), "/d/mapa.pdf");
    // A name with an extension, in a folder with a dot too, is kept.
    EXPECT_EQ(platform::withTypeExtension("/d/v1.2/mapa.svg", filter, 0), "/d/v1.2/mapa.svg");
    EXPECT_EQ(platform::withTypeExtension("/d/v1.2/mapa", filter, 1), "/d/v1.2/mapa.svg");
    // Types without an extension of their own, or no such type, add nothing.
    EXPECT_EQ(platform::withTypeExtension("/d/mapa", "Todos|*.*", 0), "/d/mapa");
    EXPECT_EQ(platform::withTypeExtension("/d/mapa", "Sem|", 0), "/d/mapa");
    EXPECT_EQ(platform::withTypeExtension("/d/mapa", filter, 3), "/d/mapa");
}

TEST(DialogFilter, onlyListedTypesAddTheChosenTypeToAnyOtherExtension) {
    const QString filter = "*.emf|*.emf|SVG|*.svg|PDF|*.pdf";
    const auto strict = [&filter](const QString& path, int type) {
        return platform::withTypeExtension(path, filter, type, true);
    };
    // An extension that is none of the dialog's types is part of the name.
    EXPECT_EQ(strict("/d/grande.png", 0), "/d/grande.png.emf");
    EXPECT_EQ(strict("/d/grande.png", 1), "/d/grande.png.svg");
    EXPECT_EQ(strict("/d/v1.2/mapa", 2), "/d/v1.2/mapa.pdf");
    // One of the dialog's types, in either case, chooses that type.
    EXPECT_EQ(strict("/d/mapa.svg", 0), "/d/mapa.svg");
    EXPECT_EQ(strict("/d/mapa.PDF", 0), "/d/mapa.PDF");
    EXPECT_EQ(strict("/d/mapa.emf", 2), "/d/mapa.emf");
    // A name ending in its dot takes the extension without a second one.
    EXPECT_EQ(strict("/d/mapa.", 0), "/d/mapa.emf");
    // Without the rule any extension is kept.
    EXPECT_EQ(platform::withTypeExtension("/d/grande.png", filter, 0), "/d/grande.png");
}
