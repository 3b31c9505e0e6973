#pragma once

#include <QString>
#include <QStringList>

namespace help {

// The help index: every entry is a keyword, blanks, "*" and the number of
// its help page (1 to 30).
const QStringList& helpIndex();

// The entries whose lower-case text contains the lower-case search text
// anywhere, page number included; every entry for an empty search.
QStringList searchHelpIndex(const QString& text);

// The entries in the order a sorted list box keeps them: alphabetical in
// Portuguese, ignoring case and accents, so "abrir projeto" comes before
// "ArcView" and "E" among the words with e.
QStringList sortedEntries(QStringList entries);

// The page number of an entry: the text after its first "*", trimmed.
QString entryPage(const QString& entry);

// The help page file of a page number: <boot drive>:\xquelvora\N.htm.
QString helpPagePath(QChar bootDrive, const QString& page);

}  // namespace help
