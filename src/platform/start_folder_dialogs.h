#pragma once

#include "platform/dialogs.h"

namespace platform {

// Dialogs that start every open and save dialog whose caller names no folder
// in the open project's folder, or, with no project open, in the folder of
// the last file chosen in this run (Qt's default, the working folder, only
// before any choice). A folder the caller names is kept. Every other dialog
// passes through unchanged. Borrows `inner`, which shows the dialogs.
class StartFolderDialogs final : public Dialogs {
public:
    explicit StartFolderDialogs(Dialogs& inner) : m_inner(inner) {}

    // The native path of the project file now open; empty when none is.
    void setProjectFile(const QString& nativePath);
    // The folder an open or save dialog without one of its own starts in;
    // empty before any project or choice.
    QString startFolder() const;

    MessageAnswer message(QWidget* parent, const QString& text,
                          MessageKind kind = MessageKind::Information,
                          MessageButtons buttons = MessageButtons::Ok) override;
    void titledMessage(QWidget* parent, const QString& title, const QString& text,
                       MessageKind kind) override;
    std::optional<QString> openFile(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<QString> saveFile(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<QColor> colour(QWidget* parent, const QColor& initial) override;
    std::optional<QFont> font(QWidget* parent, const QFont& initial) override;
    std::optional<QString> textInput(QWidget* parent, const QString& title, const QString& prompt,
                                     const QString& initial) override;
    std::optional<int> choice(QWidget* parent, const QString& title, const QString& prompt,
                              const QStringList& items) override;
    bool print(QWidget* parent, QPrinter& printer) override;

private:
    FileDialogOptions withStartFolder(FileDialogOptions options) const;
    void remember(const std::optional<QString>& chosen);

    Dialogs& m_inner;
    QString m_projectFolder;
    QString m_lastFolder;
};

}  // namespace platform
