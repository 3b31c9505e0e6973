#include "files/project_file.h"
#include "platform/drives.h"

#include <gtest/gtest.h>

using files::ThemeEntry;

TEST(ProjectFile, everyLineShapeComesBackOnTheProjectsDrive) {
    const std::vector<ThemeEntry> themes = {
        {"geologia.shp" + QString(26, ' ') + ",D:\\dados\\geologia.shp", false},
        {QString("Unidades").leftJustified(40) + ",D:\\dados\\u.shp", true},
        {"D:\\dados\\falhas.shp", true},
        {"a,b" + QString(",") + "D:\\x.shp",
         true},  // a comma in the display part: split at the first
    };
    const QStringList lines = files::projectFileLines(themes);
    EXPECT_EQ(lines[0], "*geologia.shp" + QString(26, ' ') + ",dados\\geologia.shp");
    EXPECT_EQ(lines[2], "dados\\falhas.shp");
    EXPECT_EQ(lines[3],
              "a,:\\x.shp");  // the text after the first comma loses its first three characters
    const auto back = files::themeEntriesFromProjectLines(lines, 'E');
    EXPECT_EQ(back[0],
              (ThemeEntry{"geologia.shp" + QString(26, ' ') + ",E:\\dados\\geologia.shp", false}));
    EXPECT_EQ(back[1],
              (ThemeEntry{QString("Unidades").leftJustified(40) + ",E:\\dados\\u.shp", true}));
    EXPECT_EQ(back[2], (ThemeEntry{"E:\\dados\\falhas.shp", true}));
}

TEST(ProjectFile, driveRuleLooksAtThemeZeroOnlyAndIsCaseSensitive) {
    EXPECT_TRUE(files::projectOnThemeDrive("g.shp   ,D:\\dados\\g.shp", "D:\\proj\\p.jjj"));
    EXPECT_FALSE(files::projectOnThemeDrive("g.shp   ,D:\\dados\\g.shp", "E:\\proj\\p.jjj"));
    EXPECT_FALSE(files::projectOnThemeDrive("g.shp   ,d:\\dados\\g.shp", "D:\\proj\\p.jjj"));
    EXPECT_TRUE(files::projectOnThemeDrive("D:\\g.shp", "D:\\p.jjj"));
    EXPECT_FALSE(files::projectOnThemeDrive("", "D:\\p.jjj"));
}

TEST(ProjectFile, probeResolvesTheFirstLineOnTheDrive) {
    EXPECT_EQ(files::firstThemePath({"*g.shp   ,dados\\g.shp"}, 'D'), QString("D:\\dados\\g.shp"));
    EXPECT_EQ(files::firstThemePath({"dados\\g.shp"}, 'D'), QString("D:\\dados\\g.shp"));
    EXPECT_FALSE(files::firstThemePath({}, 'D').has_value());
}

TEST(ProjectFile, aMissingFirstThemeIsNamedWithWhereItWasLookedForOrHowToMapItsDrive) {
    platform::DriveTable drives;
    drives.setRoot('D', "/media/dados");
    EXPECT_EQ(files::missingThemeDetail("D:\\dados\\geologia.shp", drives,
                                        "/home/u/xquelvora/drives.conf"),
              QString::fromUtf8("Arquivo de tema não encontrado: D:\\dados\\geologia.shp\n"
                                "Procurado em: /media/dados/dados/geologia.shp"));
    EXPECT_EQ(files::missingThemeDetail("Q:\\dados\\geologia.shp", drives,
                                        "/home/u/xquelvora/drives.conf"),
              QString::fromUtf8("Arquivo de tema não encontrado: Q:\\dados\\geologia.shp\n"
                                "O drive Q: não está associado a nenhuma pasta. Para associá-lo, "
                                "acrescente a linha\n"
                                "Q=/caminho/da/pasta\n"
                                "ao arquivo /home/u/xquelvora/drives.conf, com a pasta que faz as "
                                "vezes da raiz do drive, e abra o programa de novo."));
}
