#include "app/qt_translation.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>

#include <gtest/gtest.h>

#include <memory>

namespace {

bool translationInstalled() {
    return QFileInfo::exists(QDir(app::qtTranslationsFolder()).filePath("qtbase_pt_BR.qm"));
}

// The texts of an open dialog as the program shows it: Qt's own widgets, not
// the desktop's dialog.
struct OpenDialogTexts {
    QString accept;
    QString cancel;
    QString lookIn;
    QString fileName;
};

OpenDialogTexts openDialogTexts() {
    QFileDialog dialog(nullptr, QStringLiteral("Abrir projeto"), QDir::tempPath(),
                       QStringLiteral("Projeto Quelvora (*.jjj)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    auto* fileName = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
    OpenDialogTexts texts;
    if (buttons) {
        if (QPushButton* b = buttons->button(QDialogButtonBox::Open)) texts.accept = b->text();
        if (QPushButton* b = buttons->button(QDialogButtonBox::Cancel)) texts.cancel = b->text();
    }
    if (lookIn) texts.lookIn = lookIn->text();
    if (fileName) texts.fileName = fileName->text();
    return texts;
}

// The texts of a text field's context menu, mnemonics removed.
QStringList contextMenuTexts() {
    QLineEdit field;
    std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList texts;
    for (const QAction* a : menu->actions()) {
        if (!a->isSeparator()) texts << a->text().remove('&').section('\t', 0, 0);
    }
    return texts;
}

}  // namespace

TEST(QtTranslation, openDialogSpeaksPortugueseOnceInstalled) {
    if (!translationInstalled()) {
        GTEST_SKIP() << "qtbase_pt_BR.qm is not in " << app::qtTranslationsFolder().toStdString()
                     << " (Debian package qt6-translations-l10n)";
    }
    const OpenDialogTexts english = openDialogTexts();
    ASSERT_EQ(english.accept, "&Open");  // the dialog's widgets are the ones looked at
    ASSERT_EQ(english.lookIn, "Look in:");

    QTranslator translator;
    ASSERT_TRUE(app::installQtTranslation(translator, app::qtTranslationsFolder()));
    OpenDialogTexts portuguese = openDialogTexts();
    const QStringList menu = contextMenuTexts();
    QCoreApplication::removeTranslator(&translator);

    EXPECT_EQ(portuguese.accept.remove('&'), "Abrir");
    EXPECT_EQ(portuguese.cancel.remove('&'), "Cancelar");
    EXPECT_EQ(portuguese.lookIn, "Procurar em:");
    EXPECT_NE(portuguese.fileName, english.fileName);
    EXPECT_FALSE(portuguese.fileName.isEmpty());
    // A text field's own menu too.
    EXPECT_TRUE(menu.contains("Copiar")) << menu.join(", ").toStdString();
    EXPECT_FALSE(menu.contains("Copy"));
}

TEST(QtTranslation, aFolderWithoutTheTranslationLeavesQtInEnglish) {
    QTemporaryDir empty;
    QTranslator translator;
    EXPECT_FALSE(app::installQtTranslation(translator, empty.path()));
    EXPECT_TRUE(translator.isEmpty());
    EXPECT_EQ(openDialogTexts().accept, "&Open");
}
