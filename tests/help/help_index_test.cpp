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
