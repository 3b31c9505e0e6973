#include "platform/start_folder_dialogs.h"

#include <QFileInfo>

namespace platform {

void StartFolderDialogs::setProjectFile(const QString& nativePath) {
    m_projectFolder = nativePath.isEmpty() ? QString() : QFileInfo(nativePath).absolutePath();
}

QString StartFolderDialogs::startFolder() const {
    return m_projectFolder.isEmpty() ? m_lastFolder : m_projectFolder;
}

FileDialogOptions StartFolderDialogs::withStartFolder(FileDialogOptions options) const {
    if (options.initialFolder.isEmpty()) {
        options.initialFolder = startFolder();
    }
    return options;
}

void StartFolderDialogs::remember(const std::optional<QString>& chosen) {
    if (chosen && !chosen->isEmpty()) {
        m_lastFolder = QFileInfo(*chosen).absolutePath();
    }
}

std::optional<QString> StartFolderDialogs::openFile(QWidget* parent,
                                                    const FileDialogOptions& options) {
    std::optional<QString> chosen = m_inner.openFile(parent, withStartFolder(options));
    remember(chosen);
    return chosen;
}

std::optional<QString> StartFolderDialogs::saveFile(QWidget* parent,
                                                    const FileDialogOptions& options) {
    std::optional<QString> chosen = m_inner.saveFile(parent, withStartFolder(options));
    remember(chosen);
    return chosen;
}

MessageAnswer StartFolderDialogs::message(QWidget* parent, const QString& text, MessageKind kind,
                                          MessageButtons buttons) {
    return m_inner.message(parent, text, kind, buttons);
}

void StartFolderDialogs::titledMessage(QWidget* parent, const QString& title, const QString& text,
                                       MessageKind kind) {
    m_inner.titledMessage(parent, title, text, kind);
}

std::optional<QColor> StartFolderDialogs::colour(QWidget* parent, const QColor& initial) {
    return m_inner.colour(parent, initial);
}

std::optional<QFont> StartFolderDialogs::font(QWidget* parent, const QFont& initial) {
    return m_inner.font(parent, initial);
}

std::optional<QString> StartFolderDialogs::textInput(QWidget* parent, const QString& title,
                                                     const QString& prompt,
                                                     const QString& initial) {
    return m_inner.textInput(parent, title, prompt, initial);
}

std::optional<int> StartFolderDialogs::choice(QWidget* parent, const QString& title,
                                              const QString& prompt, const QStringList& items) {
    return m_inner.choice(parent, title, prompt, items);
}

bool StartFolderDialogs::print(QWidget* parent, QPrinter& printer) {
    return m_inner.print(parent, printer);
}

}  // namespace platform
