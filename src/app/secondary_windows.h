#pragma once

#include <QString>
#include <QWidget>

#include <vector>

namespace app {

// The program's other windows, TForm2 to TForm25, created once at start in
// their fixed order with their captions, hidden until a command shows them.
// Each is a plain window here; the feature that owns a window gives it its
// controls. The windows are children of the main window, which owns them.
class SecondaryWindows {
public:
    struct WindowInfo {
        const char* name;
        const char* caption;
    };
    // The windows in creation order.
    static const std::vector<WindowInfo>& windowTable();

    explicit SecondaryWindows(QWidget* mainWindow);

    // The window with this object name ("TForm14"); null when none.
    QWidget* window(const QString& name) const;
    const std::vector<QWidget*>& all() const { return m_windows; }

private:
    std::vector<QWidget*> m_windows;
};

}  // namespace app
