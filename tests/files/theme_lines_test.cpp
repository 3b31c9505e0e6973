#include "files/project_lines.h"
#include "files/theme_line.h"

#include <gtest/gtest.h>

using files::ThemeEntry;
using files::ThemeKind;

TEST(ThemeKind, followsTheExtensionTextsAsListed) {
    EXPECT_EQ(files::themeKind("D:\\a\\geo.shp"), ThemeKind::Shape);
    EXPECT_EQ(files::themeKind("D:\\a\\GEO.SHP"), ThemeKind::Shape);
    EXPECT_EQ(files::themeKind("D:\\a\\geo.Shp"), ThemeKind::None);  // mixed case is not looked for
    EXPECT_EQ(files::themeKind("D:\\a\\relevo.TIF"), ThemeKind::Image);
    EXPECT_EQ(files::themeKind("D:\\a\\mosaico.sid"), ThemeKind::Image);
    EXPECT_EQ(files::themeKind("D:\\a\\foto.JPG"), ThemeKind::Jpeg);
    EXPECT_EQ(files::themeKind("D:\\a\\notas.txt"), ThemeKind::None);
}

TEST(ThemeKind, aPathNamingAShapefileAndAPictureIsAShapeTheme) {
    EXPECT_EQ(files::themeKind("D:\\mapas.tif\\geo.shp"), ThemeKind::Shape);
    EXPECT_EQ(files::themeKind("D:\\fotos.jpg\\GEO.SHP"), ThemeKind::Shape);
    EXPECT_EQ(files::layerName("geo.shp,D:\\mapas.tif\\Geo.Unid.shp"), "Geo");
}

TEST(ThemeKind, pathWithAPictureExtensionAndJpgIsOnePicture) {
    EXPECT_EQ(files::themeKind("D:\\fotos.jpg\\mapa.tif"), ThemeKind::Image);
    EXPECT_EQ(files::themeKind("D:\\x.bmp.jpg"), ThemeKind::Image);
}

TEST(ThemeLine, pathIsTheTextAfterTheFirstComma) {
    EXPECT_EQ(files::themePath("geo.shp                          ,D:\\dados\\geo.shp"),
              "D:\\dados\\geo.shp");
    EXPECT_EQ(files::themePath("a,b,D:\\x,y.shp"), "b,D:\\x,y.shp");
    EXPECT_EQ(files::themePath("D:\\dados\\geo.shp"), "D:\\dados\\geo.shp");
}

TEST(ThemeLine, colourFileIsLookedForBeforeTheFirstDot) {
    EXPECT_EQ(files::colourFilePath("D:\\dados\\geologia.shp"), "D:\\dados\\geologia.COR");
    EXPECT_EQ(files::colourFilePath("D:\\mapas.2010\\geo.shp"), "D:\\mapas.COR");
}

TEST(ProjectLines, starMeansOffAndTheDriveGoesBeforeThePath) {
    const auto entries = files::themeEntriesFromProjectLines(
        {"*geo.shp                          ,dados\\geo.shp", "falhas.shp,dados\\falhas.shp"}, 'D');
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[0],
              (ThemeEntry{"geo.shp                          ,D:\\dados\\geo.shp", false}));
    EXPECT_EQ(entries[1], (ThemeEntry{"falhas.shp,D:\\dados\\falhas.shp", true}));
}

TEST(ProjectLines, linesWithoutACommaAndOddLinesAreTakenAsTheyAre) {
    const QString longLine(100'000, 'x');
    const auto entries =
        files::themeEntriesFromProjectLines({"dados\\geo.shp", "", "*", "a,,b", longLine}, 'E');
    ASSERT_EQ(entries.size(), 5U);
    EXPECT_EQ(entries[0].line, "E:\\dados\\geo.shp");
    EXPECT_EQ(entries[1].line, "E:\\");
    EXPECT_EQ(entries[2], (ThemeEntry{"E:\\", false}));
    EXPECT_EQ(entries[3].line, "a,E:\\,b");
    EXPECT_EQ(entries[4].line, "E:\\" + longLine);
}
