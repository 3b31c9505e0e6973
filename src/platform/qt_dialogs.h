#pragma once

#include "platform/dialogs.h"

namespace platform {

// The application's dialogs: Qt's message boxes and standard dialogs, with
// the application title as the title of message boxes.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QString messageTitle) : m_messageTitle(std::move(messageTitle)) {}

    MessageAnswer message(QWidget* parent, const QString& text, MessageKind kind,
                          MessageButtons buttons) override;
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
    QString m_messageTitle;
};

}  // namespace platform
