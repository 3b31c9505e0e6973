#include "symbology/label_window.h"

#include "files/theme_line.h"
#include "mapcontrol/label_renderer.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/vector_layer.h"
#include "platform/dialogs.h"
#include "symbology/theme_layer.h"
#include "workspace/theme_list.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace symbology {

const QString LabelWindow::kSelectThemeMessage =
    QStringLiteral("Selecione um tema para ser tratado pela função texto");
const QString LabelWindow::kNotShapeMessage =
    QStringLiteral("O tema selecionado não é um arquivo vetorial shapefile");

int labelDivisor(const QString& size) {
    static const std::pair<int, int> kDivisors[] = {{1, 650},  {2, 600},  {4, 550},  {6, 500},
                                                    {8, 450},  {10, 400}, {12, 300}, {14, 200},
                                                    {15, 150}, {16, 50}};
    bool ok = false;
    const int value = size.trimmed().toInt(&ok);
    for (const auto& [s, divisor] : kDivisors) {
        if (ok && s == value) {
            return divisor;
        }
    }
    return kDefaultLabelDivisor;
}

LabelWindow::LabelWindow(Controls controls, Hooks hooks, workspace::AppState& state,
                         platform::Dialogs& dialogs)
    : m_controls(controls), m_hooks(std::move(hooks)), m_state(state), m_dialogs(dialogs) {
    QWidget& form = m_controls.form;
    auto* layout = new QVBoxLayout(&form);
    ListBox1 = new QListWidget(&form);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    Edit1 = new QLineEdit(&form);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    ComboBox1 = new QComboBox(&form);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->addItems({"1", "2", "4", "6", "8", "10", "12", "14", "16"});
    ComboBox1->setCurrentText(QStringLiteral("8"));
    SpeedButton1 = new QToolButton(&form);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Adiciona texto"));
    SpeedButton2 = new QToolButton(&form);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("Remove texto"));
    layout->addWidget(ListBox1, 1);
    layout->addWidget(Edit1);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Tamanho"), &form));
    row->addWidget(ComboBox1);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);
    layout->addLayout(buttons);
    form.resize(260, 320);

    connect(ListBox1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Edit1->setText(item->text()); });
    connect(SpeedButton1, &QToolButton::clicked, this, &LabelWindow::AddLabels);
    connect(SpeedButton2, &QToolButton::clicked, this, [this] {
        if (m_hooks.restorePalette) m_hooks.restorePalette();
    });
    form.installEventFilter(this);
}

bool LabelWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_controls.form && event->type() == QEvent::Show) {
        Edit1->clear();
    }
    return QObject::eventFilter(watched, event);
}

void LabelWindow::OpenLabels() {
    QWidget* parent = m_controls.form.parentWidget();
    const int selected = m_controls.themes.selectedIndex();
    if (selected < 0) {
        m_dialogs.message(parent, kSelectThemeMessage, platform::MessageKind::Warning);
        return;
    }
    const QString line = m_controls.themes.line(selected);
    if (!files::namesVectorTheme(line)) {
        m_dialogs.message(parent, kNotShapeMessage, platform::MessageKind::Warning);
        return;
    }
    if (m_hooks.stopMapTips) m_hooks.stopMapTips();
    ListBox1->clear();
    if (const mapcontrol::VectorLayer* layer = workspace::themeVectorLayer(m_controls.map1, line)) {
        const mapcontrol::RecordSet records = layer->records();
        for (int i = 0; i < records.fieldCount(); ++i) {
            ListBox1->addItem(records.fieldName(i));
        }
    }
    m_controls.form.show();
    m_controls.form.raise();
    m_controls.map1.refresh();
}

void LabelWindow::AddLabels() {
    const int divisor = labelDivisor(ComboBox1->currentText());
    const int selected = m_controls.themes.selectedIndex();
    mapcontrol::VectorLayer* layer =
        selected < 0
            ? nullptr
            : workspace::themeVectorLayer(m_controls.map1, m_controls.themes.line(selected));
    if (Edit1->text().isEmpty() || !layer) {
        m_controls.map1.refresh();
        m_controls.form.close();
        return;
    }
    m_state.labelsAdded = true;
    m_state.labelField = Edit1->text();

    auto placer = std::make_unique<mapcontrol::LabelRenderer>();
    placer->setSwitch(mapcontrol::LabelRenderer::RemoveOverlaps, false);
    placer->setField(m_state.labelField);
    placer->setSwitch(mapcontrol::LabelRenderer::Halo, false);
    placer->setSwitch(mapcontrol::LabelRenderer::InsidePolygons, true);
    placer->textSymbol().height = labelHeight(m_controls.map1.extent(), divisor);
    placer->textSymbol().colour = 0;
    // The features keep the symbols they had, drawn under the labels.
    placer->setBackground(layer->takeRenderer());
    placer->setSwitch(mapcontrol::LabelRenderer::DrawBackground, true);
    layer->setRenderer(std::move(placer));
    m_controls.map1.refresh();
    m_controls.form.close();
}

}  // namespace symbology
