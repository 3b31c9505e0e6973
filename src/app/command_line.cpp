#include "app/command_line.h"

namespace app {

std::optional<QString> projectArgument(const QStringList& arguments) {
    if (arguments.size() < 2 || !arguments.at(1).startsWith(QLatin1Char('*'))) {
        return std::nullopt;
    }
    return arguments.at(1).mid(1);
}

}  // namespace app
