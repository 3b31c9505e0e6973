#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace platform {

// A small embedded viewer for the HTML pages of remote services, legends,
// help and record pages, with a button that opens the page in the desktop's
// browser. It remembers the address it was given and the content it shows, so
// the program (and its tests) can read them back. It does not fetch remote
// pages itself: the owner installs a fetcher (the program's download helper).
class WebView : public QWidget {
    Q_OBJECT
public:
    // Returns the page's bytes, or nothing with *error set.
    using Fetcher = std::function<std::optional<QByteArray>(const QString& url, QString* error)>;
    using BrowserOpener = std::function<void(const QUrl& url)>;
    // Given a followed link first; true when it took the link itself.
    using LinkHandler = std::function<bool(const QUrl& link)>;

    explicit WebView(QWidget* parent = nullptr);

    void setFetcher(Fetcher fetcher) { m_fetcher = std::move(fetcher); }
    // Replaces the desktop's browser (tests record the address instead).
    void setBrowserOpener(BrowserOpener opener) { m_openBrowser = std::move(opener); }
    // Takes the links the user follows before the view does (the help window
    // looks its pages up by number).
    void setLinkHandler(LinkHandler handler) { m_linkHandler = std::move(handler); }

    // Shows the page at `address`: a local file (a "file:" address or an
    // absolute path, found or not) is read directly, any other address goes
    // through the fetcher. The address is kept as given.
    void load(const QString& address);
    // Shows `html` as the page of `address` without fetching anything.
    void setContent(const QString& address, const QByteArray& html);
    // Shows `picture`, decoded by the caller from `bytes`, as what `address`
    // answered; content() gives the bytes.
    void setPicture(const QString& address, const QByteArray& bytes, const QImage& picture);
    // Shows only the plain `reason` in place of what `address` would show (a
    // legend that did not come, a help page that is not installed); nothing
    // counts as loaded and errorText() is `reason`.
    void setFailure(const QString& address, const QString& reason);

    QString address() const { return m_address; }
    QByteArray content() const { return m_content; }
    QString errorText() const { return m_error; }
    // The picture shown; null when a page (or nothing) is shown.
    QImage picture() const { return m_picture; }

    // Writes the page shown, byte for byte as it came, to `nativePath`. Fails
    // when no page is shown (nothing loaded, or the load failed) or the file
    // cannot be written; an earlier file of that name is then kept.
    Result saveContent(const QString& nativePath) const;

    // Opens the current address in the desktop's browser.
    void openInBrowser();

    // Addresses as the Windows browser control takes them: "http:\\host\a\b?x=\y"
    // becomes "http://host/a/b?x=\y" (backslashes before the query turn into
    // slashes; the query is left alone).
    static QString normalisedAddress(const QString& address);

private:
    void setAddress(const QString& address);
    // A followed link: a relative one of a local page names a file beside
    // that page; any other is loaded as it is.
    void followLink(const QUrl& link);
    void show(const QByteArray& html);
    void showPicture(const QImage& picture);

    QTextBrowser* m_browser = nullptr;
    QLabel* m_addressLabel = nullptr;
    QPushButton* m_openButton = nullptr;
    Fetcher m_fetcher;
    BrowserOpener m_openBrowser;
    LinkHandler m_linkHandler;
    QString m_address;
    QByteArray m_content;
    QImage m_picture;
    QString m_error;
};

}  // namespace platform
