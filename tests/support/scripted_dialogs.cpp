#include "support/scripted_dialogs.h"

#include <QPrinter>

#include <gtest/gtest.h>

namespace support {

template <typename T>
std::optional<T> ScriptedDialogs::take(const char* dialog) {
    if (m_answers.empty()) {
        ADD_FAILURE() << "no scripted answer for the " << dialog << " dialog";
        return std::nullopt;
    }
    Answer answer = std::move(m_answers.front());
    m_answers.pop_front();
    if (std::holds_alternative<Cancel>(answer)) {
        return std::nullopt;
    }
    if (!std::holds_alternative<T>(answer)) {
        ADD_FAILURE() << "the scripted answer does not fit the " << dialog << " dialog";
        return std::nullopt;
    }
    return std::get<T>(std::move(answer));
}

platform::MessageAnswer ScriptedDialogs::message(QWidget*, const QString& text,
                                                 platform::MessageKind,
                                                 platform::MessageButtons buttons) {
    m_messages.append(text);
    m_messageTitles.append(QString());
    if (buttons == platform::MessageButtons::Ok) {
        return platform::MessageAnswer::Ok;
    }
    const std::optional<platform::MessageAnswer> answer = take<platform::MessageAnswer>("message");
    if (answer) {
        return *answer;
    }
    return buttons == platform::MessageButtons::YesNo ? platform::MessageAnswer::No
                                                      : platform::MessageAnswer::Cancel;
}

void ScriptedDialogs::titledMessage(QWidget*, const QString& title, const QString& text,
                                    platform::MessageKind) {
    m_messages.append(text);
    m_messageTitles.append(title);
}

std::optional<QString> ScriptedDialogs::openFile(QWidget*,
                                                 const platform::FileDialogOptions& options) {
    m_fileDialogs.append(options);
    return take<QString>("open file");
}

std::optional<QString> ScriptedDialogs::saveFile(QWidget*,
                                                 const platform::FileDialogOptions& options) {
    m_fileDialogs.append(options);
    // The answer is what the user typed, with the dialog's first type chosen.
    const std::optional<QString> typed = take<QString>("save file");
    return typed ? std::optional(platform::withTypeExtension(*typed, options.filter, 0,
                                                             options.onlyListedTypes))
                 : std::nullopt;
}

std::optional<QColor> ScriptedDialogs::colour(QWidget*, const QColor&) {
    return take<QColor>("colour");
}

std::optional<QFont> ScriptedDialogs::font(QWidget*, const QFont&) {
    return take<QFont>("font");
}

std::optional<QString> ScriptedDialogs::textInput(QWidget*, const QString&, const QString&,
                                                  const QString&) {
    return take<QString>("text input");
}

std::optional<int> ScriptedDialogs::choice(QWidget*, const QString&, const QString&,
                                           const QStringList& items) {
    m_choices.append(items);
    const std::optional<Choose> chosen = take<Choose>("list choice");
    if (!chosen) {
        return std::nullopt;
    }
    const qsizetype index = items.indexOf(chosen->item);
    if (index < 0) {
        ADD_FAILURE() << "the list choice does not offer " << chosen->item.toStdString();
        return std::nullopt;
    }
    return static_cast<int>(index);
}

bool ScriptedDialogs::print(QWidget*, QPrinter& printer) {
    if (!m_answers.empty() && std::holds_alternative<PrintToFile>(m_answers.front())) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(std::get<PrintToFile>(m_answers.front()).path);
        m_answers.pop_front();
        return true;
    }
    return take<bool>("print").value_or(false);
}

}  // namespace support
