// Program entry: "--version" and "--help" answered without a display, one
// instance per user, the configuration read from the surroundings, the main
// window (which creates the others in their order), start-up, then the
// message loop.
#include "app/command_line.h"
#include "app/guarded_application.h"
#include "app/main_window.h"
#include "app/qt_translation.h"
#include "app/tool_icons.h"
#include "platform/qt_dialogs.h"
#include "platform/settings.h"
#include "platform/single_instance.h"

#include <QScreen>
#include <QTranslator>

#include <cstdio>

namespace {

const QString kApplicationTitle = QStringLiteral("Quelvora-VORN");

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<QString> text = app::informationRequest(arguments)) {
        std::fputs(text->toLocal8Bit().constData(), stdout);
        return 0;
    }

    app::GuardedApplication application(argc, argv);
    app::nameApplication();
    QApplication::setWindowIcon(app::programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("quelvora"));
    // Qt's dialogs and menus in Portuguese like the rest of the window; without
    // the translation installed they stay in English and the program runs on.
    QTranslator qtTexts;
    app::installQtTranslation(qtTexts, app::qtTranslationsFolder());

    platform::SingleInstance instance(kApplicationTitle);
    if (!instance.claim(app::projectArgument(arguments).value_or(QString()))) {
        return 0;  // the running instance was asked to come forward
    }

    const platform::Configuration config =
        platform::loadConfigurationReporting(platform::Environment::fromProcess());
    platform::QtDialogs dialogs(kApplicationTitle);
    application.setDialogs(&dialogs);

    app::TForm1 mainWindow(
        {config, dialogs, &platform::installedMemoryBytes, QApplication::arguments()});
    QObject::connect(&mainWindow, &app::TForm1::exitRequested, &application, &QApplication::quit);
    QObject::connect(&instance, &platform::SingleInstance::raiseRequested, &mainWindow,
                     &app::TForm1::anotherStartAsked);

    if (!mainWindow.startUp()) {
        return 0;  // too little memory: the message was shown
    }
    // Without a window manager "maximised" means nothing: take the screen.
    if (const QScreen* screen = mainWindow.screen()) {
        mainWindow.setGeometry(screen->availableGeometry());
    }
    mainWindow.showMaximized();
    return QApplication::exec();
}
