#pragma once

#include "platform/dialogs.h"

namespace bench {

// Dialogs that answer nothing and remember the last message: no benchmark
// expects one, so a message means the run went wrong.
class SilentDialogs final : public platform::Dialogs {
public:
    platform::MessageAnswer message(QWidget*, const QString& text, platform::MessageKind,
                                    platform::MessageButtons) override {
        lastMessage = text;
        return platform::MessageAnswer::Ok;
    }
    void titledMessage(QWidget*, const QString&, const QString& text,
                       platform::MessageKind) override {
        lastMessage = text;
    }
    std::optional<QString> openFile(QWidget*, const platform::FileDialogOptions&) override {
        return {};
    }
    std::optional<QString> saveFile(QWidget*, const platform::FileDialogOptions&) override {
        return {};
    }
    std::optional<QColor> colour(QWidget*, const QColor&) override { return {}; }
    std::optional<QFont> font(QWidget*, const QFont&) override { return {}; }
    std::optional<QString> textInput(QWidget*, const QString&, const QString&,
                                     const QString&) override {
        return {};
    }
    std::optional<int> choice(QWidget*, const QString&, const QString&,
                              const QStringList&) override {
        return {};
    }
    bool print(QWidget*, QPrinter&) override { return false; }

    QString lastMessage;
};

}  // namespace bench
