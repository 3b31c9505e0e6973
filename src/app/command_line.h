#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

// The project named on the command line: the first argument after the
// program name, when it begins with "*", without that "*". The path is kept
// as given (Windows form or native).
std::optional<QString> projectArgument(const QStringList& arguments);

}  // namespace app
