#include "platform/settings.h"

#include "platform/text_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <functional>
#include <map>

namespace platform {

namespace {

QString envValue(const char* name) {
    return qEnvironmentVariable(name);
}

using Setter = std::function<bool(Settings&, const QString&)>;

Setter textSetter(QString Settings::*member) {
    return [member](Settings& s, const QString& value) {
        s.*member = value;
        return true;
    };
}

template <typename Number>
Setter numberSetter(Number Settings::*member) {
    return [member](Settings& s, const QString& value) {
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (!ok || n <= 0 || n > std::numeric_limits<Number>::max()) {
            return false;
        }
        s.*member = static_cast<Number>(n);
        return true;
    };
}

// "1", "sim" or "true" switch on; "0", "não" or "false" switch off.
Setter switchSetter(bool Settings::*member) {
    return [member](Settings& s, const QString& value) {
        const QString v = value.toLower();
        if (v == u"1" || v == u"sim" || v == u"true") {
            s.*member = true;
        } else if (v == u"0" || v == QStringLiteral("não") || v == u"nao" || v == u"false") {
            s.*member = false;
        } else {
            return false;
        }
        return true;
    };
}

const std::map<QString, Setter>& setters() {
    static const std::map<QString, Setter> table = {
        {QStringLiteral("gateway_host"), textSetter(&Settings::gatewayHost)},
        {QStringLiteral("bedrock_wms_host"), textSetter(&Settings::bedrockWmsHost)},
        {QStringLiteral("geology_wms_host"), textSetter(&Settings::geologyWmsHost)},
        {QStringLiteral("grids_wms_host"), textSetter(&Settings::gridsWmsHost)},
        {QStringLiteral("mosaic_wms_host"), textSetter(&Settings::mosaicWmsHost)},
        {QStringLiteral("web_viewer_host"), textSetter(&Settings::webViewerHost)},
        {QStringLiteral("download_connect_timeout_ms"),
         numberSetter(&Settings::downloadConnectTimeoutMs)},
        {QStringLiteral("download_total_timeout_ms"),
         numberSetter(&Settings::downloadTotalTimeoutMs)},
        {QStringLiteral("download_max_bytes"), numberSetter(&Settings::downloadMaxBytes)},
        {QStringLiteral("download_extra_ca_file"), textSetter(&Settings::downloadExtraCaFile)},
        {QStringLiteral("cache_max_bytes"), numberSetter(&Settings::cacheMaxBytes)},
        {QStringLiteral("cache_enabled"), switchSetter(&Settings::cacheEnabled)},
    };
    return table;
}

}  // namespace

Environment Environment::fromProcess() {
    Environment env;
    env.homeFolder = QDir::homePath();
    env.bootDir = envValue("QUELVORA_BOOTDIR");
    env.drives = envValue("QUELVORA_DRIVES");
    env.programDir = envValue("QUELVORA_PROGRAMDIR");
    env.executableFolder =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    env.userDataFolder = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                             .filePath(QStringLiteral("quelvora"));
    if (!env.executableFolder.isEmpty()) {
        const QString installed = QDir::cleanPath(
            QDir(env.executableFolder).filePath(QStringLiteral(QUELVORA_DATA_FROM_BIN)));
        if (QFileInfo(installed).isDir()) env.installedDataFolder = installed;
    }
    return env;
}

QStringList parseSettings(const QString& text, Settings& settings) {
    QStringList warnings;
    int lineNumber = 0;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        ++lineNumber;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            warnings.append(
                QStringLiteral("settings line %1 skipped: not key=value").arg(lineNumber));
            continue;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        const auto it = setters().find(key);
        if (it == setters().end()) {
            warnings.append(QStringLiteral("settings line %1 skipped: unknown key \"%2\"")
                                .arg(lineNumber)
                                .arg(key));
            continue;
        }
        if (!it->second(settings, value)) {
            warnings.append(QStringLiteral("settings line %1 skipped: bad value for \"%2\"")
                                .arg(lineNumber)
                                .arg(key));
        }
    }
    return warnings;
}

QChar bootDriveLetter(const QString& bootDir) {
    return bootDir.isEmpty() ? QLatin1Char('C') : bootDir.at(0);
}

QString configFolder(QChar bootDrive) {
    return QString(bootDrive) + QStringLiteral(":\\xquelvora");
}

QString programFolder(const Environment& env) {
    if (!env.programDir.isEmpty()) {
        return QDir::cleanPath(env.programDir);
    }
    QDir().mkpath(env.userDataFolder);
    return QDir::cleanPath(env.userDataFolder);
}

Configuration loadConfiguration(const Environment& env) {
    Configuration config;
    config.bootDrive = bootDriveLetter(env.bootDir);
    config.drives = DriveTable::withDefaults(env.homeFolder);
    config.warnings += config.drives.addEntries(env.drives);

    // Letters set by the environment win over drives.conf.
    DriveTable fromEnvironment;
    (void)fromEnvironment.addEntries(env.drives);
    const QList<QChar> keep = fromEnvironment.letters();

    const QString folder = configFolder(config.bootDrive);
    if (const auto path = config.drives.toNative(folder + QStringLiteral("\\drives.conf"));
        path && QFileInfo(*path).isFile()) {
        const TextLines text = readTextLines(*path);
        if (text.result) {
            config.warnings += config.drives.addEntries(text.lines.join(QLatin1Char('\n')), keep);
        } else {
            config.warnings.append(text.result.message + QStringLiteral(": ") + text.result.detail);
        }
    }

    if (const auto path = config.drives.toNative(folder + QStringLiteral("\\quelvora.conf"));
        path && QFileInfo(*path).isFile()) {
        const TextLines text = readTextLines(*path);
        if (text.result) {
            config.warnings += parseSettings(text.lines.join(QLatin1Char('\n')), config.settings);
            QString& caFile = config.settings.downloadExtraCaFile;
            if (!caFile.isEmpty() && QDir::isRelativePath(caFile)) {
                caFile = QFileInfo(*path).dir().filePath(caFile);
            }
        } else {
            config.warnings.append(text.result.message + QStringLiteral(": ") + text.result.detail);
        }
    }

    config.programFolder = programFolder(env);
    config.installedDataFolder = env.installedDataFolder;
    if (!env.userDataFolder.isEmpty()) {
        config.cacheFolder = QDir(env.userDataFolder).filePath(QStringLiteral("cache"));
    }
    return config;
}

Configuration loadConfigurationReporting(const Environment& env) {
    Configuration config = loadConfiguration(env);
    for (const QString& warning : config.warnings) {
        std::fprintf(stderr, "quelvora: %s\n", qUtf8Printable(warning));
    }
    return config;
}

}  // namespace platform
