#include "support/temp_drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace support {

TempDrives::TempDrives() {
    if (!m_dir.isValid()) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    QDir().mkpath(programFolder());
    addDrive(QLatin1Char('C'));
    QDir().mkpath(configFolder());
}

QString TempDrives::addDrive(QChar letter) {
    const QString root = m_dir.path() + QStringLiteral("/drive_") + letter.toUpper();
    QDir().mkpath(root);
    m_table.setRoot(letter, root);
    return root;
}

QString TempDrives::root(QChar letter) const {
    return m_table.root(letter).value_or(QString());
}

QString TempDrives::native(const QString& windowsPath) const {
    return m_table.toNative(windowsPath).value_or(QString());
}

QString TempDrives::writeFile(const QString& windowsPath, const QByteArray& bytes) const {
    const QString path = native(windowsPath);
    if (path.isEmpty()) {
        throw std::runtime_error("path not on a test drive");
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write a test file");
    }
    return path;
}

platform::Environment TempDrives::environment() const {
    platform::Environment env;
    env.homeFolder = m_dir.path() + QStringLiteral("/home");
    env.bootDir = QStringLiteral("C:\\");
    QStringList entries;
    for (const QChar letter : m_table.letters()) {
        entries.append(QStringLiteral("%1=%2").arg(letter).arg(root(letter)));
    }
    env.drives = entries.join(QLatin1Char(';'));
    env.programDir = programFolder();
    env.executableFolder = programFolder();
    env.userDataFolder = m_dir.path() + QStringLiteral("/data");
    return env;
}

}  // namespace support
