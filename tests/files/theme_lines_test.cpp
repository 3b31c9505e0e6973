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

TEST(ThemeKind, otherVectorFormatsInBothCasesComeAfterShapesAndPictures) {
    for (const char* path :
         {"D:\\a\\base.gpkg", "D:\\a\\BASE.GPKG", "D:\\a\\furos.geojson", "D:\\a\\FUROS.GEOJSON",
          "D:\\a\\furos.json", "D:\\a\\F.JSON", "D:\\a\\rotas.kml", "D:\\a\\ROTAS.KML",
          "D:\\a\\rotas.kmz", "D:\\a\\ROTAS.KMZ", "D:\\a\\pocos.fgb", "D:\\a\\POCOS.FGB",
          "D:\\a\\limites.gml", "D:\\a\\LIMITES.GML"}) {
        EXPECT_EQ(files::themeKind(path), ThemeKind::Vector) << path;
    }
    EXPECT_EQ(files::themeKind("D:\\a\\base.Gpkg"), ThemeKind::None);  // mixed case
    EXPECT_EQ(files::themeKind("D:\\a\\geojson"), ThemeKind::None);    // no "."
    // A line that named a shapefile or a picture before keeps its kind.
    EXPECT_EQ(files::themeKind("D:\\mapas.gpkg\\geo.shp"), ThemeKind::Shape);
    EXPECT_EQ(files::themeKind("D:\\dados.json\\relevo.tif"), ThemeKind::Image);
    EXPECT_EQ(files::themeKind("D:\\kml.x\\foto.jpg.kml"), ThemeKind::Jpeg);
    // The layer a line names never changes the kind.
    EXPECT_EQ(files::themeKind("D:\\a\\base.gpkg|layername=geo.shp"), ThemeKind::Vector);
    EXPECT_EQ(files::themeKind("D:\\a\\base.gpkg|layername=mapa.tif"), ThemeKind::Vector);
    EXPECT_EQ(files::themeKind("D:\\a\\notas.txt|layername=x.gpkg"), ThemeKind::None);
    // A path whose file is not of another vector format keeps the old rules.
    EXPECT_EQ(files::themeKind("D:\\a|layername=b\\geo.shp"), ThemeKind::Shape);
    EXPECT_EQ(files::themeKind("D:\\x.shp\\b.gpkg|layername=c"), ThemeKind::Shape);
}

TEST(ThemeLine, aLayerOfAFileIsNamedAfterTheTagAndSplitAtItsFirstOne) {
    const files::ThemeSource source = files::themeSource("D:\\dados\\base.gpkg|layername=geologia");
    EXPECT_EQ(source.file, "D:\\dados\\base.gpkg");
    EXPECT_EQ(source.layer, "geologia");
    const files::ThemeSource odd = files::themeSource("D:\\d,x\\b.gpkg|layername=a|layername=b");
    EXPECT_EQ(odd.file, "D:\\d,x\\b.gpkg");
    EXPECT_EQ(odd.layer, "a|layername=b");
    EXPECT_EQ(files::themeSourcePath(odd.file, odd.layer),
              "D:\\d,x\\b.gpkg|layername=a|layername=b");
    EXPECT_EQ(files::themeSource("D:\\dados\\geo.shp").layer, "");
    EXPECT_EQ(files::themeSourcePath("D:\\dados\\furos.geojson", ""), "D:\\dados\\furos.geojson");
}

TEST(ThemeLine, twoLayersOfOneFileHaveTheirOwnLayerNameAndColourFile) {
    const QString geology =
        "base.gpkg                          ,D:\\dados\\base.gpkg|layername=geologia";
    const QString faults =
        "base.gpkg                          ,D:\\dados\\base.gpkg|layername=falhas";
    EXPECT_EQ(files::layerName(geology), "base.gpkg|layername=geologia");
    EXPECT_EQ(files::layerName(faults), "base.gpkg|layername=falhas");
    EXPECT_EQ(files::colourFilePath(files::themePath(geology)), "D:\\dados\\base.geologia.COR");
    EXPECT_EQ(files::writtenColourFilePath(files::themePath(faults)), "D:\\dados\\base.falhas.cor");
    // Neither is the shapefile's beside it.
    EXPECT_EQ(files::layerName("base.shp ,D:\\dados\\base.shp"), "base");
    EXPECT_EQ(files::colourFilePath("D:\\dados\\base.shp"), "D:\\dados\\base.COR");
    // A file of one layer names none, and its colour file follows the shapefile rule.
    EXPECT_EQ(files::layerName("furos.geojson ,D:\\dados\\furos.geojson"), "furos.geojson");
    EXPECT_EQ(files::colourFilePath("D:\\dados\\furos.geojson"), "D:\\dados\\furos.COR");
    // The path's first "." still cuts, as it does for shapefiles.
    EXPECT_EQ(files::colourFilePath("D:\\mapas.2010\\base.gpkg|layername=geo"),
              "D:\\mapas.geo.COR");
}

TEST(ThemeLine, aLayerNameThatNoFileNameCanHoldIsWrittenSoThatNoTwoMeet) {
    EXPECT_EQ(files::colourFilePath("D:\\b.gpkg|layername=Rios/Lagos"), "D:\\b.Rios%2FLagos.COR");
    EXPECT_EQ(files::colourFilePath("D:\\b.gpkg|layername=Rios%2FLagos"),
              "D:\\b.Rios%252FLagos.COR");
    EXPECT_EQ(files::colourFilePath("D:\\b.kml|layername=a:b*c?\"<>|"),
              "D:\\b.a%3Ab%2Ac%3F%22%3C%3E%7C.COR");
    EXPECT_EQ(files::colourFilePath("D:\\b.kml|layername=Poços à vista"),
              "D:\\b.Poços à vista.COR");
}

TEST(ThemeLine, vectorThemesAreShapefilesAndTheOtherVectorFormats) {
    EXPECT_TRUE(files::namesVectorTheme("geo.shp ,D:\\dados\\geo.shp"));
    EXPECT_TRUE(files::namesVectorTheme("base.gpkg ,D:\\dados\\base.gpkg|layername=geologia"));
    EXPECT_TRUE(files::namesVectorTheme("D:\\dados\\rotas.KMZ"));
    EXPECT_FALSE(files::namesVectorTheme("relevo.tif ,D:\\dados\\relevo.tif"));
    EXPECT_FALSE(files::namesVectorTheme("x ,D:\\dados.json\\relevo.tif"));
    // As before, a ".shp" anywhere in the line makes it a shapefile's.
    EXPECT_TRUE(files::namesVectorTheme("mapa.shp ,D:\\dados\\relevo.tif"));

    EXPECT_TRUE(files::fitsThemeLine("Geologia 1:100.000, folha SB-22"));
    EXPECT_FALSE(files::fitsThemeLine("a\\b"));
    EXPECT_FALSE(files::fitsThemeLine("duas\r\nlinhas"));
    EXPECT_FALSE(files::fitsThemeLine(QString("tab\tulada")));
}

// The rules as they were before other vector formats: every line without
// one of their extensions must get exactly what it got then.
TEST(ThemeLine, linesOfShapefilesAndPicturesGetWhatTheyAlwaysGot) {
    const auto beforeFirstDot = [](const QString& text) {
        const qsizetype dot = text.indexOf('.');
        return dot < 0 ? text : text.left(dot);
    };
    const auto oldKind = [](const QString& path) {
        const auto any = [&](std::initializer_list<const char*> list) {
            for (const char* e : list) {
                if (path.contains(e)) return true;
            }
            return false;
        };
        if (any({".shp", ".SHP"})) return ThemeKind::Shape;
        if (any({".tif", ".TIF", ".bmp", ".BMP", ".SID", ".sid"})) return ThemeKind::Image;
        if (any({".jpg", ".JPG"})) return ThemeKind::Jpeg;
        return ThemeKind::None;
    };
    const QStringList displays = {"", "geo.shp                          ,", "a,b,", "Mapa.tif ,"};
    const QStringList folders = {
        "D:\\",      "D:\\dados\\", "D:\\mapas.2010\\",   "E:\\fotos.jpg\\",
        "D:\\a|b\\", "D:\\x.SHP\\", "D:\\a|layername=b\\"};
    const QStringList files = {"geo.shp",  "GEO.SHP",     "Geo.Unid.shp", "relevo.tif",
                               "foto.JPG", "mosaico.sid", "notas.txt",    "x.bmp.jpg",
                               "geo.Shp",  "semponto",    "a.shp.xml",    "dados.dbf"};
    for (const QString& display : displays) {
        for (const QString& folder : folders) {
            for (const QString& file : files) {
                const QString line = display + folder + file;
                const QString path = files::themePath(line);
                SCOPED_TRACE(line.toStdString());
                EXPECT_EQ(files::themeKind(path), oldKind(path));
                EXPECT_EQ(files::themeKind(line), oldKind(line));
                const QString name = line.mid(line.lastIndexOf('\\') + 1);
                EXPECT_EQ(files::layerName(line),
                          oldKind(line) == ThemeKind::Shape ? beforeFirstDot(name) : name);
                EXPECT_EQ(files::colourFilePath(path), beforeFirstDot(path) + ".COR");
                EXPECT_EQ(files::namesVectorTheme(line), files::namesShapefile(line));
            }
        }
    }
}

TEST(ThemeLine, theFileOfAThemeIsThePartBeforeTheLayerOnlyForOtherVectorFormats) {
    EXPECT_EQ(files::themeFilePath("D:\\dados\\base.gpkg|layername=geologia"),
              "D:\\dados\\base.gpkg");
    EXPECT_EQ(files::themeFilePath("D:\\dados\\furos.geojson"), "D:\\dados\\furos.geojson");
    EXPECT_EQ(files::themeFilePath("D:\\dados\\geo.shp"), "D:\\dados\\geo.shp");
    EXPECT_EQ(files::themeFilePath("D:\\a|layername=b\\geo.shp"), "D:\\a|layername=b\\geo.shp");
}
