#include "platform/settings.h"
#include "support/temp_drives.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(Settings, knownKeysAreReadAndEverythingElseIsSkippedWithAWarning) {
    platform::Settings settings;
    const QStringList warnings = platform::parseSettings(
        "# hosts\n"
        "gateway_host = http://127.0.0.1:8080\n"
        "mosaic_wms_host=http://mosaic.test\r\n"
        "download_total_timeout_ms=1500\n"
        "download_max_bytes=1048576\n"
        "colour=blue\n"
        "no equals sign\n"
        "=value\n"
        "download_connect_timeout_ms=ten\n"
        "download_connect_timeout_ms=-5\n"
        "download_connect_timeout_ms=99999999999\n"
        "\x01\x02\xff junk\n",
        settings);
    EXPECT_EQ(settings.gatewayHost, "http://127.0.0.1:8080");
    EXPECT_EQ(settings.mosaicWmsHost, "http://mosaic.test");
    EXPECT_EQ(settings.downloadTotalTimeoutMs, 1500);
    EXPECT_EQ(settings.downloadMaxBytes, 1048576);
    EXPECT_EQ(settings.downloadConnectTimeoutMs, 10'000);
    EXPECT_EQ(warnings.size(), 7) << warnings.join('\n').toStdString();
    EXPECT_TRUE(warnings.first().contains("line 6"));
}

TEST(Settings, defaultsAreThoseDocumented) {
    const platform::Settings settings;
    EXPECT_EQ(settings.downloadConnectTimeoutMs, 10'000);
    EXPECT_EQ(settings.downloadTotalTimeoutMs, 60'000);
    EXPECT_EQ(settings.downloadMaxBytes, 256LL * 1024 * 1024);
    EXPECT_TRUE(settings.geologyWmsHost.endsWith(":82"));
}

TEST(Settings, bootDriveIsTheFirstCharacterOrC) {
    EXPECT_EQ(platform::bootDriveLetter(""), QChar('C'));
    EXPECT_EQ(platform::bootDriveLetter("D:\\"), QChar('D'));
    EXPECT_EQ(platform::bootDriveLetter("e"), QChar('e'));
    EXPECT_EQ(platform::configFolder('D'), "D:\\xquelvora");
}

TEST(Settings, programFolderIsTheSettingOrTheUserDataFolderNeverTheExecutables) {
    QTemporaryDir dir;
    platform::Environment env;
    env.programDir = dir.path() + "/chosen/";
    env.executableFolder = dir.path() + "/bin";
    env.userDataFolder = dir.path() + "/data/quelvora";
    EXPECT_EQ(platform::programFolder(env), dir.path() + "/chosen");

    // A writable executable folder (the build tree) is not where a server's
    // answers go: a name from a server could overwrite the program there.
    env.programDir.clear();
    QDir().mkpath(env.executableFolder);
    EXPECT_EQ(platform::programFolder(env), env.userDataFolder);
    EXPECT_TRUE(QFileInfo(env.userDataFolder).isDir());

    // The same for an installed program.
    env.installedDataFolder = dir.path() + "/share/quelvora";
    EXPECT_EQ(platform::programFolder(env), env.userDataFolder);
    env.programDir = dir.path() + "/chosen";
    EXPECT_EQ(platform::programFolder(env), env.programDir);
}

TEST(Configuration, missingConfigurationFolderGivesDefaults) {
    support::TempDrives drives;
    QDir(drives.configFolder()).removeRecursively();
    const platform::Configuration config = platform::loadConfiguration(drives.environment());
    EXPECT_EQ(config.bootDrive, QChar('C'));
    EXPECT_TRUE(config.warnings.isEmpty());
    EXPECT_EQ(config.settings.gatewayHost, platform::Settings().gatewayHost);
    EXPECT_EQ(config.programFolder, drives.programFolder());
}

TEST(Configuration, drivesConfAddsLettersButTheEnvironmentWins) {
    support::TempDrives drives;
    const QString d = drives.addDrive('D');
    drives.writeFile("C:\\xquelvora\\drives.conf",
                     "D=/elsewhere\r\nE=/mnt/e\r\nnot a drive line\r\n");
    drives.writeFile("C:\\xquelvora\\QUELVORA.CONF", "gateway_host=http://127.0.0.1:1\r\nbad\r\n");
    const platform::Configuration config = platform::loadConfiguration(drives.environment());
    EXPECT_EQ(config.drives.root('D'), d);
    EXPECT_EQ(config.drives.root('E'), QString("/mnt/e"));
    EXPECT_EQ(config.settings.gatewayHost, "http://127.0.0.1:1");
    EXPECT_EQ(config.warnings.size(), 2) << config.warnings.join('\n').toStdString();
}

TEST(Configuration, bootDriveFromTheEnvironmentLocatesTheConfigurationFolder) {
    support::TempDrives drives;
    drives.addDrive('B');
    drives.writeFile("B:\\xquelvora\\quelvora.conf", "web_viewer_host=http://viewer.test\n");
    platform::Environment env = drives.environment();
    env.bootDir = "B:\\";
    const platform::Configuration config = platform::loadConfiguration(env);
    EXPECT_EQ(config.bootDrive, QChar('B'));
    EXPECT_EQ(config.settings.webViewerHost, "http://viewer.test");
}

TEST(Configuration, anExtraAuthorityFileIsTakenFromTheConfigurationFolderUnlessAbsolute) {
    support::TempDrives drives;
    drives.writeFile("C:\\xquelvora\\quelvora.conf", "download_extra_ca_file=empresa/ac.pem\r\n");
    platform::Configuration config = platform::loadConfiguration(drives.environment());
    EXPECT_EQ(config.settings.downloadExtraCaFile,
              QDir(drives.configFolder()).filePath("empresa/ac.pem"));
    EXPECT_TRUE(config.warnings.isEmpty()) << config.warnings.join('\n').toStdString();

    drives.writeFile("C:\\xquelvora\\quelvora.conf",
                     "download_extra_ca_file = /etc/ssl/empresa.pem\r\n");
    config = platform::loadConfiguration(drives.environment());
    EXPECT_EQ(config.settings.downloadExtraCaFile, "/etc/ssl/empresa.pem");
    EXPECT_TRUE(platform::Settings().downloadExtraCaFile.isEmpty());
}

TEST(Settings, theCacheOfWebMapAnswersHasALimitAndASwitch) {
    platform::Settings settings;
    EXPECT_EQ(settings.cacheMaxBytes, 512LL * 1024 * 1024);
    EXPECT_TRUE(settings.cacheEnabled);
    QStringList warnings = platform::parseSettings(
        "cache_max_bytes=1048576\ncache_enabled=0\ncache_enabled=talvez\n", settings);
    EXPECT_EQ(settings.cacheMaxBytes, 1048576);
    EXPECT_FALSE(settings.cacheEnabled);
    EXPECT_EQ(warnings.size(), 1);
    warnings = platform::parseSettings(QString::fromUtf8("cache_enabled=sim\n"), settings);
    EXPECT_TRUE(settings.cacheEnabled);
    (void)platform::parseSettings(QString::fromUtf8("cache_enabled=Não\n"), settings);
    EXPECT_FALSE(settings.cacheEnabled);
}

TEST(Configuration, theCacheFolderIsInTheUserDataFolderWhereverTheProgramFolderIs) {
    support::TempDrives drives;
    platform::Environment env = drives.environment();
    const platform::Configuration config = platform::loadConfiguration(env);
    EXPECT_EQ(config.cacheFolder, env.userDataFolder + "/cache");
    EXPECT_NE(config.programFolder, env.userDataFolder);
    env.userDataFolder.clear();  // no data folder: no cache, never one in the working folder
    EXPECT_TRUE(platform::loadConfiguration(env).cacheFolder.isEmpty());
}
