// Program entry: one instance per user, the configuration read from the
// surroundings, then the main window and the message loop.
#include "app/command_line.h"
#include "platform/settings.h"
#include "platform/single_instance.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

namespace {

const QString kApplicationTitle = QStringLiteral("Quelvora-VORN");
const QString kMainCaption = QStringLiteral("Quelvora - v. 8.1.1 - 32 e 64 bits -Ostrenvale -") +
                             QString(100, QLatin1Char(' ')) + QStringLiteral("(vc-d5) ");

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quelvora"));
    QApplication::setApplicationDisplayName(kApplicationTitle);

    platform::SingleInstance instance(kApplicationTitle);
    if (!instance.claim()) {
        return 0;  // the running instance was asked to come forward
    }

    const platform::Configuration config =
        platform::loadConfigurationReporting(platform::Environment::fromProcess());

    QMainWindow window;
    window.setObjectName(QStringLiteral("TForm1"));
    window.setWindowTitle(kMainCaption);
    const std::optional<QString> project = app::projectArgument(QApplication::arguments());
    auto* status = new QLabel(&window);
    status->setAlignment(Qt::AlignCenter);
    status->setText(QStringLiteral("Configuração: %1\nPasta do programa: %2\nProjeto: %3")
                        .arg(platform::configFolder(config.bootDrive), config.programFolder,
                             project.value_or(QStringLiteral("(nenhum)"))));
    window.setCentralWidget(status);
    QObject::connect(&instance, &platform::SingleInstance::raiseRequested, &window, [&window] {
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window.show();
        window.raise();
        window.activateWindow();
    });
    window.showMaximized();
    return QApplication::exec();
}
