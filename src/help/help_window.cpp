#include "help/help_window.h"

#include "help/help_index.h"
#include "platform/drives.h"
#include "platform/web_view.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>

namespace help {

HelpWindow::HelpWindow(QWidget& helpForm, QWidget& creditsForm, QChar bootDrive,
                       const platform::DriveTable& drives, QString installedPages)
    : m_helpForm(helpForm),
      m_bootDrive(bootDrive),
      m_drives(drives),
      m_installedPages(std::move(installedPages)) {
    auto* layout = new QHBoxLayout(&helpForm);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Procurar"), &helpForm));
    Edit1 = new QLineEdit(&helpForm);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    left->addWidget(Edit1);
    ListBox2 = new QListWidget(&helpForm);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    ListBox2->addItems(sortedEntries(helpIndex()));
    left->addWidget(ListBox2, 1);
    auto* buttons = new QHBoxLayout;
    SpeedButton2 = new QToolButton(&helpForm);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("Abrir no navegador"));
    SpeedButton1 = new QToolButton(&helpForm);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Voltar"));
    buttons->addWidget(SpeedButton2);
    buttons->addWidget(SpeedButton1);
    left->addLayout(buttons);
    layout->addLayout(left, 1);
    WebBrowser1 = new platform::WebView(&helpForm);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    layout->addWidget(WebBrowser1, 2);
    helpForm.resize(900, 560);

    connect(Edit1, &QLineEdit::textChanged, this, &HelpWindow::search);
    connect(ListBox2, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { choose(item->text()); });
    // A page's link to another page ("9.htm") finds it as the index does:
    // the configuration folder's first, then the installed one.
    WebBrowser1->setLinkHandler([this](const QUrl& link) {
        static const QRegularExpression pageName(QStringLiteral("^([0-9]+)\\.htm$"),
                                                 QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = pageName.match(link.path());
        if (!link.isRelative() || !m.hasMatch()) {
            return false;
        }
        showPage(m.captured(1));
        return true;
    });
    connect(SpeedButton2, &QToolButton::clicked, this, &HelpWindow::openOutside);
    connect(SpeedButton1, &QToolButton::clicked, &helpForm, &QWidget::close);

    auto* credits = new QVBoxLayout(&creditsForm);
    auto* name = new QLabel(QStringLiteral("Quelvora"), &creditsForm);
    QFont big = name->font();
    big.setPointSize(big.pointSize() * 2);
    name->setFont(big);
    credits->addWidget(name);
    credits->addWidget(new QLabel(
        QStringLiteral("Visualizador de mapas geológicos: temas, legendas, consultas, serviços "
                       "WMS e ligação com a base de dados geocientífica."),
        &creditsForm));
    credits->addWidget(new QLabel(
        QStringLiteral("Desenvolvido pela equipe de geoprocessamento da instituição autora."),
        &creditsForm));
    CreditsBack = new QPushButton(QStringLiteral("Voltar"), &creditsForm);
    CreditsBack->setObjectName(QStringLiteral("Voltar"));
    credits->addWidget(CreditsBack);
    connect(CreditsBack, &QPushButton::clicked, &creditsForm, &QWidget::close);
}

void HelpWindow::search(const QString& text) {
    ListBox2->clear();
    ListBox2->addItems(sortedEntries(searchHelpIndex(text)));
}

QStringList HelpWindow::pagePlaces(const QString& page) const {
    const QString windowsPath = helpPagePath(m_bootDrive, page);
    QStringList places{m_drives.toNative(windowsPath).value_or(windowsPath)};
    if (!m_installedPages.isEmpty()) {
        places.append(QDir(m_installedPages).filePath(page + QStringLiteral(".htm")));
    }
    return places;
}

QString HelpWindow::pageFile(const QString& page) const {
    const QStringList places = pagePlaces(page);
    for (const QString& place : places) {
        if (QFileInfo(place).isFile()) {
            return place;
        }
    }
    return places.constFirst();
}

void HelpWindow::choose(const QString& entry) {
    showPage(entryPage(entry));
}

void HelpWindow::showPage(const QString& page) {
    m_currentPage = page + QStringLiteral(".HTM");
    const QString file = pageFile(page);
    if (QFileInfo(file).isFile()) {
        WebBrowser1->load(file);
        return;
    }
    const QStringList places = pagePlaces(page);
    WebBrowser1->setFailure(
        file,
        QStringLiteral("A página de ajuda %1.htm não está instalada: não foi encontrada em %2.")
            .arg(page, places.join(QStringLiteral(" nem em "))));
}

void HelpWindow::openOutside() {
    if (m_currentPage.isEmpty()) {
        return;
    }
    const QString file = pageFile(m_currentPage.chopped(4));  // without ".HTM"
    if (QFileInfo(file).isFile()) {
        WebBrowser1->load(file);
        WebBrowser1->openInBrowser();
    }
}

}  // namespace help
