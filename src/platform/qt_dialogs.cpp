#include "platform/qt_dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace platform {

namespace {

QMessageBox::Icon iconFor(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Error:
            return QMessageBox::Critical;
        case MessageKind::Question:
            return QMessageBox::Question;
        case MessageKind::Information:
            break;
    }
    return QMessageBox::Information;
}

}  // namespace

MessageAnswer QtDialogs::message(QWidget* parent, const QString& text, MessageKind kind,
                                 MessageButtons buttons) {
    QMessageBox box(iconFor(kind), m_messageTitle, text, QMessageBox::NoButton, parent);
    switch (buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Ok;
    }
}

void QtDialogs::titledMessage(QWidget* parent, const QString& title, const QString& text,
                              MessageKind kind) {
    QMessageBox box(iconFor(kind), title, text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> QtDialogs::openFile(QWidget* parent, const FileDialogOptions& options) {
    QFileDialog dialog(parent, options.title, options.initialFolder, qtNameFilter(options.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!options.fileName.isEmpty() && !options.fileName.contains(QLatin1Char('*'))) {
        dialog.selectFile(options.fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::saveFile(QWidget* parent, const FileDialogOptions& options) {
    QFileDialog dialog(parent, options.title, options.initialFolder, qtNameFilter(options.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!options.fileName.isEmpty() && !options.fileName.contains(QLatin1Char('*'))) {
        dialog.selectFile(options.fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const int type = static_cast<int>(qtNameFilter(options.filter)
                                          .split(QStringLiteral(";;"))
                                          .indexOf(dialog.selectedNameFilter()));
    return withTypeExtension(dialog.selectedFiles().constFirst(), options.filter, std::max(type, 0),
                             options.onlyListedTypes);
}

std::optional<QColor> QtDialogs::colour(QWidget* parent, const QColor& initial) {
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return chosen;
}

std::optional<QFont> QtDialogs::font(QWidget* parent, const QFont& initial) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent);
    if (!ok) {
        return std::nullopt;
    }
    return chosen;
}

std::optional<QString> QtDialogs::textInput(QWidget* parent, const QString& title,
                                            const QString& prompt, const QString& initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

std::optional<int> QtDialogs::choice(QWidget* parent, const QString& title, const QString& prompt,
                                     const QStringList& items) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    if (!items.isEmpty()) {
        dialog.setTextValue(items.first());
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const qsizetype index = items.indexOf(dialog.textValue());
    if (index < 0) {
        return std::nullopt;
    }
    return static_cast<int>(index);
}

bool QtDialogs::print(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace platform
