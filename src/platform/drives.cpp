#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

#include <dirent.h>

namespace platform {

namespace {

QChar driveKey(QChar letter) {
    return letter.toUpper();
}

bool isDriveLetter(QChar c) {
    return c.isLetter() && c.unicode() < 0x80;
}

// The entry of `folder` named `name`, or one that differs from it only in case.
QString matchComponent(const QString& folder, const QString& name) {
    const QString exact = folder + QLatin1Char('/') + name;
    if (QFileInfo::exists(exact)) {
        return name;
    }
    // readdir rather than QDir: no sorting and no stat per entry, which
    // matters in folders holding thousands of files.
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(QFile::encodeName(folder).constData()),
                                            ::closedir);
    if (!dir) {
        return name;
    }
    QString found;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QString candidate = QFile::decodeName(entry->d_name);
        if (candidate.compare(name, Qt::CaseInsensitive) == 0 &&
            (found.isEmpty() || candidate < found)) {
            found = candidate;  // the lowest of several spellings, so the choice is stable
        }
    }
    return found.isEmpty() ? name : found;
}

}  // namespace

bool hasDriveLetter(const QString& path) {
    return path.size() >= 2 && isDriveLetter(path.at(0)) && path.at(1) == QLatin1Char(':');
}

DriveTable DriveTable::withDefaults(const QString& homeFolder) {
    DriveTable table;
    table.setRoot(QLatin1Char('C'), homeFolder);
    table.setRoot(QLatin1Char('Z'), QStringLiteral("/"));
    return table;
}

void DriveTable::setRoot(QChar letter, const QString& root) {
    m_roots.insert(driveKey(letter), QDir::cleanPath(QDir(root).absolutePath()));
}

std::optional<QString> DriveTable::root(QChar letter) const {
    const auto it = m_roots.constFind(driveKey(letter));
    if (it == m_roots.constEnd()) {
        return std::nullopt;
    }
    return *it;
}

QStringList DriveTable::addEntries(const QString& entries, const QList<QChar>& keep) {
    QStringList warnings;
    QString normalised = entries;
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    normalised.replace(QLatin1Char(';'), QLatin1Char('\n'));
    for (const QString& raw : normalised.split(QLatin1Char('\n'))) {
        const QString entry = raw.trimmed();
        if (entry.isEmpty() || entry.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        const QString letter =
            eq < 0 ? QString() : entry.left(eq).trimmed().remove(QLatin1Char(':'));
        const QString root = eq < 0 ? QString() : entry.mid(eq + 1).trimmed();
        if (letter.size() != 1 || !isDriveLetter(letter.at(0))) {
            warnings.append(
                QStringLiteral("drive entry \"%1\" skipped: not of the form X=/folder").arg(entry));
            continue;
        }
        if (!root.startsWith(QLatin1Char('/'))) {
            warnings.append(
                QStringLiteral("drive entry \"%1\" skipped: the folder must be an absolute path")
                    .arg(entry));
            continue;
        }
        if (root.contains(QChar(u'\0'))) {
            warnings.append(
                QStringLiteral("drive entry \"%1\" skipped: the folder name holds a NUL character")
                    .arg(entry));
            continue;
        }
        if (keep.contains(driveKey(letter.at(0)))) {
            continue;
        }
        setRoot(letter.at(0), root);
    }
    return warnings;
}

std::optional<QString> DriveTable::toNative(const QString& windowsPath) const {
    if (!hasDriveLetter(windowsPath)) {
        return std::nullopt;
    }
    const std::optional<QString> driveRoot = root(windowsPath.at(0));
    if (!driveRoot) {
        return std::nullopt;
    }
    QString rest = windowsPath.mid(2);
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));

    QStringList components;
    for (const QString& part : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".")) {
            continue;
        }
        if (part == QLatin1String("..")) {
            if (!components.isEmpty()) {
                components.removeLast();
            }
            continue;
        }
        components.append(part);
    }

    QString path = *driveRoot == QLatin1String("/") ? QString() : *driveRoot;
    bool resolving = true;  // stop looking once a component is missing
    for (const QString& part : components) {
        const QString folder = path.isEmpty() ? QStringLiteral("/") : path;
        // No file name on disk holds a NUL, and asking about one only draws warnings.
        resolving = resolving && !part.contains(QChar(u'\0'));
        const QString name = resolving ? matchComponent(folder, part) : part;
        path += QLatin1Char('/') + name;
        resolving = resolving && QFileInfo::exists(path);
    }
    return path.isEmpty() ? QStringLiteral("/") : path;
}

bool DriveTable::exists(const QString& windowsPath) const {
    const std::optional<QString> native = toNative(windowsPath);
    return native && !native->contains(QChar(u'\0')) && QFileInfo::exists(*native);
}

std::optional<QString> DriveTable::toWindows(const QString& nativePath) const {
    if (nativePath.contains(QChar(u'\0'))) {
        return std::nullopt;  // no file on any drive can have this name
    }
    const QString path = QDir::cleanPath(QDir(nativePath).absolutePath());
    std::optional<QChar> best;
    qsizetype bestLength = -1;
    for (auto it = m_roots.constBegin(); it != m_roots.constEnd(); ++it) {
        const QString& root = it.value();
        const bool contains =
            root == QLatin1String("/") || path == root || path.startsWith(root + QLatin1Char('/'));
        if (contains && root.size() > bestLength) {  // QMap order: lowest letter wins ties
            best = it.key();
            bestLength = root.size();
        }
    }
    if (!best) {
        return std::nullopt;
    }
    const QString root = *m_roots.constFind(*best);
    QString rest = root == QLatin1String("/") ? path.mid(1) : path.mid(root.size() + 1);
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QString(*best) + QStringLiteral(":\\") + rest;
}

}  // namespace platform
