#include "app/configuration_files.h"
#include "support/temp_drives.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

const QString kFolder = "C:\\xquelvora";

}  // namespace

TEST(StartupFiles, missingFilesLeaveEverythingUnset) {
    support::TempDrives drives;
    app::StartupFiles files;
    ASSERT_TRUE(app::readStartupFiles(kFolder, drives.table(), files));
    EXPECT_FALSE(files.gatewayLine.has_value());
    EXPECT_FALSE(files.hasConfig);
    EXPECT_FALSE(files.projectPath.has_value());
}

TEST(StartupFiles, confGivesTheGatewayAndConfigTheDriveAndProject) {
    support::TempDrives drives;
    drives.writeFile("C:\\xquelvora\\conf.dat", "kestram.example:8080\r\nignored\r\n");
    drives.writeFile("C:\\xquelvora\\config.dat", "D\r\nS\r\nprojetos\\amostra.jjj\r\n");
    app::StartupFiles files;
    ASSERT_TRUE(app::readStartupFiles(kFolder, drives.table(), files));
    EXPECT_EQ(files.gatewayLine, QString("kestram.example:8080"));
    EXPECT_TRUE(files.hasConfig);
    EXPECT_EQ(files.dataDrive, QChar('D'));
    EXPECT_EQ(files.projectPath, QString("projetos\\amostra.jjj"));
}

TEST(StartupFiles, onlyAnUpperCaseSLoadsAProject) {
    for (const char* second : {"s", "S ", "N", ""}) {
        support::TempDrives drives;
        drives.writeFile("C:\\xquelvora\\CONFIG.DAT",
                         QByteArray("E\r\n") + second + "\r\nx.jjj\r\n");
        app::StartupFiles files;
        ASSERT_TRUE(app::readStartupFiles(kFolder, drives.table(), files));
        EXPECT_TRUE(files.hasConfig) << second;
        EXPECT_EQ(files.dataDrive, QChar('E'));
        EXPECT_FALSE(files.projectPath.has_value()) << second;
    }
}

TEST(StartupFiles, unreadableConfigurationIsAFailure) {
    support::TempDrives drives;
    QDir().mkpath(drives.configFolder() + "/config.dat");  // a folder where the file should be
    app::StartupFiles files;
    EXPECT_FALSE(app::readStartupFiles(kFolder, drives.table(), files));
}

TEST(StartupFiles, emptyAndBinaryFilesDoNotBreakTheReading) {
    support::TempDrives drives;
    drives.writeFile("C:\\xquelvora\\conf.dat", "");
    drives.writeFile("C:\\xquelvora\\config.dat", QByteArray("\x00\xff\r\nS", 5));
    app::StartupFiles files;
    ASSERT_TRUE(app::readStartupFiles(kFolder, drives.table(), files));
    EXPECT_EQ(files.gatewayLine, QString());
    EXPECT_EQ(files.dataDrive, QChar(0));
    EXPECT_FALSE(files.projectPath.has_value());
}
