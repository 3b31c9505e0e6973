// The saved search page and the search's result file: a result name never
// leaves the program folder, and every point read is a finite number pair
// from a data line, numbered in order.
#include "fuzz_support.h"
#include "remote/search_plot.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList lines = fuzz::lines(data, size);

    const remote::ResultName name = remote::resultFileName(lines);
    fuzz::check(name.name.has_value() == name.message.isEmpty(), "a name or a message");
    if (name.name) {
        const QString& n = *name.name;
        fuzz::check(!n.isEmpty() && n != QStringLiteral(".") && !n.contains(QLatin1Char('/')) &&
                        !n.contains(QLatin1Char('\\')) && !n.contains(QStringLiteral("..")) &&
                        !n.contains(QChar(0)),
                    "a result name stays in the program folder");
        fuzz::check(!n.contains(QLatin1Char(':')), "no drive in a result name");
        fuzz::check(!n.startsWith(QLatin1Char('.')) && !n.contains(QLatin1Char(' ')),
                    "a plain file name");
        fuzz::check(!remote::programOwnFileNames().contains(n, Qt::CaseInsensitive),
                    "never one of the program's own files");
        fuzz::check(lines.value(3).endsWith(n), "the name ends the fourth line");
    }

    const std::vector<remote::SearchPoint> points = remote::readResultFile(lines);
    fuzz::check(points.size() + 1 <= static_cast<std::size_t>(std::max<qsizetype>(1, lines.size())),
                "at most one point per data line");
    int last = 0;
    for (const remote::SearchPoint& p : points) {
        fuzz::check(p.number > last && p.number < lines.size(), "numbers follow the data lines");
        fuzz::check(std::isfinite(p.latitude) && std::isfinite(p.longitude), "finite points");
        last = p.number;
    }
    const QStringList sheet = remote::spreadsheetLines(lines);
    fuzz::check(sheet.size() == lines.size(), "one spreadsheet line per line");
    for (qsizetype i = 1; i < sheet.size(); ++i) {
        fuzz::check(!sheet.at(i).contains(QLatin1Char('.')), "decimal commas in data lines");
    }
    return 0;
}
