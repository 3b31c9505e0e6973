#include "platform/drives.h"
#include "support/temp_drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class Drives : public ::testing::Test {
protected:
    void SetUp() override {
        dRoot = drives.addDrive(QLatin1Char('D'));
        drives.writeFile("D:\\dados\\geologia.shp", "shp");
    }

    support::TempDrives drives;
    QString dRoot;
};

}  // namespace

TEST_F(Drives, componentsAreFoundWhateverTheirCase) {
    const auto native = drives.table().toNative("D:\\DADOS\\Geologia.SHP");
    ASSERT_TRUE(native.has_value());
    EXPECT_EQ(*native, dRoot + "/dados/geologia.shp");
    EXPECT_TRUE(drives.table().exists("d:\\Dados\\GEOLOGIA.shp"));
}

TEST_F(Drives, exactNameWinsOverOtherSpellings) {
    QFile other(dRoot + "/dados/Geologia.shp");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    EXPECT_EQ(drives.table().toNative("D:\\dados\\Geologia.shp"), dRoot + "/dados/Geologia.shp");
    EXPECT_EQ(drives.table().toNative("D:\\dados\\geologia.shp"), dRoot + "/dados/geologia.shp");
}

TEST_F(Drives, forwardSlashesAndRepeatedSeparatorsAreAccepted) {
    EXPECT_EQ(drives.table().toNative("D:/dados//geologia.shp"), dRoot + "/dados/geologia.shp");
    EXPECT_EQ(drives.table().toNative("D:\\"), dRoot);
    EXPECT_EQ(drives.table().toNative("D:"), dRoot);
}

TEST_F(Drives, missingComponentsStayAsGivenAndDoNotExist) {
    const auto native = drives.table().toNative("D:\\Dados\\Nova\\Mapa.shp");
    ASSERT_TRUE(native.has_value());
    EXPECT_EQ(*native, dRoot + "/dados/Nova/Mapa.shp");
    EXPECT_FALSE(drives.table().exists("D:\\Dados\\Nova\\Mapa.shp"));
}

TEST_F(Drives, aNameHoldingANulIsMissingAndDrawsNoWarning) {
    static int warnings = 0;
    warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString&) { ++warnings; });
    const QString path = QStringLiteral("D:\\dados\\geo") + QChar(u'\0') + "logia.shp\\x";
    const auto native = drives.table().toNative(path);
    const bool exists = drives.table().exists(path);
    const auto back = drives.table().toWindows(native.value_or(QString()));
    qInstallMessageHandler(previous);
    ASSERT_TRUE(native.has_value());
    EXPECT_EQ(*native, dRoot + "/dados/geo" + QChar(u'\0') + "logia.shp/x");
    EXPECT_FALSE(exists);
    EXPECT_FALSE(back.has_value());
    EXPECT_EQ(warnings, 0);
}

TEST_F(Drives, unmappedDriveFindsNoFileEvenWhenAnotherDriveHasIt) {
    drives.addDrive(QLatin1Char('E'));
    EXPECT_FALSE(drives.table().toNative("F:\\dados\\geologia.shp").has_value());
    EXPECT_FALSE(drives.table().exists("F:\\dados\\geologia.shp"));
    EXPECT_FALSE(drives.table().exists("E:\\dados\\geologia.shp"));
}

TEST_F(Drives, dotDotNeverClimbsAboveTheDriveRoot) {
    // A file beside the drive folders must stay out of reach.
    QFile outside(QFileInfo(dRoot).absolutePath() + "/secret.txt");
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    outside.close();
    EXPECT_EQ(drives.table().toNative("D:\\..\\secret.txt"), dRoot + "/secret.txt");
    EXPECT_EQ(drives.table().toNative("D:\\dados\\..\\..\\..\\dados\\.\\geologia.shp"),
              dRoot + "/dados/geologia.shp");
    EXPECT_FALSE(drives.table().exists("D:\\..\\secret.txt"));
}

TEST_F(Drives, pathsWithoutADriveLetterAreNotOnAnyDrive) {
    for (const char* path :
         {"dados\\geologia.shp", "\\\\servidor\\dados\\x.shp", "", "D", "1:\\x", ":\\dados"}) {
        EXPECT_FALSE(drives.table().toNative(path).has_value()) << path;
    }
}

TEST(DriveTable, defaultsMapCToHomeAndZToTheRoot) {
    const auto table = platform::DriveTable::withDefaults("/home/ana");
    EXPECT_EQ(table.root('C'), QString("/home/ana"));
    EXPECT_EQ(table.root('c'), QString("/home/ana"));
    EXPECT_EQ(table.root('Z'), QString("/"));
    EXPECT_FALSE(table.root('D').has_value());
    EXPECT_EQ(table.toNative("Z:\\etc\\hostname"), QString("/etc/hostname"));
}

TEST(DriveTable, nativePathGoesToTheDriveWithTheLongestRoot) {
    auto table = platform::DriveTable::withDefaults("/home/ana");
    table.setRoot('D', "/home/ana/dados");
    table.setRoot('E', "/home/ana/dad");
    EXPECT_EQ(table.toWindows("/home/ana/dados/geo/a.shp"), QString("D:\\geo\\a.shp"));
    EXPECT_EQ(table.toWindows("/home/ana/dadosx/a.shp"), QString("C:\\dadosx\\a.shp"));
    EXPECT_EQ(table.toWindows("/home/ana/dados"), QString("D:\\"));
    EXPECT_EQ(table.toWindows("/tmp/x/../a.jjj"), QString("Z:\\tmp\\a.jjj"));
}

TEST(DriveTable, lowestLetterWinsWhenTwoDrivesShareARoot) {
    platform::DriveTable table;
    table.setRoot('K', "/mnt/a");
    table.setRoot('F', "/mnt/a");
    EXPECT_EQ(table.toWindows("/mnt/a/x"), QString("F:\\x"));
    EXPECT_FALSE(table.toWindows("/srv/x").has_value());
}

TEST(DriveTable, entriesAreReadAndJunkIsSkippedWithAWarning) {
    platform::DriveTable table;
    const QStringList warnings = table.addEntries(
        "D=/media/dados; e = /mnt/e/ ;\n# comment\n\nDD=/x;=/y;F;G=relative;7=/seven;H:=/mnt/h;" +
        QString("I=/mnt/a") + QChar(u'\0') + "b");
    EXPECT_EQ(table.root('D'), QString("/media/dados"));
    EXPECT_EQ(table.root('E'), QString("/mnt/e"));
    EXPECT_EQ(table.root('H'), QString("/mnt/h"));
    EXPECT_EQ(table.letters().size(), 3);
    EXPECT_EQ(warnings.size(), 6) << warnings.join('\n').toStdString();
}

TEST(DriveTable, keptLettersAreNotReplaced) {
    platform::DriveTable table;
    table.setRoot('D', "/from/environment");
    (void)table.addEntries("D=/from/file;E=/mnt/e", {QChar('D')});
    EXPECT_EQ(table.root('D'), QString("/from/environment"));
    EXPECT_EQ(table.root('E'), QString("/mnt/e"));
}
