#pragma once

#include <QChar>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// Maps Windows drive letters to native folders, so that paths can keep the
// Windows form ("D:\dados\geologia.shp") everywhere inside the program and in
// the files it shares with Windows, and become native only where a file is
// opened. Letters are matched without regard to case; a drive letter is always
// one character. A value type: copy it freely.
class DriveTable {
public:
    // C: = homeFolder and Z: = "/", as Wine maps them.
    static DriveTable withDefaults(const QString& homeFolder);

    // Maps `letter` to the native folder `root` (made absolute and clean);
    // replaces an earlier mapping of the same letter.
    void setRoot(QChar letter, const QString& root);
    std::optional<QString> root(QChar letter) const;
    QList<QChar> letters() const { return m_roots.keys(); }

    // Adds "D=/media/dados;E=/mnt/e" entries (";" or line ends between
    // entries; blank entries and "#" comment lines are ignored). Returns one
    // warning per entry that was skipped. Letters in `keep` are not replaced.
    QStringList addEntries(const QString& entries, const QList<QChar>& keep = {});

    // The native path of a Windows-form path "X:\a\b" (or "X:/a/b"), with
    // every component that does not exist under its exact name looked up
    // without regard to case. Components that match nothing stay as given, so
    // the result names a file that does not exist. "." and ".." are resolved
    // by name and ".." never leaves the drive root. Returns nothing for a path
    // that is not on a drive or on an unmapped drive.
    std::optional<QString> toNative(const QString& windowsPath) const;

    // True when the Windows-form path names an existing file or folder.
    bool exists(const QString& windowsPath) const;

    // The Windows form of a native path, on the drive with the longest root
    // that contains it (the lowest letter on a tie). Returns nothing when no
    // drive holds it.
    std::optional<QString> toWindows(const QString& nativePath) const;

private:
    QMap<QChar, QString> m_roots;  // upper-case letter -> clean absolute folder
};

// True when `path` begins with a drive letter and a colon ("D:...").
bool hasDriveLetter(const QString& path);

}  // namespace platform
