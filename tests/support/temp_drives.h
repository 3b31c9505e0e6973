#pragma once

#include "platform/drives.h"
#include "platform/settings.h"

#include <QTemporaryDir>

namespace support {

// A private set of drives for one test: every drive letter is a folder in a
// temporary directory, the boot drive "C" is mapped from the start and holds
// the configuration folder "xquelvora". Removed with the object.
class TempDrives {
public:
    TempDrives();

    // Maps `letter` to a new folder and returns its native root.
    QString addDrive(QChar letter);
    // Native root of a mapped letter.
    QString root(QChar letter) const;
    // Native path of a Windows-form path on these drives.
    QString native(const QString& windowsPath) const;
    // Writes `bytes` at the Windows-form path, creating folders; returns the native path.
    QString writeFile(const QString& windowsPath, const QByteArray& bytes) const;

    const platform::DriveTable& table() const { return m_table; }
    // Surroundings that lead loadConfiguration to these drives: QUELVORA_DRIVES
    // lists every letter, the boot drive is "C", the program folder is its own.
    platform::Environment environment() const;
    QString configFolder() const { return root(QLatin1Char('C')) + QStringLiteral("/xquelvora"); }
    QString programFolder() const { return m_dir.path() + QStringLiteral("/program"); }

private:
    QTemporaryDir m_dir;
    platform::DriveTable m_table;
};

}  // namespace support
