#include "help/help_index.h"

#include <gtest/gtest.h>

TEST(HelpIndex, holdsAHundredEntriesOfKeywordStarAndPage) {
    const QStringList& entries = help::helpIndex();
    EXPECT_EQ(entries.size(), 100);
    EXPECT_EQ(help::entryPage(entries.front()), "9");
    EXPECT_EQ(help::entryPage("  zoom coordenadas        *30  "), "30");
}

TEST(HelpIndex, searchIsLowerCaseContainsWithThePageNumber) {
    EXPECT_EQ(help::searchHelpIndex("zoom").size(), 8);
    EXPECT_EQ(help::searchHelpIndex("ZOOM").size(), 8);
    const QStringList nines = help::searchHelpIndex("9");
    for (const QString& entry : nines) {
        const QString page = help::entryPage(entry);
        EXPECT_TRUE(page == "9" || page == "19" || page == "29") << entry.toStdString();
    }
    int expected = 0;
    for (const QString& entry : help::helpIndex()) {
        const QString page = help::entryPage(entry);
        expected += page == "9" || page == "19" || page == "29";
    }
    EXPECT_EQ(nines.size(), expected);
    EXPECT_EQ(help::searchHelpIndex("").size(), 100);
    EXPECT_EQ(help::helpPagePath('C', "12"), "C:\\xquelvora\\12.htm");
}

TEST(HelpIndex, entriesAreSortedAsAListBoxSortsThemIgnoringCase) {
    const QStringList sorted = help::sortedEntries(help::helpIndex());
    const auto position = [&sorted](const char* keyword) {
        for (int i = 0; i < sorted.size(); ++i) {
            if (sorted[i].startsWith(QString::fromUtf8(keyword) + "  ")) return i;
        }
        return -1;
    };
    EXPECT_LT(position("abrir projeto"), position("ArcView"));
    EXPECT_LT(position("ArcView"), position("ativar legenda"));
    EXPECT_LT(position("distância"), position("E"));
    EXPECT_LT(position("E"), position("escala"));
    EXPECT_LT(position("M1"), position("mapa"));
    EXPECT_LT(position("mapa"), position("OU"));
    EXPECT_LT(position("OU"), position("pesquisar com relatorio query"));
    EXPECT_EQ(sorted.size(), help::helpIndex().size());
}
