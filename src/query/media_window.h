#pragma once

#include "query/media_links.h"

#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class QListWidget;
class QTabWidget;
class QWidget;

namespace platform {
class DriveTable;
class WebView;
}  // namespace platform

namespace query {

// The media window TForm12 (a photo, a film or sound, and the lists of the
// other photos and films a record names) and the document window TForm18.
// The names come from the first record of the last identify; files are
// looked for beside the theme (Windows paths through the drive table).
// Controls are built into the windows the program created for them.
class MediaWindow : public QObject {
    Q_OBJECT
public:
    // Plays a film or sound file (native path).
    using Player = std::function<void(const QString& nativePath)>;

    MediaWindow(QWidget& mediaForm, QWidget& documentForm, const platform::DriveTable& drives);
    ~MediaWindow() override;

    // Replaces the embedded player (tests record the file instead).
    void setPlayer(Player player) { m_player = std::move(player); }

    // At every map click: the current photo, the two lists and the found
    // marks go; the current film and document stay.
    void clear();
    // The names of an identified record, with the theme's folder.
    void setNames(const MediaNames& names, const QString& folder);
    const MediaNames& names() const { return m_names; }

    // "Foto", "Filme/Som" and "Doc/Legenda" of the attribute window.
    void showPhoto();
    void playFilm();
    void showDocument();
    // A mouse press on a page's tab.
    void tabPressed(int page);
    // Closes both windows.
    void close();

    enum Page { PhotoPage = 0, FilmPage = 1, PhotosPage = 2, FilmsPage = 3 };
    QTabWidget* PageControl1 = nullptr;
    QLabel* Image1 = nullptr;                  // the photo
    QWidget* Panel1 = nullptr;                 // the film's display
    QListWidget* ListBox1 = nullptr;           // other photos
    QListWidget* ListBox2 = nullptr;           // other films
    platform::WebView* WebBrowser1 = nullptr;  // TForm18's document view

private:
    // Native path of a Windows-form media file; empty when it does not exist.
    QString existing(const QString& windowsPath) const;
    bool loadPhoto();
    void startFilm(const QString& nativePath);
    void playWithEmbeddedPlayer(const QString& nativePath);

    QWidget& m_mediaForm;
    QWidget& m_documentForm;
    const platform::DriveTable& m_drives;
    MediaNames m_names;
    QString m_folder;
    Player m_player;
    class EmbeddedPlayer;
    EmbeddedPlayer* m_embedded = nullptr;
};

}  // namespace query
