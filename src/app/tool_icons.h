#pragma once

#include <QIcon>
#include <QString>

namespace app {

// The picture of the main window's tool button with this object name, drawn
// from the SVG files compiled into the program (resources/icons.qrc); a null
// icon for a name that has none.
QIcon toolIcon(const QString& buttonName);

// The program's own icon, the one the desktop entry installs.
QIcon programIcon();

}  // namespace app
