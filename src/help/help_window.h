#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;
class QWidget;

namespace platform {
class DriveTable;
class WebView;
}  // namespace platform

namespace help {

// TForm7, the help window: the index searched as the user types, the
// chosen page shown in the embedded viewer or opened in the desktop's
// browser; and TForm6, the credits. Controls are built into the windows the
// program created for them.
class HelpWindow : public QObject {
    Q_OBJECT
public:
    // Pages are read from the configuration folder of `bootDrive`; one that
    // is not there is read from `installedPages` (the installed program's
    // read-only pages; empty for none).
    HelpWindow(QWidget& helpForm, QWidget& creditsForm, QChar bootDrive,
               const platform::DriveTable& drives, QString installedPages = QString());

    void search(const QString& text);
    void choose(const QString& entry);
    // Shows help page `page` ("9"), found as an index entry finds it.
    void showPage(const QString& page);
    // The current page in the desktop's browser.
    void openOutside();

    const QString& currentPage() const { return m_currentPage; }

    QLineEdit* Edit1 = nullptr;       // the search
    QListWidget* ListBox2 = nullptr;  // the entries found, sorted
    platform::WebView* WebBrowser1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;  // opens the page outside
    QToolButton* SpeedButton1 = nullptr;  // "Voltar"
    QPushButton* CreditsBack = nullptr;   // TForm6's "Voltar"

private:
    // The page's file: the configuration folder's, else the installed one;
    // the configuration folder's name when neither exists.
    QString pageFile(const QString& page) const;
    // Where a page is looked for, in order: the configuration folder's file
    // (its Windows form when its drive maps no folder), then the installed one.
    QStringList pagePlaces(const QString& page) const;

    QWidget& m_helpForm;
    QChar m_bootDrive;
    const platform::DriveTable& m_drives;
    QString m_installedPages;
    QString m_currentPage;  // "N.HTM"
};

}  // namespace help
