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

// Names the application for the settings and the single-instance lookup. It
// sets no display name: on X11 Qt would append one to every window title, and
// the titles are the windows' captions exactly.
void nameApplication();

}  // namespace app
