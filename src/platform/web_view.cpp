#include "platform/web_view.h"

#include "platform/text_codec.h"
#include "platform/text_file.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStringConverter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

#include <cctype>

namespace platform {

namespace {

// The local file an address names, or nothing for a remote address.
std::optional<QString> localFile(const QString& address) {
    const QUrl url(WebView::normalisedAddress(address));
    if (url.isLocalFile()) {
        return url.toLocalFile();
    }
    if (address.startsWith(QLatin1Char('/'))) {
        return address;  // a missing file is no address to fetch
    }
    return std::nullopt;
}

// The charset a page declares in its first kilobyte ("charset=utf-8"), lower case.
QByteArray declaredCharset(const QByteArray& html) {
    const QByteArray head = html.left(1024).toLower();
    const qsizetype at = head.indexOf("charset=");
    if (at < 0) {
        return {};
    }
    qsizetype begin = at + 8;
    while (begin < head.size() && (head.at(begin) == '"' || head.at(begin) == '\'')) {
        ++begin;
    }
    qsizetype end = begin;
    while (end < head.size() && (std::isalnum(static_cast<unsigned char>(head.at(end))) ||
                                 head.at(end) == '-' || head.at(end) == '_')) {
        ++end;
    }
    return head.mid(begin, end - begin);
}

// Pages come as UTF-8 from most services and as Windows-1252 from older
// Windows servers, declared or not.
QString decodePage(const QByteArray& html) {
    const std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(html);
    const QByteArray charset = declaredCharset(html);
    if (!bom && !charset.isEmpty() && charset != "utf-8" && charset != "utf8") {
        return decodeWindows1252(html);  // windows-1252, iso-8859-1 and their kin
    }
    if (bom && *bom != QStringConverter::Utf8) {
        return QStringDecoder(*bom).decode(html);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(html);
    return utf8.hasError() && charset.isEmpty() ? decodeWindows1252(html) : text;
}

}  // namespace

WebView::WebView(QWidget* parent) : QWidget(parent) {
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("browser"));
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &WebView::followLink);

    m_addressLabel = new QLabel(this);
    m_addressLabel->setObjectName(QStringLiteral("address"));
    m_addressLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Long request addresses must not widen the window past the screen.
    m_addressLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_openButton = new QPushButton(QStringLiteral("Abrir no navegador"), this);
    m_openButton->setObjectName(QStringLiteral("openInBrowser"));
    connect(m_openButton, &QPushButton::clicked, this, &WebView::openInBrowser);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_addressLabel, 1);
    bar->addWidget(m_openButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(m_browser, 1);

    m_openBrowser = [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

QString WebView::normalisedAddress(const QString& address) {
    const qsizetype query = address.indexOf(QLatin1Char('?'));
    QString head = query < 0 ? address : address.left(query);
    head.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return query < 0 ? head : head + address.mid(query);
}

void WebView::setAddress(const QString& address) {
    m_address = address;
    m_addressLabel->setText(address);
    m_error.clear();
}

void WebView::load(const QString& address) {
    setAddress(address);

    if (const std::optional<QString> path = localFile(address)) {
        QFile file(*path);
        if (file.open(QIODevice::ReadOnly)) {
            m_browser->setSearchPaths({QFileInfo(*path).absolutePath()});
            show(file.readAll());
        } else {
            m_error = file.exists() ? file.errorString() : QStringLiteral("o arquivo não existe");
            show(QByteArray());
        }
        return;
    }
    if (!m_fetcher) {
        m_error = QStringLiteral("no fetcher installed");
        show(QByteArray());
        return;
    }
    std::optional<QByteArray> page = m_fetcher(normalisedAddress(address), &m_error);
    show(page.value_or(QByteArray()));
}

void WebView::followLink(const QUrl& link) {
    if (m_linkHandler && m_linkHandler(link)) {
        return;
    }
    const std::optional<QString> page = localFile(m_address);
    if (link.isRelative() && page && !link.path().isEmpty()) {
        load(QDir::cleanPath(QFileInfo(*page).dir().filePath(link.path())));
        return;
    }
    load(link.toString());
}

void WebView::setContent(const QString& address, const QByteArray& html) {
    setAddress(address);
    show(html);
}

void WebView::setPicture(const QString& address, const QByteArray& bytes, const QImage& picture) {
    setAddress(address);
    m_content = bytes;
    showPicture(picture);
}

void WebView::setFailure(const QString& address, const QString& reason) {
    setAddress(address);
    m_error = reason;
    m_content.clear();
    m_picture = QImage();
    m_browser->setPlainText(reason);
}

void WebView::show(const QByteArray& html) {
    m_content = html;
    m_picture = QImage();
    if (html.isEmpty() && !m_error.isEmpty()) {
        m_browser->setPlainText(
            QStringLiteral("Não foi possível abrir %1\n%2").arg(m_address, m_error));
        return;
    }
    // A legend is often a picture rather than a page.
    QImage picture;
    if (!html.trimmed().startsWith('<') && picture.loadFromData(html)) {
        showPicture(picture);
        return;
    }
    m_browser->setHtml(decodePage(html));
}

void WebView::showPicture(const QImage& picture) {
    m_picture = picture;
    const QUrl name(QStringLiteral("quelvora-picture:answer"));
    m_browser->document()->addResource(QTextDocument::ImageResource, name, picture);
    m_browser->setHtml(QStringLiteral("<img src=\"%1\">").arg(name.toString()));
}

Result WebView::saveContent(const QString& nativePath) const {
    if (m_content.isEmpty()) {
        return Result::failure(QStringLiteral("Nenhuma página foi carregada"), m_error);
    }
    return writeFileAtomically(nativePath, m_content);
}

void WebView::openInBrowser() {
    if (!m_address.isEmpty()) {
        m_openBrowser(QUrl(normalisedAddress(m_address)));
    }
}

}  // namespace platform
