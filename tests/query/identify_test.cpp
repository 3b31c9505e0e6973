#include "query/identify.h"
#include "query/media_links.h"

#include <gtest/gtest.h>

using query::GridCell;
using query::RasterGrid;

TEST(RasterIdentify, gridDescriptionNeedsFiveNumbersWithYBeforeX) {
    const auto grid = query::parseRasterGrid({"100", "80", "-10.0", "-50.0", "0.01"});
    ASSERT_TRUE(grid.has_value());
    EXPECT_EQ(grid->rows, 100);
    EXPECT_DOUBLE_EQ(grid->bottom, -10.0);
    EXPECT_DOUBLE_EQ(grid->left, -50.0);
    EXPECT_FALSE(query::parseRasterGrid({"100", "80", "-10.0", "-50.0"}).has_value());
    EXPECT_FALSE(query::parseRasterGrid({"cem", "80", "-10.0", "-50.0", "0.01"}).has_value());
    EXPECT_FALSE(query::parseRasterGrid({"100", "80", "-10.0", "-50.0", "0"}).has_value());
    EXPECT_FALSE(query::parseRasterGrid({"100", "80", "nan", "-50.0", "0.01"}).has_value());
}

TEST(RasterIdentify, cellUnderAPointRoundsHalvesToEven) {
    const RasterGrid grid{100, 80, -10.0, -50.0, 0.01};
    const GridCell cell = query::gridCell(grid, {-49.993, -9.003});
    EXPECT_EQ(cell.column, 0);  // 0.7 - 0.5 = 0.2
    EXPECT_EQ(cell.row, 0);     // 100 - round(99.7 + 0.5)
    const RasterGrid unit{10, 10, 0.0, 0.0, 1.0};
    EXPECT_EQ(query::gridCell(unit, {3.0, 0.0}).column, 2);  // 2.5 goes to 2
    EXPECT_EQ(query::gridCell(unit, {4.0, 0.0}).column, 4);  // 3.5 goes to 4
    EXPECT_EQ(query::gridCell(unit, {0.5, 1e300}).row, 10 - 9'000'000'000'000'000LL);
}

TEST(RasterIdentify, lastMatchingCellLineWinsAndJunkIsSkipped) {
    const QStringList table = {"0,0,granito",           "junk", "0,1,gnaisse", "x,0,nada",
                               "0,0,basalto, alterado", ""};
    EXPECT_EQ(query::cellAttribute(table, {0, 0}), QString("basalto, alterado"));
    EXPECT_EQ(query::cellAttribute(table, {0, 1}), QString("gnaisse"));
    EXPECT_FALSE(query::cellAttribute(table, {5, 5}).has_value());
    EXPECT_EQ(query::rasterSideFile("D:\\img\\relevo.tif", "conf"), "D:\\img\\relevo.conf");
    EXPECT_EQ(query::rasterSideFile("D:\\img.v2\\relevo.tif", "txt"), "D:\\img.txt");
}

TEST(VectorIdentify, recordStoreSplitsAtTheFirstCommaOnly) {
    query::IdentifiedFeatures found;
    found.lines = {{"NOME : a, b", "OBS : x : y"}, {"NOME : c"}};
    const QStringList store = query::recordStoreLines(found);
    EXPECT_EQ(store, QStringList({"1,NOME : a, b", "1,OBS : x : y", "2,NOME : c"}));
    EXPECT_EQ(query::recordLines(store, 1), QStringList({"NOME : a, b", "OBS : x : y"}));
    EXPECT_EQ(query::recordLines(store, 2), QStringList({"NOME : c"}));
    EXPECT_TRUE(query::recordLines(store, 3).isEmpty());
    EXPECT_EQ(query::areaText(2.5), "    2.5000");
}

TEST(MediaLinks, namesSplitAtSemicolonsWithTheFirstCurrent) {
    const query::MediaNames names = query::mediaNames({"NOME", "FOTO", "filme", "documento"},
                                                      {"x", "a;b;c", "clip", "nota;outra"});
    EXPECT_EQ(names.photo, "a");
    EXPECT_EQ(names.photos, QStringList({"a", "b", "c"}));
    EXPECT_EQ(names.film, "clip");
    EXPECT_TRUE(names.films.isEmpty());  // a single name lists nothing
    EXPECT_EQ(names.document, "nota");
    EXPECT_TRUE(names.hasPhoto && names.hasFilm && names.hasDocument);

    QStringList many;
    for (int i = 0; i < 150; ++i) many << QString::number(i);
    EXPECT_EQ(query::mediaNames({"foto"}, {many.join(';')}).photos.size(), 101);
    EXPECT_FALSE(query::mediaNames({"Foto", "FOTO"}, {"a", ""}).hasPhoto);
}

TEST(MediaLinks, filesStayInTheThemeFolder) {
    const QString folder = query::mediaFolder("pontos.shp ,D:\\dados\\campo\\pontos.shp");
    EXPECT_EQ(folder, "D:\\dados\\campo\\");
    EXPECT_EQ(query::photoFile(folder, "f1"), "D:\\dados\\campo\\f1.jpg");
    EXPECT_EQ(query::documentFile(folder, "nota"), "D:\\dados\\campo\\nota.htm");
    for (const char* bad : {"..\\segredo", "a/../../b", "C:\\windows\\x", "\\raiz", "/etc/x"}) {
        EXPECT_TRUE(query::photoFile(folder, bad).isEmpty()) << bad;
    }
    const auto onlyWav = [](const QString& path) { return path.endsWith(".wav"); };
    EXPECT_EQ(query::filmFile(folder, "som", onlyWav), "D:\\dados\\campo\\som.wav");
    EXPECT_TRUE(query::filmFile(folder, "som", [](const QString&) { return false; }).isEmpty());
}
