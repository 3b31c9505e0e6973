// Collector lists: any lines give one collector per line, colours that
// "Cadastra" lines give back, and position file names that stay in the
// program folder.
#include "fuzz_support.h"
#include "remote/collectors.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QStringList lines = fuzz::lines(data, size);
    const std::vector<remote::Collector> collectors = remote::collectorsOf(lines);
    fuzz::check(static_cast<qsizetype>(collectors.size()) == lines.size(),
                "one collector per line");
    const QString folder = QStringLiteral("/prog");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const remote::Collector& collector = collectors[static_cast<std::size_t>(i)];
        const remote::CollectorLine line = remote::parseCollectorLine(lines[i]);
        fuzz::check(collector.prefix == line.prefix, "the prefix is the line's");
        fuzz::check(!collector.prefix.contains(QLatin1Char(',')), "a prefix holds no comma");
        if (line.colourPart) (void)remote::collectorColour(*line.colourPart);
        const QColor registered = remote::registeredColour(collector.colour);
        const auto back = remote::collectorColour(
            remote::parseCollectorLine(remote::registeredLine(collector.prefix, collector.colour))
                .colourPart.value_or(QString()));
        fuzz::check(back && *back == registered, "a registered line reads back its colour");
        const QByteArray url = remote::positionsUrl("http://gw", collector.prefix).toUtf8();
        for (const char c : url) {
            fuzz::check(c > ' ' && c < 0x7f, "the address is plain printable ASCII");
        }
        if (const auto path = remote::positionFilePath(folder, collector.prefix)) {
            fuzz::check(QDir::cleanPath(*path).startsWith(folder + QLatin1Char('/')) &&
                            !QDir::cleanPath(*path).mid(folder.size() + 1).contains('/'),
                        "the position file is in the program folder");
        }
    }
    return 0;
}
