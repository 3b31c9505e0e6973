#pragma once

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace platform {
class Dialogs;
class StatusLine;
}  // namespace platform

namespace query {

// Prints the lines as plain text, one per line, in a fixed-width font,
// starting new pages as needed. False when the printer cannot be opened.
bool printTextLines(const QStringList& lines, QPrinter& printer, const QString& documentName);

enum class PrintOutcome { Printed, Cancelled, Failed };

// The lines to the default printer; with no printer installed, the print
// dialog lets the user print to a PDF file instead, which `status` (when
// given) tells once written.
PrintOutcome printToDefaultPrinter(QWidget* parent, platform::Dialogs& dialogs,
                                   const QStringList& lines, const QString& documentName,
                                   platform::StatusLine* status = nullptr);

}  // namespace query
