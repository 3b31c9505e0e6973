#include "query/map_tips.h"

#include "files/theme_line.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/vector_layer.h"
#include "platform/dialogs.h"
#include "query/features_at.h"
#include "workspace/theme_list.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace query {

const QString MapTips::kCollectorsMessage =
    QStringLiteral("Esta função não é válida quando a conexão timer coletores esta ativa");
const QString MapTips::kSelectThemeMessage = QStringLiteral("Selecione um tema");
const QString MapTips::kNotShapeMessage = QStringLiteral("O tema selecionado não é arquivo shape");
const QString MapTips::kSelectFieldMessage = QStringLiteral("Selecione um campo para mensagem");

MapTips::MapTips(Controls controls, Hooks hooks, workspace::AppState& state,
                 platform::Dialogs& dialogs)
    : m_controls(controls), m_hooks(std::move(hooks)), m_state(state), m_dialogs(dialogs) {
    QWidget& form = m_controls.chooser;
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(new QLabel(QStringLiteral("Escolha o campo para mensagem"), &form));
    ComboBox1 = new QComboBox(&form);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    layout->addWidget(ComboBox1);
    auto* buttons = new QHBoxLayout;
    SpeedButton1 = new QToolButton(&form);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Executa - mensagem"));
    SpeedButton2 = new QToolButton(&form);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("Volta"));
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);
    layout->addLayout(buttons);
    layout->addWidget(new QLabel(QStringLiteral("Aponte o cursor para a entidade gráfica"), &form));
    connect(SpeedButton1, &QToolButton::clicked, this, &MapTips::execute);
    connect(SpeedButton2, &QToolButton::clicked, this, &MapTips::back);

    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(kTimerInterval);
    m_timer.setSingleShot(false);
    connect(&m_timer, &QTimer::timeout, this, &MapTips::tick);
    m_controls.tipBox.setReadOnly(true);
    m_controls.tipBox.hide();
}

void MapTips::buttonClicked() {
    QWidget* parent = m_controls.map1.window();
    if (m_state.collectorTimerActive) {
        m_dialogs.message(parent, kCollectorsMessage, platform::MessageKind::Warning);
        return;
    }
    if (m_hooks.updateDistance) m_hooks.updateDistance();
    if (!(m_controls.map1.extent() == m_controls.map1.fullExtent())) {
        m_state.overviewBoxPending = true;
    }
    if (m_hooks.endMove) m_hooks.endMove();
    ComboBox1->setEditText(QString());

    const int selected = m_controls.themes.selectedIndex();
    if (selected < 0) {
        m_dialogs.message(parent, kSelectThemeMessage, platform::MessageKind::Warning);
        m_controls.button.setChecked(false);
        return;
    }
    const QString line = m_controls.themes.line(selected);
    if (!files::namesVectorTheme(line)) {
        m_dialogs.message(parent, kNotShapeMessage, platform::MessageKind::Warning);
        m_controls.button.setChecked(false);
    }
    if (m_controls.button.isChecked()) {
        ComboBox1->clear();
        // The button goes down only when a field is confirmed.
        m_controls.button.setChecked(false);
        if (const mapcontrol::VectorLayer* layer =
                workspace::themeVectorLayer(m_controls.map1, line)) {
            const mapcontrol::RecordSet records = layer->records();
            for (int i = 0; i < records.fieldCount(); ++i) {
                ComboBox1->addItem(records.fieldName(i));
            }
        }
        ComboBox1->setEditText(QString());
        m_controls.chooser.show();
        m_controls.chooser.raise();
        return;
    }
    m_state.mapTipsActive = false;
    m_timer.stop();
}

void MapTips::execute() {
    const QString field = ComboBox1->currentText();
    if (field.isEmpty()) {
        m_dialogs.message(&m_controls.chooser, kSelectFieldMessage, platform::MessageKind::Warning);
        return;
    }
    m_controls.button.setChecked(true);
    m_state.mapTipsActive = true;
    m_field = field;
    m_controls.chooser.close();
    m_timer.start();
}

void MapTips::back() {
    stop();
    QWidget* main = m_controls.map1.window();
    main->raise();
    main->activateWindow();
}

void MapTips::stop() {
    m_controls.button.setChecked(false);
    m_timer.stop();
    m_state.mapTipsActive = false;
    m_controls.tipBox.hide();  // no tip left over the map once they are off
}

void MapTips::pointerMoved(int x, int y) {
    if (!m_controls.button.isChecked()) {
        return;
    }
    m_timer.start();  // restarted: it fires one period after the pointer rests
    QWidget* area = m_controls.tipBox.parentWidget();
    const QPoint at = area ? m_controls.map1.mapTo(area, QPoint(x + 8, y + 20)) : QPoint();
    m_controls.tipBox.move(at);
}

void MapTips::tick() {
    if (!m_controls.button.isChecked()) {
        m_timer.stop();
        return;
    }
    if (m_state.mapTipsActive && !ComboBox1->currentText().isEmpty() && !m_field.isEmpty() &&
        !m_controls.lastX.text().isEmpty() && !m_controls.lastY.text().isEmpty()) {
        lookUp(m_controls.lastX.text().toInt(), m_controls.lastY.text().toInt());
    }
}

void MapTips::lookUp(int x, int y) {
    const mapcontrol::MapPoint point =
        m_controls.map1.toMapPoint(static_cast<float>(x), static_cast<float>(y));
    const QString line = m_controls.themes.line(m_controls.themes.selectedIndex());
    if (!files::namesVectorTheme(line)) {
        return;
    }
    const mapcontrol::VectorLayer* layer = workspace::themeVectorLayer(m_controls.map1, line);
    m_controls.map1.setToolTip(QString());
    if (!layer) {
        return;
    }
    mapcontrol::RecordSet found = featuresAt(*layer, point, m_controls.map1.extent());
    QString text;
    for (found.moveFirst(); !found.isEnd(); found.moveNext()) {
        text = found.text(m_field);  // the last feature found wins
    }
    QLineEdit& box = m_controls.tipBox;
    box.show();
    box.raise();
    box.setFixedWidth(tipBoxWidth(text));
    box.setText(text);
    m_state.mapTipsActive = true;
}

}  // namespace query
