#include "query/query_tool.h"

#include "files/theme_line.h"
#include "mapcontrol/map_widget.h"
#include "mapcontrol/vector_layer.h"
#include "platform/dialogs.h"
#include "platform/status_line.h"
#include "platform/text_file.h"
#include "workspace/theme_list.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace query {

const QString QueryTool::kCollectorsMessage =
    QStringLiteral("Esta função não é válida quando a conexão timer coletores estiver ativa");
const QString QueryTool::kNotFoundMessage =
    QStringLiteral("Pesquisa não encontrada, confira a sintaxe da query");
const QString QueryTool::kRunAgainMessage = QStringLiteral("Realize a pesquisa novamente");

namespace {

// The yellow of the highlight.
constexpr mapcontrol::ColourInt kHighlight = 0xFFFF;

mapcontrol::Symbol highlightSymbol(mapcontrol::ShapeType type) {
    mapcontrol::Symbol symbol;
    symbol.colour = kHighlight;
    switch (type) {
        case mapcontrol::ShapeType::Polygon:
            symbol.type = mapcontrol::SymbolType::Fill;
            symbol.style = mapcontrol::FillSolid;
            break;
        case mapcontrol::ShapeType::Line:
            symbol.type = mapcontrol::SymbolType::Line;
            symbol.style = mapcontrol::LineDash;
            symbol.size = 5;
            break;
        case mapcontrol::ShapeType::Point:
            symbol.type = mapcontrol::SymbolType::Marker;
            symbol.style = mapcontrol::MarkerCircle;
            symbol.size = 6;
            break;
        default:
            symbol.style = 0;
            break;
    }
    return symbol;
}

QStringList listLines(const QListWidget& list) {
    QStringList lines;
    for (int i = 0; i < list.count(); ++i) lines.append(list.item(i)->text());
    return lines;
}

}  // namespace

QueryTool::QueryTool(Controls controls, Hooks hooks, workspace::AppState& state,
                     platform::Dialogs& dialogs)
    : m_controls(controls), m_hooks(std::move(hooks)), m_state(state), m_dialogs(dialogs) {
    buildControls();
}

void QueryTool::buildControls() {
    QWidget& form = m_controls.form;
    auto* layout = new QGridLayout(&form);
    const auto button = [&form](const QString& text, const QString& name) {
        auto* b = new QPushButton(text, &form);
        b->setObjectName(name);
        return b;
    };

    ListBox1 = new QListWidget(&form);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox2 = new QListWidget(&form);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    ValuesButton = button(QStringLiteral("========>"), QStringLiteral("BotaoValores"));
    layout->addWidget(new QLabel(QStringLiteral("Campos"), &form), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Valores"), &form), 0, 2);
    layout->addWidget(ListBox1, 1, 0);
    layout->addWidget(ValuesButton, 1, 1);
    layout->addWidget(ListBox2, 1, 2);

    auto* operators = new QHBoxLayout;
    const std::pair<const char*, const char*> kOperators[] = {
        {"=", " = "},   {">", " > "},   {"<", " < "},   {">=", " >= "},
        {"<=", " <= "}, {"E", " and "}, {"OU", " or "}, {"que contém", " like "},
        {"(", "("},     {")", ")"},     {"'", "'"},     {"%", "%"}};
    for (const auto& [caption, text] : kOperators) {
        QPushButton* b = button(QString::fromUtf8(caption), QString());
        const QString appended = QString::fromUtf8(text);
        connect(b, &QPushButton::clicked, this, [this, appended] { append(appended); });
        operators->addWidget(b);
    }
    layout->addLayout(operators, 2, 0, 1, 3);

    Edit1 = new QLineEdit(&form);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(&form);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->hide();
    layout->addWidget(Edit1, 3, 0, 1, 3);

    auto* report = new QGroupBox(QStringLiteral("Relatório"), &form);
    report->setObjectName(QStringLiteral("RadioGroup1"));
    auto* reportLayout = new QVBoxLayout(report);
    RadioGroup1 = new QButtonGroup(report);
    const char* const kReportItems[] = {"Pesquisa sem relatório", "Pesquisa com relatório"};
    for (int i = 0; i < 2; ++i) {
        auto* item = new QRadioButton(QString::fromUtf8(kReportItems[i]), report);
        RadioGroup1->addButton(item, i);
        reportLayout->addWidget(item);
    }
    RadioGroup1->button(0)->setChecked(true);
    layout->addWidget(report, 4, 0);

    auto* commands = new QVBoxLayout;
    RunButton = button(QStringLiteral("Realiza pesquisa"), QStringLiteral("BotaoPesquisa"));
    ZoomButton = button(QStringLiteral("Zoom na pesquisa"), QStringLiteral("BotaoZoom"));
    ClearButton = button(QStringLiteral("Apaga query"), QStringLiteral("BotaoApaga"));
    BackButton = button(QStringLiteral("Volta"), QStringLiteral("BotaoVolta"));
    for (QPushButton* b : {RunButton, ZoomButton, ClearButton, BackButton}) commands->addWidget(b);
    layout->addLayout(commands, 4, 1);

    auto* files = new QVBoxLayout;
    PrintButton = button(QStringLiteral("Imprime pesquisa"), QStringLiteral("BotaoImprime"));
    SaveTextButton =
        button(QStringLiteral("Grava arquivo texto"), QStringLiteral("BotaoGravaTexto"));
    SaveTableButton = button(QStringLiteral("Grava tabela ASC"), QStringLiteral("BotaoGravaASC"));
    SaveTableButton->setToolTip(
        QStringLiteral("Grava arq. texto com campos separados por ponto e vírgula"));
    SaveListButton = button(QStringLiteral("Grava a lista"), QStringLiteral("BotaoGravaLista"));
    for (QPushButton* b : {PrintButton, SaveTextButton, SaveTableButton, SaveListButton}) {
        files->addWidget(b);
    }
    layout->addLayout(files, 4, 2);
    for (QPushButton* b : {PrintButton, SaveTextButton, SaveTableButton}) b->setEnabled(false);

    Memo1 = new QPlainTextEdit(&form);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(Memo1, 5, 0, 1, 3);
    layout->setRowStretch(5, 1);
    form.resize(640, 560);

    connect(ListBox1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { fieldClicked(ListBox1->row(item)); });
    connect(ListBox2, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { valueClicked(item->text()); });
    connect(ValuesButton, &QPushButton::clicked, this, &QueryTool::listValues);
    connect(RunButton, &QPushButton::clicked, this, &QueryTool::run);
    connect(ZoomButton, &QPushButton::clicked, this, &QueryTool::zoomToFound);
    connect(ClearButton, &QPushButton::clicked, this, &QueryTool::clearQuery);
    connect(BackButton, &QPushButton::clicked, this, &QueryTool::back);
    connect(PrintButton, &QPushButton::clicked, this, &QueryTool::printReport);
    connect(SaveTextButton, &QPushButton::clicked, this, &QueryTool::saveReport);
    connect(SaveListButton, &QPushButton::clicked, this, &QueryTool::saveValueList);
    connect(SaveTableButton, &QPushButton::clicked, this, &QueryTool::saveTable);
    connect(RadioGroup1, &QButtonGroup::idClicked, this, &QueryTool::reportChoice);
    form.installEventFilter(this);
}

bool QueryTool::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_controls.form) {
        if (event->type() == QEvent::Show) {
            ZoomButton->setEnabled(false);
        } else if (event->type() == QEvent::Close) {
            emptyWindow();
        }
    }
    return QObject::eventFilter(watched, event);
}

void QueryTool::emptyWindow() {
    m_controls.button.setChecked(false);
    ZoomButton->setEnabled(false);
    Memo1->clear();
    Edit1->clear();
    ListBox1->clear();
    ListBox2->clear();
    Edit2->clear();
}

mapcontrol::VectorLayer* QueryTool::themeLayer() const {
    bool ok = false;
    const int index = Edit2->text().toInt(&ok);
    return ok ? dynamic_cast<mapcontrol::VectorLayer*>(m_controls.map1.layers().item(index))
              : nullptr;
}

void QueryTool::buttonClicked() {
    m_state.wmsActive = false;
    QWidget* parent = m_controls.map1.window();
    if (m_state.collectorTimerActive) {
        m_dialogs.message(parent, kCollectorsMessage, platform::MessageKind::Warning);
        return;
    }
    // Local work only; the map-group connection searches the remote database.
    const int connection = m_hooks.connectionChoice ? m_hooks.connectionChoice() : -1;
    if (connection == 0 && m_hooks.remoteSearch) {
        m_hooks.remoteSearch();
    }
    if (connection != -1) {
        return;
    }
    if (m_hooks.updateDistance) m_hooks.updateDistance();
    if (m_hooks.endMove) m_hooks.endMove();
    const int selected = m_controls.themes.selectedIndex();
    Edit2->setText(QString::number(selected));
    if (selected >= 0) {
        m_themeEntry = m_controls.themes.line(selected);
    }
    if (selected < 0) {
        m_dialogs.message(parent, QStringLiteral("Selecione um tema"),
                          platform::MessageKind::Warning);
        m_controls.button.setChecked(false);
        return;
    }
    if (!files::namesVectorTheme(m_themeEntry)) {
        m_dialogs.message(parent, QStringLiteral("O tema selecionado não é arquivo shape"),
                          platform::MessageKind::Warning);
        ListBox1->clear();
        ListBox2->clear();
        Memo1->clear();
        m_controls.expression.clear();
        m_controls.button.setChecked(false);
        return;
    }
    if (m_state.themesLoaded) {
        if (m_hooks.stopMapTips) m_hooks.stopMapTips();
        ListBox1->clear();
        ListBox2->clear();
        m_controls.expression.clear();
        Memo1->clear();
        if (const mapcontrol::VectorLayer* layer = themeLayer()) {
            const mapcontrol::RecordSet records = layer->records();
            for (int i = 0; i < records.fieldCount(); ++i) {
                ListBox1->addItem(records.fieldName(i));
            }
        }
    }
    ZoomButton->setEnabled(false);
    m_controls.form.show();
    m_controls.form.raise();
}

void QueryTool::fieldClicked(int row) {
    QListWidgetItem* item = ListBox1->item(row);
    if (!item) {
        return;
    }
    append(item->text());
    m_valueIsNumeric = false;
    if (const mapcontrol::VectorLayer* layer = themeLayer()) {
        const mapcontrol::RecordSet records = layer->records();
        if (row < records.fieldCount()) {
            const mapcontrol::FieldType type = records.fieldType(row);
            m_valueIsNumeric =
                type == mapcontrol::FieldType::Integer || type == mapcontrol::FieldType::Double;
        }
    }
}

void QueryTool::listValues() {
    ListBox2->clear();
    const QListWidgetItem* field = ListBox1->currentItem();
    const int theme = m_controls.themes.selectedIndex();
    const auto* layer = dynamic_cast<const mapcontrol::VectorLayer*>(
        m_controls.map1.layers().item(theme >= 0 ? theme : Edit2->text().toInt()));
    if (!field || !layer) {
        return;
    }
    const mapcontrol::Strings values = layer->records().distinctTexts(field->text());
    QStringList texts;
    for (qsizetype i = 0; i < values.count(); ++i) texts.append(values.item(i));
    ListBox2->addItems(valueList(texts));
}

void QueryTool::valueClicked(const QString& value) {
    append(m_valueIsNumeric ? value : QLatin1Char('\'') + value + QLatin1Char('\''));
}

void QueryTool::append(const QString& text) {
    Edit1->setText(Edit1->text() + text);
}

void QueryTool::run() {
    m_active = true;
    m_expression = Edit1->text();
    m_controls.expression.setText(m_expression);
    ZoomButton->setEnabled(true);
    m_report.clear();
    m_found = -1;
    m_controls.map1.refresh();  // evaluates the query while drawing
    m_controls.map2.refresh();
    for (const QString& line : std::as_const(m_report)) {
        Memo1->appendPlainText(line);
    }
    m_report.clear();
    if (m_found >= 0 && m_hooks.status) m_hooks.status->found(m_found);
}

void QueryTool::afterLayerDraw(int index) {
    // The highlight is drawn over the top layer, which is drawn last (index
    // 0): evaluating once there gives what every layer's evaluation would.
    if (index != 0) {
        return;
    }
    if (m_active && files::namesVectorTheme(m_themeEntry)) {
        m_extentList.clear();
        mapcontrol::VectorLayer* layer = workspace::themeVectorLayer(m_controls.map1, m_themeEntry);
        m_expression = m_controls.expression.text();
        std::vector<mapcontrol::Shape> shapes;
        FoundExtent found;
        qsizetype visited = 0;
        const bool withReport = RadioGroup1->checkedId() == 1;
        Memo1->clear();
        m_report.clear();
        if (layer) {
            auto result = layer->searchExpression(m_expression);
            if (auto* records = std::get_if<mapcontrol::RecordSet>(&result)) {
                for (records->moveFirst(); !records->isEnd(); records->moveNext()) {
                    ++visited;
                    mapcontrol::Shape shape = records->shape();
                    if (shape.isEmpty()) {
                        continue;
                    }
                    found.add(shape);
                    shapes.push_back(std::move(shape));
                    if (withReport) {
                        m_report.append(reportLines(*records));
                    }
                }
            }
            m_controls.map1.drawShapes(shapes, highlightSymbol(layer->shapeType()));
        }
        m_found = visited;
        if (m_controls.button.isChecked() && visited == 0) {
            m_dialogs.message(
                m_controls.form.isVisible() ? &m_controls.form : m_controls.map1.window(),
                kNotFoundMessage, platform::MessageKind::Warning);
            m_controls.expression.clear();
            m_active = false;
        }
        if (m_active && !found.isEmpty()) {
            if (layer && layer->shapeType() == mapcontrol::ShapeType::Point) {
                found.widenPoints();
            }
            m_extentList = found.texts();
        }
    }
    if (m_state.overviewBoxPending) {
        m_controls.map2.refresh();
    }
}

void QueryTool::zoomToFound() {
    m_expression = Edit1->text();
    if (const std::optional<mapcontrol::Rectangle> box = FoundExtent::fromTexts(m_extentList)) {
        m_state.currentExtent = *box;
        m_controls.map1.setExtent(*box);
        m_controls.map1.refresh();
    }
    ZoomButton->setEnabled(false);
}

void QueryTool::removeSelection() {
    if (m_hooks.updateDistance) m_hooks.updateDistance();
    if (m_hooks.endMove) m_hooks.endMove();
    m_active = false;
    m_controls.map1.refresh();
    if (m_hooks.stopMapTips) m_hooks.stopMapTips();
}

void QueryTool::clearQuery() {
    Edit1->clear();
    Memo1->clear();
}

void QueryTool::reportChoice(int item) {
    const bool withReport = item == 1;
    for (QPushButton* b : {PrintButton, SaveTextButton, SaveTableButton}) {
        b->setEnabled(withReport);
    }
    if (!withReport) {
        m_dialogs.message(&m_controls.form, kRunAgainMessage);
    }
}

QStringList QueryTool::memoLines() const {
    const QString text = Memo1->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void QueryTool::writeLines(const QStringList& lines, const QString& fileName) {
    platform::FileDialogOptions options;
    options.fileName = fileName;
    const std::optional<QString> chosen = m_dialogs.saveFile(&m_controls.form, options);
    if (!chosen) {
        return;
    }
    const platform::Result written = platform::writeTextLines(*chosen, lines);
    if (!written) {
        m_dialogs.message(&m_controls.form, written.message + QStringLiteral("\n") + written.detail,
                          platform::MessageKind::Error);
    } else if (m_hooks.status) {
        m_hooks.status->fileWritten(*chosen);
    }
}

void QueryTool::printReport() {
    if (!m_hooks.printLines || !m_hooks.printLines(memoLines())) {
        m_dialogs.message(&m_controls.form, QStringLiteral("Erro na impressao"),
                          platform::MessageKind::Error);
    }
}

void QueryTool::saveReport() {
    writeLines(memoLines(), QStringLiteral("*.txt"));
}

void QueryTool::saveValueList() {
    writeLines(listLines(*ListBox2), QStringLiteral("*.txt"));
}

void QueryTool::saveTable() {
    writeLines(semicolonTable(memoLines()), QStringLiteral("*.txt"));
}

void QueryTool::back() {
    emptyWindow();
    m_controls.form.close();
}

}  // namespace query
