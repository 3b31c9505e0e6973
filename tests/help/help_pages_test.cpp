#include "help/help_index.h"
#include "help/help_window.h"
#include "platform/web_view.h"
#include "support/temp_drives.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

// The help pages as the build makes them: the folder the program reads
// beside its executable and the install copies.
namespace {

const QDir& pagesFolder() {
    static const QDir folder(QStringLiteral(QUELVORA_HELP_PAGES));
    return folder;
}

QByteArray readPage(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString pageTitle(const QByteArray& html) {
    static const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"),
                                          QRegularExpression::CaseInsensitiveOption);
    return title.match(QString::fromUtf8(html)).captured(1).trimmed();
}

// Every href and src value of a page.
QStringList references(const QByteArray& html) {
    static const QRegularExpression attribute(
        QStringLiteral("\\b(?:href|src)\\s*=\\s*\"([^\"]*)\""),
        QRegularExpression::CaseInsensitiveOption);
    QStringList found;
    for (const QRegularExpressionMatch& m : attribute.globalMatch(QString::fromUtf8(html))) {
        found.append(m.captured(1));
    }
    return found;
}

QStringList pageFiles() {
    return pagesFolder().entryList({QStringLiteral("*.htm")}, QDir::Files, QDir::Name);
}

}  // namespace

TEST(HelpPages, everyIndexEntryOpensAnExistingPageWithATitle) {
    support::TempDrives drives;  // an empty configuration folder
    QWidget helpForm;
    QWidget creditsForm;
    help::HelpWindow help(helpForm, creditsForm, 'C', drives.table(), pagesFolder().path());
    QSet<QString> pages;
    for (const QString& entry : help::helpIndex()) {
        help.choose(entry);
        const QString page = help::entryPage(entry);
        pages.insert(page);
        EXPECT_TRUE(help.WebBrowser1->errorText().isEmpty()) << entry.toStdString();
        EXPECT_EQ(help.WebBrowser1->address(), pagesFolder().filePath(page + ".htm"));
        EXPECT_FALSE(pageTitle(help.WebBrowser1->content()).isEmpty()) << entry.toStdString();
    }
    EXPECT_EQ(pages.size(), 29);  // every page from 1 to 30 but 24
    // Page 24, which no entry names, is there too: the pages in order.
    for (int page = 1; page <= 30; ++page) {
        const QByteArray html = readPage(pagesFolder().filePath(QString::number(page) + ".htm"));
        EXPECT_FALSE(pageTitle(html).isEmpty()) << page;
        EXPECT_TRUE(html.contains("<meta charset=\"utf-8\">")) << page;
        EXPECT_TRUE(html.contains("<html lang=\"pt-BR\">")) << page;
    }
}

TEST(HelpPages, everyFileAPageNamesExists) {
    int pictures = 0;
    for (const QString& name : pageFiles()) {
        const QByteArray html = readPage(pagesFolder().filePath(name));
        for (const QString& reference : references(html)) {
            const QUrl url(reference);
            if (!url.isRelative() || reference.startsWith(QLatin1Char('#'))) {
                continue;  // a web address, or a place in the page itself
            }
            const QString file = pagesFolder().filePath(url.path());
            EXPECT_TRUE(QFile::exists(file))
                << name.toStdString() << " names " << reference.toStdString();
            if (file.endsWith(QLatin1String(".png"))) {
                ++pictures;
                EXPECT_FALSE(QImage(file).isNull()) << reference.toStdString();
            }
        }
    }
    EXPECT_GE(pictures, 12);
}

TEST(HelpPages, picturesAreSmallAndEachIsShownByAPage) {
    QSet<QString> named;
    for (const QString& name : pageFiles()) {
        for (const QString& reference : references(readPage(pagesFolder().filePath(name)))) {
            named.insert(QUrl(reference).path());
        }
    }
    QDirIterator it(pagesFolder().path(), {QStringLiteral("*.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        EXPECT_LE(QFileInfo(file).size(), 80 * 1024) << file.toStdString();
        EXPECT_TRUE(named.contains(pagesFolder().relativeFilePath(file))) << file.toStdString();
    }
}

TEST(HelpPages, theViewerFindsThePicturesOfAPage) {
    support::TempDrives drives;
    QWidget helpForm;
    QWidget creditsForm;
    help::HelpWindow help(helpForm, creditsForm, 'C', drives.table(), pagesFolder().path());
    auto* browser = help.WebBrowser1->findChild<QTextBrowser*>(QStringLiteral("browser"));
    ASSERT_NE(browser, nullptr);
    int shown = 0;
    for (int page = 1; page <= 30; ++page) {
        help.choose(QStringLiteral("x *") + QString::number(page));
        for (const QString& reference : references(help.WebBrowser1->content())) {
            if (!reference.endsWith(QLatin1String(".png"))) continue;
            const QVariant picture =
                browser->loadResource(QTextDocument::ImageResource, QUrl(reference));
            EXPECT_TRUE(picture.isValid()) << page << " " << reference.toStdString();
            ++shown;
        }
    }
    EXPECT_GE(shown, 12);
}

TEST(HelpPages, thePagesAboutTheProgramAreOneWithItsVersionAndLicence) {
    const QByteArray program = readPage(pagesFolder().filePath("25.htm"));
    EXPECT_TRUE(program.contains("Versão " QUELVORA_TEST_VERSION)) << program.toStdString();
    EXPECT_TRUE(program.contains("ainda não escolheram uma licença de distribuição"));
    EXPECT_FALSE(program.contains('@'));  // no placeholder left
    for (const char* page : {"20", "21", "22", "23"}) {
        EXPECT_EQ(readPage(pagesFolder().filePath(QString::fromLatin1(page) + ".htm")), program)
            << page;
    }
}

TEST(HelpPages, aLinkToAnotherPageOpensItThroughTheLookUp) {
    support::TempDrives drives;
    QDir().mkpath(drives.configFolder());
    drives.writeFile("C:\\xquelvora\\9.htm",
                     "<html><head><title>Consultas do usuario</title></head></html>");
    QWidget helpForm;
    QWidget creditsForm;
    help::HelpWindow help(helpForm, creditsForm, 'C', drives.table(), pagesFolder().path());
    auto* browser = help.WebBrowser1->findChild<QTextBrowser*>(QStringLiteral("browser"));
    ASSERT_NE(browser, nullptr);

    help.choose(QStringLiteral("o programa Quelvora *25"));
    ASSERT_TRUE(references(help.WebBrowser1->content()).contains("9.htm"));
    emit browser->anchorClicked(QUrl(QStringLiteral("9.htm")));
    // The configuration folder's page wins, as it does from the index.
    EXPECT_EQ(pageTitle(help.WebBrowser1->content()), "Consultas do usuario");
    EXPECT_EQ(help.currentPage(), "9.HTM");
    emit browser->anchorClicked(QUrl(QStringLiteral("25.htm")));
    EXPECT_EQ(help.WebBrowser1->address(), pagesFolder().filePath("25.htm"));
    EXPECT_EQ(help.currentPage(), "25.HTM");
}
