#pragma once

#include "platform/drives.h"

#include <QString>
#include <QStringList>

namespace platform {

// What the program takes from its surroundings at start: a snapshot of the
// environment variables it honours and of the standard folders, so that
// nothing below reads the process environment by itself and tests can pass
// any surroundings they like.
struct Environment {
    QString homeFolder;        // $HOME
    QString bootDir;           // $QUELVORA_BOOTDIR; first character = boot drive letter
    QString drives;            // $QUELVORA_DRIVES, "D=/media/dados;E=/mnt/e"
    QString programDir;        // $QUELVORA_PROGRAMDIR
    QString executableFolder;  // folder of the running executable
    QString userDataFolder;    // ~/.local/share/quelvora
    // The program's read-only data (help pages), "<prefix>/share/quelvora"
    // beside the executable's "<prefix>/bin" ("<build>/share/quelvora" for
    // "<build>/src" in a build tree, which the build fills); empty when there
    // is no such folder.
    QString installedDataFolder;

    static Environment fromProcess();
};

// Named settings of the settings file "quelvora.conf" in the configuration
// folder: one "key=value" per line; blank lines and lines starting with "#"
// are ignored. Hosts are written with their scheme and without a final "/"
// (the request paths that follow them start with "/").
struct Settings {
    // The remote database's gateway (catalogue, index maps, map list,
    // searches, collector positions, the bedrock-geology WFS).
    QString gatewayHost = QStringLiteral("http://kestram-gateway.invalid");
    // Bedrock-geology WMS used by the fixed-service identify.
    QString bedrockWmsHost = QStringLiteral("http://kestram-bedrock.invalid");
    // Geology WMS of the fixed connections (port included).
    QString geologyWmsHost = QStringLiteral("http://kestram-geology.invalid:82");
    // Relief and mineral-resource grids WMS of the fixed connections.
    QString gridsWmsHost = QStringLiteral("http://kestram-grids.invalid");
    // Public global mosaic WMS of the fixed connections.
    QString mosaicWmsHost = QStringLiteral("http://mosaic-wms.invalid");
    // External web map viewer (its page "/ViewerWEB/index_quelvora.html").
    QString webViewerHost = QStringLiteral("http://kestram-viewer.invalid");

    int downloadConnectTimeoutMs = 10'000;
    int downloadTotalTimeoutMs = 60'000;
    qint64 downloadMaxBytes = 256LL * 1024 * 1024;
    // A PEM file of certificate authorities trusted besides the system's,
    // for an organisation's own CA; native path, a relative one taken from
    // the configuration folder. Empty: the system's alone.
    QString downloadExtraCaFile;

    // The answers kept for work without a network: at most this many bytes
    // in the cache folder, least recently used dropped first; none kept or
    // looked up when switched off.
    qint64 cacheMaxBytes = 512LL * 1024 * 1024;
    bool cacheEnabled = true;
};

// Reads settings-file text into `settings`; returns a warning for every line
// that was skipped (unknown key, no "=", a bad number).
QStringList parseSettings(const QString& text, Settings& settings);

// The boot drive letter: the first character of `bootDir`, "C" when empty.
QChar bootDriveLetter(const QString& bootDir);

// "<boot>:\xquelvora", the folder of conf.dat, config.dat, drives.conf and
// quelvora.conf.
QString configFolder(QChar bootDrive);

// Native folder for temporary pictures, list files and downloads:
// QUELVORA_PROGRAMDIR when set, otherwise the user data folder (created when
// missing). Never the executable's own folder, so that nothing a server
// names can overwrite the program.
QString programFolder(const Environment& env);

// Everything the program learns from its surroundings at start.
struct Configuration {
    QChar bootDrive;
    DriveTable drives;
    Settings settings;
    QString programFolder;
    QString installedDataFolder;  // see Environment
    // The kept answers of the web map services: "cache" in the user's data
    // folder (also when QUELVORA_PROGRAMDIR moves the program folder).
    QString cacheFolder;
    QStringList warnings;  // skipped entries of the drive table and settings file
};

// Builds the drive table (defaults, then QUELVORA_DRIVES, then drives.conf
// for the letters the environment did not set), then reads quelvora.conf.
// A missing configuration folder or file leaves the defaults.
Configuration loadConfiguration(const Environment& env);

// loadConfiguration, with every warning printed on stderr.
Configuration loadConfigurationReporting(const Environment& env);

}  // namespace platform
