#include "platform/web_view.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <utility>

TEST(WebView, backslashesTurnIntoSlashesBeforeTheQueryOnly) {
    EXPECT_EQ(
        platform::WebView::normalisedAddress("http:\\\\host:81\\pls\\vorn\\k.cadastro?p=a\\b"),
        "http://host:81/pls/vorn/k.cadastro?p=a\\b");
    EXPECT_EQ(platform::WebView::normalisedAddress("http://host/a b"), "http://host/a b");
}

TEST(WebView, remoteAddressIsFetchedAndRemembered) {
    platform::WebView view;
    QString asked;
    view.setFetcher([&asked](const QString& url, QString*) -> std::optional<QByteArray> {
        asked = url;
        return QByteArray("<html><body><p>Amostra QV-0001</p></body></html>");
    });
    view.load("http:\\\\gateway\\pls\\vorn\\x?p_amostra=QV-0001");
    EXPECT_EQ(asked, "http://gateway/pls/vorn/x?p_amostra=QV-0001");
    EXPECT_EQ(view.address(), "http:\\\\gateway\\pls\\vorn\\x?p_amostra=QV-0001");
    EXPECT_TRUE(view.content().contains("QV-0001"));
    EXPECT_TRUE(
        view.findChild<QTextBrowser*>("browser")->toPlainText().contains("Amostra QV-0001"));
}

TEST(WebView, failedFetchShowsTheReasonAndKeepsTheAddress) {
    platform::WebView view;
    view.setFetcher([](const QString&, QString* error) -> std::optional<QByteArray> {
        *error = "HTTP status 500";
        return std::nullopt;
    });
    view.load("http://gateway/x");
    EXPECT_EQ(view.address(), "http://gateway/x");
    EXPECT_TRUE(view.content().isEmpty());
    EXPECT_TRUE(
        view.findChild<QTextBrowser*>("browser")->toPlainText().contains("HTTP status 500"));
}

TEST(WebView, localPagesAreReadWithTheirDeclaredOrGuessedEncoding) {
    QTemporaryDir dir;
    QFile page(dir.filePath("01.htm"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><body>Geologia do Cr\xe1ton</body></html>");  // Windows-1252, undeclared
    page.close();
    platform::WebView view;
    view.load(page.fileName());
    EXPECT_TRUE(view.findChild<QTextBrowser*>("browser")->toPlainText().contains(
        QString::fromUtf8("Cráton")));

    view.setContent("about:x",
                    "<html><head><meta charset=\"utf-8\"></head><body>Cr\xc3\xa1ton</body></html>");
    EXPECT_TRUE(view.findChild<QTextBrowser*>("browser")->toPlainText().contains(
        QString::fromUtf8("Cráton")));
}

TEST(WebView, openInBrowserButtonOpensTheNormalisedAddress) {
    platform::WebView view;
    QList<QUrl> opened;
    view.setBrowserOpener([&opened](const QUrl& url) { opened.append(url); });
    view.setContent("http:\\\\gateway\\page.htm", "<p>x</p>");
    QTest::mouseClick(view.findChild<QPushButton*>("openInBrowser"), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().toString(), "http://gateway/page.htm");
}

TEST(WebView, savedSourceIsThePageAsItCameAndNothingShownSavesNothing) {
    QTemporaryDir dir;
    const QString target = dir.filePath("pagina.htm");
    platform::WebView view;
    EXPECT_FALSE(view.saveContent(target));  // nothing loaded yet
    EXPECT_FALSE(QFile::exists(target));

    const QByteArray page("<html>\r\n<body>\r\n<p>\r\nresultado: pesq\xe1.txt\r\n");
    view.setContent("http://gateway/x", page);
    ASSERT_TRUE(view.saveContent(target));
    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), page);  // bytes, line ends and encoding untouched
    saved.close();
    EXPECT_FALSE(view.saveContent(dir.filePath("no/such/folder/x.htm")));

    // A failed load shows its reason and leaves the earlier file alone.
    view.setFetcher([](const QString&, QString* error) -> std::optional<QByteArray> {
        *error = "HTTP status 404";
        return std::nullopt;
    });
    view.load("http://gateway/y");
    const platform::Result failed = view.saveContent(target);
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.detail, "HTTP status 404");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), page);
}

TEST(WebView, aPictureIsShownForItsAddressAndAFailureReplacesIt) {
    platform::WebView view;
    QList<QUrl> opened;
    view.setBrowserOpener([&opened](const QUrl& url) { opened.append(url); });
    QImage legend(12, 6, QImage::Format_RGB32);
    legend.fill(QColor(200, 60, 40));
    const QByteArray bytes("\x89PNG as it came");
    view.setPicture("http://srv/wms?request=GetLegendGraphic&layer=a", bytes, legend);
    EXPECT_EQ(view.picture(), legend);
    EXPECT_EQ(view.content(), bytes);
    EXPECT_TRUE(view.findChild<QTextBrowser*>("browser")->toHtml().contains("<img"));
    QTest::mouseClick(view.findChild<QPushButton*>("openInBrowser"), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().toString(), "http://srv/wms?request=GetLegendGraphic&layer=a");

    // Nothing of the earlier picture stays once a failure is shown.
    view.setFailure("http://srv/wms?request=GetLegendGraphic&layer=b", "Layer b not found");
    EXPECT_TRUE(view.picture().isNull());
    EXPECT_TRUE(view.content().isEmpty());
    EXPECT_EQ(view.errorText(), "Layer b not found");
    const QString text = view.findChild<QTextBrowser*>("browser")->toPlainText();
    EXPECT_TRUE(text.contains("Layer b not found")) << text.toStdString();
    EXPECT_FALSE(view.saveContent(QDir::temp().filePath("nada.htm")));

    // A page after a picture is a page.
    view.setPicture("http://srv/a", bytes, legend);
    view.setContent("http://srv/b", "<p>texto</p>");
    EXPECT_TRUE(view.picture().isNull());
}

TEST(WebView, aLocalFileThatIsMissingIsNeverFetched) {
    QTemporaryDir dir;
    platform::WebView view;
    bool fetched = false;
    view.setFetcher([&fetched](const QString&, QString*) -> std::optional<QByteArray> {
        fetched = true;
        return QByteArray("<p>remota</p>");
    });
    const QString missing = dir.filePath("4.htm");
    view.load(missing);
    EXPECT_FALSE(fetched);
    EXPECT_EQ(view.address(), missing);
    EXPECT_TRUE(view.content().isEmpty());
    EXPECT_EQ(view.findChild<QTextBrowser*>("browser")->toPlainText(),
              QString::fromUtf8("Não foi possível abrir %1\no arquivo não existe").arg(missing));

    // A notice stands in for a page that is not there; nothing is loaded.
    view.setFailure(missing, QString::fromUtf8("A página não está instalada"));
    EXPECT_EQ(view.findChild<QTextBrowser*>("browser")->toPlainText(),
              QString::fromUtf8("A página não está instalada"));
    EXPECT_TRUE(view.content().isEmpty());
    EXPECT_FALSE(view.saveContent(dir.filePath("x.htm")));
}

TEST(WebView, aRelativeLinkOfALocalPageNamesAFileBesideIt) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("img"));
    for (const auto& [name, text] : {std::pair{"1.htm", "<a href=\"img/2.htm\">2</a>"},
                                     std::pair{"img/2.htm", "<p>segunda</p>"}}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    platform::WebView view;
    bool fetched = false;
    view.setFetcher([&fetched](const QString&, QString*) -> std::optional<QByteArray> {
        fetched = true;
        return QByteArray();
    });
    auto* browser = view.findChild<QTextBrowser*>("browser");
    view.load(dir.filePath("1.htm"));
    emit browser->anchorClicked(QUrl("img/2.htm"));
    EXPECT_EQ(view.address(), dir.filePath("img/2.htm"));
    EXPECT_TRUE(view.content().contains("segunda"));
    EXPECT_FALSE(fetched);

    // A link the owner takes never reaches the view; one it leaves does.
    QList<QUrl> taken;
    view.setLinkHandler([&taken](const QUrl& link) {
        taken << link;
        return link.scheme() == "ajuda";
    });
    emit browser->anchorClicked(QUrl("ajuda:9"));
    EXPECT_EQ(view.address(), dir.filePath("img/2.htm"));
    emit browser->anchorClicked(QUrl("http://exemplo.invalid/p"));
    EXPECT_EQ(view.address(), "http://exemplo.invalid/p");
    EXPECT_TRUE(fetched);
    EXPECT_EQ(taken.size(), 2);
}
