#include "app/secondary_windows.h"

namespace app {

const std::vector<SecondaryWindows::WindowInfo>& SecondaryWindows::windowTable() {
    static const std::vector<WindowInfo> windows = {
        {"TForm2", "Atributos de consulta"},
        {"TForm3", "Quelvora"},
        {"TForm4", "Estabelecendo cores"},
        {"TForm5", "Realizando pesquisas"},
        {"TForm6", "Programa Quelvora"},
        {"TForm7", "Ajuda do Programa Quelvora "},
        {"TForm8", "Programa Quelvora  "},
        {"TForm9", "Quelvora "},
        {"TForm10", "Quelvora"},
        {"TForm11", "Quelvora "},
        {"TForm13", "Quelvora"},
        {"TForm12", "Quelvora"},
        {"TForm14", "Quelvora -VORN"},
        {"TForm15", "Quelvora"},
        {"TForm16", "Quelvora - conexão  KESTRAM"},
        {"TForm18", "Quelvora"},
        {"TForm19", "Legenda de conexão"},
        {"TForm20", "Quelvora - conexão  KESTRAM"},
        {"TForm21", "Quelvora"},
        {"TForm22", "Quelvora"},
        {"TForm23", "Quelvora  - Conexões - KESTRAM"},
        {"TForm24", "Quelvora - Serviço WMS "},
        {"TForm25", "Quelvora"},
        {"TForm17", "Quelvora - ArcGisServer - KESTRAM"},
    };
    return windows;
}

SecondaryWindows::SecondaryWindows(QWidget* mainWindow) {
    for (const WindowInfo& info : windowTable()) {
        auto* window = new QWidget(mainWindow, Qt::Window);
        window->setObjectName(QLatin1String(info.name));
        window->setWindowTitle(QString::fromUtf8(info.caption));
        window->hide();
        m_windows.push_back(window);
    }
}

QWidget* SecondaryWindows::window(const QString& name) const {
    for (QWidget* w : m_windows) {
        if (w->objectName() == name) {
            return w;
        }
    }
    return nullptr;
}

}  // namespace app
