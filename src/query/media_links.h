#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace query {

// The media a record names through its link fields: "FOTO"/"foto" photos,
// "FILME"/"filme" films and sounds, "documento"/"DOCUMENTO" a document. The
// current name is the text before the first ";"; a value holding ";" also
// lists every name (at most kMaxNames) for photos and films.
struct MediaNames {
    static constexpr int kMaxNames = 101;

    QString photo;
    QString film;
    QString document;
    QStringList photos;
    QStringList films;

    bool hasPhoto = false;
    bool hasFilm = false;
    bool hasDocument = false;
};

// The media names of a record from its field names and values (same order).
MediaNames mediaNames(const QStringList& fields, const QStringList& values);

// The folder of a theme's file: its path (the text after the first ",")
// up to and including the last "\".
QString mediaFolder(const QString& themeLine);

// Files of the media names, in Windows form, beside the theme; nothing (an
// empty text) for a name that would leave the theme's folder (a "..", a
// drive, a leading "\" or "/") so that a table cannot open files elsewhere.
QString photoFile(const QString& folder, const QString& name);
QString documentFile(const QString& folder, const QString& name);
// The film's ".avi", else ".midi", else ".wav" file: the first that
// `exists`; empty when none does.
QString filmFile(const QString& folder, const QString& name,
                 const std::function<bool(const QString&)>& exists);
// The ".avi" file only, as the pages' tabs look for it.
QString aviFile(const QString& folder, const QString& name);

}  // namespace query
