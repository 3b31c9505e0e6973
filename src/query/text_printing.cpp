#include "query/text_printing.h"

#include "platform/dialogs.h"
#include "platform/status_line.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace query {

bool printTextLines(const QStringList& lines, QPrinter& printer, const QString& documentName) {
    printer.setDocName(documentName);
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const QRect page = painter.viewport();
    const int lineHeight = metrics.lineSpacing();
    int y = metrics.ascent();
    for (const QString& line : lines) {
        if (y > page.height()) {
            if (!printer.newPage()) {
                painter.end();
                return false;
            }
            y = metrics.ascent();
        }
        painter.drawText(0, y, line);
        y += lineHeight;
    }
    return painter.end();
}

PrintOutcome printToDefaultPrinter(QWidget* parent, platform::Dialogs& dialogs,
                                   const QStringList& lines, const QString& documentName,
                                   platform::StatusLine* status) {
    QPrinter printer;
    if (QPrinterInfo::defaultPrinter().isNull()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        if (!dialogs.print(parent, printer)) {
            return PrintOutcome::Cancelled;
        }
    }
    if (!printTextLines(lines, printer, documentName)) {
        return PrintOutcome::Failed;
    }
    if (status) {
        status->printed(printer);
    }
    return PrintOutcome::Printed;
}

}  // namespace query
