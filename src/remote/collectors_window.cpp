#include "remote/collectors_window.h"

#include "platform/dialogs.h"
#include "platform/radio_group.h"
#include "platform/text_file.h"
#include "remote/collectors.h"
#include "workspace/app_state.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace remote {

const QString CollectorsWindow::kListFilter = QStringLiteral("*.rel|*.rel");

namespace {

QPushButton* pushButton(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

}  // namespace

CollectorsWindow::CollectorsWindow(QWidget& form, workspace::AppState& state,
                                   platform::Dialogs& dialogs)
    : m_form(form), m_state(state), m_dialogs(dialogs) {
    auto* layout = new QGridLayout(&form);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Lista de prefixos de coletores"), &form));
    Memo1 = new QPlainTextEdit(&form);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    left->addWidget(Memo1, 1);
    layout->addLayout(left, 0, 0);

    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Prefixo"), &form));
    Edit1 = new QLineEdit(&form);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    right->addWidget(Edit1);
    Shape1 = new QLabel(&form);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFixedSize(40, 16);
    Shape1->setAutoFillBackground(true);
    QPalette sample = Shape1->palette();
    sample.setColor(QPalette::Window, m_colour);
    Shape1->setPalette(sample);
    right->addWidget(Shape1);
    Cor = pushButton(&form, "Cor", "Côr");
    Cadastra = pushButton(&form, "Cadastra", "Cadastra");
    Limpa = pushButton(&form, "Limpa", "Limpa");
    GravaLista = pushButton(&form, "GravaLista", "Grava-lista");
    LeArquivo = pushButton(&form, "LeArquivo", "Lê arquivo");
    for (QPushButton* b : {Cor, Cadastra, Limpa, GravaLista, LeArquivo}) right->addWidget(b);
    right->addWidget(new QLabel(QStringLiteral("Timer"), &form));
    Edit2 = new QLineEdit(QStringLiteral("1500"), &form);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    right->addWidget(Edit2);
    RadioGroup1 = platform::addRadioGroup(
        &form, right, QStringLiteral("RadioGroup1"), QStringLiteral("Linha entre pontos"),
        {QStringLiteral("Liga os pontos"), QString::fromUtf8("Não liga os pontos")}, 1);
    RadioGroup2 = platform::addRadioGroup(
        &form, right, QStringLiteral("RadioGroup2"), QStringLiteral("Plota-pontos"),
        {QStringLiteral("Todos pontos"), QStringLiteral("Ultimo ponto")}, 0);
    CheckBox1 = new QCheckBox(QStringLiteral("Conectado"), &form);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    right->addWidget(CheckBox1);
    Conecta = pushButton(&form, "Conecta", "Conecta");
    Desconecta = pushButton(&form, "Desconecta", "Desconecta");
    right->addWidget(Conecta);
    right->addWidget(Desconecta);
    Animate1 = new QProgressBar(&form);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    Animate1->setRange(0, 0);
    Animate1->setTextVisible(false);
    Animate1->hide();
    right->addWidget(Animate1);
    right->addStretch(1);
    layout->addLayout(right, 0, 1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &CollectorsWindow::tick);
    connect(Cor, &QPushButton::clicked, this, &CollectorsWindow::chooseColour);
    connect(Cadastra, &QPushButton::clicked, this, &CollectorsWindow::registerCollector);
    connect(Limpa, &QPushButton::clicked, Memo1, &QPlainTextEdit::clear);
    connect(GravaLista, &QPushButton::clicked, this, &CollectorsWindow::saveList);
    connect(LeArquivo, &QPushButton::clicked, this, &CollectorsWindow::openList);
    connect(Conecta, &QPushButton::clicked, this, &CollectorsWindow::connectTimer);
    connect(Desconecta, &QPushButton::clicked, this, &CollectorsWindow::disconnectTimer);
    form.installEventFilter(this);
}

bool CollectorsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_form && event->type() == QEvent::Show) {
        Edit1->setFocus();
    }
    return QObject::eventFilter(watched, event);
}

QStringList CollectorsWindow::listLines() const {
    QStringList lines = Memo1->toPlainText().split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

bool CollectorsWindow::allPoints() const {
    return RadioGroup2->checkedId() == 0;
}

bool CollectorsWindow::joinPoints() const {
    return RadioGroup1->checkedId() == 0;
}

void CollectorsWindow::chooseColour() {
    const std::optional<QColor> chosen = m_dialogs.colour(&m_form, m_colour);
    if (!chosen) {
        return;
    }
    m_colour = registeredColour(*chosen);
    QPalette palette = Shape1->palette();
    palette.setColor(QPalette::Window, m_colour);
    Shape1->setPalette(palette);
}

void CollectorsWindow::registerCollector() {
    Memo1->appendPlainText(registeredLine(Edit1->text(), m_colour));
    Edit1->clear();
}

void CollectorsWindow::saveList() {
    platform::FileDialogOptions options;
    options.title = QStringLiteral("Grava lista de coletores");
    options.fileName = QStringLiteral("*.rel");
    options.filter = kListFilter;
    const std::optional<QString> path = m_dialogs.saveFile(&m_form, options);
    if (!path) {
        return;
    }
    const platform::Result written = platform::writeTextLines(*path, listLines());
    if (!written) {
        m_dialogs.message(&m_form, written.message + QStringLiteral("\n") + written.detail,
                          platform::MessageKind::Error);
    }
}

void CollectorsWindow::openList() {
    platform::FileDialogOptions options;
    options.title = QStringLiteral("Lê  lista de coletores");
    options.fileName = QStringLiteral("*.rel");
    options.filter = kListFilter;
    options.mustExist = true;
    Memo1->clear();
    const std::optional<QString> path = m_dialogs.openFile(&m_form, options);
    if (!path) {
        return;
    }
    const platform::TextLines read = platform::readTextLines(*path);
    if (!read.result) {
        m_dialogs.message(&m_form, read.result.message + QStringLiteral("\n") + read.result.detail,
                          platform::MessageKind::Error);
        return;
    }
    Memo1->setPlainText(read.lines.join(QLatin1Char('\n')));
}

void CollectorsWindow::connectTimer() {
    const int interval = Edit2->text().trimmed().toInt();
    if (interval <= 0) {
        return;  // no interval: nothing would tick
    }
    Timer1->start(interval);
    Animate1->show();
    m_state.collectorTimerActive = true;
}

void CollectorsWindow::disconnectTimer() {
    Timer1->stop();
    Animate1->hide();
    m_state.collectorTimerActive = false;
    CheckBox1->setChecked(false);
}

void CollectorsWindow::beginTick() {
    CheckBox1->setChecked(true);
    const int interval = Edit2->text().trimmed().toInt();
    if (interval <= 0) {
        Timer1->stop();  // 0 stops further ticks
    } else {
        Timer1->setInterval(interval);
    }
}

}  // namespace remote
