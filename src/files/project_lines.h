#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

#include <vector>

namespace files {

// One item of the theme list: its theme line and whether it is switched on.
struct ThemeEntry {
    QString line;
    bool checked = true;

    friend bool operator==(const ThemeEntry&, const ThemeEntry&) = default;
};

// Turns the lines of a project file into theme entries. Each line may start
// with "*" (the theme starts switched off; the "*" goes). A line with a ","
// keeps everything up to and including its first "," and gets
// drive + ":\" in front of the rest; a line without one becomes
// drive + ":\" + line. Lines are otherwise taken as they are.
std::vector<ThemeEntry> themeEntriesFromProjectLines(const QStringList& lines, QChar drive);

}  // namespace files
