#include "app/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace app {

bool installQtTranslation(QTranslator& translator, const QString& folder) {
    if (!translator.load(QStringLiteral("qtbase_pt_BR"), folder)) {
        return false;
    }
    return QCoreApplication::installTranslator(&translator);
}

QString qtTranslationsFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

}  // namespace app
