#include "query/media_window.h"

#include "platform/drives.h"
#include "platform/web_view.h"

#include <QAudioOutput>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMediaPlayer>
#include <QPixmap>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoWidget>

namespace query {

// The platform's player in the "Filme" page. A file it cannot play goes to
// the desktop's default player instead.
class MediaWindow::EmbeddedPlayer : public QObject {
public:
    explicit EmbeddedPlayer(QWidget& display) : QObject(&display) {
        auto* video = new QVideoWidget(&display);
        display.layout()->addWidget(video);
        m_player.setAudioOutput(&m_audio);
        m_player.setVideoOutput(video);
        connect(&m_player, &QMediaPlayer::errorOccurred, this,
                [this] { QDesktopServices::openUrl(m_player.source()); });
    }
    void play(const QString& nativePath) {
        m_player.setSource(QUrl::fromLocalFile(nativePath));
        m_player.play();
    }

private:
    QMediaPlayer m_player;
    QAudioOutput m_audio;
};

MediaWindow::MediaWindow(QWidget& mediaForm, QWidget& documentForm,
                         const platform::DriveTable& drives)
    : m_mediaForm(mediaForm), m_documentForm(documentForm), m_drives(drives) {
    auto* layout = new QVBoxLayout(&mediaForm);
    PageControl1 = new QTabWidget(&mediaForm);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);

    Image1 = new QLabel(PageControl1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(true);
    PageControl1->addTab(Image1, QStringLiteral("Foto"));

    Panel1 = new QWidget(PageControl1);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    new QVBoxLayout(Panel1);
    PageControl1->addTab(Panel1, QStringLiteral("Filme"));

    const auto listPage = [this](QListWidget*& list, const char* name, const char* label,
                                 const char* title) {
        auto* page = new QWidget(PageControl1);
        auto* pageLayout = new QVBoxLayout(page);
        list = new QListWidget(page);
        list->setObjectName(QLatin1String(name));
        pageLayout->addWidget(list, 1);
        auto* text = new QLabel(QString::fromUtf8(label), page);
        text->setWordWrap(true);
        pageLayout->addWidget(text);
        PageControl1->addTab(page, QString::fromUtf8(title));
    };
    listPage(ListBox1, "ListBox1",
             "Clique na lista de fotos e depois na aba foto para visualiza-la", "Outras_fotos");
    listPage(ListBox2, "ListBox2",
             "Clique  na lista de filmes e depois na aba filme para viisualiza-lo",
             "Outros_filmes");
    connect(ListBox1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { m_names.photo = item->text(); });
    connect(ListBox2, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { m_names.film = item->text(); });
    connect(PageControl1->tabBar(), &QTabBar::tabBarClicked, this, &MediaWindow::tabPressed);
    mediaForm.resize(520, 440);

    auto* documentLayout = new QVBoxLayout(&documentForm);
    WebBrowser1 = new platform::WebView(&documentForm);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    documentLayout->addWidget(WebBrowser1);
    documentForm.resize(640, 480);

    m_player = [this](const QString& nativePath) { playWithEmbeddedPlayer(nativePath); };
}

MediaWindow::~MediaWindow() = default;

void MediaWindow::playWithEmbeddedPlayer(const QString& nativePath) {
    if (!m_embedded) {
        m_embedded = new EmbeddedPlayer(*Panel1);
    }
    m_embedded->play(nativePath);
}

void MediaWindow::clear() {
    // The film and the document stay: the attribute window's "Filme/Som"
    // and "Doc/Legenda" keep working after a click elsewhere on the map.
    m_names.photo.clear();
    m_names.photos.clear();
    m_names.films.clear();
    m_names.hasPhoto = m_names.hasFilm = m_names.hasDocument = false;
    ListBox1->clear();
    ListBox2->clear();
}

void MediaWindow::setNames(const MediaNames& names, const QString& folder) {
    m_names = names;
    m_folder = folder;
    ListBox1->clear();
    ListBox1->addItems(names.photos);
    ListBox2->clear();
    ListBox2->addItems(names.films);
}

QString MediaWindow::existing(const QString& windowsPath) const {
    if (windowsPath.isEmpty()) {
        return {};
    }
    const std::optional<QString> native = m_drives.toNative(windowsPath);
    return native && QFileInfo(*native).isFile() ? *native : QString();
}

bool MediaWindow::loadPhoto() {
    const QString file = existing(photoFile(m_folder, m_names.photo));
    if (file.isEmpty()) {
        return false;
    }
    Image1->setPixmap(QPixmap(file));
    return true;
}

void MediaWindow::showPhoto() {
    if (!loadPhoto()) {
        return;
    }
    m_mediaForm.show();
    m_mediaForm.raise();
    m_mediaForm.activateWindow();
    PageControl1->setCurrentIndex(PhotoPage);
}

void MediaWindow::startFilm(const QString& nativePath) {
    m_mediaForm.show();
    m_mediaForm.raise();
    m_mediaForm.activateWindow();
    PageControl1->setCurrentIndex(FilmPage);
    if (m_player) m_player(nativePath);
}

void MediaWindow::playFilm() {
    const QString file = filmFile(
        m_folder, m_names.film, [this](const QString& path) { return !existing(path).isEmpty(); });
    if (!file.isEmpty()) {
        startFilm(existing(file));
    }
}

void MediaWindow::showDocument() {
    if (m_names.document.isEmpty()) {
        return;
    }
    const QString file = existing(documentFile(m_folder, m_names.document));
    if (file.isEmpty()) {
        return;
    }
    WebBrowser1->load(file);
    m_names.document.clear();  // opened once until the next identify names it again
    m_documentForm.show();
    m_documentForm.raise();
}

void MediaWindow::tabPressed(int page) {
    if (page == PhotoPage) {
        loadPhoto();
    } else if (page == FilmPage) {
        const QString file = existing(aviFile(m_folder, m_names.film));
        if (!file.isEmpty()) {
            startFilm(file);
        }
    }
}

void MediaWindow::close() {
    m_mediaForm.close();
    m_documentForm.close();
}

}  // namespace query
