#include "app/guarded_application.h"

#include "platform/dialogs.h"

#include <cstdio>
#include <exception>

namespace app {

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        const QString text = QStringLiteral("Erro geral: %1").arg(QString::fromUtf8(error.what()));
        std::fprintf(stderr, "quelvora: %s\n", qUtf8Printable(text));
        if (m_dialogs) {
            m_dialogs->message(activeWindow(), text, platform::MessageKind::Error);
        }
    } catch (...) {
        std::fprintf(stderr, "quelvora: general error\n");
        if (m_dialogs) {
            m_dialogs->message(activeWindow(), QStringLiteral("Erro geral"),
                               platform::MessageKind::Error);
        }
    }
    return false;
}

void nameApplication() {
    QApplication::setApplicationName(QStringLiteral("quelvora"));
}

}  // namespace app
