#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

// The help pages the run command installs: each is an HTML page of its own
// number, in UTF-8.
TEST(HelpPages, theInstalledPagesAreThere) {
    const QDir pages(QStringLiteral(QUELVORA_HELP_PAGES));
    for (const char* page : {"1", "2", "7", "9", "12", "13", "15"}) {
        QFile file(pages.filePath(QString::fromLatin1(page) + ".htm"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page;
        const QByteArray html = file.readAll();
        EXPECT_TRUE(html.contains("<meta charset=\"utf-8\">")) << page;
        EXPECT_TRUE(html.contains(QByteArray("página ") + page + ".</small>")) << page;
    }
}
