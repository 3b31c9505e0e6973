#include "query/media_links.h"

namespace query {

namespace {

QString firstName(const QString& value) {
    const qsizetype semicolon = value.indexOf(QLatin1Char(';'));
    return semicolon < 0 ? value : value.left(semicolon);
}

QStringList allNames(const QString& value) {
    if (!value.contains(QLatin1Char(';'))) {
        return {};
    }
    return value.split(QLatin1Char(';')).mid(0, MediaNames::kMaxNames);
}

bool staysInFolder(const QString& name) {
    if (name.isEmpty() || name.startsWith(QLatin1Char('\\')) || name.startsWith(QLatin1Char('/')) ||
        name.contains(QLatin1Char(':'))) {
        return false;
    }
    QString normal = name;
    normal.replace(QLatin1Char('/'), QLatin1Char('\\'));
    for (const QString& part : normal.split(QLatin1Char('\\'))) {
        if (part == QLatin1String("..")) {
            return false;
        }
    }
    return true;
}

QString fileOf(const QString& folder, const QString& name, const char* extension) {
    return staysInFolder(name) ? folder + name + QLatin1String(extension) : QString();
}

}  // namespace

MediaNames mediaNames(const QStringList& fields, const QStringList& values) {
    MediaNames names;
    for (qsizetype i = 0; i < fields.size() && i < values.size(); ++i) {
        const QString& field = fields[i];
        const QString& value = values[i];
        if (value.isEmpty()) {
            continue;
        }
        if (field == QLatin1String("FOTO") || field == QLatin1String("foto")) {
            names.photo = firstName(value);
            names.photos = allNames(value);
            names.hasPhoto = true;
        } else if (field == QLatin1String("FILME") || field == QLatin1String("filme")) {
            names.film = firstName(value);
            names.films = allNames(value);
            names.hasFilm = true;
        } else if (field == QLatin1String("documento") || field == QLatin1String("DOCUMENTO")) {
            names.document = firstName(value);
            names.hasDocument = true;
        }
    }
    return names;
}

QString mediaFolder(const QString& themeLine) {
    const qsizetype comma = themeLine.indexOf(QLatin1Char(','));
    const QString path = comma < 0 ? themeLine : themeLine.mid(comma + 1);
    return path.left(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

QString photoFile(const QString& folder, const QString& name) {
    return fileOf(folder, name, ".jpg");
}

QString documentFile(const QString& folder, const QString& name) {
    return fileOf(folder, name, ".htm");
}

QString aviFile(const QString& folder, const QString& name) {
    return fileOf(folder, name, ".avi");
}

QString filmFile(const QString& folder, const QString& name,
                 const std::function<bool(const QString&)>& exists) {
    for (const char* extension : {".avi", ".midi", ".wav"}) {
        const QString file = fileOf(folder, name, extension);
        if (!file.isEmpty() && exists(file)) {
            return file;
        }
    }
    return {};
}

}  // namespace query
