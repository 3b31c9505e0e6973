#include "symbology/classification_window.h"

#include "files/theme_line.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/vector_layer.h"
#include "platform/dialogs.h"
#include "symbology/class_breaks.h"
#include "symbology/swatch.h"
#include "symbology/theme_layer.h"
#include "symbology/unique_values.h"
#include "workspace/theme_list.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace symbology {

const QString ClassificationWindow::kSelectThemeMessage = QStringLiteral("Selecione um tema");
const QString ClassificationWindow::kNotShapeMessage =
    QStringLiteral("O tema selecionado não é arquivo shape");
const QString ClassificationWindow::kChooseFieldMessage =
    QStringLiteral("Escolha o campo para realizar a operação estatística");

namespace {

QToolButton* textButton(QWidget* parent, const QString& name, const QString& text) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QLabel* namedLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

ClassificationWindow::ClassificationWindow(Controls controls, Hooks hooks,
                                           workspace::AppState& state, platform::Dialogs& dialogs)
    : m_controls(controls), m_hooks(std::move(hooks)), m_state(state), m_dialogs(dialogs) {
    buildControls();
}

void ClassificationWindow::buildControls() {
    QWidget& form = m_controls.form;
    auto* layout = new QVBoxLayout(&form);
    PageControl1 = new QTabWidget(&form);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);

    auto* unique = new QWidget(PageControl1);
    auto* uniqueLayout = new QVBoxLayout(unique);
    ListBox1 = new QListWidget(unique);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    Edit1 = new QLineEdit(unique);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    SpeedButton1 =
        textButton(unique, QStringLiteral("SpeedButton1"), QStringLiteral("Realiza a operação"));
    SpeedButton3 = textButton(unique, QStringLiteral("SpeedButton3"), QStringLiteral("Volta"));
    uniqueLayout->addWidget(ListBox1, 1);
    uniqueLayout->addWidget(namedLabel(unique, QStringLiteral("Label1"), "Nome do campo"));
    uniqueLayout->addWidget(Edit1);
    auto* uniqueButtons = new QHBoxLayout;
    uniqueButtons->addWidget(SpeedButton1);
    uniqueButtons->addWidget(SpeedButton3);
    uniqueLayout->addLayout(uniqueButtons);
    PageControl1->addTab(unique, QStringLiteral("VALOR UNICO"));

    auto* statistics = new QWidget(PageControl1);
    auto* statisticsLayout = new QVBoxLayout(statistics);
    ListBox2 = new QListWidget(statistics);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    Edit2 = new QLineEdit(statistics);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit3 = new QLineEdit(QStringLiteral("150"), statistics);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->hide();
    QLabel* classesLabel = namedLabel(statistics, QStringLiteral("Label3"), "No classes");
    classesLabel->hide();
    Image1 = new QLabel(statistics);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image2 = new QLabel(statistics);
    Image2->setObjectName(QStringLiteral("Image2"));
    for (QLabel* swatch : {Image1, Image2}) {
        swatch->setFixedSize(25, 25);
        swatch->setToolTip(QStringLiteral("Para alterar clique sobre"));
        swatch->setCursor(Qt::PointingHandCursor);
        swatch->installEventFilter(this);
    }
    SpeedButton2 =
        textButton(statistics, QStringLiteral("SpeedButton2"), QStringLiteral("Realiza operação"));
    SpeedButton4 = textButton(statistics, QStringLiteral("SpeedButton4"), QStringLiteral("Volta"));
    statisticsLayout->addWidget(ListBox2, 1);
    statisticsLayout->addWidget(
        namedLabel(statistics, QStringLiteral("Label2"), "Campo tabela para estatistica"));
    statisticsLayout->addWidget(Edit2);
    statisticsLayout->addWidget(classesLabel);
    statisticsLayout->addWidget(Edit3);
    auto* ramp = new QHBoxLayout;
    ramp->addWidget(namedLabel(statistics, QStringLiteral("Label4"), "Intervalo de cores"));
    ramp->addWidget(Image1);
    ramp->addWidget(Image2);
    ramp->addStretch(1);
    statisticsLayout->addLayout(ramp);
    auto* statisticsButtons = new QHBoxLayout;
    statisticsButtons->addWidget(SpeedButton2);
    statisticsButtons->addWidget(SpeedButton4);
    statisticsLayout->addLayout(statisticsButtons);
    PageControl1->addTab(statistics, QStringLiteral("ESTATISTICA"));

    connect(ListBox1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Edit1->setText(item->text()); });
    connect(ListBox2, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Edit2->setText(item->text()); });
    connect(SpeedButton1, &QToolButton::clicked, this, &ClassificationWindow::uniqueValues);
    connect(SpeedButton2, &QToolButton::clicked, this, &ClassificationWindow::classBreaks);
    connect(SpeedButton3, &QToolButton::clicked, this, &ClassificationWindow::back);
    connect(SpeedButton4, &QToolButton::clicked, this, &ClassificationWindow::back);
    form.installEventFilter(this);
    form.resize(320, 380);
}

bool ClassificationWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_controls.form && event->type() == QEvent::Close) {
        emptyFieldLists();
    } else if (event->type() == QEvent::MouseButtonPress) {
        if (watched == Image1) {
            chooseSwatchColour(*Image1, m_state.rampStart);
            return true;
        }
        if (watched == Image2) {
            chooseSwatchColour(*Image2, m_state.rampEnd);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ClassificationWindow::chooseSwatchColour(QLabel& swatch, mapcontrol::ColourInt& colour) {
    const std::optional<QColor> chosen =
        m_dialogs.colour(&m_controls.form, mapcontrol::toQColor(colour));
    if (!chosen) {
        return;
    }
    colour = mapcontrol::fromQColor(*chosen);
    paintSwatch(swatch, colour);
}

void ClassificationWindow::emptyFieldLists() {
    ListBox1->clear();
    ListBox2->clear();
}

void ClassificationWindow::open() {
    Edit1->clear();
    Edit2->clear();
    if (m_hooks.commonPreamble) m_hooks.commonPreamble();
    if (!m_state.themesLoaded) {
        return;
    }
    const auto refuse = [this](const QString& message) {
        m_dialogs.message(m_controls.form.parentWidget(), message, platform::MessageKind::Warning);
        m_controls.reclassify.setChecked(false);
        emptyFieldLists();
    };
    const int selected = m_controls.themes.selectedIndex();
    if (selected < 0) {
        refuse(kSelectThemeMessage);
        return;
    }
    if (!files::namesVectorTheme(m_controls.themes.line(selected))) {
        refuse(kNotShapeMessage);
        return;
    }
    if (m_hooks.stopMapTips) m_hooks.stopMapTips();
    emptyFieldLists();
    paintSwatch(*Image1, m_state.rampStart);
    paintSwatch(*Image2, m_state.rampEnd);
    if (const mapcontrol::VectorLayer* layer =
            workspace::themeVectorLayer(m_controls.map1, m_controls.themes.line(selected))) {
        const mapcontrol::RecordSet records = layer->records();
        for (int i = 0; i < records.fieldCount(); ++i) {
            ListBox1->addItem(records.fieldName(i));
            const mapcontrol::FieldType type = records.fieldType(i);
            if (type == mapcontrol::FieldType::Integer || type == mapcontrol::FieldType::Double) {
                ListBox2->addItem(records.fieldName(i));
            }
        }
    }
    m_controls.form.show();
    m_controls.form.raise();
}

mapcontrol::VectorLayer* ClassificationWindow::selectedShapeLayer(int& theme) {
    theme = m_controls.themes.selectedIndex();
    if (theme < 0) {
        m_dialogs.message(&m_controls.form, kSelectThemeMessage, platform::MessageKind::Warning);
        return nullptr;
    }
    mapcontrol::VectorLayer* layer =
        workspace::themeVectorLayer(m_controls.map1, m_controls.themes.line(theme));
    if (!layer || !layer->isValid()) {
        m_dialogs.message(&m_controls.form, kNotShapeMessage, platform::MessageKind::Warning);
        return nullptr;
    }
    return layer;
}

void ClassificationWindow::uniqueValues() {
    m_controls.legend.clear();
    if (m_state.transparencyActive && m_hooks.toggleTransparency) {
        m_hooks.toggleTransparency();
    }
    int theme = -1;
    mapcontrol::VectorLayer* layer = selectedShapeLayer(theme);
    if (!layer) {
        return;
    }
    m_state.themeRenderKind[static_cast<std::size_t>(theme)] = 0;
    if (!classifyByUniqueValues(*layer, Edit1->text(), m_state.transparencyActive)) {
        m_dialogs.message(&m_controls.form, kTooManyClassesMessage, platform::MessageKind::Warning);
        return;
    }
    m_controls.map1.refresh();
    m_controls.reclassify.setChecked(false);
    if (m_controls.legendButton.isChecked() && m_hooks.showLegend) m_hooks.showLegend();
}

void ClassificationWindow::classBreaks() {
    if (Edit2->text().isEmpty()) {
        m_dialogs.message(&m_controls.form, kChooseFieldMessage, platform::MessageKind::Warning);
        return;
    }
    int theme = -1;
    mapcontrol::VectorLayer* layer = selectedShapeLayer(theme);
    if (!layer) {
        return;
    }
    // The breaks are worked out first: a field that is not numeric is
    // refused before anything else changes.
    const std::optional<ClassBreaks> breaks = classifyByBreaks(
        *layer, Edit2->text(), Edit3->text().toInt(), swatchColour(*Image1), swatchColour(*Image2));
    if (!breaks) {
        m_dialogs.message(
            &m_controls.form,
            QStringLiteral("O campo \"%1\" não é um campo numérico do tema.").arg(Edit2->text()),
            platform::MessageKind::Warning);
        return;
    }
    // The next use of the transparency switch takes its switching-off
    // branch, which builds every layer again and so ends this classification.
    m_controls.transparency.setChecked(false);
    m_state.transparencyActive = true;
    m_controls.legend.clear();

    const QString line = m_controls.themes.line(theme);
    m_state.lastClassifiedTheme = line;
    m_controls.lastClassified.setCurrentIndex(m_controls.lastClassified.findText(line));
    m_state.themeRenderKind[static_cast<std::size_t>(theme)] = 1;
    m_state.classBreakValues = breaks->values;
    m_controls.map1.refresh();
    m_controls.reclassify.setChecked(false);
    if (m_controls.legendButton.isChecked() && m_hooks.showLegend) m_hooks.showLegend();
}

void ClassificationWindow::back() {
    m_controls.reclassify.setChecked(false);
    m_controls.form.close();
}

}  // namespace symbology
