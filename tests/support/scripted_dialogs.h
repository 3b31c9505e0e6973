#pragma once

#include "platform/dialogs.h"

#include <QStringList>

#include <deque>
#include <variant>

namespace support {

// A Dialogs double for tests: every dialog answers at once from a queue of
// scripted answers, and every message shown is recorded. A dialog that finds
// no answer of its kind at the head of the queue fails the running test and
// answers "cancelled", so no test can ever block on a modal dialog. Plain
// "Ok" messages need no scripted answer.
class ScriptedDialogs final : public platform::Dialogs {
public:
    struct Cancel {};
    // Answers a list choice with the item of this text.
    struct Choose {
        QString item;
    };
    // Answers the print dialog with printing to this PDF file.
    struct PrintToFile {
        QString path;
    };
    using Answer = std::variant<Cancel, platform::MessageAnswer, QString, QColor, QFont, bool,
                                Choose, PrintToFile>;

    // Queues the answer of the next dialog that needs one. A QString answers
    // a file or text-input dialog (a save dialog answers it with the first
    // file type chosen, so a name without extension takes that type's); a
    // bool answers the print dialog; a Choose a list choice (an item the
    // list does not offer fails the test).
    void push(Answer answer) { m_answers.push_back(std::move(answer)); }

    const QStringList& messages() const { return m_messages; }
    QString lastMessage() const { return m_messages.isEmpty() ? QString() : m_messages.last(); }
    // The title of each message, in step with messages(): empty for the
    // program's own title.
    const QStringList& messageTitles() const { return m_messageTitles; }
    // Options of every file dialog opened, in order.
    const QList<platform::FileDialogOptions>& fileDialogs() const { return m_fileDialogs; }
    // The items of every list choice offered, in order.
    const QList<QStringList>& choices() const { return m_choices; }
    bool allAnswersUsed() const { return m_answers.empty(); }

    platform::MessageAnswer message(
        QWidget* parent, const QString& text,
        platform::MessageKind kind = platform::MessageKind::Information,
        platform::MessageButtons buttons = platform::MessageButtons::Ok) override;
    void titledMessage(QWidget* parent, const QString& title, const QString& text,
                       platform::MessageKind kind) override;
    std::optional<QString> openFile(QWidget* parent,
                                    const platform::FileDialogOptions& options) override;
    std::optional<QString> saveFile(QWidget* parent,
                                    const platform::FileDialogOptions& options) override;
    std::optional<QColor> colour(QWidget* parent, const QColor& initial) override;
    std::optional<QFont> font(QWidget* parent, const QFont& initial) override;
    std::optional<QString> textInput(QWidget* parent, const QString& title, const QString& prompt,
                                     const QString& initial) override;
    std::optional<int> choice(QWidget* parent, const QString& title, const QString& prompt,
                              const QStringList& items) override;
    bool print(QWidget* parent, QPrinter& printer) override;

private:
    template <typename T>
    std::optional<T> take(const char* dialog);

    std::deque<Answer> m_answers;
    QStringList m_messages;
    QStringList m_messageTitles;
    QList<platform::FileDialogOptions> m_fileDialogs;
    QList<QStringList> m_choices;
};

}  // namespace support
