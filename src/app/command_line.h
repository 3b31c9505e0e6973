#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

// The project named on the command line: the first argument after the
// program name, when it begins with "*", without that "*". The path is kept
// as given (Windows form or native).
std::optional<QString> projectArgument(const QStringList& arguments);

// What "--version" or "--help" (as the first argument) asks to print instead
// of starting the program; nothing for any other command line.
std::optional<QString> informationRequest(const QStringList& arguments);

// The running window's message when a later start was given `project`.
QString projectNotOpenedMessage(const QString& project);

}  // namespace app
