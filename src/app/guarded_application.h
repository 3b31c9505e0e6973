#pragma once

#include <QApplication>

namespace platform {
class Dialogs;
}

namespace app {

// The application object: an exception that escapes an event handler ends
// the command that raised it and is shown in the general error box; the
// program runs on.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    void setDialogs(platform::Dialogs* dialogs) { m_dialogs = dialogs; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    platform::Dialogs* m_dialogs = nullptr;
};

}  // namespace app
