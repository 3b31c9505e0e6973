#pragma once

#include <QString>

class QTranslator;

namespace app {

// Qt's own texts (file, colour, font and print dialogs, standard buttons,
// context menus) in Brazilian Portuguese: loads "qtbase_pt_BR.qm" from
// `folder` into `translator` and installs it in the running application. The
// program's own texts are not translated and stay as they are. False, with
// nothing installed, when the file is missing or unreadable: Qt's texts then
// stay in English. `translator` must outlive the application's use of it.
bool installQtTranslation(QTranslator& translator, const QString& folder);

// The folder Qt's translations were installed in (Debian package
// qt6-translations-l10n puts them there).
QString qtTranslationsFolder();

}  // namespace app
