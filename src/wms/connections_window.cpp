#include "wms/connections_window.h"

#include "platform/radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace wms {

const QStringList& ConnectionsWindow::kindCaptions() {
    static const QStringList captions = {
        QStringLiteral("Grupo-mapas"),    QStringLiteral("Imagem-cont."),
        QStringLiteral("Geol-mil-cont."), QStringLiteral("Relevo 90m"),
        QStringLiteral("Relevo 30m"),     QString::fromUtf8("ARIM´s"),
        QStringLiteral("Desconecta")};
    return captions;
}

const QStringList& ConnectionsWindow::mosaicCaptions() {
    static const QStringList captions = {QStringLiteral("Pan"), QStringLiteral("Composta"),
                                         QStringLiteral("Daily planet"), QStringLiteral("Volta")};
    return captions;
}

const QStringList& ConnectionsWindow::mineralCaptions() {
    static const QStringList captions = {QStringLiteral("Modelo minerais industriais"),
                                         QStringLiteral("Gride 100.000 minerais industriais"),
                                         QStringLiteral("Gride  250.000 minerais industriais"),
                                         QStringLiteral("Modelo gemas"),
                                         QStringLiteral("Gride 100.000 gemas"),
                                         QStringLiteral("Gride 250.000 gemas"),
                                         QStringLiteral("Modelo metais"),
                                         QStringLiteral("Gride 100.000 metais"),
                                         QStringLiteral("Gride 250.000 metais")};
    return captions;
}

namespace {

QToolButton* button(QWidget* parent, const QString& name, const QString& caption,
                    const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

// A radio group's choice is cleared by switching exclusivity off for a moment.
void clearChoice(QButtonGroup* group) {
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
}

}  // namespace

ConnectionsWindow::ConnectionsWindow(QWidget& form) : m_form(form) {
    auto* layout = new QVBoxLayout(&form);
    RadioGroup2Box = new QGroupBox(QStringLiteral("Conexão-acervo via Internet"), &form);
    RadioGroup2Box->setObjectName(QStringLiteral("RadioGroup2"));
    RadioGroup2Box->setToolTip(QStringLiteral("Acessa acervos através da INTERNET"));
    RadioGroup2 =
        platform::fillRadioGroup(RadioGroup2Box, QStringLiteral("RadioGroup2"), kindCaptions(), 2);
    layout->addWidget(RadioGroup2Box);

    radiogroup5Box = new QGroupBox(QStringLiteral("JPL-NASA-TIPO"), &form);
    radiogroup5Box->setObjectName(QStringLiteral("radiogroup5"));
    radiogroup5 = platform::fillRadioGroup(radiogroup5Box, QStringLiteral("radiogroup5"),
                                           mosaicCaptions(), 1);
    layout->addWidget(radiogroup5Box);

    RadioGroup1Box = new QGroupBox(QStringLiteral("Tipo-ARIM"), &form);
    RadioGroup1Box->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1 = platform::fillRadioGroup(RadioGroup1Box, QStringLiteral("RadioGroup1"),
                                           mineralCaptions(), 1);
    layout->addWidget(RadioGroup1Box);
    auto* minerals = new QHBoxLayout;
    Image1 = new QLabel(&form);
    Image1->setObjectName(QStringLiteral("Image1"));
    SpeedButton1 = button(&form, QStringLiteral("SpeedButton1"), QStringLiteral("Volta"),
                          QStringLiteral("Volta"));
    minerals->addWidget(Image1);
    minerals->addWidget(SpeedButton1);
    minerals->addStretch(1);
    layout->addLayout(minerals);

    auto* commands = new QHBoxLayout;
    SpeedButton37 = button(&form, QStringLiteral("SpeedButton37"), QStringLiteral("Conecta"),
                           QStringLiteral("Conecta - Internet ao servidor escolhido pela "
                                          "conexão-acervo"));
    troca = button(&form, QStringLiteral("troca"), QStringLiteral("Troca"),
                   QStringLiteral("Troca ambiente - shape local ou tela de conexão"));
    SpeedButton40 = button(&form, QStringLiteral("SpeedButton40"), QStringLiteral("Zoom"),
                           QStringLiteral("Chama barra para realizar zoom com entrada de dados"));
    SpeedButton41 = button(&form, QStringLiteral("SpeedButton41"), QStringLiteral("Vetor"),
                           QStringLiteral("arquivo gml"));
    for (QToolButton* b : {SpeedButton37, troca, SpeedButton40, SpeedButton41}) {
        commands->addWidget(b);
    }
    a1 = new QProgressBar(&form);
    a1->setObjectName(QStringLiteral("a1"));
    a1->setRange(0, 0);
    a1->setTextVisible(false);
    a1->setMaximumWidth(60);
    commands->addWidget(a1);
    commands->addStretch(1);
    layout->addLayout(commands);

    auto* memory = new QHBoxLayout;
    memoryLabel = new QLabel(QString::fromUtf8("Memória"), &form);
    memoryLabel->setObjectName(QStringLiteral("Label1"));
    up = new OpacityUpDown(&form);
    up->setObjectName(QStringLiteral("up"));
    memory->addWidget(memoryLabel);
    memory->addWidget(up);
    memory->addStretch(1);
    layout->addLayout(memory);
    layout->addStretch(1);

    // Only the memory label and the opacity control show until revealed.
    for (QWidget* w : {static_cast<QWidget*>(RadioGroup2Box), static_cast<QWidget*>(radiogroup5Box),
                       static_cast<QWidget*>(RadioGroup1Box), static_cast<QWidget*>(Image1),
                       static_cast<QWidget*>(SpeedButton1), static_cast<QWidget*>(SpeedButton37),
                       static_cast<QWidget*>(troca), static_cast<QWidget*>(SpeedButton40),
                       static_cast<QWidget*>(SpeedButton41), static_cast<QWidget*>(a1)}) {
        w->hide();
    }
    SpeedButton41->setEnabled(false);

    connect(RadioGroup2, &QButtonGroup::idClicked, this, &ConnectionsWindow::kindChosen);
    connect(radiogroup5, &QButtonGroup::idClicked, this, [this](int item) {
        if (item == 3) backToKinds();  // "Volta"
    });
    connect(SpeedButton1, &QToolButton::clicked, this, &ConnectionsWindow::backToKinds);
}

int ConnectionsWindow::kind() const {
    return RadioGroup2->checkedId();
}

void ConnectionsWindow::clearKind() {
    clearChoice(RadioGroup2);
    clearChoice(radiogroup5);
    clearChoice(RadioGroup1);
}

void ConnectionsWindow::clearMineralLayer() {
    clearChoice(RadioGroup1);
}

int ConnectionsWindow::mosaicType() const {
    return radiogroup5->checkedId();
}

int ConnectionsWindow::mineralLayer() const {
    return RadioGroup1->checkedId();
}

void ConnectionsWindow::reveal() {
    for (QWidget* w :
         {static_cast<QWidget*>(SpeedButton37), static_cast<QWidget*>(up),
          static_cast<QWidget*>(troca), static_cast<QWidget*>(SpeedButton40),
          static_cast<QWidget*>(SpeedButton41), static_cast<QWidget*>(RadioGroup2Box)}) {
        w->show();
    }
}

void ConnectionsWindow::backToKinds() {
    radiogroup5Box->hide();
    RadioGroup1Box->hide();
    Image1->hide();
    SpeedButton1->hide();
    RadioGroup2Box->show();
    clearKind();
    emit kindCleared();
}

}  // namespace wms
